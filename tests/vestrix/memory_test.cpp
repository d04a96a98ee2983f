// The control and main memories through their scan chains, down to the emulated circuit's
// true shift registers.
#include "lab_fixture.h"

#include <cstring>
#include <functional>
#include <string>

using Sel = emu::LabCircuit::Selector;

namespace {

std::vector<int> widths(const emu::LabCircuit &c, uint8_t selector)
{
    std::vector<int> out;
    for (const auto &s : c.scans())
        if (s.instruction == selector)
            out.push_back(s.bits);
    return out;
}

} // namespace

TEST_F(Lab, ControlChainLengthFollowsTheChipVersion)
{
    const uint32_t word = 0xA5C3E1F0;
    ASSERT_EQ(WriteCM(0x1FF, 1, &word), VESTRIX_OK);
    const auto &first = circuit.scans()[1];
    EXPECT_EQ(first.instruction, Sel::ControlChain);
    EXPECT_EQ(first.bits, 41);
    EXPECT_EQ(first.in, (std::vector<uint8_t>{0xF0, 0xE1, 0xC3, 0xA5, 0xFF, 0x01}));
    EXPECT_EQ(circuit.scans()[2].instruction, Sel::RunCommand);
    EXPECT_EQ(circuit.scans()[2].bits, 4);
    EXPECT_EQ(circuit.scans()[2].in, std::vector<uint8_t>{8});
    EXPECT_EQ(circuit.controlMemory[0x1FF], word);

    // A version just before the wide chain keeps 41 bits; from it on, 48.
    for (uint32_t version : {0x20220918u, 0x20220919u, 0x20240101u}) {
        SCOPED_TRACE(version);
        circuit.setChipVersion(version);
        char text[VESTRIX_CHIP_TEXT_SIZE];
        unsigned char kind;
        ASSERT_EQ(ShowChipInfo(text, &kind), VESTRIX_OK);
        EXPECT_EQ(uint32_t(ver_FPGA), version);
        const int bits = version >= 0x20220919u ? 48 : 41;
        clear();
        ASSERT_EQ(ResetCMScanChain(), VESTRIX_OK);
        EXPECT_EQ(widths(circuit, Sel::ControlChain), (std::vector<int>{bits, bits}));
    }
}

TEST_F(Lab, ControlMemoryRoundTripsAtBothChainLengths)
{
    for (uint32_t version : {0u, 0x20220919u}) {
        SCOPED_TRACE(version);
        circuit.setChipVersion(version);
        ver_FPGA = int32_t(version);
        circuit.setControlChain(0x13572468, 0x0AB);
        const uint32_t words[5] = {0x00000001, 0xDEADBEEF, 0x80000000, 0x7FFFFFFF, 0x0F0F0F0F};
        const int base = version ? 0x3FE : 0x1FB; // only the wide chain reaches past 0x1FF
        ASSERT_EQ(WriteCM(base, 5, words), VESTRIX_OK);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(circuit.controlMemory[uint32_t(base + i)], words[i]) << i;

        circuit.setControlChain(0x13572468, 0x0AB);
        circuit.controlMemory[0x0AB] = 0x13572468;
        uint32_t back[6];
        std::memset(back, 0xEE, sizeof back);
        clear();
        ASSERT_EQ(ReadCM(base, 5, back), VESTRIX_OK);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(back[i], words[i]) << i;
        EXPECT_EQ(back[5], 0xEEEEEEEEu);
        // status read, the first request, four more, the old content put back
        EXPECT_EQ(circuit.scanCount(Sel::ControlChain), 6);
        EXPECT_EQ(circuit.controlChainAddress(), 0x0ABu);
        EXPECT_EQ(circuit.controlChainWord(), 0x13572468u);
        EXPECT_TRUE(circuit.commands().empty()); // a read stores nothing
        EXPECT_TRUE(balanced());
    }
}

TEST_F(Lab, MainMemoryRoundTripsWithAStep)
{
    for (int step : {1, 4, -2}) {
        SCOPED_TRACE(step);
        clear();
        const int32_t words[4] = {0x01020304, -1, 0, int32_t(0x80000001)};
        ASSERT_EQ(WriteMM(0x1000, 4, words, step), VESTRIX_OK);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(int32_t(circuit.mainMemory[uint32_t(0x1000 + i * step)]), words[i]);
        // strobe on, then off, for each word; nothing else was stored
        EXPECT_EQ(circuit.strobes, (std::vector<uint8_t>{1, 0, 1, 0, 1, 0, 1, 0}));
        EXPECT_EQ(circuit.mainChainStrobes(), 0);

        int32_t back[4] = {};
        clear();
        ASSERT_EQ(ReadMM(0x1000, 4, back, step), VESTRIX_OK);
        EXPECT_EQ(std::vector<int32_t>(back, back + 4), std::vector<int32_t>(words, words + 4));
        EXPECT_EQ(circuit.scanCount(Sel::MainChain), 5);
        for (uint8_t s : circuit.strobes)
            EXPECT_EQ(s & 1, 0); // a read never stores
        EXPECT_TRUE(balanced());
    }
}

TEST_F(Lab, PipelinedReadsKeepEachWordWithItsAddress)
{
    for (uint32_t a = 0; a < 64; ++a)
        circuit.mainMemory[a] = 0xC0DE0000 | a;
    circuit.setMainChain(0x55555555, 0x777, 0);
    int32_t back[8];
    ASSERT_EQ(ReadMM(5, 8, back, 3), VESTRIX_OK);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(uint32_t(back[i]), 0xC0DE0000u | uint32_t(5 + 3 * i)) << i;
    // The chain is left with what it held before, its data word refreshed by the last capture.
    EXPECT_EQ(circuit.mainChainAddress(), 0x777u);
}

TEST_F(Lab, OneWordReadMakesExactlyTwoMainChainScans)
{
    circuit.mainMemory[42] = 0x2A2A2A2A;
    int32_t word = 0;
    ASSERT_EQ(ReadMM(42, 1, &word, 1), VESTRIX_OK);
    EXPECT_EQ(word, 0x2A2A2A2A);
    EXPECT_EQ(circuit.scanCount(Sel::MainChain), 2);
    const auto &request = circuit.scans()[1];
    EXPECT_EQ(request.bits, 66);
    EXPECT_EQ(request.in, (std::vector<uint8_t>{0, 0, 0, 0, 42, 0, 0, 0, 2}));
}

TEST_F(Lab, ReadsOfNothingSendNothingAndLeaveTheBuffer)
{
    uint8_t buffer[8];
    std::memset(buffer, 0xEE, sizeof buffer);
    for (int count : {0, -1, -1000}) {
        EXPECT_EQ(ReadCM(0, count, buffer), VESTRIX_OK);
        EXPECT_EQ(ReadMM(0, count, reinterpret_cast<int32_t *>(buffer), 1), VESTRIX_OK);
    }
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 8), std::vector<uint8_t>(8, 0xEE));
    EXPECT_TRUE(adapter.frames.empty());
    EXPECT_TRUE(circuit.scans().empty());
}

TEST_F(Lab, ParkingKeepsTheChainsContent)
{
    circuit.setMainChain(0x12345678, 0x9ABC, 1);
    circuit.setControlChain(0xFEDCBA98, 0x155);
    clear();
    ASSERT_EQ(ResetMMScanChain(), VESTRIX_OK);
    ASSERT_EQ(ResetCMScanChain(), VESTRIX_OK);
    EXPECT_EQ(circuit.mainChainData(), 0x12345678u);
    EXPECT_EQ(circuit.mainChainAddress(), 0x9ABCu);
    EXPECT_EQ(circuit.mainChainStrobes(), 0); // parked without its strobe
    EXPECT_EQ(circuit.controlChainAddress(), 0x155u);
    EXPECT_TRUE(circuit.mainMemory.empty()); // zeros shifted in store nothing
    EXPECT_EQ(selectors(), (std::vector<int>{11, 11, 12, 12}));
    EXPECT_EQ(circuit.scans()[0].in, std::vector<uint8_t>(9, 0));
    EXPECT_EQ(circuit.scans()[2].in, std::vector<uint8_t>(6, 0));
    EXPECT_TRUE(balanced());
}

// A failing scan ends the operation with its code; the device is closed; words already
// moved stay moved, the rest of the caller's buffer is untouched.
TEST_F(Lab, MemoryOperationsStopAtTheFirstFailure)
{
    const uint32_t words[3] = {0xAAAA0001, 0xAAAA0002, 0xAAAA0003};
    uint32_t back[3];
    struct Case {
        const char *name;
        std::function<int()> call;
        size_t scans;
    };
    const Case cases[] = {
        {"WriteCM", [&] { return WriteCM(0x10, 3, words); }, 7},
        {"ReadCM", [&] { return ReadCM(0x10, 3, back); }, 5},
        {"WriteMM", [&] { return WriteMM(0x10, 3, reinterpret_cast<const int32_t *>(words), 1); }, 7},
        {"ReadMM", [&] { return ReadMM(0x10, 3, reinterpret_cast<int32_t *>(back), 1); }, 5},
        {"ResetCMScanChain", [] { return ResetCMScanChain(); }, 2},
        {"ResetMMScanChain", [] { return ResetMMScanChain(); }, 2},
    };
    for (const Case &c : cases) {
        for (size_t k = 0; k < c.scans; ++k) {
            SCOPED_TRACE(std::string(c.name) + " fails at scan " + std::to_string(k));
            clear();
            std::memset(back, 0xEE, sizeof back);
            circuit.failScan = int(k);
            EXPECT_EQ(c.call(), VESTRIX_FPGA_LINK_FAILED);
            EXPECT_EQ(circuit.scans().size(), k + 1);
            EXPECT_TRUE(balanced());
            circuit.failScan = -1;
        }
    }
    // A read that failed at its third scan has the first word only.
    circuit.controlMemory[0x10] = 0x1234;
    circuit.controlMemory[0x11] = 0x5678;
    clear();
    std::memset(back, 0xEE, sizeof back);
    circuit.failScan = 3; // status, request 0x10, request 0x11 (word 0), request 0x12 fails
    EXPECT_EQ(ReadCM(0x10, 3, back), VESTRIX_FPGA_LINK_FAILED);
    EXPECT_EQ(back[0], 0x1234u);
    EXPECT_EQ(back[1], 0xEEEEEEEEu);
    EXPECT_EQ(back[2], 0xEEEEEEEEu);
    circuit.failScan = -1;
}

TEST_F(Lab, AnOpenThatFailsIsClosedAndReturned)
{
    for (auto park : {ResetCMScanChain, ResetMMScanChain}) {
        clear();
        adapter.queueFault(emu::Fault(emu::Fault::Status, 0xCC), 0x10); // the open handshake
        EXPECT_EQ(park(), VESTRIX_ADAPTER_BAD_CONNECT_DATA);
        EXPECT_TRUE(circuit.scans().empty());
        EXPECT_EQ(adapter.opens, 1);
        EXPECT_TRUE(balanced());
    }
}
