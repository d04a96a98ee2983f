#include "errormessage.h"

#include "error_texts.h"
#include "ui/messagebox.h"

#include <vestrix.h>

namespace {
ErrorMessage::Reconnect& reconnectStep()
{
    static ErrorMessage::Reconnect step;
    return step;
}
} // namespace

void ErrorMessage::setReconnect(Reconnect step) { reconnectStep() = std::move(step); }

int ErrorMessage::showResult(int code)
{
    if (code == 0)
        return 0;
    if (code == VESTRIX_NO_DEVICE_SELECTED && reconnectStep())
        return reconnectStep()(tr(board::errorSourceText(VESTRIX_NO_DEVICE_SELECTED))) ? 0 : VESTRIX_NO_DEVICE_SELECTED;
    QMessageBox box(QMessageBox::Warning, tr(board::kErrorTitle), tr(board::errorSourceText(code)), QMessageBox::Ok);
    if (board::errorShowsCode(code))
        box.setInformativeText(tr(board::kErrorCodeLine).arg(code));
    MessageBox::exec(box);
    return board::errorResult(code);
}
