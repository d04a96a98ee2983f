#include "ui/messagebox.h"

#include <QDialog>

QList<QMessageBox::StandardButton>& MessageBox::answers()
{
    static QList<QMessageBox::StandardButton> a;
    return a;
}
QList<MessageBox::Shown>& MessageBox::shownList()
{
    static QList<Shown> s;
    return s;
}
const QList<MessageBox::Shown>& MessageBox::shown() { return shownList(); }
void MessageBox::clearShown() { shownList().clear(); }
void MessageBox::setNextAnswer(QMessageBox::StandardButton answer) { answers().append(answer); }

QMessageBox::StandardButton MessageBox::exec(QMessageBox& box)
{
    shownList().append({box.windowTitle(), box.text(), box.informativeText(), box.icon()});
    if (!answers().isEmpty())
        return answers().takeFirst();
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton MessageBox::question(const QString& text, const QString& informative)
{
    QMessageBox box(QMessageBox::Question, QString(), text, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setInformativeText(informative);
    return exec(box);
}

QList<MessageBox::DialogHandler>& MessageBox::dialogHandlers()
{
    static QList<DialogHandler> h;
    return h;
}
void MessageBox::setNextDialog(DialogHandler handler) { dialogHandlers().append(std::move(handler)); }

int MessageBox::execDialog(QDialog& dialog)
{
    if (!dialogHandlers().isEmpty())
        return dialogHandlers().takeFirst()(dialog);
    return dialog.exec();
}
