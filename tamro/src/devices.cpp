// Discovery and selection of adapters.
#include "net_connection.h"
#include "results.h"
#include "state.h"
#include "usb_backend.h"

#include "result_codes.h"

#include <cstdio>
#include <cstring>

namespace tamro {

namespace {
constexpr uint16_t kBulkVendor = 0x8888, kBulkProduct = 0x0519;
constexpr uint16_t kHidVendor = 0x0483, kHidProduct = 0x0521;
} // namespace

State &state()
{
    static State s;
    return s;
}

void copySlot(char *slot, int size, const std::string &text)
{
    const size_t n = text.size() < size_t(size - 1) ? text.size() : size_t(size - 1);
    std::memcpy(slot, text.data(), n);
    slot[n] = 0;
}

void closeKept() { state().kept.reset(); }

int selectDevice(int index)
{
    State &s = state();
    closeKept();
    s.link.reset();
    if (index < 0 || index >= s.count)
        return NoAdapter;
    const DeviceEntry &e = s.table[index];
    std::unique_ptr<Transport> link = chooseTransport(e.kind, e.path);
    if (!link)
        return NoAdapter;
    const int code = link->select();
    if (code == Ok)
        s.link = std::move(link);
    return code;
}

} // namespace tamro

using namespace tamro;

extern "C" {

TAMRO_API TamroResult ScanDevice(char *list, const char *address, int port)
{
    State &s = state();
    s.count = 0;
    int shown = 0;
    auto append = [&](const std::string &kind, const std::string &display, const std::string &path) {
        if (s.count >= kMaxDevices) // the list has ten slots; later devices are not listed
            return;
        copySlot(s.table[s.count].kind, kNameSlot, kind);
        copySlot(s.table[s.count].path, kPathSlot, path);
        if (list)
            copySlot(list + kNameSlot * s.count, kNameSlot, display);
        ++s.count;
        ++shown;
    };

    // An address longer than its slot is refused, not cut short: a truncated host name could
    // reach some other machine. The USB devices are still listed.
    bool refused = false;
    if (address && *address && (port & 0xFFFF) != 0 && std::strlen(address) >= size_t(kAddressSlot)) {
        refused = true;
    } else if (address && *address && (port & 0xFFFF) != 0) {
        copySlot(s.serverAddress, kAddressSlot, address);
        s.serverPort = uint16_t(port & 0xFFFF);
        net::ResultList results;
        if (net::presenceProbe(s.serverAddress, s.serverPort, results) == Ok && results.count > 0 &&
            results.tag[0] == net::TagNeedReturn)
            append("Lantrovex", "Lantrovex", "");
    }

    for (const UsbDeviceInfo &d : bulkBackend().enumerate(kBulkVendor, kBulkProduct)) {
        const std::string name = d.descriptionReadable ? d.description : "(Unnamed STM32 device)";
        append(name, name, d.path);
    }
    int hidOrdinal = 0;
    for (const UsbDeviceInfo &d : hidBackend().enumerate(kHidVendor, kHidProduct)) {
        if (!d.descriptionReadable) {
            append("(Unnamed HID device)", "(Unnamed HID device)", d.path);
            continue;
        }
        ++hidOrdinal;
        append("TA-HID", hidOrdinal == 1 ? "TA-HID" : "TA-HID :" + std::to_string(hidOrdinal), d.path);
    }

    if (list) {
        const int32_t count = shown;
        std::memcpy(list + TAMRO_LIST_COUNT_OFFSET, &count, sizeof count);
    }
    if (s.link)
        s.link->forget(); // the bus may have changed since the selection learned the device
    if (shown > 0)
        return Ok;
    return refused ? BadServerAddress : NoAdapter;
}

TAMRO_API TamroResult SelectDevice(int index) { return reportResult(selectDevice(index)); }

TAMRO_API TamroResult OpenDevice(void)
{
    State &s = state();
    closeKept();
    int code = NoDeviceSelected;
    if (s.link)
        s.kept = s.link->open(code); // kept even if the handshake failed
    return reportResult(code);
}

TAMRO_API int TamroSelectedTransport(void)
{
    const State &s = state();
    return s.link ? s.link->kind() : TAMRO_TRANSPORT_NONE;
}

TAMRO_API int CloseDevice(void)
{
    closeKept();
    return 0;
}

} // extern "C"
