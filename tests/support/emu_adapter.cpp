#include "support/emu_adapter.h"

#include "usb_backend.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace emu {

namespace {

long long nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::vector<Adapter *> attached;
int nextId = 0;

Adapter *find(Adapter::Kind kind, const std::string &path)
{
    for (Adapter *a : attached)
        if (a->kind() == kind && a->path() == path)
            return a;
    return nullptr;
}

Counters counted;

std::vector<tamro::UsbDeviceInfo> listed(Adapter::Kind kind, uint16_t vid, uint16_t pid)
{
    ++counted.enumerations;
    std::vector<tamro::UsbDeviceInfo> out;
    for (Adapter *a : attached)
        if (a->kind() == kind && a->vendorId == vid && a->productId == pid)
            out.push_back({a->path(), a->description, a->descriptionReadable});
    return out;
}

class HidEmu final : public tamro::HidBackend {
public:
    std::vector<tamro::UsbDeviceInfo> enumerate(uint16_t vid, uint16_t pid) override
    {
        return listed(Adapter::Kind::Hid, vid, pid);
    }
    void *open(const std::string &path) override
    {
        Adapter *a = find(Adapter::Kind::Hid, path);
        return a && a->open() ? a : nullptr;
    }
    void reportLengths(void *d, const std::string &, int &output, int &input) override
    {
        ++counted.descriptorReads;
        auto *a = static_cast<Adapter *>(d);
        output = a->descriptorExposed ? a->outputReportLength : 65;
        input = a->descriptorExposed ? a->inputReportLength : 65;
    }
    int write(void *d, const uint8_t *data, size_t length) override
    {
        return static_cast<Adapter *>(d)->write(data, int(length));
    }
    int readTimeout(void *d, uint8_t *data, size_t length, int ms) override
    {
        return static_cast<Adapter *>(d)->read(data, int(length), ms);
    }
    void close(void *d) override { static_cast<Adapter *>(d)->close(); }
};

class BulkEmu final : public tamro::BulkBackend {
public:
    std::vector<tamro::UsbDeviceInfo> enumerate(uint16_t vid, uint16_t pid) override
    {
        return listed(Adapter::Kind::Bulk, vid, pid);
    }
    // Finding the device on the bus is an enumeration, as with libusb.
    void *locate(const std::string &path) override
    {
        ++counted.enumerations;
        return find(Adapter::Kind::Bulk, path);
    }
    void release(void *) override {}
    void *open(void *location) override
    {
        auto *a = static_cast<Adapter *>(location);
        const bool present = std::find(attached.begin(), attached.end(), a) != attached.end();
        return present && a->open() ? a : nullptr;
    }
    int write(void *d, const uint8_t *data, int length, int) override
    {
        return static_cast<Adapter *>(d)->write(data, length);
    }
    int read(void *d, uint8_t *data, int length, int ms) override
    {
        return static_cast<Adapter *>(d)->read(data, length, ms);
    }
    void close(void *d) override { static_cast<Adapter *>(d)->close(); }
};

HidEmu hidEmu;
BulkEmu bulkEmu;

uint32_t word(const Bytes &b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

void putWord(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

Bytes normal(std::initializer_list<uint8_t> body)
{
    Bytes b = {0xFF, 0xFE, 0x01, 0x00};
    b.insert(b.end(), body);
    b.push_back(0xFE);
    b.push_back(0xFF);
    return b;
}

} // namespace

Counters &counters() { return counted; }

void install()
{
    tamro::setHidBackend(&hidEmu);
    tamro::setBulkBackend(&bulkEmu);
}

void uninstall()
{
    detachAll();
    tamro::setHidBackend(nullptr);
    tamro::setBulkBackend(nullptr);
}

void attach(Adapter *a)
{
    detach(a);
    a->path_ = (a->kind() == Adapter::Kind::Hid ? "emu-hid-" : "emu-bulk-") + std::to_string(++nextId);
    attached.push_back(a);
}

void detach(Adapter *a) { attached.erase(std::remove(attached.begin(), attached.end(), a), attached.end()); }

void detachAll() { attached.clear(); }

Adapter::Adapter(Kind kind, ScanTarget *t) : target(t), kind_(kind)
{
    if (kind == Kind::Hid) {
        description = "TA-HID";
        vendorId = 0x0483;
        productId = 0x0521;
    } else {
        description = "TA-MRO";
        vendorId = 0x8888;
        productId = 0x0519;
    }
}

Adapter::~Adapter() { detach(this); }

void Adapter::queueFault(const Fault &fault, int command) { faults_.push_back({command, fault}); }

void Adapter::clearRecords()
{
    reports.clear();
    frames.clear();
    inputReports = opens = closes = 0;
    fpgaData.clear();
    fpgaPieceSizes.clear();
    fpgaAnnounced = -1;
    fpgaDone = upgradeRequested = false;
}

bool Adapter::open()
{
    if (openFails)
        return false;
    ++opens;
    isOpen_ = true;
    pending_.clear();
    outgoing_.clear();
    return true;
}

void Adapter::close()
{
    ++closes;
    isOpen_ = false;
    pending_.clear();
    outgoing_.clear();
}

int Adapter::write(const uint8_t *data, int length)
{
    reports.emplace_back(data, data + length);
    if (failWrites > 0) {
        --failWrites;
        return -1;
    }
    if (kind_ == Kind::Hid) {
        if (length < 2)
            return length;
        const int k = std::min<int>(data[1], length - 2);
        pending_.insert(pending_.end(), data + 2, data + 2 + k);
    } else {
        pending_.insert(pending_.end(), data, data + length);
    }
    handleInput();
    return length;
}

int Adapter::read(uint8_t *data, int length, int timeoutMs)
{
    if (outgoing_.empty())
        return 0; // nothing will come: the same as waiting out the limit
    const long long now = nowMs();
    if (outgoing_.front().dueMs > now) {
        const long long wait = std::min<long long>(outgoing_.front().dueMs - now, timeoutMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        if (outgoing_.front().dueMs > nowMs())
            return 0;
    }
    Bytes b = std::move(outgoing_.front().bytes);
    outgoing_.pop_front();
    const int n = std::min<int>(length, int(b.size()));
    std::memcpy(data, b.data(), size_t(n));
    ++inputReports;
    return n;
}

void Adapter::encipher(uint8_t *block) const
{
    uint32_t k[4];
    for (int i = 0; i < 4; ++i) {
        Bytes p = sessionPayload.size() == 8 ? sessionPayload : Bytes(8, 0);
        k[i] = word(p, size_t((i % 2) * 4));
    }
    uint32_t v0 = word(Bytes(block, block + 8), 0), v1 = word(Bytes(block, block + 8), 4), sum = 0;
    for (int i = 0; i < 32; ++i) {
        sum += 0x9E3779B9u;
        v0 += ((v1 << 4) + k[0]) ^ (v1 + sum) ^ ((v1 >> 5) + k[1]);
        v1 += ((v0 << 4) + k[2]) ^ (v0 + sum) ^ ((v0 >> 5) + k[3]);
    }
    putWord(block, v0);
    putWord(block + 4, v1);
}

// Length of the complete request at the front of `p`, 0 while incomplete, -1 when malformed.
static long frameLength(const Bytes &p)
{
    if (p.size() < 3)
        return 0;
    if (p[0] != 0xFF || p[1] != 0xFE)
        return -1;
    switch (p[2]) {
    case 0x10: return 14;
    case 0x0C:
    case 0x0D: return 6;
    case 0x0E:
    case 0x0F:
    case 0x13:
    case 0x15:
    case 0x16:
    case 0x17: return 5;
    case 0x11: return 9;
    case 0x12: {
        if (p.size() < 7)
            return 0;
        const uint32_t size = word(p, 3);
        return size > (1u << 24) ? -1 : long(9 + size);
    }
    case 0x00: { // sub-frames up to and including 0x07
        size_t at = 0;
        while (true) {
            if (p.size() < at + 3)
                return 0;
            if (p[at] != 0xFF || p[at + 1] != 0xFE)
                return -1;
            const uint8_t code = p[at + 2];
            size_t len = 5;
            if (at == 0)
                len = 6;
            else if (code == 0x06)
                len = 7;
            else if (code == 0x05) {
                if (p.size() < at + 4)
                    return 0;
                len = 6 + p[at + 3];
            } else if (code > 0x07)
                return -1;
            at += len;
            if (at > 6 && code == 0x07)
                return long(at);
        }
    }
    default: return -2; // unknown command
    }
}

void Adapter::handleInput()
{
    while (!pending_.empty()) {
        const long n = frameLength(pending_);
        if (n == 0 || long(pending_.size()) < n)
            return;
        if (n < 0) {
            const int cmd = pending_.size() > 2 ? pending_[2] : -1;
            pending_.clear();
            reply(cmd, {0xFF, 0xFE, 0x00, uint8_t(n == -2 ? 5 : 0), 0xFE, 0xFF});
            return;
        }
        Bytes frame(pending_.begin(), pending_.begin() + n);
        pending_.erase(pending_.begin(), pending_.begin() + n);
        frames.push_back(frame);
        if (frame[size_t(n) - 2] != 0xFE || frame[size_t(n) - 1] != 0xFF) {
            reply(frame[2], {0xFF, 0xFE, 0x00, 0x01, 0xFE, 0xFF});
            continue;
        }
        process(frame);
    }
}

Bytes Adapter::scanReply(const Bytes &f)
{
    const bool capture = f[3] == 1;
    size_t at = 6;
    int instruction = 0, bits = 0;
    bool data = false;
    Bytes in;
    while (at + 2 < f.size()) {
        const uint8_t code = f[at + 2];
        if (code == 0x02)
            data = true;
        if (code == 0x05) {
            const int whole = f[at + 3];
            in.insert(in.end(), f.begin() + long(at) + 4, f.begin() + long(at) + 4 + whole);
            bits += 8 * whole;
            at += size_t(6 + whole);
            continue;
        }
        if (code == 0x06) {
            if (data) {
                bits += f[at + 3];
                in.push_back(f[at + 4]);
            } else {
                instruction = f[at + 4];
            }
            at += 7;
            continue;
        }
        at += 5;
    }
    Bytes out(std::max<size_t>(1, size_t((bits + 7) / 8)), 0);
    uint8_t status = 0x01;
    if (target)
        status =
            target->scan(uint8_t(instruction), in.empty() ? nullptr : in.data(), bits, bits ? out.data() : nullptr);
    if (!capture)
        return {0xFF, 0xFE, 0x02, status, 0xFE, 0xFF};
    Bytes r = {0xFF, 0xFE, 0x01, 0x00, status};
    const size_t carried = size_t(bits > 8 ? (bits - 1) / 8 + 1 : 1);
    out.resize(carried, 0);
    r.insert(r.end(), out.begin(), out.end());
    r.push_back(0xFE);
    r.push_back(0xFF);
    return r;
}

void Adapter::process(const Bytes &f)
{
    const uint8_t cmd = f[2];
    switch (cmd) {
    case 0x10:
        sessionPayload.assign(f.begin() + 4, f.begin() + 12);
        reply(cmd, normal({openStatus}));
        return;
    case 0x00: reply(cmd, scanReply(f)); return;
    case 0x0C: lastSpeed = f[3]; return;
    case 0x0D: lastPower = f[3]; return;
    case 0x0E: {
        Bytes r = {0xFF, 0xFE, 0x01, 0x00};
        for (size_t i = 0; i < 6; ++i)
            r.push_back(i < voltage.size() ? uint8_t(voltage[i]) : uint8_t('0'));
        r.push_back(0xFE);
        r.push_back(0xFF);
        reply(cmd, r);
        return;
    }
    case 0x0F: {
        Bytes r(34, 0);
        r[0] = 0xFF, r[1] = 0xFE, r[2] = 0x01;
        r[4] = version.major, r[5] = version.minor;
        std::memcpy(&r[6], version.buildTime, 6);
        std::memcpy(&r[12], version.serial, 4);
        std::memcpy(&r[18], version.counters, 2);
        std::memcpy(&r[20], version.identifier, 12);
        const uint32_t built = uint32_t(r[6]) << 24 | uint32_t(r[7]) << 16 | uint32_t(r[8]) << 8 | r[9];
        if (built > 0x20170600u) {
            encipher(&r[16]);
            encipher(&r[24]);
        }
        r[32] = 0xFE, r[33] = 0xFF;
        reply(cmd, r);
        return;
    }
    case 0x17:
        if (!info.supported)
            return reply(cmd, {0xFF, 0xFE, 0x00, 0x05, 0xFE, 0xFF});
        reply(cmd, normal({uint8_t(info.recordLength), uint8_t(info.recordLength >> 8)}));
        return;
    case 0x16: {
        if (!info.supported)
            return reply(cmd, {0xFF, 0xFE, 0x00, 0x05, 0xFE, 0xFF});
        const size_t n = size_t(std::max(6, info.recordLength + 6));
        Bytes r(std::max<size_t>(n, 80), 0); // fields written in full, then cut to length
        r[10] = info.firmwareLow, r[11] = info.firmwareHigh;
        putWord(&r[20], info.serial);
        for (int i = 0; i < 3; ++i)
            putWord(&r[size_t(24 + 4 * i)], info.identifier[i]);
        std::memcpy(&r[40], info.date.data(), std::min<size_t>(20, info.date.size()));
        std::memcpy(&r[60], info.pcb.data(), std::min<size_t>(15, info.pcb.size()));
        r.resize(n);
        for (size_t b = 0; n >= 12 && b < (n - 12) / 8; ++b)
            encipher(&r[10 + 8 * b]);
        r[0] = 0xFF, r[1] = 0xFE, r[2] = 0x01;
        r[n - 2] = 0xFE, r[n - 1] = 0xFF;
        reply(cmd, r);
        return;
    }
    case 0x11:
        fpgaAnnounced = int(word(f, 3));
        reply(cmd, normal({fpgaSizeStatus, 0, 0, 0}));
        return;
    case 0x12:
        fpgaData.insert(fpgaData.end(), f.begin() + 7, f.end() - 2);
        fpgaPieceSizes.push_back(int(f.size()) - 9);
        if (onFpgaPiece)
            onFpgaPiece(int(fpgaPieceSizes.size()) - 1);
        reply(cmd, normal({int(fpgaPieceSizes.size()) - 1 == failFpgaPiece ? uint8_t(1) : fpgaDataStatus, 0, 0, 0}));
        return;
    case 0x13:
        fpgaDone = true;
        reply(cmd, normal({fpgaDoneStatus, 0, 0, 0}));
        return;
    case 0x15:
        upgradeRequested = true;
        reply(cmd, normal({upgradeStatus}));
        return;
    default: return;
    }
}

void Adapter::reply(int command, Bytes frame)
{
    long long due = 0;
    std::vector<Bytes> raw;
    bool rawReports = false;
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->command != -1 && it->command != command)
            continue;
        const Fault f = it->fault;
        faults_.erase(it);
        switch (f.type) {
        case Fault::NoReply: return;
        case Fault::Truncate: frame.resize(std::min(frame.size(), size_t(std::max(0, f.value)))); break;
        case Fault::Extend: frame.insert(frame.end(), size_t(std::max(0, f.value)), 0); break;
        case Fault::BadStart:
            if (!frame.empty())
                frame[0] = 0x00;
            break;
        case Fault::BadEnd:
            if (!frame.empty())
                frame.back() = 0x00;
            break;
        case Fault::WrongKind:
            if (frame.size() > 2)
                frame[2] = uint8_t(f.value);
            break;
        case Fault::ErrorReply: frame = {0xFF, 0xFE, 0x00, uint8_t(f.value), 0xFE, 0xFF}; break;
        case Fault::Status:
            // Acknowledgements carry their status in byte 3, every other reply in byte 4.
            if (frame.size() > 4)
                frame[frame.size() == 6 && frame[2] == 0x02 ? 3 : 4] = uint8_t(f.value);
            break;
        case Fault::Raw: frame = f.bytes; break;
        case Fault::RawReports:
            raw = f.reports;
            rawReports = true;
            break;
        case Fault::Delay: due = nowMs() + f.value; break;
        case Fault::Trickle:
            if (kind_ == Kind::Hid) {
                const size_t step = size_t(std::max(1, f.perReport));
                for (size_t at = 0, k = 1; at < frame.size(); at += step, ++k) {
                    const size_t n = std::min(step, frame.size() - at);
                    Bytes r(size_t(std::max(2, inputReportLength) - 1), 0);
                    r[0] = uint8_t(n);
                    std::memcpy(&r[1], &frame[at], n);
                    outgoing_.push_back({nowMs() + (long long)k * f.value, r});
                }
                return;
            }
            break;
        }
        break;
    }
    if (kind_ == Kind::Bulk) {
        if (!frame.empty())
            outgoing_.push_back({due, frame});
        return;
    }
    if (rawReports) {
        for (Bytes &r : raw)
            outgoing_.push_back({due, r});
        return;
    }
    // As hidapi returns input reports: no report-ID byte, a count, the frame bytes.
    const size_t room = size_t(std::max(2, inputReportLength) - 2);
    for (size_t at = 0; at < frame.size(); at += room) {
        Bytes r(size_t(std::max(2, inputReportLength) - 1), 0);
        const size_t k = std::min(room, frame.size() - at);
        r[0] = uint8_t(k);
        std::memcpy(&r[1], &frame[at], k);
        outgoing_.push_back({due, r});
    }
}

} // namespace emu
