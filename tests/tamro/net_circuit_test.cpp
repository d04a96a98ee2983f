// The remote-lab server and the USB adapter in front of one and the same emulated lab circuit:
// what one transport writes, the circuit holds and the other reads back.
#include "support/emu_adapter.h"
#include "support/emu_lab_server.h"
#include "support/lab_circuit.h"
#include "net_connection.h"

#include <hostui.h>
#include <tamro.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using emu::LabCircuit;
using Bytes = std::vector<uint8_t>;

class SharedCircuit : public ::testing::Test {
protected:
    void SetUp() override
    {
        emu::install();
        emu::attach(&adapter);
        hostui::setCollecting(true);
        EnableMessageShow(0);
        tamro::net::setReceiveLimitMs(2000);
        ASSERT_EQ(ScanDevice(list, "127.0.0.1", server.port()), TAMRO_OK);
        ASSERT_STREQ(list, "Lantrovex");
        ASSERT_STREQ(list + TAMRO_LIST_SLOT_SIZE, "TA-HID");
    }
    void TearDown() override
    {
        SelectDevice(-1);
        hostui::setCollecting(false);
        emu::uninstall();
    }
    static constexpr int kNetwork = 0, kHid = 1;

    LabCircuit circuit;
    emu::LabServer server{&circuit};
    emu::Adapter adapter{emu::Adapter::Kind::Hid, &circuit};
    char list[TAMRO_LIST_SIZE] = {};
};

TEST_F(SharedCircuit, RegisterWrittenOverTheNetworkReachesTheCircuit)
{
    ASSERT_EQ(SelectDevice(kNetwork), TAMRO_OK);
    const Bytes switches = {0x5A, 0xC3, 0x01, 0x80, 0x0F}; // 36 bits, the top nibble is unused
    ASSERT_EQ(WriteRegister(LabCircuit::Switches, switches.data(), 36), TAMRO_OK);
    EXPECT_EQ(circuit.input(LabCircuit::Switches).bits, 36);
    EXPECT_EQ(circuit.inputValue(LabCircuit::Switches), 0xF8001C35AULL);
    ASSERT_FALSE(circuit.scans().empty());
    EXPECT_EQ(circuit.scans().back().instruction, LabCircuit::Switches);

    const Bytes keys = {0x21, 0x43, 0x05}; // 20 bits
    ASSERT_EQ(WriteRegister(LabCircuit::Keys, keys.data(), 20), TAMRO_OK);
    EXPECT_EQ(circuit.inputValue(LabCircuit::Keys), 0x54321ULL);
}

TEST_F(SharedCircuit, OutputRegistersReadBackOverTheNetwork)
{
    ASSERT_EQ(SelectDevice(kNetwork), TAMRO_OK);
    circuit.setLeds({0x81, 0x42, 0x24, 0x18, 0x0A});
    unsigned char leds[5] = {};
    ASSERT_EQ(ReadRegister(LabCircuit::Leds, 36, leds), TAMRO_OK);
    EXPECT_EQ(Bytes(leds, leds + 5), (Bytes{0x81, 0x42, 0x24, 0x18, 0x0A}));

    circuit.setDigits({1, 2, 3, 4, 5, 6, 7, 8});
    unsigned char digits[8] = {};
    ASSERT_EQ(ReadRegister(LabCircuit::Digits, 64, digits), TAMRO_OK);
    EXPECT_EQ(Bytes(digits, digits + 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));

    circuit.linkStatus = 0x03; // a bad link fails a write over the network as over USB
    const unsigned char one[1] = {1};
    EXPECT_EQ(WriteRegister(LabCircuit::VirtualMode, one, 1), TAMRO_FPGA_LINK_FAILED);
}

TEST_F(SharedCircuit, EachTransportReadsWhatTheOtherWrote)
{
    const Bytes first = {0x11, 0x22, 0x33, 0x44, 0x05};
    ASSERT_EQ(SelectDevice(kNetwork), TAMRO_OK);
    ASSERT_EQ(WriteRegister(LabCircuit::Switches, first.data(), 36), TAMRO_OK);

    // An input register shifts out what it held: the USB adapter sees the network's write.
    ASSERT_EQ(SelectDevice(kHid), TAMRO_OK);
    const Bytes second = {0x99, 0x88, 0x77, 0x66, 0x0A};
    unsigned char held[5] = {};
    ASSERT_EQ(OpenDevice(), TAMRO_OK);
    ASSERT_EQ(BSC_Sample_Preload(LabCircuit::Switches, 36, second.data(), held, 1), TAMRO_OK);
    CloseDevice();
    EXPECT_EQ(Bytes(held, held + 5), first);

    ASSERT_EQ(SelectDevice(kNetwork), TAMRO_OK);
    unsigned char back[5] = {};
    ASSERT_EQ(BSC_Sample_Preload(LabCircuit::Switches, 36, first.data(), back, 1), TAMRO_OK);
    EXPECT_EQ(Bytes(back, back + 5), second);
}

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
