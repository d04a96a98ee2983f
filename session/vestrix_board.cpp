#include "vestrix_board.h"

#include <vestrix.h>

namespace brixo {

std::recursive_mutex &vestrixMutex()
{
    static std::recursive_mutex m;
    return m;
}

namespace {
bool failed(Readback &r, int code, Readback::Stage stage)
{
    r.code = code;
    r.stage = stage;
    return code != 0;
}
} // namespace

int VestrixBoard::enablePanelInput()
{
    std::lock_guard<std::recursive_mutex> lock(vestrixMutex());
    return SetVirtualMode(1);
}

Readback VestrixBoard::doStep(const Inputs &in)
{
    std::lock_guard<std::recursive_mutex> lock(vestrixMutex());
    Readback r;
    if (panelInputEachStep_ && failed(r, SetVirtualMode(1), Readback::PanelInput))
        return r;
    const std::vector<std::uint8_t> sw = BoardLayout::pack(in.switches, BoardLayout::switchBits);
    if (failed(r, SetSwitchStatus(sw.data(), BoardLayout::switchBits), Readback::Switches))
        return r;
    const auto writeKeys = [&r](std::uint32_t keys) {
        const std::vector<std::uint8_t> k = BoardLayout::pack(keys, BoardLayout::keyBits);
        return !failed(r, SetButtonStatus(k.data(), BoardLayout::keyBits), Readback::Keys);
    };
    if (!writeKeys(in.keys))
        return r;
    for (int key = 0; key < BoardLayout::keys; ++key) {
        if (!((in.pulse >> key) & 1))
            continue;
        if (!writeKeys(in.keys | (1u << key)) || !writeKeys(in.keys))
            return r;
    }
    readInto(in.reads, r);
    return r;
}

Readback VestrixBoard::doRead(const Reads &reads)
{
    std::lock_guard<std::recursive_mutex> lock(vestrixMutex());
    Readback r;
    readInto(reads, r);
    return r;
}

bool VestrixBoard::readInto(const Reads &reads, Readback &r)
{
    if (reads.leds) {
        std::uint8_t leds[BoardLayout::bytesFor(BoardLayout::ledBits)] = {};
        if (failed(r, GetLedStatus(BoardLayout::ledBits, leds), Readback::Leds))
            return false;
        r.leds = BoardLayout::unpack(leds, BoardLayout::ledBits);
        r.hasLeds = true;
    }
    if (reads.digits) {
        if (failed(r, GetHexStatus(BoardLayout::digitBits, r.digits.data()), Readback::Digits))
            return false;
        r.hasDigits = true;
    }
    if (reads.cpuBits >= 0) {
        if (reads.cpuBits > BoardLayout::cpuDataBits) {
            // One scan carries no more: a wider read would come back corrupt, so none is sent.
            failed(r, VESTRIX_REQUEST_TOO_LARGE, Readback::CpuData);
            return false;
        }
        // One byte more than the bits need: a read of no bits still fills one.
        std::vector<std::uint8_t> cpu(std::size_t(BoardLayout::bytesFor(reads.cpuBits)) + 1, 0);
        if (failed(r, ReadCpuData(reads.cpuBits, cpu.data()), Readback::CpuData))
            return false;
        cpu.resize(std::size_t(BoardLayout::bytesFor(reads.cpuBits)));
        r.cpuData = std::move(cpu);
        r.cpuBits = reads.cpuBits;
    }
    r.stage = Readback::Done;
    return true;
}

} // namespace brixo
