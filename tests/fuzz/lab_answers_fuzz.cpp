// The lab server's answers as the program and brixo-cli read them from any server: the caller's
// place, the boards and a download's progress are read or refused, and what is read stays in
// range (a position that is no place, a download past its total, a held board with no id that
// could go into a path).
#include "lab_client.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace brixo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string body(reinterpret_cast<const char *>(data), size);
    LabMe me;
    if (parseLabMe(body, me)) {
        if (me.position < 0 || me.secondsLeft < -1 ||
            (me.state == "holding" && (me.board.empty() || me.board.find('/') != std::string::npos)))
            __builtin_trap();
    }
    std::vector<LabBoardInfo> boards;
    if (parseLabBoards(body, boards))
        for (const LabBoardInfo &b : boards)
            if (b.id.empty() || b.queue < 0)
                __builtin_trap();
    LabConfigureState s;
    if (parseLabConfigure(body, s) && (s.done < 0 || s.done > s.total))
        __builtin_trap();
    LabUrl url;
    std::string why;
    if (parseLabUrl(body, url, why) && (url.host.empty() || url.port < 1 || url.port > 65535))
        __builtin_trap();
    return 0;
}
