// The emulated debug adapter: stands behind tamro's HID and bulk backends (the thin layer
// over hidapi and libusb), speaks the frame protocol from the device's side and answers
// register scans through an emu::ScanTarget. tamro's real framing, chunking, handshakes and
// reply checks run against it.
//
// Link `emu_adapter` (it carries tamro's code, built from tamro_obj) and call emu::install()
// before the first tamro call; emu::uninstall() puts the real hidapi/libusb backends back.
#pragma once
#include "support/scan_target.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace emu {

using Bytes = std::vector<uint8_t>;

// One misbehaviour, applied to one reply of the adapter.
struct Fault {
    enum Type {
        NoReply,    // send nothing
        Truncate,   // send only the first `value` bytes of the reply
        Extend,     // append `value` zero bytes after the reply
        BadStart,   // corrupt the start mark
        BadEnd,     // corrupt the end mark
        WrongKind,  // reply kind byte becomes `value`
        ErrorReply, // answer the 6-byte error reply with reason `value`
        Status,     // status byte of the reply becomes `value`
        Raw,        // send exactly `bytes` as the reply frame
        RawReports, // HID only: deliver exactly `reports` as input reports (as hidapi returns them)
        Delay,      // deliver the reply after `value` ms (a late reply stays queued)
        Trickle     // HID only: `perReport` frame bytes per report, one report every `value` ms
    };
    Fault(Type t = NoReply, int v = 0) : type(t), value(v) {}
    Type type;
    int value;
    Bytes bytes;
    std::vector<Bytes> reports;
    int perReport = 1;
};

class Adapter {
public:
    enum class Kind { Hid, Bulk };

    explicit Adapter(Kind kind, ScanTarget *target = nullptr);
    ~Adapter();
    Adapter(const Adapter &) = delete;
    Adapter &operator=(const Adapter &) = delete;

    Kind kind() const { return kind_; }
    const std::string &path() const { return path_; } // set by attach()

    // --- what the host sees when it enumerates -----------------------------------------
    std::string description; // product string: "TA-HID" or "TA-MRO" by default
    bool descriptionReadable = true;
    uint16_t vendorId, productId; // 0x0483/0x0521 (HID) or 0x8888/0x0519 (bulk) by default
    int outputReportLength = 65;  // HID capability values, report-ID byte included
    int inputReportLength = 65;
    bool descriptorExposed = true; // false: the host must fall back to 65/65
    bool openFails = false;        // the device is listed but cannot be opened
    int failWrites = 0;            // that many next writes fail (HID write returns -1)

    // --- contents of the adapter's answers --------------------------------------------
    ScanTarget *target = nullptr;   // null: scans read back zeros with status 0x01
    uint8_t openStatus = 0xAA;      // status byte of the open reply
    std::string voltage = "1.6500"; // bytes 4..9 of the voltage reply (6 characters)
    struct Version {
        uint8_t major = 2, minor = 7;
        uint8_t buildTime[6] = {0x20, 0x21, 0x09, 0x15, 0x10, 0x30}; // BCD year(2) month day hour minute
        uint8_t serial[4] = {0x12, 0x34, 0x56, 0x78};
        uint8_t counters[2] = {0, 0};
        uint8_t identifier[12] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C};
    } version;
    struct Info {
        bool supported = true; // false: the size query gets the error reply of reason 5
        int recordLength = 74; // reply length is recordLength + 6
        uint8_t firmwareLow = 0x05, firmwareHigh = 0x02;
        uint32_t serial = 0x00C0FFEE;
        uint32_t identifier[3] = {0x11111111, 0x22222222, 0x33333333};
        std::string date = "2021.09.15"; // up to 20 bytes
        std::string pcb = "PCB-V3.1";    // up to 15 bytes
    } info;
    uint8_t fpgaSizeStatus = 0, fpgaDataStatus = 0, fpgaDoneStatus = 0, upgradeStatus = 0;
    int failFpgaPiece = -1;               // the data piece with this index (from clearRecords) answers status 1
    std::function<void(int)> onFpgaPiece; // called with each data piece's index before it is answered

    // Queue a misbehaviour for the next reply to `command` (-1: to any request).
    void queueFault(const Fault &fault, int command = -1);

    // --- what the adapter received -----------------------------------------------------
    std::vector<Bytes> reports; // every HID output report / bulk write, exact bytes
    std::vector<Bytes> frames;  // every complete request frame, reassembled
    int inputReports = 0;       // HID input reports / bulk reads delivered
    int opens = 0, closes = 0;
    Bytes sessionPayload; // the 8 bytes of the last open request
    int lastSpeed = -1, lastPower = -1;
    int fpgaAnnounced = -1;          // size from the last 0x11 request
    Bytes fpgaData;                  // concatenated data of every 0x12 piece
    std::vector<int> fpgaPieceSizes; // size of each 0x12 piece, in order
    bool fpgaDone = false, upgradeRequested = false;
    void clearRecords();

    // --- device side, called by the emulated backends ----------------------------------
    bool open();
    void close();
    int write(const uint8_t *data, int length);         // report or bulk write
    int read(uint8_t *data, int length, int timeoutMs); // report or bulk read

    // Enciphers one 8-byte block (two little-endian words) under the session key.
    void encipher(uint8_t *block) const;

private:
    friend void attach(Adapter *);
    void handleInput();
    void process(const Bytes &frame);
    void reply(int command, Bytes frame);
    Bytes scanReply(const Bytes &sequence);

    Kind kind_;
    std::string path_;
    bool isOpen_ = false;
    Bytes pending_; // request bytes not yet forming a complete frame
    struct Outgoing {
        long long dueMs;
        Bytes bytes;
    };
    std::deque<Outgoing> outgoing_; // HID: input reports; bulk: reply frames
    struct Queued {
        int command;
        Fault fault;
    };
    std::deque<Queued> faults_;
};

// Makes tamro's HID and bulk backends talk to the attached adapters (instead of hidapi and
// libusb). Adapters are listed in the order attached. uninstall() restores the real backends
// and detaches everything; adapters are owned by the caller and must outlive their attachment.
void install();

// What the host side did through the emulated backends: bus enumerations (a listing, or finding
// a device's bus location again) and report-descriptor reads. Tests reset it with `= {}`.
struct Counters {
    int enumerations = 0;
    int descriptorReads = 0;
};
Counters &counters();
void uninstall();
void attach(Adapter *adapter);
void detach(Adapter *adapter);
void detachAll();

} // namespace emu
