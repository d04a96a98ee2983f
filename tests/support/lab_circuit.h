// The emulated lab circuit: the on-chip debugger of a lab board's FPGA with its test
// registers, the lab CPU's run status and its two memories behind their scan chains. It
// stands behind an emulated adapter or lab server as their emu::ScanTarget.
//
// Register model. Output registers (CPU data 1, digits 3, LEDs 8, signals 10, chip
// information 14) shift out the value a test set, from bit 0 up, whatever width is asked for.
// Input registers (virtual mode 2, run target 4, run command 5, keys 7, switches 9, lab reset
// 10) keep exactly the bits shifted in (and the width) and shift out what they held before.
// The run status (6) shifts out the 4-bit status. The two memory chains (11, 12) are true
// shift registers of their fixed length (66; 41 or 48 bits by the chip version), so a scan of
// the wrong width misaligns their fields the way hardware would; each scan first captures
// (the memory word for the address left in the chain by the scan before), then shifts, then
// updates (main memory: the write strobe stores the data word; command 8 on register 5 stores
// the control chain's word at its address).
#pragma once
#include "support/scan_target.h"
#include "labd/circuit.h"

#include <cstdint>
#include <map>
#include <vector>

namespace emu {

class LabCircuit : public lab::Circuit {
public:
    using Bytes = std::vector<uint8_t>;

    static constexpr int MainChainBits = 66;
    static constexpr int ControlChainBitsOld = 41;
    static constexpr int ControlChainBitsNew = 48;
    static constexpr uint32_t WideControlChainVersion = 0x20220919;

    LabCircuit();

    uint8_t scan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out) override;

    // --- outputs a test sets (shifted out by the read registers) -----------------------
    void setCpuData(const Bytes &bits) { cpuData_ = bits; }
    void setDigits(const Bytes &bits) { digits_ = bits; }
    void setLeds(const Bytes &bits) { leds_ = bits; }
    void setSignals(const Bytes &bits) { signals_ = bits; }
    // The version word (bytes 0..3 of the information block), the text at bytes 20..30 and
    // byte 31 of the 256-bit information block.
    void setChipVersion(uint32_t version);
    void setChipText(const char *text, uint8_t byte31);
    void setInfoBlock(const Bytes &block32)
    {
        info_ = block32;
        info_.resize(32, 0);
    }
    uint32_t chipVersion() const;
    int controlChainBits() const;
    // Status byte of every scan reply; 0x01 is a good link, anything else makes tamro fail.
    uint8_t linkStatus = 0x01;
    // The scan with this index in scans() (counted from the last clearRecords) reports a bad
    // link (status 0x03) and changes nothing; -1: none. Lets a test fail one step of a sequence.
    int failScan = -1;

    // --- run status --------------------------------------------------------------------
    // After a run command the status reads busy for `busyReads` reads of register 6 (-1:
    // until stopped or reset). The busy status is the command (2 breakpoint run, 3 step, 4
    // micro-step, 5 continuous run).
    int busyReads = 0;
    // Sets the status directly: `status` for `reads` reads (-1: until a stop or reset).
    void setRunStatus(uint8_t status, int reads = -1);
    uint8_t runStatus() const { return status_; }

    // --- inputs that reached the circuit -----------------------------------------------
    using Input = lab::InputRegister;
    const Input &input(Selector selector) const { return inputs_[selector]; }
    uint64_t inputValue(Selector selector) const;                      // first 64 bits of input(selector)
    const std::vector<uint8_t> &commands() const { return commands_; } // run commands, in order
    int labResets() const { return labResets_; }

    // Every scan, in order.
    struct Scan {
        uint8_t instruction;
        int bits;
        Bytes in;
    };
    const std::vector<Scan> &scans() const { return scans_; }
    int scanCount(uint8_t instruction) const;
    void clearRecords();

    // --- memories ----------------------------------------------------------------------
    std::map<uint32_t, uint32_t> controlMemory;
    std::map<uint32_t, uint32_t> mainMemory;
    // The write/read strobe pair (bit 0 write, bit 1 read) of every main-chain update.
    std::vector<uint8_t> strobes;
    // Chain contents as their own fields.
    uint32_t controlChainWord() const;
    uint32_t controlChainAddress() const;
    uint32_t mainChainData() const;
    uint32_t mainChainAddress() const;
    uint8_t mainChainStrobes() const;
    void setControlChain(uint32_t word, uint32_t address);
    void setMainChain(uint32_t data, uint32_t address, uint8_t strobes);

private:
    void shiftChain(std::vector<bool> &chain, const uint8_t *in, int bits, uint8_t *out);
    void command(uint8_t value);
    uint8_t readStatus();
    uint32_t chainField(const std::vector<bool> &chain, int from, int count) const;
    void setChainField(std::vector<bool> &chain, int from, int count, uint32_t value);

    Bytes cpuData_, digits_, leds_, signals_, info_;
    Input inputs_[16];
    std::vector<uint8_t> commands_;
    int labResets_ = 0;
    std::vector<Scan> scans_;
    uint8_t status_ = 0;
    int statusReads_ = 0; // reads left before the status falls back to 0; -1 never
    std::vector<bool> mainChain_, controlChain_;
};

} // namespace emu
