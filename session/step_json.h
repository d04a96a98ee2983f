// brixo-labd's step route in JSON, both ends: the request a client sends to POST /api/v1/step,
// the answer, and the board description GET /api/v1/board answers (the same members as the
// "design {...}" line the server prints when it is ready).
//   request: {"switches": 5, "keys": 0, "pulse": 1, "cycles": 0}   every member optional
//   answer:  {"leds": N, "digits": [8 pattern bytes, 0 = lit], "cpu_data": "hex, most
//             significant first", "cycles": N, "time_ns": N}
#pragma once
#include "board_session.h"

#include <string>

namespace brixo {

// Bodies longer than this are refused before they are parsed.
constexpr std::size_t kStepBodyLimit = 4096;
// The most clock cycles one step may ask for; the server's step time limit still applies.
constexpr std::uint64_t kMaxStepCycles = 10000000;

struct StepRequest {
    std::uint64_t switches = 0;
    std::uint32_t keys = 0;
    std::uint32_t pulse = 0;
    std::uint64_t cycles = 0;
    // Which members the body named: a member left out keeps the board's current value.
    bool hasSwitches = false, hasKeys = false;
};

// False with a reason that names the member, for anything but an object of known members
// holding non-negative integers that fit their registers.
bool parseStepRequest(const std::string &body, StepRequest &request, std::string &error);
std::string stepRequestJson(const Inputs &inputs);

struct StepAnswer {
    std::uint64_t leds = 0;
    DigitBytes digits{};
    std::vector<std::uint8_t> cpuData; // least significant bit first
    int cpuBits = 0;                   // four times the hex digits sent
    std::uint64_t cycles = 0, timeNs = 0;
};
std::string stepAnswerJson(const StepAnswer &answer, int cpuDataBits);
bool parseStepAnswer(const std::string &body, StepAnswer &answer, std::string &error);

// {"error": "..."}
std::string errorJson(const std::string &message);
// The "error" member of such a body; empty when there is none.
std::string errorOf(const std::string &body);

struct BoardDescription {
    std::string top;
    int switches = 0, keys = 0, red = 0, green = 0, digits = 0, cpuDataBits = 0;
    std::string clock;
};
std::string boardJson(const BoardDescription &board);
// Counts are clamped to what a board carries (a server of another version may say more).
bool parseBoardJson(const std::string &text, BoardDescription &board);

// Bytes least significant first <-> hex digits most significant first, `bits` wide.
std::string cpuDataHex(const std::vector<std::uint8_t> &bytes, int bits);
bool cpuDataFromHex(const std::string &hex, std::vector<std::uint8_t> &bytes);

} // namespace brixo
