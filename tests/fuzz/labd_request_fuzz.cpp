// brixo-labd's request reader: any body is read or refused, never taken past its end; what is
// read is a scan the circuit can take, and its answer stays within what the client can hold.
#include "labd/circuit.h"
#include "labd/request.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string body(reinterpret_cast<const char *>(data), size);
    labd::Request r;
    std::string error;
    if (!labd::readRequest(body, r, error)) {
        if (error.empty())
            __builtin_trap();
        return 0;
    }
    if (r.kind == labd::Request::Probe)
        return 0;
    if (r.bits < 0 || r.bits > lab::kMaxScanBits || r.data.size() != size_t(lab::bytesFor(r.bits)) ||
        r.instruction > 0x0F)
        __builtin_trap();
    if (r.bits % 8 && (r.data.back() >> (r.bits % 8)) != 0) // bits past the count are cleared
        __builtin_trap();
    const std::vector<uint8_t> out(r.data.size(), 0xA5);
    if (labd::scanAnswer(lab::kLinkGood, out, r.capture).size() > 1024)
        __builtin_trap();
    return 0;
}
