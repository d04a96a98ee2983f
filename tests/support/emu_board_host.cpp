// An emulated HID adapter over the adder circuit, served to other processes until standard
// input closes, so that brixo-cli can be tried by hand without a board:
//   emu_board_host &   # prints the two variables to export, then serves
//   LD_PRELOAD=... BRIXO_EMU_HID_SOCKET=... brixo-cli list
// Test support only; it is not installed.
#include "support/adder_circuit.h"
#include "support/emu_hid_service.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    emu::AdderCircuit circuit;
    emu::Adapter adapter(emu::Adapter::Kind::Hid, &circuit);
    emu::HidService service;
    service.add(&adapter);
    std::printf("export LD_PRELOAD=%s\nexport BRIXO_EMU_HID_SOCKET=%s\n", argc > 1 ? argv[1] : "libemu_hid_proxy.so",
                service.socketPath().c_str());
    std::fflush(stdout);
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    std::printf("%zu FPGA pieces received, end step %s\n", adapter.fpgaPieceSizes.size(),
                adapter.fpgaDone ? "sent" : "not sent");
    return 0;
}
