// The board data over vestrix and tamro down to the emulated adapter and lab circuit.
#include "board_fixture.h"

#include "board/boardthread.h"
#include "board/virtualcomponentdata.h"

#include <QSignalSpy>

namespace {

class BoardData : public BoardLink {
protected:
    void SetUp() override
    {
        BoardLink::SetUp();
        data.setSwitchCount(36);
        data.setKeyCount(20);
        data.setRedLedCount(18);
        data.setGreenLedCount(18);
        data.setDigitCount(8);
    }
    // The call's own result, once the board has answered it.
    int settled(int result)
    {
        EXPECT_TRUE(waitIdle(data));
        return result;
    }
    BoardThread board;
    VirtualComponentData data{board.worker()};
};

TEST_F(BoardData, SwitchReachesItsRegisterAfterPanelInput)
{
    QSignalSpy changed(&data, &VirtualComponentData::FPGAStateChanged);
    EXPECT_EQ(settled(data.SwitchChange(35, true)), 0);
    EXPECT_EQ(selectors(), (std::vector<int>{2, 9, 7, 8, 3, 1}));
    EXPECT_EQ(circuit.input(emu::LabCircuit::VirtualMode).data, (emu::Bytes{0x0F}));
    const auto& sw = circuit.input(emu::LabCircuit::Switches);
    EXPECT_EQ(sw.bits, 36);
    EXPECT_EQ(sw.data, (emu::Bytes{0, 0, 0, 0, 0x08}));
    EXPECT_EQ(circuit.input(emu::LabCircuit::Keys).bits, 20);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(MessageBox::shown().isEmpty());

    EXPECT_EQ(settled(data.KeyPressed(3)), 0);
    EXPECT_EQ(circuit.inputValue(emu::LabCircuit::Keys), 0x08u);
    EXPECT_EQ(settled(data.KeyReleased(3)), 0);
    EXPECT_EQ(circuit.inputValue(emu::LabCircuit::Keys), 0u);
    EXPECT_EQ(circuit.inputValue(emu::LabCircuit::Switches), 1ull << 35);
}

TEST_F(BoardData, SwitchesBeyondThePanelCountStayZero)
{
    data.setSwitchCount(4);
    settled(data.SwitchChange(3, true));
    settled(data.SwitchChange(10, true)); // not on this panel: ignored
    EXPECT_EQ(circuit.inputValue(emu::LabCircuit::Switches), 0x08u);
}

TEST_F(BoardData, LedAndDigitRegistersAreUnpacked)
{
    struct Case {
        emu::Bytes leds;
        std::vector<int> litRed, litGreen;
    };
    const Case cases[] = {
        {{0, 0, 0x04, 0, 0}, {}, {0}},
        {{0, 0, 0x02, 0, 0}, {17}, {}},
        {{0x01, 0, 0, 0, 0x08}, {0}, {17}},
    };
    for (const Case& c : cases) {
        circuit.setLeds(c.leds);
        circuit.setDigits({0xC0, 0xFF, 0x00, 0x40, 0, 0, 0, 0x7F});
        ASSERT_EQ(settled(data.readOutputs()), 0);
        for (int i = 0; i < 18; ++i) {
            const bool red = std::find(c.litRed.begin(), c.litRed.end(), i) != c.litRed.end();
            const bool green = std::find(c.litGreen.begin(), c.litGreen.end(), i) != c.litGreen.end();
            EXPECT_EQ(data.redLed(i), red ? 1 : 0) << "red " << i;
            EXPECT_EQ(data.greenLed(i), green ? 1 : 0) << "green " << i;
        }
        EXPECT_EQ(data.digit(0), 0x3F);
        EXPECT_EQ(data.digit(1), 0x00);
        EXPECT_EQ(data.digit(2), 0xFF);
        EXPECT_EQ(data.digit(3), 0xBF);
        EXPECT_EQ(data.digit(7), 0x80);
    }
}

TEST_F(BoardData, DigitsPastTheRegisterAreNeverRead)
{
    // The board data allows 64 digits but the register carries 8 bytes.
    ASSERT_EQ(data.setDigitCount(64), 0);
    circuit.setDigits({0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x00, 0x00});
    ASSERT_EQ(settled(data.readOutputs()), 0);
    for (int d = 0; d < 8; ++d)
        EXPECT_EQ(data.digit(d), 0xAA) << d;
    for (int d = 8; d < 64; ++d)
        EXPECT_EQ(data.digit(d), 0xFF) << d;
}

TEST_F(BoardData, DataSlotsAreCutFromTheCpuDataStream)
{
    data.setDataSlots({{0, 4}, {1, 12}, {2, 1}});
    circuit.setCpuData({0xCD, 0xAB, 0x01});
    ASSERT_EQ(settled(data.readDataSlots()), 0);
    EXPECT_EQ(data.dataTexts(), (QStringList{"D", "ABC", "1"}));
    ASSERT_FALSE(circuit.scans().empty());
    EXPECT_EQ(circuit.scans().back().instruction, 1);
    EXPECT_EQ(circuit.scans().back().bits, 17);

    // Widths of 32 and past it: the wide slot's text is empty, its bits are consumed.
    data.setDataSlots({{0, 32}, {1, 33}, {2, 8}});
    circuit.setCpuData({0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0, 0x5A, 0x01});
    ASSERT_EQ(settled(data.readDataSlots()), 0);
    EXPECT_EQ(data.dataTexts(), (QStringList{"12345678", "", "AD"}));

    // A slot that no widget claims shows empty rather than an unset width.
    data.setDataSlots({{0, 8}, {3, 8}});
    circuit.setCpuData({0x2A});
    ASSERT_EQ(settled(data.readDataSlots()), 0);
    EXPECT_EQ(data.dataTexts(), (QStringList{"2A", ""}));
    EXPECT_EQ(circuit.scans().back().bits, 8);
}

TEST_F(BoardData, DataSlotsTooWideForOneReadAreReportedAndNotRead)
{
    data.setDataSlots({{0, 32}, {1, 2017}}); // 2049 bits: one more than a scan carries
    MessageBox::setNextAnswer(QMessageBox::Ok);
    ASSERT_EQ(data.readDataSlots(), -23);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(circuit.scanCount(1), 0);
    EXPECT_EQ(data.dataTexts(), (QStringList{"", ""}));

    // Twenty 32-bit slots (640 bits) are one scan the library carries: read, not refused.
    std::vector<DataSlot> wide;
    for (int i = 0; i < 20; ++i)
        wide.push_back(DataSlot{i, 32});
    data.setDataSlots(wide);
    emu::LabCircuit::Bytes bytes(80, 0);
    bytes[76] = 0x78, bytes[77] = 0x56, bytes[78] = 0x34, bytes[79] = 0x12;
    circuit.setCpuData(bytes);
    ASSERT_EQ(settled(data.readDataSlots()), 0);
    EXPECT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(circuit.scans().back().bits, 640);
    EXPECT_EQ(data.dataTexts().at(0), "00000000");
    EXPECT_EQ(data.dataTexts().at(19), "12345678");
}

TEST_F(BoardData, NoAdapterOpensTheConnectDialogAndRetriesPanelInputOnce)
{
    disconnect();
    DialogSeen seen;
    answerConnectDialog(&seen, "button2");
    QSignalSpy failed(&data, &VirtualComponentData::linkFailed);
    EXPECT_EQ(settled(data.SwitchChange(0, true)), 0);
    EXPECT_EQ(failed.count(), 0);
    EXPECT_TRUE(seen.opened);
    EXPECT_TRUE(seen.warningVisible);
    EXPECT_EQ(seen.warning, QStringLiteral("尚未选择调试适配器！请重新连接。"));
    EXPECT_EQ(seen.warningStyle, QStringLiteral("color:red;"));
    EXPECT_EQ(seen.listed, 1);
    // The failed call never reached the board; the repeat and the rest did.
    EXPECT_EQ(selectors(), (std::vector<int>{2, 9, 7, 8, 3, 1}));
    EXPECT_EQ(circuit.inputValue(emu::LabCircuit::Switches), 1u);
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

TEST_F(BoardData, ARetryThatFailsAfterReconnectIsReportedAndEndsTheStep)
{
    disconnect();
    // The user connects, but the link is down by the time the step goes out again.
    MessageBox::setNextDialog([this](QDialog& d) {
        d.findChild<QPushButton*>(QStringLiteral("button2"))->click();
        circuit.linkStatus = 0x00;
        return d.result();
    });
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QSignalSpy failed(&data, &VirtualComponentData::linkFailed);
    settled(data.SwitchChange(0, true));
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].informative, QStringLiteral("错误代码：%1").arg(failed.value(0).value(0).toInt()));
    EXPECT_EQ(selectors(), (std::vector<int>{2})); // nothing after the failed retry, and no third try
    EXPECT_EQ(failed.count(), 1);
}

TEST_F(BoardData, CancelledReconnectEndsTheOperation)
{
    disconnect();
    QSignalSpy changed(&data, &VirtualComponentData::FPGAStateChanged);
    QSignalSpy failed(&data, &VirtualComponentData::linkFailed);
    DialogSeen seen;
    answerConnectDialog(&seen, "button3");
    settled(data.SwitchChange(0, true));
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed[0][0].toInt(), -5);
    EXPECT_TRUE(seen.opened);
    EXPECT_TRUE(circuit.scans().empty());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(data.switchValue(0), 1); // the input change stays in the board data
}

TEST_F(BoardData, BoardFailureIsReportedOnceAndStops)
{
    circuit.linkStatus = 0x00;
    QSignalSpy changed(&data, &VirtualComponentData::FPGAStateChanged);
    QSignalSpy failed(&data, &VirtualComponentData::linkFailed);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    settled(data.KeyPressed(0));
    ASSERT_EQ(failed.count(), 1);
    const int r = failed[0][0].toInt();
    EXPECT_LT(r, 0);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].informative, QStringLiteral("错误代码：%1").arg(r));
    EXPECT_EQ(selectors(), (std::vector<int>{2}));
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(BoardData, SimulationWithoutExperimentSaysSoAndSendsNothing)
{
    data.simulationMode = true;
    QSignalSpy changed(&data, &VirtualComponentData::FPGAStateChanged);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    EXPECT_EQ(data.KeyPressed(2), 1); // the code it showed: the press went nowhere
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("该实验的仿真功能尚未实现。"));
    EXPECT_TRUE(MessageBox::shown()[0].informative.isEmpty());
    EXPECT_TRUE(adapter.frames.empty());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(data.keyValue(2), 1);
}

TEST_F(BoardData, SimulationStepReplacesTheBoard)
{
    data.simulationMode = true;
    data.selectExperiment(QStringLiteral("PLQWXNRDF1502"));
    ASSERT_NE(data.simulationStep(), nullptr);
    QSignalSpy changed(&data, &VirtualComponentData::FPGAStateChanged);
    // A = 4, B = 2, S8 S10 S11 S12 on: Q all ones, c = 1, shows 4.
    for (int s : {6, 1, 8, 10, 11, 12})
        data.SwitchChange(s, true);
    EXPECT_EQ(data.digit(0), VirtualComponentData::segmentPattern(4));
    EXPECT_EQ(data.digit(4), VirtualComponentData::segmentPattern(15));
    EXPECT_EQ(data.greenLed(8), 1);
    EXPECT_EQ(changed.count(), 6);
    EXPECT_TRUE(adapter.frames.empty());
    EXPECT_TRUE(MessageBox::shown().isEmpty());

    data.selectExperiment(QStringLiteral("plqwxnrdf1502"));
    EXPECT_EQ(data.simulationStep(), nullptr);
}

} // namespace
