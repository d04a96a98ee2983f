#include "step_json.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace brixo {

using nlohmann::json;

namespace {

bool fail(std::string &error, const std::string &why)
{
    error = why;
    return false;
}

// A non-negative integer below 2^bits (bits 64: any unsigned), or a reason naming the member.
bool member(const json &o, const char *name, int bits, std::uint64_t max, std::uint64_t &value, bool &present,
            std::string &error)
{
    const auto it = o.find(name);
    present = it != o.end();
    if (!present)
        return true;
    if (!it->is_number_integer() || (it->is_number_integer() && !it->is_number_unsigned() && it->get<long long>() < 0))
        return fail(error, std::string("\"") + name + "\" must be a non-negative integer");
    const std::uint64_t v = it->get<std::uint64_t>();
    if ((bits < 64 && v > BoardLayout::mask(bits)) || v > max)
        return fail(error, std::string("\"") + name + "\" is out of range (at most " +
                               std::to_string(std::min(max, BoardLayout::mask(bits))) + ")");
    value = v;
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool parseStepRequest(const std::string &body, StepRequest &r, std::string &error)
{
    r = StepRequest();
    if (body.size() > kStepBodyLimit)
        return fail(error, "body longer than " + std::to_string(kStepBodyLimit) + " bytes");
    // An empty body is a step that changes nothing: a read.
    if (body.find_first_not_of(" \t\r\n") == std::string::npos)
        return true;
    const json o = json::parse(body, nullptr, false);
    if (o.is_discarded())
        return fail(error, "the body is not JSON");
    if (!o.is_object())
        return fail(error, "the body must be a JSON object");
    for (const auto &item : o.items())
        if (item.key() != "switches" && item.key() != "keys" && item.key() != "pulse" && item.key() != "cycles")
            return fail(error, "unknown member \"" + item.key().substr(0, 64) + "\"");
    std::uint64_t keys = 0, pulse = 0;
    bool hasPulse = false, hasCycles = false;
    if (!member(o, "switches", BoardLayout::switchBits, ~0ull, r.switches, r.hasSwitches, error) ||
        !member(o, "keys", BoardLayout::keyBits, ~0ull, keys, r.hasKeys, error) ||
        !member(o, "pulse", BoardLayout::keyBits, ~0ull, pulse, hasPulse, error) ||
        !member(o, "cycles", 64, kMaxStepCycles, r.cycles, hasCycles, error))
        return false;
    r.keys = std::uint32_t(keys);
    r.pulse = std::uint32_t(pulse);
    return true;
}

std::string stepRequestJson(const Inputs &in)
{
    json o = {{"switches", in.switches}, {"keys", in.keys}};
    if (in.pulse)
        o["pulse"] = in.pulse;
    if (in.cycles)
        o["cycles"] = in.cycles;
    return o.dump();
}

std::string cpuDataHex(const std::vector<std::uint8_t> &bytes, int bits)
{
    std::string out;
    for (int nibble = (bits + 3) / 4 - 1; nibble >= 0; --nibble) {
        int v = 0;
        for (int k = 3; k >= 0; --k) {
            const int bit = nibble * 4 + k;
            const bool set =
                bit < bits && std::size_t(bit / 8) < bytes.size() && ((bytes[std::size_t(bit / 8)] >> (bit % 8)) & 1);
            v = v << 1 | (set ? 1 : 0);
        }
        out += "0123456789abcdef"[v];
    }
    return out;
}

bool cpuDataFromHex(const std::string &hex, std::vector<std::uint8_t> &bytes)
{
    if (hex.size() > std::size_t(BoardLayout::cpuDataBits / 4))
        return false;
    bytes.assign((hex.size() + 1) / 2, 0);
    for (std::size_t i = 0; i < hex.size(); ++i) {
        const int v = hexDigit(hex[hex.size() - 1 - i]);
        if (v < 0)
            return false;
        bytes[i / 2] |= std::uint8_t(v << (4 * (i % 2)));
    }
    return true;
}

std::string stepAnswerJson(const StepAnswer &a, int cpuDataBits)
{
    json digits = json::array();
    for (std::uint8_t d : a.digits)
        digits.push_back(d);
    const json o = {{"leds", a.leds},
                    {"digits", digits},
                    {"cpu_data", cpuDataHex(a.cpuData, cpuDataBits)},
                    {"cycles", a.cycles},
                    {"time_ns", a.timeNs}};
    return o.dump();
}

bool parseStepAnswer(const std::string &body, StepAnswer &a, std::string &error)
{
    a = StepAnswer();
    const json o = json::parse(body, nullptr, false);
    if (o.is_discarded() || !o.is_object())
        return fail(error, "the answer is not a JSON object");
    const auto leds = o.find("leds");
    const auto digits = o.find("digits");
    const auto cpu = o.find("cpu_data");
    if (leds == o.end() || !leds->is_number_unsigned() ||
        leds->get<std::uint64_t>() > BoardLayout::mask(BoardLayout::ledBits))
        return fail(error, "\"leds\" is missing or out of range");
    a.leds = leds->get<std::uint64_t>();
    if (digits == o.end() || !digits->is_array() || digits->size() != std::size_t(BoardLayout::digits))
        return fail(error, "\"digits\" is not an array of 8 numbers");
    for (std::size_t i = 0; i < a.digits.size(); ++i) {
        const json &d = (*digits)[i];
        if (!d.is_number_unsigned() || d.get<std::uint64_t>() > 255)
            return fail(error, "\"digits\" holds a value that is no byte");
        a.digits[i] = std::uint8_t(d.get<std::uint64_t>());
    }
    if (cpu != o.end()) {
        if (!cpu->is_string() || !cpuDataFromHex(cpu->get<std::string>(), a.cpuData))
            return fail(error, "\"cpu_data\" is not a hex text of at most 2048 bits");
        a.cpuBits = int(cpu->get<std::string>().size()) * 4;
    }
    for (const char *name : {"cycles", "time_ns"}) {
        const auto it = o.find(name);
        if (it == o.end())
            continue;
        if (!it->is_number_unsigned())
            return fail(error, std::string("\"") + name + "\" is not a non-negative integer");
        (std::string(name) == "cycles" ? a.cycles : a.timeNs) = it->get<std::uint64_t>();
    }
    return true;
}

std::string errorJson(const std::string &message)
{
    // Invalid UTF-8 (a design's file name, a simulator's message) is replaced, never thrown on.
    return json{{"error", message}}.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string errorOf(const std::string &body)
{
    const json o = json::parse(body, nullptr, false);
    if (o.is_discarded() || !o.is_object())
        return {};
    const auto it = o.find("error");
    return it != o.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::string boardJson(const BoardDescription &b)
{
    // In the order the ready line has always listed them.
    const nlohmann::ordered_json o = {
        {"top", b.top},       {"switches", b.switches},         {"keys", b.keys},  {"red", b.red}, {"green", b.green},
        {"digits", b.digits}, {"cpu_data_bits", b.cpuDataBits}, {"clock", b.clock}};
    return o.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

bool parseBoardJson(const std::string &text, BoardDescription &b)
{
    const json o = json::parse(text, nullptr, false);
    if (o.is_discarded() || !o.is_object())
        return false;
    const auto count = [&o](const char *name, int max) {
        const auto it = o.find(name);
        if (it == o.end() || !it->is_number_integer())
            return 0;
        const long long v = it->get<long long>();
        return int(std::clamp<long long>(v, 0, max));
    };
    const auto text_ = [&o](const char *name) {
        const auto it = o.find(name);
        return it != o.end() && it->is_string() ? it->get<std::string>() : std::string();
    };
    b = BoardDescription();
    b.top = text_("top");
    b.switches = count("switches", BoardLayout::switches);
    b.keys = count("keys", BoardLayout::keys);
    b.red = count("red", BoardLayout::redLeds);
    b.green = count("green", BoardLayout::greenLeds);
    b.digits = count("digits", BoardLayout::digits);
    b.cpuDataBits = count("cpu_data_bits", BoardLayout::cpuDataBits);
    b.clock = text_("clock");
    return true;
}

} // namespace brixo
