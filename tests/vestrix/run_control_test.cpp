// Connection, the lab registers and run control through vestrix and tamro down to the
// emulated adapter and lab circuit.
#include "lab_fixture.h"
#include "support/emu_lab_server.h"

#include <cstring>
#include <functional>
#include <string>

using Sel = emu::LabCircuit::Selector;

TEST_F(Lab, ScanListsTheAdapterAndCountsIt)
{
    int32_t count = 0;
    std::memcpy(&count, list + VESTRIX_LIST_COUNT_OFFSET, 4);
    EXPECT_EQ(count, 1);
    EXPECT_STREQ(list, "TA-HID");
}

TEST_F(Lab, FirmwareDateDecidesTheConnection)
{
    struct Case {
        const char *date;
        bool supported;
        uint8_t bcd[4];
        int code;
    };
    const Case cases[] = {
        {"2015.12.09", true, {}, VESTRIX_FIRMWARE_TOO_OLD},
        {"2015-12-10", true, {}, VESTRIX_OK},
        {"2016.01.01", true, {}, VESTRIX_OK},
        {"2015.11.30", true, {}, VESTRIX_FIRMWARE_TOO_OLD},
        {"2014.12.31", true, {}, VESTRIX_FIRMWARE_TOO_OLD},
        {"2015.13.01", true, {}, VESTRIX_OK}, // a month past 12 counts as later, as the check reads it
        // An adapter without the information record: the version reply's build time counts.
        {nullptr, false, {0x20, 0x15, 0x12, 0x09}, VESTRIX_FIRMWARE_TOO_OLD},
        {nullptr, false, {0x20, 0x15, 0x12, 0x10}, VESTRIX_OK},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.date ? c.date : "version reply");
        adapter.info.supported = c.supported;
        if (c.date)
            adapter.info.date = c.date;
        else
            std::memcpy(adapter.version.buildTime, c.bcd, 4);
        EXPECT_EQ(ConnectDevice(0), c.code);
        // A refused adapter is left unselected: the next register call has no device.
        const unsigned char one = 1;
        EXPECT_EQ(SetSwitchStatus(&one, 1), c.code == VESTRIX_OK ? VESTRIX_OK : VESTRIX_NO_DEVICE_SELECTED);
        EXPECT_TRUE(hostui::takeCollected().empty()); // ConnectDevice never shows a box
        EXPECT_TRUE(balanced());
    }
}

// A remote-lab server answers scans only: it is connected without the adapter's version and
// firmware check, which an adapter beside it still gets.
TEST_F(Lab, RemoteEntryConnectsWithoutTheAdapterCheck)
{
    emu::LabServer server{&circuit};
    adapter.info.date = "2015.12.09"; // the USB adapter stays refused
    ASSERT_EQ(ScanTAMRO(list, "127.0.0.1", server.port()), VESTRIX_OK);
    ASSERT_STREQ(list, "Lantrovex");
    clear();
    ASSERT_EQ(ConnectDevice(0), VESTRIX_OK);
    EXPECT_EQ(TamroSelectedTransport(), TAMRO_TRANSPORT_NETWORK);
    EXPECT_TRUE(adapter.frames.empty());
    const unsigned char one = 1;
    EXPECT_EQ(SetSwitchStatus(&one, 1), VESTRIX_OK);
    EXPECT_EQ(circuit.inputValue(Sel::Switches), 1u);

    EXPECT_EQ(ConnectDevice(1), VESTRIX_FIRMWARE_TOO_OLD);
    EXPECT_EQ(TamroSelectedTransport(), TAMRO_TRANSPORT_NONE);
}

TEST_F(Lab, ConnectOutsideTheListTouchesNoAdapter)
{
    EXPECT_EQ(ConnectDevice(1), VESTRIX_NO_ADAPTER);
    EXPECT_EQ(ConnectDevice(-3), VESTRIX_NO_ADAPTER);
    EXPECT_TRUE(adapter.frames.empty());
    EXPECT_EQ(adapter.opens, 0);
}

TEST_F(Lab, ConnectReturnsTheVersionQueryFailure)
{
    adapter.queueFault(emu::Fault(emu::Fault::NoReply), 0x0F);
    EXPECT_EQ(ConnectDevice(0), VESTRIX_NO_REPLY);
    // Only the information query would have followed; it did not.
    for (const auto &f : adapter.frames)
        EXPECT_NE(f[2], 0x17);
}

TEST_F(Lab, MessageSwitchUsesTheLowByteAndReachesTamro)
{
    circuit.setRunStatus(3);
    EXPECT_EQ(EnableDLLMessage(0x100), 1);
    EXPECT_EQ(RunContinuous(1), VESTRIX_PREVIOUS_STEP_RUNNING);
    EXPECT_TRUE(hostui::takeCollected().empty());

    int window = 0;
    SetParentWnd(&window);
    EXPECT_EQ(EnableDLLMessage(1), 0);
    EXPECT_EQ(RunContinuous(1), VESTRIX_PREVIOUS_STEP_RUNNING);
    auto boxes = hostui::takeCollected();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "上一步运行尚未结束。");
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_EQ(boxes[0].owner, &window);

    // The language changes nothing about that box; tamro's own boxes now show as well.
    SetDllLanguage(1);
    EXPECT_EQ(RunInstructionStep(0), VESTRIX_PREVIOUS_STEP_RUNNING);
    boxes = hostui::takeCollected();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "上一步运行尚未结束。");
    circuit.linkStatus = 0x03;
    EXPECT_EQ(ResetLab(), VESTRIX_FPGA_LINK_FAILED);
    boxes = hostui::takeCollected();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "连接FPGA失败！");
}

TEST_F(Lab, PanelRegistersReachTheCircuit)
{
    const unsigned char switches[5] = {0x21, 0x43, 0x65, 0x87, 0xF9}; // 36 bits: high nibble dropped
    const unsigned char keys[3] = {0xAB, 0xCD, 0x0E};
    struct Case {
        std::function<int()> call;
        Sel selector;
        int bits;
        uint64_t value;
    };
    const Case cases[] = {
        {[&] { return SetSwitchStatus(switches, 36); }, Sel::Switches, 36, 0x987654321ull},
        {[&] { return SetButtonStatus(keys, 20); }, Sel::Keys, 20, 0xECDABull},
        {[] { return SetVirtualMode(1); }, Sel::VirtualMode, 4, 0x0F},
        {[] { return SetVirtualMode(0x100); }, Sel::VirtualMode, 4, 0x00},
        {[] { return SetVirtualMode(0); }, Sel::VirtualMode, 4, 0x00},
        {[] { return ResetLab(); }, Sel::ResetSignals, 4, 1},
    };
    for (const Case &c : cases) {
        clear();
        ASSERT_EQ(c.call(), VESTRIX_OK);
        ASSERT_EQ(circuit.scans().size(), 1u);
        EXPECT_EQ(circuit.scans()[0].instruction, c.selector);
        EXPECT_EQ(circuit.input(c.selector).bits, c.bits);
        EXPECT_EQ(circuit.inputValue(c.selector), c.value);
        EXPECT_TRUE(balanced());
    }
    EXPECT_EQ(circuit.labResets(), 1);
}

TEST_F(Lab, PanelOutputsComeBackFromTheirRegisters)
{
    circuit.setLeds({0x01, 0x02, 0x03, 0x04, 0x0F});
    circuit.setDigits({0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07});
    circuit.setCpuData({0xEF, 0xBE, 0xAD, 0xDE});
    circuit.setSignals({0x5A, 0x03});
    struct Case {
        std::function<int(int, void *)> read;
        int bits;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {GetLedStatus, 36, {0x01, 0x02, 0x03, 0x04, 0x0F}},
        {GetHexStatus, 64, {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07}},
        {ReadCpuData, 32, {0xEF, 0xBE, 0xAD, 0xDE}},
        {ReadSignalData, 10, {0x5A, 0x03}},
    };
    for (const Case &c : cases) {
        uint8_t buffer[16];
        std::memset(buffer, 0xEE, sizeof buffer);
        ASSERT_EQ(c.read(c.bits, buffer), VESTRIX_OK);
        EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + c.expected.size()), c.expected);
        EXPECT_EQ(buffer[c.expected.size()], 0xEE);
    }
    const std::vector<int> expected = {Sel::Leds, Sel::Digits, Sel::CpuData, Sel::ResetSignals};
    EXPECT_EQ(selectors(), expected);
}

TEST_F(Lab, WithoutAnAdapterEveryRegisterCallSaysSo)
{
    SelectDevice(-1);
    uint8_t buffer[8] = {};
    EXPECT_EQ(GetLedStatus(36, buffer), VESTRIX_NO_DEVICE_SELECTED);
    EXPECT_EQ(SetVirtualMode(1), VESTRIX_NO_DEVICE_SELECTED);
    EXPECT_EQ(RunMicroInstructionStep(), VESTRIX_NO_DEVICE_SELECTED);
    EXPECT_EQ(ReadMM(0, 1, reinterpret_cast<int32_t *>(buffer), 1), VESTRIX_NO_DEVICE_SELECTED);
    EXPECT_EQ(ResetCMScanChain(), VESTRIX_NO_DEVICE_SELECTED);
    EXPECT_TRUE(circuit.scans().empty());
}

// Every guarded operation: what it sends when idle, that it sends nothing past the status
// read while the CPU is busy, and that a failed status read is returned as it is.
TEST_F(Lab, RunIdleGuardTable)
{
    const uint32_t words[2] = {0x11111111, 0x22222222};
    uint32_t out[2];
    struct Case {
        const char *name;
        std::function<int()> call;
        std::vector<int> idle;
    };
    const Case cases[] = {
        {"micro-step", [] { return RunMicroInstructionStep(); }, {6, 5, 12, 12, 11, 11}},
        {"step", [] { return RunInstructionStep(0x40); }, {6, 4, 5, 11, 11}},
        {"breakpoint", [] { return RunWithBreakpoint(1, 0x80); }, {6, 4, 5, 11, 11}},
        {"continuous", [] { return RunContinuous(1); }, {6, 5}},
        {"WriteCM", [&] { return WriteCM(3, 2, words); }, {6, 12, 5, 12, 5}},
        {"ReadCM", [&] { return ReadCM(3, 2, out); }, {6, 12, 12, 12}},
        {"WriteMM", [&] { return WriteMM(3, 2, reinterpret_cast<const int32_t *>(words), 1); }, {6, 11, 11, 11, 11}},
        {"ReadMM", [&] { return ReadMM(3, 2, reinterpret_cast<int32_t *>(out), 1); }, {6, 11, 11, 11}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        circuit.setRunStatus(0);
        clear();
        EXPECT_EQ(c.call(), VESTRIX_OK);
        EXPECT_EQ(selectors(), c.idle);
        EXPECT_TRUE(balanced());
        for (uint8_t busy : {2, 3, 4, 5, 8}) {
            SCOPED_TRACE(int(busy));
            circuit.setRunStatus(busy);
            clear();
            EXPECT_EQ(c.call(), VESTRIX_PREVIOUS_STEP_RUNNING);
            EXPECT_EQ(selectors(), std::vector<int>{6});
            EXPECT_TRUE(balanced());
        }
        circuit.setRunStatus(0);
        clear();
        circuit.failScan = 0;
        EXPECT_EQ(c.call(), VESTRIX_FPGA_LINK_FAILED);
        EXPECT_EQ(selectors(), std::vector<int>{6});
        circuit.failScan = -1;
    }
    EXPECT_TRUE(hostui::takeCollected().empty()); // messages are off
}

TEST_F(Lab, RunTargetCarriesTheWordAndTwoModeBits)
{
    struct Case {
        std::function<int()> call;
        uint64_t target;
        uint8_t command;
    };
    const Case cases[] = {
        {[] { return RunWithBreakpoint(7, 0x12345678); }, 0x312345678ull, 2},
        {[] { return RunWithBreakpoint(2, int32_t(0xFFFFFFFF)); }, 0x2FFFFFFFFull, 2},
        {[] { return RunWithBreakpoint(4, 1); }, 0x000000001ull, 2},
        {[] { return RunInstructionStep(int32_t(0xCAFEBABE)); }, 0x0CAFEBABEull, 3},
    };
    for (const Case &c : cases) {
        clear();
        ASSERT_EQ(c.call(), VESTRIX_OK);
        EXPECT_EQ(circuit.input(Sel::RunTarget).bits, 34);
        EXPECT_EQ(circuit.inputValue(Sel::RunTarget), c.target);
        EXPECT_EQ(circuit.commands(), std::vector<uint8_t>{c.command});
    }
}

TEST_F(Lab, StoppingLooksForItsOwnKindOfRun)
{
    struct Case {
        const char *name;
        std::function<int()> call;
        uint8_t status;
        std::vector<uint8_t> commands;
    };
    const Case cases[] = {
        {"stop continuous while idle", [] { return RunContinuous(0); }, 0, {}},
        {"stop continuous during continuous", [] { return RunContinuous(0x100); }, 5, {6}},
        {"stop continuous during breakpoint run", [] { return RunContinuous(0); }, 2, {}},
        {"stop breakpoint during breakpoint run", [] { return StopRunWithBK(); }, 2, {6}},
        {"stop breakpoint during continuous", [] { return StopRunWithBK(); }, 5, {}},
        {"stop breakpoint while idle", [] { return StopRunWithBK(); }, 0, {}},
        {"reset during a run", [] { return ResetCpu(); }, 5, {1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        circuit.setRunStatus(c.status);
        clear();
        EXPECT_EQ(c.call(), VESTRIX_OK);
        EXPECT_EQ(circuit.commands(), c.commands);
    }
    // Nothing past the status read when there is nothing to stop.
    circuit.setRunStatus(0);
    clear();
    ASSERT_EQ(RunContinuous(0), VESTRIX_OK);
    EXPECT_EQ(selectors(), std::vector<int>{6});
    // The reset is not guarded and parks both chains.
    circuit.setRunStatus(2);
    clear();
    ASSERT_EQ(ResetCpu(), VESTRIX_OK);
    EXPECT_EQ(selectors(), (std::vector<int>{5, 12, 12, 11, 11}));
    EXPECT_EQ(circuit.runStatus(), 0);
}

TEST_F(Lab, StatusQueryReportsARunWithoutABox)
{
    EnableDLLMessage(1);
    for (uint8_t status : {0, 1, 2, 5, 15}) {
        circuit.setRunStatus(status);
        EXPECT_EQ(IsStopOnBK(), status ? VESTRIX_PREVIOUS_STEP_RUNNING : VESTRIX_OK);
    }
    EXPECT_TRUE(hostui::takeCollected().empty());
    // A failed status read is returned by all three status users.
    circuit.linkStatus = 0x00;
    EnableDLLMessage(0);
    EXPECT_EQ(IsStopOnBK(), VESTRIX_FPGA_LINK_FAILED);
    EXPECT_EQ(StopRunWithBK(), VESTRIX_FPGA_LINK_FAILED);
    EXPECT_EQ(RunContinuous(0), VESTRIX_FPGA_LINK_FAILED);
    EXPECT_TRUE(circuit.commands().empty());
}

TEST_F(Lab, ARunStaysBusyUntilTheCircuitFinishes)
{
    circuit.busyReads = 2;
    ASSERT_EQ(RunInstructionStep(5), VESTRIX_OK);
    EXPECT_EQ(IsStopOnBK(), VESTRIX_PREVIOUS_STEP_RUNNING);
    EXPECT_EQ(RunMicroInstructionStep(), VESTRIX_PREVIOUS_STEP_RUNNING); // second busy read
    EXPECT_EQ(IsStopOnBK(), VESTRIX_OK);
    EXPECT_EQ(RunMicroInstructionStep(), VESTRIX_OK);
}

// A step that fails ends the sequence there: its code comes back, nothing after it is sent,
// and the device of a chain operation is closed again.
TEST_F(Lab, CompoundOperationsStopAtTheFirstFailure)
{
    struct Case {
        const char *name;
        std::function<int()> call;
        size_t scans;
    };
    const Case cases[] = {
        {"reset", [] { return ResetCpu(); }, 5},
        {"micro-step", [] { return RunMicroInstructionStep(); }, 6},
        {"step", [] { return RunInstructionStep(1); }, 5},
        {"breakpoint", [] { return RunWithBreakpoint(0, 1); }, 5},
        {"continuous", [] { return RunContinuous(1); }, 2},
    };
    for (const Case &c : cases) {
        for (size_t k = 0; k < c.scans; ++k) {
            SCOPED_TRACE(std::string(c.name) + " fails at scan " + std::to_string(k));
            clear();
            circuit.failScan = int(k);
            EXPECT_EQ(c.call(), VESTRIX_FPGA_LINK_FAILED);
            EXPECT_EQ(circuit.scans().size(), k + 1);
            EXPECT_TRUE(balanced());
            circuit.failScan = -1;
            circuit.setRunStatus(0);
        }
    }
}
