#include "errormessage.h"

#include "app/messagebox.h"
#include "dialogconnnect.h"
#include "error_texts.h"

#include <QDialog>

#include <vestrix.h>

int ErrorMessage::showResult(int code)
{
    if (code == 0)
        return 0;
    if (code == VESTRIX_NO_DEVICE_SELECTED) {
        DialogConnnect dialog;
        dialog.showWarning(tr(board::errorSourceText(VESTRIX_NO_DEVICE_SELECTED)));
        return MessageBox::execDialog(dialog) == QDialog::Accepted ? 0 : VESTRIX_NO_DEVICE_SELECTED;
    }
    QMessageBox box(QMessageBox::Warning, tr(board::kErrorTitle), tr(board::errorSourceText(code)),
                    QMessageBox::Ok);
    if (board::errorShowsCode(code))
        box.setInformativeText(tr(board::kErrorCodeLine).arg(code));
    MessageBox::exec(box);
    return board::errorResult(code);
}
