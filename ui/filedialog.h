#pragma once
// Every file dialog of the program goes through here, so a test can queue the chosen
// name instead of hanging on a modal dialog (the counterpart of MessageBox).
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

class FileDialog {
public:
    struct Asked {
        QString caption, directory, filter;
        bool save;
    };

    // Runs the toolkit's dialog unless an answer is queued; queued answers are used in
    // order, an empty one standing for a cancelled dialog.
    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                                   const QString& filter);
    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                   const QString& filter);
    // One or more existing files; an empty list stands for a cancelled dialog.
    static QStringList getOpenFileNames(QWidget* parent, const QString& caption, const QString& directory,
                                        const QString& filter);
    static void setNextAnswer(const QString& fileName);
    static void setNextAnswers(const QStringList& fileNames);
    static bool hasQueuedAnswer();
    static const QList<Asked>& asked();
    static void clearAsked();
    // The filter as the toolkit's dialog understands it: patterns inside the parentheses
    // separated by ";" (as Windows writes them) become blank-separated, or the toolkit would
    // take "*.vpl;*.vp2" for one pattern and show no file at all.
    static QString toolkitFilter(const QString& filter);

private:
    static QList<QStringList>& answers();
    static QString takeOne();
    static QList<Asked>& askedList();
};
