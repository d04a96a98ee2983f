// Module state, the three configuration exports and connecting an adapter.
#include "internal.h"

#include <tamro.h>
#include <vestrix.h>

namespace vestrix {

State &state()
{
    static State s;
    return s;
}

int firmwareDateCode(const char *date)
{
    auto digit = [date](int i) { return int(date[i]) - '0'; };
    const int year = digit(0) * 1000 + digit(1) * 100 + digit(2) * 10 + digit(3);
    const int month = digit(5) * 10 + digit(6);
    const int day = digit(8) * 10 + digit(9);
    if (year != 2015)
        return year > 2015 ? Ok : FirmwareTooOld;
    if (month != 12)
        return month > 12 ? Ok : FirmwareTooOld;
    return day >= 10 ? Ok : FirmwareTooOld;
}

namespace {

// Learns the adapter's firmware date through the silent information call.
int checkFirmwareDate()
{
    char date[32] = {};
    char pcb[16] = {};
    const int rc = ShowTamroInfo(date, pcb, 0);
    if (rc != Ok)
        return rc;
    return firmwareDateCode(date);
}

} // namespace

} // namespace vestrix

using namespace vestrix;

extern "C" {

VESTRIX_API int32_t ver_FPGA = 0;

VESTRIX_API int EnableDLLMessage(int enable)
{
    const int suppressed = EnableMessageShow(enable);
    state().messagesEnabled = uint8_t(enable & 0xFF);
    return suppressed;
}

VESTRIX_API int SetDllLanguage(int language)
{
    state().language = language;
    return SetLocalLanguage(language);
}

VESTRIX_API void *SetParentWnd(void *window)
{
    state().parentWindow = window;
    return SetMainWindow(window);
}

VESTRIX_API ResultCode ScanTAMRO(char *names, const char *serverAddress, int port)
{
    return ScanDevice(names, serverAddress, port);
}

VESTRIX_API ResultCode ConnectDevice(int index)
{
    int rc = SelectDevice(index);
    if (rc != Ok)
        return rc;
    // A remote-lab server has no adapter of ours behind it: it answers scans only, so there is
    // no version record or firmware date to check.
    if (TamroSelectedTransport() == TAMRO_TRANSPORT_NETWORK)
        return Ok;
    // The version reply itself is not needed; an adapter that cannot give it is unusable.
    char version[7], buildTime[30], serial[9], identifier[25];
    rc = GetTamroVersion(version, buildTime, serial, nullptr, identifier);
    if (rc != Ok)
        return rc;
    rc = checkFirmwareDate();
    if (rc != Ok)
        SelectDevice(-1);
    return rc;
}

} // extern "C"
