// The exported functions driven from outside, against the emulated adapter over HID and bulk.
#include "support/emu_adapter.h"

#include "hostui.h"

#include <tamro.h>

#include <gtest/gtest.h>

#include <cstring>

using emu::Adapter;
using emu::Bytes;
using emu::Fault;

namespace {

// Remembers every scan and answers reads with a fixed pattern.
class Circuit : public emu::ScanTarget {
public:
    uint8_t status = 0x01;
    int lastInstruction = -1, lastBits = -1;
    Bytes lastIn;
    uint8_t scan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out) override
    {
        lastInstruction = instruction;
        lastBits = bits;
        lastIn.assign(in, in + (in ? (bits + 7) / 8 : 0));
        for (int i = 0; out && i < (bits + 7) / 8; ++i)
            out[i] = uint8_t(0x30 + i);
        return status;
    }
};

const Bytes kOpenRequestHead = {0xFF, 0xFE, 0x10, 0x08};

class Tamro : public ::testing::Test {
protected:
    void SetUp() override
    {
        emu::install();
        hostui::setCollecting(true);
        EnableMessageShow(0);
        CloseDevice();
        SelectDevice(-1);
    }
    void TearDown() override
    {
        CloseDevice();
        SelectDevice(-1);
        EnableMessageShow(0);
        hostui::setCollecting(false);
        emu::uninstall();
    }
    // Attaches, lists and selects one adapter; the records start empty.
    void use(Adapter &a)
    {
        emu::attach(&a);
        ASSERT_EQ(ScanDevice(list, nullptr, 0), TAMRO_OK);
        ASSERT_EQ(SelectDevice(0), TAMRO_OK);
        a.clearRecords();
    }
    // The frames after each exchange's open request.
    static std::vector<Bytes> commands(const Adapter &a)
    {
        std::vector<Bytes> out;
        for (const Bytes &f : a.frames)
            if (f.size() < 4 || !std::equal(kOpenRequestHead.begin(), kOpenRequestHead.end(), f.begin()))
                out.push_back(f);
        return out;
    }
    char list[TAMRO_LIST_SIZE] = {};
    Circuit circuit;
};

int32_t countOf(const char *list)
{
    int32_t n;
    std::memcpy(&n, list + TAMRO_LIST_COUNT_OFFSET, 4);
    return n;
}

} // namespace

TEST_F(Tamro, WriteInstructionOverBulkSendsThe33ByteFrame)
{
    Adapter a(Adapter::Kind::Bulk, &circuit);
    use(a);
    ASSERT_EQ(WriteInstruction(5), TAMRO_OK);
    ASSERT_EQ(a.reports.size(), 2u); // open request, the scan: one write each
    EXPECT_EQ(a.reports[0].size(), 14u);
    EXPECT_TRUE(std::equal(kOpenRequestHead.begin(), kOpenRequestHead.end(), a.reports[0].begin()));
    const Bytes expected = {0xFF, 0xFE, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFE, 0x01, 0xFE, 0xFF,
                            0xFF, 0xFE, 0x03, 0xFE, 0xFF, 0xFF, 0xFE, 0x06, 0x04, 0x05, 0xFE,
                            0xFF, 0xFF, 0xFE, 0x04, 0xFE, 0xFF, 0xFF, 0xFE, 0x07, 0xFE, 0xFF};
    EXPECT_EQ(a.reports[1], expected);
    EXPECT_EQ(circuit.lastInstruction, 5);
    EXPECT_EQ(a.opens, 1);
    EXPECT_EQ(a.closes, 1);
}

TEST_F(Tamro, ReadRegisterFillsExactlyItsBytesOnBothTransports)
{
    for (const auto kind : {Adapter::Kind::Bulk, Adapter::Kind::Hid}) {
        Adapter a(kind, &circuit);
        use(a);
        struct Case {
            int bits;
            size_t request;
            size_t bytes;
        };
        for (const Case c : {Case{32, 59, 4}, Case{16, 57, 2}, Case{5, 50, 1}, Case{2048, 311, 256}}) {
            SCOPED_TRACE(c.bits);
            a.clearRecords();
            uint8_t out[260];
            std::memset(out, 0xEE, sizeof out);
            ASSERT_EQ(ReadRegister(14, c.bits, out), TAMRO_OK);
            const auto cmds = commands(a);
            ASSERT_EQ(cmds.size(), 1u);
            EXPECT_EQ(cmds[0].size(), c.request);
            EXPECT_EQ(cmds[0][3], 1); // capture
            EXPECT_EQ(circuit.lastBits, c.bits);
            EXPECT_EQ(circuit.lastIn, Bytes(c.bytes, 0x01)); // shifted in: bytes of 0x01
            for (size_t i = 0; i < c.bytes; ++i)
                EXPECT_EQ(out[i], uint8_t(0x30 + i));
            EXPECT_EQ(out[c.bytes], 0xEE); // nothing past ceil(bits / 8)
        }
        uint8_t out[4] = {};
        EXPECT_EQ(ReadRegister(14, 2049, out), TAMRO_NOT_SUPPORTED);
        EXPECT_EQ(ReadRegister(14, -1, out), TAMRO_NOT_SUPPORTED);
        emu::detachAll();
    }
}

TEST_F(Tamro, HidChunksFramesIntoReports)
{
    Adapter a(Adapter::Kind::Hid, &circuit);
    use(a);
    // WriteRegister(1 bit): a 50-byte frame -> one report; open request 14 bytes -> one report.
    const uint8_t one = 1;
    ASSERT_EQ(WriteRegister(9, &one, 1), TAMRO_OK);
    ASSERT_EQ(a.reports.size(), 2u);
    for (const Bytes &r : a.reports)
        EXPECT_EQ(r.size(), 65u);
    EXPECT_EQ(a.reports[0][0], 0x00);
    EXPECT_EQ(a.reports[0][1], 14);
    EXPECT_EQ(a.reports[1][1], 50);
    EXPECT_EQ(Bytes(a.reports[1].begin() + 52, a.reports[1].end()), Bytes(13, 0));

    // TAMROfeatureSet with one flag: a 6-byte frame. A 5-byte frame is the done request.
    a.clearRecords();
    ASSERT_EQ(ConfigureFPGADone(), TAMRO_OK);
    ASSERT_EQ(a.reports.size(), 2u);
    Bytes five = {0x00, 0x05, 0xFF, 0xFE, 0x13, 0xFE, 0xFF};
    five.resize(65, 0);
    EXPECT_EQ(a.reports[1], five);

    // Frames of 126 and 127 bytes: F = 70 and 71 -> 2048 is too long, use data pieces.
    struct Case {
        int piece;
        std::vector<int> counts;
    };
    for (const Case &c :
         {Case{117, {7, 63, 54, 2}}, Case{0, {7, 2}}, Case{500, {7, 63, 63, 63, 63, 63, 63, 63, 59, 2}}}) {
        SCOPED_TRACE(c.piece);
        a.clearRecords();
        Bytes data(size_t(c.piece));
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = uint8_t(i);
        ASSERT_EQ(ConfigureFPGAData(data.data(), c.piece), TAMRO_OK);
        ASSERT_EQ(a.reports.size(), c.counts.size() + 1);
        for (size_t i = 0; i < c.counts.size(); ++i)
            EXPECT_EQ(a.reports[i + 1][1], c.counts[i]) << i;
        EXPECT_EQ(a.fpgaData, data);
    }
}

TEST_F(Tamro, HidChunkedWriteAtReportBoundaries)
{
    // A scan of 2048 bits is 311 bytes; with 129-byte reports (127 frame bytes each) a
    // 127-byte multiple is reached by choosing the bit count.
    Adapter a(Adapter::Kind::Hid, &circuit);
    a.outputReportLength = 65;
    use(a);
    struct Case {
        int bits;
        std::vector<int> counts;
    };
    // F + 56 bytes: 126 -> F = 70 (bits 561..568), 127 -> F = 71.
    for (const Case &c : {Case{568, {63, 63}}, Case{569, {63, 63, 1}}}) {
        SCOPED_TRACE(c.bits);
        a.clearRecords();
        Bytes data(size_t((c.bits + 7) / 8), 0x5A);
        ASSERT_EQ(WriteRegister(3, data.data(), c.bits), TAMRO_OK);
        ASSERT_EQ(a.reports.size(), c.counts.size() + 1);
        for (size_t i = 0; i < c.counts.size(); ++i)
            EXPECT_EQ(a.reports[i + 1][1], c.counts[i]);
    }
}

TEST_F(Tamro, HidReadTakesOnlyTheBytesReadAndTimesOut)
{
    Adapter a(Adapter::Kind::Hid, &circuit);
    use(a);
    // A length byte above what the report holds: only bytes read minus one count.
    Fault raw{Fault::RawReports};
    raw.reports = {Bytes{60, 0xFF, 0xFE, 0x02, 0x01, 0xFE, 0xFF}};
    a.queueFault(raw, 0x00);
    EXPECT_EQ(WriteInstruction(1), TAMRO_OK);
    a.queueFault({Fault::NoReply}, 0x00);
    EXPECT_EQ(WriteInstruction(1), TAMRO_NO_REPLY);
    a.queueFault({Fault::Delay, 150}, 0x00); // later than the 100 ms limit
    EXPECT_EQ(WriteInstruction(1), TAMRO_NO_REPLY);
    a.queueFault({Fault::Delay, 20}, 0x00);
    EXPECT_EQ(WriteInstruction(1), TAMRO_OK);
}

TEST_F(Tamro, ReplyFaultsGiveTheirCodes)
{
    struct Case {
        Fault fault;
        int command;
        int code;
    };
    const std::vector<Case> cases = {
        {{Fault::ErrorReply, 5}, 0x00, TAMRO_NOT_SUPPORTED},
        {{Fault::ErrorReply, 2}, 0x00, TAMRO_ADAPTER_BAD_DATA},
        {{Fault::ErrorReply, 4}, 0x00, -2},
        {{Fault::ErrorReply, 9}, 0x00, TAMRO_BAD_REPLY},
        {{Fault::Truncate, 6}, 0x00, TAMRO_BAD_REPLY}, // 6 bytes of the right kind where 11 are due
        {{Fault::Truncate, 3}, 0x00, TAMRO_BAD_REPLY},
        {{Fault::Extend, 1}, 0x00, TAMRO_BAD_REPLY},
        {{Fault::BadStart}, 0x00, TAMRO_BAD_REPLY},
        {{Fault::BadEnd}, 0x00, TAMRO_BAD_REPLY},
        {{Fault::WrongKind, 2}, 0x00, TAMRO_BAD_REPLY},
        {{Fault::Status, 0x03}, 0x00, TAMRO_FPGA_LINK_FAILED},
        {{Fault::Status, 0xCC}, 0x10, TAMRO_ADAPTER_BAD_CONNECT_DATA},
        {{Fault::Status, 0x55}, 0x10, TAMRO_UNKNOWN_CONNECT_ERROR},
        {{Fault::ErrorReply, 1}, 0x10, TAMRO_ADAPTER_BAD_DATA},
        {{Fault::NoReply}, 0x10, TAMRO_NO_REPLY},
    };
    for (const auto kind : {Adapter::Kind::Bulk, Adapter::Kind::Hid}) {
        Adapter a(kind, &circuit);
        use(a);
        for (const Case &c : cases) {
            SCOPED_TRACE(::testing::Message() << int(kind) << " fault " << c.fault.type << " cmd " << c.command);
            if (kind == Adapter::Kind::Bulk && c.fault.type == Fault::NoReply)
                for (int i = 0; i < 2; ++i) // three empty reads before giving up
                    a.queueFault(c.fault, c.command);
            a.queueFault(c.fault, c.command);
            uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
            EXPECT_EQ(ReadRegister(14, 32, out), c.code);
            if (c.code != TAMRO_OK) {
                EXPECT_EQ(out[0], 0xEE);
            }
        }
        emu::detachAll();
    }
}

TEST_F(Tamro, BulkHandshakeRetriesEmptyReads)
{
    Adapter a(Adapter::Kind::Bulk, &circuit);
    use(a);
    a.queueFault({Fault::NoReply}, 0x10);
    a.queueFault({Fault::NoReply}, 0x10);
    EXPECT_EQ(WriteInstruction(2), TAMRO_OK);
    EXPECT_EQ(a.reports.size(), 4u); // three open requests, then the scan
    // A 6-byte open reply of kind 0x01 has its end mark where the status belongs.
    Fault six{Fault::Raw};
    six.bytes = {0xFF, 0xFE, 0x01, 0x00, 0xFE, 0xFF};
    a.queueFault(six, 0x10);
    EXPECT_EQ(WriteInstruction(2), TAMRO_UNKNOWN_CONNECT_ERROR);
}

TEST_F(Tamro, WriteRegisterAcknowledgement)
{
    Adapter a(Adapter::Kind::Hid, &circuit);
    use(a);
    const uint8_t data[5] = {0x12, 0x34, 0x56, 0x78, 0x09};
    ASSERT_EQ(WriteRegister(9, data, 36), TAMRO_OK);
    EXPECT_EQ(circuit.lastIn, Bytes(data, data + 5));
    EXPECT_EQ(commands(a)[0][3], 0); // no capture
    circuit.status = 0x03;
    EXPECT_EQ(WriteRegister(9, data, 36), TAMRO_FPGA_LINK_FAILED);
    EXPECT_EQ(WriteRegister(9, data, 2049), TAMRO_NOT_SUPPORTED);
}

TEST_F(Tamro, FeatureFrames)
{
    EXPECT_EQ(TAMROfeatureSet(3, 1, 1, 1), TAMRO_NO_DEVICE_SELECTED);
    Adapter a(Adapter::Kind::Bulk, &circuit);
    use(a);
    ASSERT_EQ(TAMROfeatureSet(3, 1, 9, 0), TAMRO_OK);
    EXPECT_EQ(a.reports.back(), (Bytes{0xFF, 0xFE, 0x0C, 0x03, 0xFE, 0xFF}));
    ASSERT_EQ(TAMROfeatureSet(7, 0x100, 1, 1), TAMRO_OK); // speed flag's low byte is 0
    EXPECT_EQ(a.reports.back(), (Bytes{0xFF, 0xFE, 0x0D, 0x01, 0xFE, 0xFF}));
    ASSERT_EQ(TAMROfeatureSet(0x102, 1, 0x200, 1), TAMRO_OK);
    EXPECT_EQ(a.reports.back(), (Bytes{0xFF, 0xFE, 0x0C, 0x02, 0xFE, 0xFF, 0xFF, 0xFE, 0x0D, 0x00, 0xFE, 0xFF}));
    const size_t before = a.reports.size();
    ASSERT_EQ(TAMROfeatureSet(1, 0, 1, 0), TAMRO_OK);
    EXPECT_EQ(a.reports.size(), before);
    EXPECT_EQ(a.lastSpeed, 2);
    EXPECT_EQ(a.lastPower, 0);
}

TEST_F(Tamro, FpgaCommandsAndStatuses)
{
    for (const auto kind : {Adapter::Kind::Bulk, Adapter::Kind::Hid}) {
        Adapter a(kind, &circuit);
        use(a);
        ASSERT_EQ(ConfigureFPGAAsk(74565), TAMRO_OK);
        EXPECT_EQ(commands(a).back(), (Bytes{0xFF, 0xFE, 0x11, 0x45, 0x23, 0x01, 0x00, 0xFE, 0xFF}));
        EXPECT_EQ(a.fpgaAnnounced, 74565);
        const uint8_t piece[3] = {1, 2, 3};
        ASSERT_EQ(ConfigureFPGAData(piece, 3), TAMRO_OK);
        EXPECT_EQ(commands(a).back(), (Bytes{0xFF, 0xFE, 0x12, 3, 0, 0, 0, 1, 2, 3, 0xFE, 0xFF}));
        ASSERT_EQ(ConfigureFPGADone(), TAMRO_OK);
        EXPECT_TRUE(a.fpgaDone);
        a.fpgaDataStatus = 1;
        EXPECT_EQ(ConfigureFPGAData(piece, 3), TAMRO_FPGA_DATA_FAILED);
        a.fpgaDoneStatus = 1;
        EXPECT_EQ(ConfigureFPGADone(), TAMRO_FPGA_CONFIG_FAILED);
        a.queueFault({Fault::ErrorReply, 5}, 0x11);
        EXPECT_EQ(ConfigureFPGAAsk(10), TAMRO_NOT_SUPPORTED);
        a.fpgaSizeStatus = 2;
        EXPECT_EQ(ConfigureFPGAAsk(10), TAMRO_NOT_SUPPORTED);
        ASSERT_EQ(UpgradeFirmwareAsk(), TAMRO_OK);
        EXPECT_TRUE(a.upgradeRequested);
        a.upgradeStatus = 1;
        EXPECT_EQ(UpgradeFirmwareAsk(), TAMRO_NOT_SUPPORTED);
        emu::detachAll();
    }
    SelectDevice(-1);
    EXPECT_EQ(ConfigureFPGAAsk(1), TAMRO_NO_DEVICE_SELECTED);
    EXPECT_EQ(ConfigureFPGADone(), TAMRO_NO_DEVICE_SELECTED);
}

TEST_F(Tamro, HidWriteFailureIsReportWriteFailed)
{
    Adapter a(Adapter::Kind::Hid, &circuit);
    use(a);
    a.failWrites = 1;
    EXPECT_EQ(WriteInstruction(1), TAMRO_REPORT_WRITE_FAILED); // the open request
    const uint8_t piece[100] = {};
    ASSERT_EQ(ConfigureFPGAAsk(100), TAMRO_OK);
    a.clearRecords();
    ASSERT_EQ(ConfigureFPGAData(piece, 100), TAMRO_OK);
    EXPECT_EQ(a.reports.size(), 5u); // open, head, 63 + 37, end mark
}

TEST_F(Tamro, QueriesDecodeAndSelectEntryZeroForTheirDuration)
{
    Adapter a(Adapter::Kind::Hid, &circuit);
    emu::attach(&a);
    ASSERT_EQ(ScanDevice(list, nullptr, 0), TAMRO_OK);
    SelectDevice(-1);

    char version[7] = {}, built[30] = {}, serial[9] = {}, id[25] = {};
    ASSERT_EQ(GetTamroVersion(version, built, serial, nullptr, id), TAMRO_OK);
    EXPECT_STREQ(version, "2.7");
    EXPECT_STREQ(built, "2021-09-15 10:30");
    EXPECT_STREQ(serial, "12345678");
    EXPECT_STREQ(id, "0C0B0A090807060504030201");
    a.version.major = 100, a.version.minor = 100; // "100.100" does not fit 7 bytes with its end
    std::memset(version, 'x', sizeof version);
    ASSERT_EQ(GetTamroVersion(version, built, serial, nullptr, id), TAMRO_OK);
    EXPECT_EQ(std::string(version, 7), std::string("100.10\0", 7));
    // Still nothing selected afterwards.
    EXPECT_EQ(GetIOVoltage(version), TAMRO_NO_DEVICE_SELECTED);
    EXPECT_EQ(WriteInstruction(1), TAMRO_NO_DEVICE_SELECTED);

    char pcb[16] = {}, date[21] = {}, sn[9] = {}, id2[25] = {}, fw[20] = {};
    ASSERT_EQ(GetTamroInfo(pcb, date, sn, nullptr, id2, fw, nullptr, nullptr), TAMRO_OK);
    EXPECT_STREQ(pcb, "PCB-V3.1");
    EXPECT_STREQ(date, "2021.09.15");
    EXPECT_STREQ(sn, "00C0FFEE");
    EXPECT_STREQ(id2, "333333332222222211111111");
    EXPECT_STREQ(fw, "02.05 (2021.09.15)");

    // Too short a record: -7 and nothing written; size 0: 0 and nothing written.
    a.info.recordLength = 40;
    std::strcpy(fw, "old");
    EXPECT_EQ(GetTamroInfo(pcb, date, sn, nullptr, id2, fw, nullptr, nullptr), TAMRO_BAD_REPLY);
    EXPECT_STREQ(fw, "old");
    a.info.recordLength = 0;
    EXPECT_EQ(GetTamroInfo(pcb, date, sn, nullptr, id2, fw, nullptr, nullptr), TAMRO_OK);
    EXPECT_STREQ(fw, "old");
    a.info.supported = false;
    EXPECT_EQ(GetTamroInfo(pcb, date, sn, nullptr, id2, fw, nullptr, nullptr), TAMRO_NOT_SUPPORTED);

    ASSERT_EQ(SelectDevice(0), TAMRO_OK);
    char volts[7] = {};
    ASSERT_EQ(GetIOVoltage(volts), TAMRO_OK);
    EXPECT_STREQ(volts, "3.3000");
    a.voltage = "1.6x00";
    std::strcpy(volts, "keep");
    EXPECT_EQ(GetIOVoltage(volts), TAMRO_BAD_REPLY);
    EXPECT_STREQ(volts, "keep");

    emu::detachAll();
    ASSERT_NE(ScanDevice(list, nullptr, 0), TAMRO_OK);
    SelectDevice(-1);
    EXPECT_EQ(GetTamroVersion(version, built, serial, nullptr, id), TAMRO_NO_DEVICE_SELECTED);
}

TEST_F(Tamro, DiscoveryNamesOrderAndLimits)
{
    Adapter hid1(Adapter::Kind::Hid), hid2(Adapter::Kind::Hid), unnamed(Adapter::Kind::Hid);
    Adapter bulk(Adapter::Kind::Bulk), other(Adapter::Kind::Bulk), anon(Adapter::Kind::Bulk);
    unnamed.descriptionReadable = false;
    other.description = std::string(200, 'x');
    anon.descriptionReadable = false;
    for (Adapter *a : {&hid1, &hid2, &unnamed, &bulk, &other, &anon})
        emu::attach(a);
    ASSERT_EQ(ScanDevice(list, nullptr, 0), TAMRO_OK);
    ASSERT_EQ(countOf(list), 6);
    const char *expected[] = {"TA-MRO", nullptr,     "(Unnamed STM32 device)",
                              "TA-HID", "TA-HID :2", "(Unnamed HID device)"};
    for (int i = 0; i < 6; ++i)
        if (expected[i]) {
            EXPECT_STREQ(list + 128 * i, expected[i]) << i;
        }
    EXPECT_EQ(std::strlen(list + 128), 127u); // truncated with its terminator

    // Each HID entry opens its own adapter.
    ASSERT_EQ(SelectDevice(4), TAMRO_OK);
    hid1.clearRecords();
    hid2.clearRecords();
    ASSERT_EQ(WriteInstruction(1), TAMRO_OK);
    EXPECT_EQ(hid1.opens, 0);
    EXPECT_EQ(hid2.opens, 1);
    // Entries that cannot be selected.
    EXPECT_EQ(SelectDevice(1), TAMRO_NO_ADAPTER);
    EXPECT_EQ(SelectDevice(5), TAMRO_NO_ADAPTER);
    EXPECT_EQ(SelectDevice(6), TAMRO_NO_ADAPTER);
    EXPECT_EQ(WriteInstruction(1), TAMRO_NO_DEVICE_SELECTED);
    hid1.openFails = true;
    EXPECT_EQ(SelectDevice(3), TAMRO_NO_ADAPTER);

    // More than ten devices: the first ten are listed.
    std::vector<std::unique_ptr<Adapter>> many;
    for (int i = 0; i < 8; ++i) {
        many.push_back(std::make_unique<Adapter>(Adapter::Kind::Hid));
        emu::attach(many.back().get());
    }
    ASSERT_EQ(ScanDevice(list, nullptr, 0), TAMRO_OK);
    EXPECT_EQ(countOf(list), 10);
    EXPECT_STREQ(list + 128 * 9, "TA-HID :6"); // the unnamed one takes no ordinal

    emu::detachAll();
    EXPECT_EQ(ScanDevice(list, nullptr, 0), TAMRO_NO_ADAPTER);
    EXPECT_EQ(countOf(list), 0);
}

TEST_F(Tamro, KeptSessionLifecycle)
{
    EXPECT_EQ(OpenDevice(), TAMRO_NO_DEVICE_SELECTED);
    Adapter a(Adapter::Kind::Hid, &circuit);
    use(a);
    uint8_t in[2] = {0xAB, 0x01}, out[2] = {};
    EXPECT_EQ(BSC_Sample_Preload(4, 9, in, out, 1), TAMRO_NO_REPLY); // no kept session
    ASSERT_EQ(OpenDevice(), TAMRO_OK);
    EXPECT_EQ(a.opens, 1);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(BSC_Sample_Preload(4, 9, in, out, 0x101), TAMRO_OK);
    EXPECT_EQ(a.opens, 1); // one handshake for all of them
    EXPECT_EQ(a.frames.size(), 4u);
    EXPECT_EQ(out[0], 0x30);
    EXPECT_EQ(out[1], 0x31);
    EXPECT_EQ(circuit.lastIn, Bytes(in, in + 2));
    ASSERT_EQ(BSC_Sample_Preload(4, 9, in, out, 0), TAMRO_OK);
    // Selecting again closes the kept session first.
    ASSERT_EQ(SelectDevice(0), TAMRO_OK);
    EXPECT_EQ(a.closes, 2);
    EXPECT_EQ(BSC_Sample_Preload(4, 9, in, out, 1), TAMRO_NO_REPLY);
    // A failed handshake still keeps the session until CloseDevice.
    a.openStatus = 0xCC;
    EXPECT_EQ(OpenDevice(), TAMRO_ADAPTER_BAD_CONNECT_DATA);
    const int closes = a.closes;
    CloseDevice();
    EXPECT_EQ(a.closes, closes + 1);
    EXPECT_EQ(SelectDevice(-1), TAMRO_NO_ADAPTER);
    EXPECT_EQ(OpenDevice(), TAMRO_NO_DEVICE_SELECTED);
}

TEST_F(Tamro, MessageBoxesOnlyWhenEnabled)
{
    int window = 0;
    EXPECT_EQ(SetMainWindow(&window), &window);
    EXPECT_EQ(OpenDevice(), TAMRO_NO_DEVICE_SELECTED);
    EXPECT_TRUE(hostui::takeCollected().empty()); // off after load

    EXPECT_EQ(EnableMessageShow(1), 0);
    EXPECT_EQ(OpenDevice(), TAMRO_NO_DEVICE_SELECTED);
    auto boxes = hostui::takeCollected();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "尚未选择调试适配器！请重新连接。");
    EXPECT_EQ(boxes[0].caption, "错误代码：-5");
    EXPECT_EQ(boxes[0].owner, &window);

    // No box for -19, for ScanDevice, CloseDevice, or the feature call without a transport.
    Adapter a(Adapter::Kind::Hid, &circuit);
    use(a);
    hostui::takeCollected();
    a.failWrites = 1;
    EXPECT_EQ(WriteInstruction(1), TAMRO_REPORT_WRITE_FAILED);
    emu::detachAll();
    EXPECT_EQ(ScanDevice(list, nullptr, 0), TAMRO_NO_ADAPTER);
    CloseDevice();
    SelectDevice(-1);
    hostui::takeCollected();
    EXPECT_EQ(TAMROfeatureSet(1, 1, 1, 1), TAMRO_NO_DEVICE_SELECTED);
    EXPECT_EQ(GetIOVoltage(nullptr), TAMRO_NO_DEVICE_SELECTED);
    EXPECT_TRUE(hostui::takeCollected().empty());

    EXPECT_EQ(SetLocalLanguage(5), 1);
    EXPECT_EQ(SetLocalLanguage(0), 0);
    EXPECT_EQ(SelectDevice(3), TAMRO_NO_ADAPTER);
    boxes = hostui::takeCollected();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "没有发现调试适配器/服务器！");
    EXPECT_EQ(EnableMessageShow(0x100), 1);
    EXPECT_EQ(SelectDevice(3), TAMRO_NO_ADAPTER);
    EXPECT_TRUE(hostui::takeCollected().empty());
    SetMainWindow(nullptr);
}

// A reply gets one deadline: the time limit plus a fixed allowance per report it needs. An
// adapter trickling one byte per report is cut off; a healthy one at one full report per
// millisecond never is.
TEST_F(Tamro, ReplyDeadlineBoundsATricklingAdapter)
{
    struct Case {
        const char *name;
        int perReport, everyMs;
        int recordLength; // 0: a 32-bit register read, else an information record of that length
        int code;
        int maxReports; // input reports the call may consume
    };
    const Case cases[] = {
        {"one byte per report, 30 ms apart", 1, 30, 0, TAMRO_BAD_REPLY, 6},
        {"full reports every millisecond", 63, 1, 1000, TAMRO_OK, 1000},
        {"one byte per report every 2 ms", 1, 2, 0, TAMRO_OK, 1000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Adapter a(Adapter::Kind::Hid, &circuit);
        a.info.recordLength = c.recordLength;
        use(a);
        Fault trickle(Fault::Trickle, c.everyMs);
        trickle.perReport = c.perReport;
        a.queueFault(trickle, c.recordLength ? 0x16 : 0x00);
        char date[20];
        uint8_t out[4];
        const int code = c.recordLength
                             ? GetTamroInfo(nullptr, date, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)
                             : ReadRegister(14, 32, out);
        EXPECT_EQ(code, c.code);
        EXPECT_LE(a.inputReports, c.maxReports);
        emu::detachAll();
    }
}

// What selecting learned (report lengths, the bus location) serves every later operation; it is
// learned again after a scan or selection, and when an open fails.
TEST_F(Tamro, SelectionLearnsTheDeviceOnce)
{
    for (const auto kind : {Adapter::Kind::Hid, Adapter::Kind::Bulk}) {
        SCOPED_TRACE(kind == Adapter::Kind::Hid ? "HID" : "bulk");
        Adapter a(kind, &circuit);
        use(a);
        emu::counters() = {};
        const std::vector<uint8_t> piece(500, 0x5A);
        uint8_t out[4] = {};
        char voltage[7];
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(WriteRegister(9, out, 32), TAMRO_OK);
            ASSERT_EQ(ReadRegister(14, 32, out), TAMRO_OK);
            ASSERT_EQ(ConfigureFPGAData(piece.data(), int(piece.size())), TAMRO_OK);
            ASSERT_EQ(GetIOVoltage(voltage), TAMRO_OK);
        }
        EXPECT_EQ(emu::counters().enumerations, 0);
        EXPECT_EQ(emu::counters().descriptorReads, 0);

        // After a new scan the next operation learns the device again, once.
        ASSERT_EQ(ScanDevice(list, nullptr, 0), TAMRO_OK);
        emu::counters() = {};
        ASSERT_EQ(WriteRegister(9, out, 32), TAMRO_OK);
        ASSERT_EQ(WriteRegister(9, out, 32), TAMRO_OK);
        EXPECT_EQ(emu::counters().enumerations + emu::counters().descriptorReads, 1);

        // An open that fails makes the next one learn again.
        a.openFails = true;
        EXPECT_EQ(WriteRegister(9, out, 32), TAMRO_NO_DEVICE_SELECTED);
        a.openFails = false;
        emu::counters() = {};
        ASSERT_EQ(WriteRegister(9, out, 32), TAMRO_OK);
        EXPECT_EQ(emu::counters().enumerations + emu::counters().descriptorReads, 1);
        emu::detachAll();
    }
}

// A server address too long for its slot is refused without a probe, but the adapters found
// are still listed and the scan succeeds.
TEST_F(Tamro, OverlongServerAddressStillListsTheAdapters)
{
    Adapter a(Adapter::Kind::Hid, &circuit);
    emu::attach(&a);
    EXPECT_EQ(ScanDevice(list, "lab-server.example.invalid", 8080), TAMRO_OK);
    EXPECT_EQ(countOf(list), 1);
    EXPECT_STREQ(list, "TA-HID");
    EXPECT_EQ(SelectDevice(0), TAMRO_OK);
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
