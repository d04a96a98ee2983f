// The reader of a design's modules and ports, and the board's port conventions on what it read:
// any text is read or refused with a reason, and widths stay those of the declared ranges.
#include "labd/board_ports.h"
#include "labd/circuit.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::vector<labd::Module> modules;
    std::string error;
    if (!labd::readModules(text, modules, error)) {
        if (error.empty())
            __builtin_trap();
        return 0;
    }
    for (const labd::Module &m : modules) {
        labd::Board board;
        if (labd::boardPorts(m, false, board, error)) {
            for (const labd::BoardPort &p : board.outputs)
                if (p.port.width() < 1 || p.port.width() > lab::kMaxScanBits)
                    __builtin_trap();
            (void)board.json();
        } else if (error.empty()) {
            __builtin_trap();
        }
    }
    labd::topCandidates(modules);
    return 0;
}
