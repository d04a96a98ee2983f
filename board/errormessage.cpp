#include "errormessage.h"

#include "app/messagebox.h"
#include "dialogconnnect.h"
#include "error_texts.h"

#include <QDialog>

int ErrorMessage::showResult(int code)
{
    if (code == 0)
        return 0;
    if (code == -5) {
        DialogConnnect dialog;
        dialog.showWarning(tr(board::errorSourceText(-5)));
        return MessageBox::execDialog(dialog) == QDialog::Accepted ? 0 : -5;
    }
    QMessageBox box(QMessageBox::Warning, tr(board::kErrorTitle), tr(board::errorSourceText(code)),
                    QMessageBox::Ok);
    if (board::errorShowsCode(code))
        box.setInformativeText(tr(board::kErrorCodeLine).arg(code));
    MessageBox::exec(box);
    return board::errorResult(code);
}
