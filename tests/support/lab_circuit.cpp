#include "support/lab_circuit.h"

#include <algorithm>
#include <cstring>

namespace emu {

using lab::shiftOut;

LabCircuit::LabCircuit() : info_(32, 0), mainChain_(MainChainBits, false), controlChain_(ControlChainBitsOld, false) {}

void LabCircuit::setChipVersion(uint32_t version)
{
    for (int i = 0; i < 4; ++i)
        info_[size_t(i)] = uint8_t(version >> (8 * i));
}

void LabCircuit::setChipText(const char *text, uint8_t byte31)
{
    const lab::Bytes block = lab::chipInfoBlock(chipVersion(), text, byte31);
    std::copy(block.begin() + lab::kChipTextOffset, block.end(), info_.begin() + lab::kChipTextOffset);
}

uint32_t LabCircuit::chipVersion() const
{
    return uint32_t(info_[0]) | uint32_t(info_[1]) << 8 | uint32_t(info_[2]) << 16 | uint32_t(info_[3]) << 24;
}

int LabCircuit::controlChainBits() const
{
    return chipVersion() >= WideControlChainVersion ? ControlChainBitsNew : ControlChainBitsOld;
}

void LabCircuit::setRunStatus(uint8_t status, int reads)
{
    status_ = status & 0x0F;
    statusReads_ = reads;
}

uint64_t LabCircuit::inputValue(Selector selector) const { return inputs_[selector].value(); }

int LabCircuit::scanCount(uint8_t instruction) const
{
    int n = 0;
    for (const Scan &s : scans_)
        n += s.instruction == instruction;
    return n;
}

void LabCircuit::clearRecords()
{
    scans_.clear();
    commands_.clear();
    strobes.clear();
    labResets_ = 0;
    for (Input &i : inputs_)
        i = Input();
}

// A shift register: bit 0 leaves first, the input enters at the top.
void LabCircuit::shiftChain(std::vector<bool> &chain, const uint8_t *in, int bits, uint8_t *out)
{
    const int length = int(chain.size());
    std::vector<bool> stream(chain);
    for (int n = 0; n < bits; ++n)
        stream.push_back(in && lab::bitAt(in, n));
    if (out)
        for (int n = 0; n < bits; ++n)
            lab::setBitAt(out, n, stream[size_t(n)]);
    for (int j = 0; j < length; ++j)
        chain[size_t(j)] = stream[size_t(bits + j)];
}

uint32_t LabCircuit::chainField(const std::vector<bool> &chain, int from, int count) const
{
    uint32_t v = 0;
    for (int i = 0; i < count && from + i < int(chain.size()); ++i)
        v |= uint32_t(chain[size_t(from + i)]) << i;
    return v;
}

void LabCircuit::setChainField(std::vector<bool> &chain, int from, int count, uint32_t value)
{
    for (int i = 0; i < count && from + i < int(chain.size()); ++i)
        chain[size_t(from + i)] = (value >> i) & 1;
}

uint32_t LabCircuit::controlChainWord() const { return chainField(controlChain_, 0, 32); }
uint32_t LabCircuit::controlChainAddress() const
{
    return chainField(controlChain_, 32, int(controlChain_.size()) - 32);
}
uint32_t LabCircuit::mainChainData() const { return chainField(mainChain_, 0, 32); }
uint32_t LabCircuit::mainChainAddress() const { return chainField(mainChain_, 32, 32); }
uint8_t LabCircuit::mainChainStrobes() const { return uint8_t(chainField(mainChain_, 64, 2)); }

void LabCircuit::setControlChain(uint32_t word, uint32_t address)
{
    controlChain_.assign(size_t(controlChainBits()), false);
    setChainField(controlChain_, 0, 32, word);
    setChainField(controlChain_, 32, int(controlChain_.size()) - 32, address);
}

void LabCircuit::setMainChain(uint32_t data, uint32_t address, uint8_t s)
{
    setChainField(mainChain_, 0, 32, data);
    setChainField(mainChain_, 32, 32, address);
    setChainField(mainChain_, 64, 2, s);
}

void LabCircuit::command(uint8_t value)
{
    commands_.push_back(value);
    switch (value) {
    case 1: // reset the lab CPU
    case 6: // stop
        status_ = 0;
        statusReads_ = 0;
        break;
    case 2:
    case 3:
    case 4:
    case 5:
        if (busyReads != 0) {
            status_ = value;
            statusReads_ = busyReads;
        }
        break;
    case 8: { // store the control chain's word at its address
        controlMemory[controlChainAddress()] = controlChainWord();
        break;
    }
    default: break;
    }
}

uint8_t LabCircuit::readStatus()
{
    const uint8_t s = status_;
    if (statusReads_ > 0 && --statusReads_ == 0)
        status_ = 0;
    return s;
}

uint8_t LabCircuit::scan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out)
{
    Scan record{instruction, bits, {}};
    if (in && bits > 0) {
        record.in.assign(in, in + (bits + 7) / 8);
        if (bits % 8)
            record.in.back() &= uint8_t((1u << (bits % 8)) - 1);
    }
    scans_.push_back(record);
    if (failScan >= 0 && int(scans_.size()) - 1 == failScan) {
        shiftOut({}, bits, out);
        return 0x03;
    }
    if (bits <= 0)
        return linkStatus;

    switch (instruction) {
    case CpuData: shiftOut(cpuData_, bits, out); break;
    case Digits: shiftOut(digits_, bits, out); break;
    case Leds: shiftOut(leds_, bits, out); break;
    case ChipInfo: shiftOut(info_, bits, out); break;
    case ResetSignals: {
        // Writing the value 1 resets the lab; the signals are shifted out either way.
        Input &slot = inputs_[ResetSignals];
        slot.data = record.in;
        slot.data.resize(size_t((bits + 7) / 8), 0);
        slot.bits = bits;
        shiftOut(signals_, bits, out);
        if ((slot.data[0] & 0x0F) == 1 && bits <= 8)
            ++labResets_;
        break;
    }
    case VirtualMode:
    case RunTarget:
    case Keys:
    case Switches: inputs_[instruction].shift(in, bits, out); break;
    case RunCommand:
        inputs_[instruction].shift(in, bits, out);
        command(inputs_[RunCommand].data[0] & 0x0F);
        break;
    case RunStatus: {
        Bytes s{readStatus()};
        shiftOut(s, bits, out);
        break;
    }
    case MainChain: {
        // Capture: a read strobe left by the scan before loads the addressed word.
        if (mainChainStrobes() & 2)
            setChainField(mainChain_, 0, 32, mainMemory[mainChainAddress()]);
        shiftChain(mainChain_, in, bits, out);
        const uint8_t s = mainChainStrobes();
        strobes.push_back(s);
        if (s & 1)
            mainMemory[mainChainAddress()] = mainChainData();
        break;
    }
    case ControlChain: {
        if (int(controlChain_.size()) != controlChainBits())
            controlChain_.assign(size_t(controlChainBits()), false);
        // Capture: the word at the address the chain holds.
        setChainField(controlChain_, 0, 32, controlMemory[controlChainAddress()]);
        shiftChain(controlChain_, in, bits, out);
        break;
    }
    default: shiftOut({}, bits, out); break;
    }
    return linkStatus;
}

} // namespace emu
