// Emulated HID adapters, each over an adder circuit of its own, served to other processes until
// standard input closes, so that brixo-cli or a lab server can be tried by hand without boards:
//   emu_board_host [--boards N] [PROXY] &   # prints the two variables to export, then serves
//   LD_PRELOAD=... BRIXO_EMU_HID_SOCKET=... brixo-cli list
// With --boards N (1 to 10, the adapter list's size) a lab.json can name adapters 0 to N-1.
// Test support only; it is not installed.
#include "support/adder_circuit.h"
#include "support/emu_hid_service.h"

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char **argv)
{
    int boards = 1;
    std::string proxy = "libemu_hid_proxy.so";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--boards" && i + 1 < argc) {
            const std::string n = argv[++i];
            boards = n.size() <= 2 && n.find_first_not_of("0123456789") == std::string::npos ? std::stoi(n) : 0;
            if (boards < 1 || boards > 10) {
                std::fprintf(stderr, "emu_board_host: --boards wants 1 to 10, got \"%s\"\n", n.c_str());
                return 2;
            }
        } else {
            proxy = a;
        }
    }
    std::vector<std::unique_ptr<emu::AdderCircuit>> circuits;
    std::vector<std::unique_ptr<emu::Adapter>> adapters;
    emu::HidService service;
    for (int b = 0; b < boards; ++b) {
        circuits.push_back(std::make_unique<emu::AdderCircuit>());
        adapters.push_back(std::make_unique<emu::Adapter>(emu::Adapter::Kind::Hid, circuits.back().get()));
        service.add(adapters.back().get());
    }
    std::printf("export LD_PRELOAD=%s\nexport BRIXO_EMU_HID_SOCKET=%s\n", proxy.c_str(), service.socketPath().c_str());
    std::fflush(stdout);
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    for (int b = 0; b < boards; ++b)
        std::printf("adapter %d: %zu FPGA pieces received, end step %s\n", b,
                    adapters[std::size_t(b)]->fpgaPieceSizes.size(),
                    adapters[std::size_t(b)]->fpgaDone ? "sent" : "not sent");
    return 0;
}
