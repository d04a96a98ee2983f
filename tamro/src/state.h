// The library's module state, all in one place: the device table, the selected transport and
// the kept session, the server and its connection, the message settings and the test hooks.
#pragma once
#include "net_connection.h"
#include "transport.h"
#include "usb_backend.h"

#include <memory>
#include <string>

namespace tamro {

constexpr int kMaxDevices = 10;
constexpr int kNameSlot = 128;
constexpr int kPathSlot = 256;
constexpr int kAddressSlot = 20;

struct DeviceEntry {
    char kind[kNameSlot];
    char path[kPathSlot];
};

struct State {
    // hidapi and libusb, made on first use; declared first so that they outlive the sessions.
    std::unique_ptr<HidBackend> hidProduction;
    std::unique_ptr<BulkBackend> bulkProduction;

    DeviceEntry table[kMaxDevices];
    int count = 0;
    std::unique_ptr<Transport> link; // the selected device; null when none is selected
    std::unique_ptr<Session> kept;   // the session OpenDevice holds
    char serverAddress[kAddressSlot] = {};
    uint16_t serverPort = 0;
    net::Connection connection; // to the selected server, kept for its scans
    int receiveLimitMs = net::kDefaultReceiveLimitMs;

    // Message boxes: off until a caller turns them on.
    unsigned char suppressed = 1;
    int language = 0;
    void *ownerWindow = nullptr;

    // Emulated backends put in by tests; null means hidapi and libusb.
    HidBackend *hidOverride = nullptr;
    BulkBackend *bulkOverride = nullptr;

    ~State()
    {
        kept.reset(); // sessions close before the connection and the backends they use
        link.reset();
    }
};

State &state();

// SelectDevice without the box: 0 or a code.
int selectDevice(int index);
void closeKept();

// Copies `text` into a slot of `size` bytes, truncating and always terminating.
void copySlot(char *slot, int size, const std::string &text);

} // namespace tamro
