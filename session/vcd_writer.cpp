#include "vcd_writer.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>

namespace brixo {

namespace {

// Identifier codes are printable ASCII from '!' to '~', in as few characters as they need.
std::string idFor(int n)
{
    std::string id;
    do {
        id += char('!' + n % 94);
        n /= 94;
    } while (n > 0);
    return id;
}

// Leading zeros are dropped (a value is extended with 0), but one stays before an x or z, which
// would extend with itself.
std::string shortest(const std::string &bits)
{
    std::size_t from = 0;
    while (from + 1 < bits.size() && bits[from] == '0' && (bits[from + 1] == '0' || bits[from + 1] == '1'))
        ++from;
    if (bits.find_first_not_of('x') == std::string::npos)
        return "x";
    return bits.substr(from);
}

constexpr std::size_t kWriteChunk = 1 << 16;

// "#T\n" appended in place: a step writes one, and a temporary text each would cost an
// allocation per step.
void appendTime(std::string &out, std::uint64_t t)
{
    char digits[24];
    const char *end = std::to_chars(digits, digits + sizeof digits, t).ptr;
    out += '#';
    out.append(digits, std::size_t(end - digits));
    out += '\n';
}

} // namespace

VcdWriter::~VcdWriter()
{
    std::string ignored;
    close(ignored);
}

int VcdWriter::declare(const std::string &name, int width)
{
    Var v;
    v.name = name;
    v.width = width < 1 ? 1 : width;
    v.id = idFor(int(vars_.size()));
    v.value.bits.assign(std::size_t(v.width), 'x');
    vars_.push_back(v);
    return int(vars_.size()) - 1;
}

bool VcdWriter::open(const std::string &path, const std::string &timescale, const std::string &scope,
                     std::string &error)
{
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        error = std::strerror(errno);
        return false;
    }
    out_ = "$version Brixo $end\n$timescale " + timescale + " $end\n$scope module " + scope + " $end\n";
    for (const Var &v : vars_) {
        out_ += "$var wire " + std::to_string(v.width) + " " + v.id + " " + v.name;
        if (v.width > 1)
            out_ += " [" + std::to_string(v.width - 1) + ":0]";
        out_ += " $end\n";
    }
    out_ += "$upscope $end\n$enddefinitions $end\n";
    time_ = 0;
    first_ = true;
    failed_ = false;
    return true;
}

void VcdWriter::at(std::uint64_t t)
{
    if (t <= time_)
        return;
    flush();
    time_ = t;
}

void VcdWriter::set(int var, std::uint64_t value)
{
    Var &v = vars_[std::size_t(var)];
    if (v.width > 64) {
        std::string bits(std::size_t(v.width), '0');
        for (int i = 0; i < 64; ++i)
            if ((value >> i) & 1)
                bits[std::size_t(v.width - 1 - i)] = '1';
        setBits(var, bits);
        return;
    }
    value &= v.width >= 64 ? ~0ull : (1ull << v.width) - 1;
    if (!v.value.text && v.value.number == value)
        return;
    if (v.value.text)
        v.value.bits.clear(); // nothing to copy along with the number from here on
    v.value.text = false;
    v.value.number = value;
    if (!v.dirty) {
        v.dirty = true;
        dirty_.push_back(var);
    }
}

void VcdWriter::setBits(int var, const std::string &bits)
{
    Var &v = vars_[std::size_t(var)];
    const std::size_t w = std::size_t(v.width);
    std::string value = bits.size() >= w ? bits.substr(bits.size() - w) : std::string(w - bits.size(), '0') + bits;
    if (w <= 64 && value.find_first_not_of("01") == std::string::npos) {
        set(var, std::stoull(value, nullptr, 2));
        return;
    }
    if (v.value.text && value == v.value.bits)
        return;
    v.value.text = true;
    v.value.bits.swap(value);
    if (!v.dirty) {
        v.dirty = true;
        dirty_.push_back(var);
    }
}

void VcdWriter::comment(const std::string &text)
{
    // "$end" inside the text would end the comment early.
    std::string safe = text;
    for (std::size_t at; (at = safe.find("$end")) != std::string::npos;)
        safe.replace(at, 4, "$ end");
    comments_.push_back(std::move(safe));
}

void VcdWriter::writeValue(const Var &v)
{
    const bool scalar = v.width == 1;
    if (!scalar)
        out_ += 'b';
    if (v.value.text) {
        out_ += shortest(v.value.bits);
    } else {
        int top = 63;
        while (top > 0 && !((v.value.number >> top) & 1))
            --top;
        for (int i = top; i >= 0; --i)
            out_ += (v.value.number >> i) & 1 ? '1' : '0';
    }
    if (!scalar)
        out_ += ' ';
    out_ += v.id;
    out_ += '\n';
}

void VcdWriter::flush()
{
    if (!file_)
        return;
    if (first_) {
        // Every variable once, as it stands (x for what nothing set yet).
        appendTime(out_, time_);
        out_ += "$dumpvars\n";
        for (Var &v : vars_) {
            writeValue(v);
            v.written = v.value;
            v.dirty = false;
        }
        out_ += "$end\n";
        first_ = false;
    } else {
        bool stamped = false;
        for (int n : dirty_) {
            Var &v = vars_[std::size_t(n)];
            v.dirty = false;
            if (v.value == v.written)
                continue;
            if (!stamped) {
                appendTime(out_, time_);
                stamped = true;
            }
            writeValue(v);
            v.written = v.value;
        }
        if (!stamped && !comments_.empty())
            appendTime(out_, time_);
    }
    dirty_.clear();
    for (const std::string &c : comments_) {
        out_ += "$comment ";
        out_ += c;
        out_ += " $end\n";
    }
    comments_.clear();
    if (out_.size() >= kWriteChunk)
        drain();
}

void VcdWriter::drain()
{
    if (!out_.empty() && std::fwrite(out_.data(), 1, out_.size(), file_) != out_.size())
        failed_ = true;
    out_.clear();
}

bool VcdWriter::close(std::string &error)
{
    if (!file_)
        return true;
    flush();
    drain();
    bool ok = !failed_ && std::fflush(file_) == 0 && !std::ferror(file_);
    const int err = errno;
    ok &= std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok)
        error = std::string("the waveform file could not be written: ") + std::strerror(err);
    return ok;
}

} // namespace brixo
