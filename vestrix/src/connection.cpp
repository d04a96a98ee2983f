// Module state, the three configuration exports and connecting an adapter.
#include "internal.h"

#include <tamro.h>
#include <vestrix.h>

// vestrix passes tamro's codes on unchanged; its names for them must keep tamro's values.
#define VESTRIX_SAME_CODE(name) static_assert(int(VESTRIX_##name) == int(TAMRO_##name), #name)
VESTRIX_SAME_CODE(OK);
VESTRIX_SAME_CODE(NO_ADAPTER);
VESTRIX_SAME_CODE(UNKNOWN_CONNECT_ERROR);
VESTRIX_SAME_CODE(FPGA_LINK_FAILED);
VESTRIX_SAME_CODE(NO_DEVICE_SELECTED);
VESTRIX_SAME_CODE(ADAPTER_BAD_DATA);
VESTRIX_SAME_CODE(BAD_REPLY);
VESTRIX_SAME_CODE(ADAPTER_BAD_CONNECT_DATA);
VESTRIX_SAME_CODE(NO_REPLY);
VESTRIX_SAME_CODE(NOT_SUPPORTED);
VESTRIX_SAME_CODE(FPGA_DATA_FAILED);
VESTRIX_SAME_CODE(FPGA_CONFIG_FAILED);
VESTRIX_SAME_CODE(REPORT_WRITE_FAILED);
VESTRIX_SAME_CODE(SOCKET_CREATE_FAILED);
VESTRIX_SAME_CODE(BAD_SERVER_ADDRESS);
VESTRIX_SAME_CODE(SERVER_CONNECT_FAILED);
VESTRIX_SAME_CODE(REQUEST_TOO_LARGE);
VESTRIX_SAME_CODE(SEND_FAILED);
VESTRIX_SAME_CODE(SERVER_TIMEOUT);
VESTRIX_SAME_CODE(REMOTE_CONNECT_FAILED);
VESTRIX_SAME_CODE(SHORT_REMOTE_REPLY);
#undef VESTRIX_SAME_CODE

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

VESTRIX_API VestrixResult ScanTAMRO(char *names, const char *serverAddress, int port)
{
    return ScanDevice(names, serverAddress, port);
}

VESTRIX_API VestrixResult ConnectDevice(int index)
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
