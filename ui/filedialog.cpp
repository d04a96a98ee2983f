#include "ui/filedialog.h"

#include <QFileDialog>
#include <QStringList>

QList<QStringList>& FileDialog::answers()
{
    static QList<QStringList> a;
    return a;
}
QList<FileDialog::Asked>& FileDialog::askedList()
{
    static QList<Asked> a;
    return a;
}
const QList<FileDialog::Asked>& FileDialog::asked() { return askedList(); }
void FileDialog::clearAsked() { askedList().clear(); }
void FileDialog::setNextAnswer(const QString& fileName)
{
    answers().append(fileName.isEmpty() ? QStringList() : QStringList{fileName});
}
void FileDialog::setNextAnswers(const QStringList& fileNames) { answers().append(fileNames); }

QString FileDialog::takeOne()
{
    const QStringList a = answers().takeFirst();
    return a.isEmpty() ? QString() : a.first();
}
bool FileDialog::hasQueuedAnswer() { return !answers().isEmpty(); }

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                                    const QString& filter)
{
    askedList().append({caption, directory, filter, false});
    if (!answers().isEmpty())
        return takeOne();
    return QFileDialog::getOpenFileName(parent, caption, directory, toolkitFilter(filter));
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                    const QString& filter)
{
    askedList().append({caption, directory, filter, true});
    if (!answers().isEmpty())
        return takeOne();
    return QFileDialog::getSaveFileName(parent, caption, directory, toolkitFilter(filter));
}

QStringList FileDialog::getOpenFileNames(QWidget* parent, const QString& caption, const QString& directory,
                                         const QString& filter)
{
    askedList().append({caption, directory, filter, false});
    if (!answers().isEmpty())
        return answers().takeFirst();
    return QFileDialog::getOpenFileNames(parent, caption, directory, toolkitFilter(filter));
}

QString FileDialog::toolkitFilter(const QString& filter)
{
    QStringList parts = filter.split(QStringLiteral(";;"));
    for (QString& part : parts) {
        const int open = part.lastIndexOf(QLatin1Char('('));
        const int close = part.lastIndexOf(QLatin1Char(')'));
        if (open < 0 || close < open)
            continue;
        for (int i = open + 1; i < close; ++i)
            if (part.at(i) == QLatin1Char(';'))
                part[i] = QLatin1Char(' ');
    }
    return parts.join(QStringLiteral(";;"));
}
