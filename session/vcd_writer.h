// A value change dump (IEEE 1364 VCD) written as it goes: the variables are declared first,
// then values are set at non-decreasing times. Only values that changed since the last time
// written reach the file, and several settings at one time make one entry.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace brixo {

class VcdWriter {
public:
    VcdWriter() = default;
    VcdWriter(const VcdWriter &) = delete;
    VcdWriter &operator=(const VcdWriter &) = delete;
    ~VcdWriter();

    // Declared before open(); `width` bits, the reference shown as name[width-1:0] (a single bit
    // as name). Returns the variable's number.
    int declare(const std::string &name, int width);
    // Creates the file and writes the header (timescale such as "1ns", one scope `scope`).
    bool open(const std::string &path, const std::string &timescale, const std::string &scope, std::string &error);
    bool isOpen() const { return file_ != nullptr; }

    // Moves to time `t` (an earlier time is taken as the current one): what was set at the
    // current time is written first.
    void at(std::uint64_t t);
    std::uint64_t time() const { return time_; }
    // The variable's value at the current time, low `width` bits of `value`.
    void set(int var, std::uint64_t value);
    // Most significant first, one of 0 1 x z per bit; shorter texts are extended with 0.
    void setBits(int var, const std::string &bits);
    // A comment at the current time, written after its values.
    void comment(const std::string &text);

    // Writes what is pending and closes; false when a write failed.
    bool close(std::string &error);

private:
    // A value of up to 64 known bits is kept as a number (the common case, cheap to compare);
    // one with x or z bits, or a wider one, as text, most significant bit first.
    struct Value {
        bool text = true;
        std::uint64_t number = 0;
        std::string bits;
        bool operator==(const Value &o) const { return text == o.text && (text ? bits == o.bits : number == o.number); }
    };
    struct Var {
        std::string name, id;
        int width = 1;
        Value value, written; // written: what the file holds
        bool dirty = false;
    };
    void flush();
    void writeValue(const Var &v);
    void drain();

    std::vector<Var> vars_;
    std::vector<int> dirty_;
    std::vector<std::string> comments_;
    std::FILE *file_ = nullptr;
    std::string out_;
    std::uint64_t time_ = 0;
    bool first_ = true, failed_ = false;
};

} // namespace brixo
