#pragma once
// Every message box of the program goes through here, so a test can queue the answer
// instead of hanging on a modal loop.
#include <QMessageBox>
#include <QStringList>

#include <functional>

class QDialog;

class MessageBox {
public:
    struct Shown {
        QString title, text, informative;
        QMessageBox::Icon icon;
    };

    // Runs the box modally unless an answer is queued; queued answers are used in order.
    static QMessageBox::StandardButton exec(QMessageBox& box);
    static QMessageBox::StandardButton question(const QString& text, const QString& informative = QString());
    static void setNextAnswer(QMessageBox::StandardButton answer);
    static const QList<Shown>& shown();
    static void clearShown();

    // Modal dialogs of the program run through here too: a queued handler receives the
    // dialog instead of a modal loop (it may fill it in and press its buttons) and its
    // return value is the dialog's result.
    using DialogHandler = std::function<int(QDialog&)>;
    static int execDialog(QDialog& dialog);
    static void setNextDialog(DialogHandler handler);

private:
    static QList<QMessageBox::StandardButton>& answers();
    static QList<Shown>& shownList();
    static QList<DialogHandler>& dialogHandlers();
};
