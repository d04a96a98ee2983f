// Module-level state of the library: the device table, the selection and the kept session.
#pragma once
#include "transport.h"

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
    DeviceEntry table[kMaxDevices];
    int count = 0;
    int transport = TransportNone;
    char selectedPath[kPathSlot] = {};
    std::unique_ptr<Session> kept; // the session OpenDevice holds
    char serverAddress[kAddressSlot] = {};
    uint16_t serverPort = 0;
};

State &state();

// SelectDevice without the box: 0 or a code.
int selectDevice(int index);
void closeKept();

// Copies `text` into a slot of `size` bytes, truncating and always terminating.
void copySlot(char *slot, int size, const std::string &text);

} // namespace tamro
