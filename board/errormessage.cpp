#include "errormessage.h"

#include "error_texts.h"
#include "ui/messagebox.h"

namespace {
ErrorMessage::Reconnect& reconnectStep()
{
    static ErrorMessage::Reconnect step;
    return step;
}
}  // namespace

void ErrorMessage::setReconnect(Reconnect step)
{
    reconnectStep() = std::move(step);
}

int ErrorMessage::showResult(int code)
{
    if (code == 0)
        return 0;
    if (code == -5 && reconnectStep())
        return reconnectStep()(tr(board::errorSourceText(-5))) ? 0 : -5;
    QMessageBox box(QMessageBox::Warning, tr(board::kErrorTitle), tr(board::errorSourceText(code)),
                    QMessageBox::Ok);
    if (board::errorShowsCode(code))
        box.setInformativeText(tr(board::kErrorCodeLine).arg(code));
    MessageBox::exec(box);
    return board::errorResult(code);
}
