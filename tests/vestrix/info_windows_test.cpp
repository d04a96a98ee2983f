// The information windows in both languages, their silent forms and the adapter settings.
#include "lab_fixture.h"

#include <cstring>
#include <string>

namespace {

struct Shown {
    std::string caption, text;
};

// The one box shown since the last look.
Shown onlyBox()
{
    const auto boxes = hostui::takeCollected();
    EXPECT_EQ(boxes.size(), 1u);
    return boxes.empty() ? Shown{} : Shown{boxes[0].caption, boxes[0].text};
}

} // namespace

TEST_F(Lab, AdapterWindowInBothLanguages)
{
    struct Case {
        int language;
        bool record;
        const char *caption;
        const char *text;
    };
    const Case cases[] = {
        {0, true, "调试适配器信息", "PCB版本：PCB-V3.1\n固件版本：02.05 (2021.09.15)\n序列号：00C0FFEE"},
        {7, true, "About Debug Adapter",
         "PCB Version: PCB-V3.1\nFirmware Version: 02.05 (2021.09.15)\nSerial No.: 00C0FFEE"},
        // Without the information record the version reply stands in, marked as old.
        {0, false, "调试适配器信息", "PCB版本：2.7\n固件版本：2021-09-15 (旧版请升级)\n序列号：12345678"},
        {1, false, "About Debug Adapter",
         "PCB Version: 2.7\nFirmware Version: 2021-09-15 (旧版请升级)\nSerial No.: 12345678"},
    };
    int window = 0;
    SetParentWnd(&window);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        SetDllLanguage(c.language);
        adapter.info.supported = c.record;
        for (int form : {0, 1}) {
            ASSERT_EQ(ShowTamroInfo(nullptr, nullptr, form), VESTRIX_OK);
            const auto boxes = hostui::takeCollected();
            ASSERT_EQ(boxes.size(), 1u); // shown although library messages are off
            EXPECT_EQ(boxes[0].caption, c.caption);
            EXPECT_EQ(boxes[0].text, c.text);
            EXPECT_EQ(boxes[0].owner, &window);
        }
    }
}

TEST_F(Lab, SilentAdapterInfoFillsOnlyItsBuffers)
{
    struct Case {
        bool record;
        std::string date, pcb;
        std::string wantDate, wantPcb;
    };
    const Case cases[] = {
        {true, "2021.09.15", "PCB-V3.1", "2021.09.15", "PCB-V3.1"},
        // Fields the adapter fills to the brim still end inside the stated sizes.
        {true, "2016.01.01 1234567890", "ABCDEFGHIJKLMNO", "2016.01.01 123456789", "ABCDEFGHIJKLMNO"},
        {false, "", "", "2021-09-15 10:30", "2.7"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.wantDate);
        adapter.info.supported = c.record;
        adapter.info.date = c.date;
        adapter.info.pcb = c.pcb;
        char date[40], pcb[24];
        std::memset(date, 0xEE, sizeof date);
        std::memset(pcb, 0xEE, sizeof pcb);
        ASSERT_EQ(ShowTamroInfo(date, pcb, 0), VESTRIX_OK);
        EXPECT_EQ(std::string(date), c.wantDate);
        EXPECT_EQ(std::string(pcb), c.wantPcb);
        for (size_t i = VESTRIX_TAMRO_DATE_SIZE; i < sizeof date; ++i)
            EXPECT_EQ(uint8_t(date[i]), 0xEE) << i;
        for (size_t i = VESTRIX_TAMRO_PCB_SIZE; i < sizeof pcb; ++i)
            EXPECT_EQ(uint8_t(pcb[i]), 0xEE) << i;
        // The PCB buffer is optional.
        ASSERT_EQ(ShowTamroInfo(date, nullptr, 1), VESTRIX_OK);
        EXPECT_TRUE(hostui::takeCollected().empty());
    }
}

TEST_F(Lab, AdapterInfoFailuresShowNothing)
{
    adapter.queueFault(emu::Fault(emu::Fault::NoReply), 0x17);
    EXPECT_EQ(ShowTamroInfo(nullptr, nullptr, 1), VESTRIX_NO_REPLY); // not the old-adapter path
    adapter.info.supported = false;
    adapter.queueFault(emu::Fault(emu::Fault::NoReply), 0x0F);
    char date[32] = "untouched";
    EXPECT_EQ(ShowTamroInfo(date, nullptr, 0), VESTRIX_NO_REPLY);
    EXPECT_STREQ(date, "untouched");
    EXPECT_TRUE(hostui::takeCollected().empty());
}

TEST_F(Lab, ChipWindowByVersionAndLanguage)
{
    circuit.setChipText("EXP-CPU-V2!", 0x5A);
    struct Case {
        uint32_t version;
        int language;
        const char *caption;
        const char *text;
        std::vector<int> widths;
    };
    const Case cases[] = {
        {0x20190114, 0, "片上调试器信息", "20190114\n旧版电路请升级！", {32}},
        {0x00001234, 1, "About On-chip Debugger", "    1234\n旧版电路请升级！", {32}},
        {0x20190115, 0, "片上调试器信息", "20190115\nEXP-CPU-V2!", {32, 256}},
        {0x20220919, 1, "About On-chip Debugger", "20220919\nEXP-CPU-V2!", {32, 256}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        circuit.setChipVersion(c.version);
        SetDllLanguage(c.language);
        clear();
        ASSERT_EQ(ShowChipInfo(nullptr, nullptr), VESTRIX_OK);
        EXPECT_EQ(uint32_t(ver_FPGA), c.version);
        const Shown box = onlyBox();
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.text, c.text);
        std::vector<int> widths;
        for (const auto &s : circuit.scans())
            widths.push_back(s.bits);
        EXPECT_EQ(widths, c.widths);
    }
}

TEST_F(Lab, SilentChipInfoFillsTheTextAndKind)
{
    circuit.setChipVersion(0x20230101);
    circuit.setChipText("ABCDEFGHIJK", 0x5A);
    char text[16];
    std::memset(text, 0xEE, sizeof text);
    unsigned char kind = 0;
    ASSERT_EQ(ShowChipInfo(text, &kind), VESTRIX_OK);
    EXPECT_STREQ(text, "ABCDEFGHIJ"); // ten characters and the terminator
    for (size_t i = VESTRIX_CHIP_TEXT_SIZE; i < sizeof text; ++i)
        EXPECT_EQ(uint8_t(text[i]), 0xEE);
    EXPECT_EQ(kind, 0x5A);
    EXPECT_TRUE(hostui::takeCollected().empty());
    ASSERT_EQ(ShowChipInfo(text, nullptr), VESTRIX_OK); // the kind is optional

    // An old on-chip debugger cannot serve this caller: empty text, kind 0, and a box saying so.
    circuit.setChipVersion(0x20180101);
    SetDllLanguage(1);
    ASSERT_EQ(ShowChipInfo(text, &kind), VESTRIX_OK);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(kind, 0);
    const Shown box = onlyBox();
    EXPECT_EQ(box.caption, "About On-chip Debugger");
    EXPECT_EQ(box.text, "不兼容的旧版片上调试器！");
}

TEST_F(Lab, ChipInfoFailureKeepsTheVersion)
{
    ver_FPGA = 0x20220919;
    circuit.linkStatus = 0x02;
    EXPECT_EQ(ShowChipInfo(nullptr, nullptr), VESTRIX_FPGA_LINK_FAILED);
    EXPECT_EQ(ver_FPGA, 0x20220919);
    // The second read failing leaves the version stored by the first.
    circuit.linkStatus = 0x01;
    circuit.setChipVersion(0x20240202);
    clear();
    circuit.failScan = 1;
    EXPECT_EQ(ShowChipInfo(nullptr, nullptr), VESTRIX_FPGA_LINK_FAILED);
    EXPECT_EQ(ver_FPGA, 0x20240202);
    EXPECT_TRUE(hostui::takeCollected().empty());
}

TEST_F(Lab, VoltageWindowStaysChinese)
{
    char voltage[7] = {};
    ASSERT_EQ(GetIOVoltage(voltage), VESTRIX_OK);
    ASSERT_NE(voltage[0], 0);
    for (int language : {0, 1}) {
        SetDllLanguage(language);
        ASSERT_EQ(ShowTamroVolt(), VESTRIX_OK);
        const Shown box = onlyBox();
        EXPECT_EQ(box.caption, "调试适配器电压");
        EXPECT_EQ(box.text, "电压值：" + std::string(voltage, strnlen(voltage, 7)) + "V");
    }
    adapter.queueFault(emu::Fault(emu::Fault::NoReply), 0x0E);
    EXPECT_EQ(ShowTamroVolt(), VESTRIX_NO_REPLY);
    EXPECT_TRUE(hostui::takeCollected().empty());
}

TEST_F(Lab, SpeedAndPowerSetOneFeatureEach)
{
    ASSERT_EQ(SetTAMROSpeed(3), VESTRIX_OK);
    EXPECT_EQ(adapter.lastSpeed, 3);
    EXPECT_EQ(adapter.lastPower, -1);
    ASSERT_EQ(SetTAMROPower(1), VESTRIX_OK);
    EXPECT_EQ(adapter.lastPower, 1);
    EXPECT_EQ(adapter.lastSpeed, 3);
    SelectDevice(-1);
    EXPECT_EQ(SetTAMROSpeed(1), VESTRIX_NO_DEVICE_SELECTED);
}
