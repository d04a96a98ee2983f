// The step route's JSON, read by brixo-labd from any client and by the program from any server:
// a request is read or refused with a reason, and what is read fits the board's registers; an
// answer is read or refused, and what is read writes back to the same values.
#include "step_json.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace brixo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string body(reinterpret_cast<const char *>(data), size);
    StepRequest r;
    std::string error;
    if (parseStepRequest(body, r, error)) {
        if (r.switches > BoardLayout::mask(BoardLayout::switchBits) ||
            r.keys > BoardLayout::mask(BoardLayout::keyBits) || r.pulse > BoardLayout::mask(BoardLayout::keyBits) ||
            r.cycles > kMaxStepCycles)
            __builtin_trap();
    } else if (error.empty()) {
        __builtin_trap();
    }
    StepAnswer a;
    if (parseStepAnswer(body, a, error)) {
        if (a.cpuBits > BoardLayout::cpuDataBits || a.cpuData.size() > std::size_t(BoardLayout::bytesFor(a.cpuBits)))
            __builtin_trap();
        StepAnswer back;
        if (!parseStepAnswer(stepAnswerJson(a, a.cpuBits), back, error) || back.leds != a.leds ||
            back.digits != a.digits || back.cpuData != a.cpuData || back.cycles != a.cycles)
            __builtin_trap();
    }
    BoardDescription b;
    if (parseBoardJson(body, b)) {
        BoardDescription again;
        if (!parseBoardJson(boardJson(b), again) || boardJson(again) != boardJson(b))
            __builtin_trap();
    }
    (void)errorOf(body);
    return 0;
}
