// The four boardless experiments: plain functions of the panel's inputs and
// outputs, so tests drive them directly and the board data only supplies its
// arrays and the step state.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace board {

// The arrays a step reads and writes. Steps use fixed positions (switches
// 0-17, keys 0-3, red LEDs 0-17, green LEDs 0-8, digits 0-7); a position the
// panel lacks reads as 0 and is skipped on output.
struct SimulationIo {
    const std::vector<std::uint8_t>* switches = nullptr;
    const std::vector<std::uint8_t>* keys = nullptr;
    std::vector<std::uint8_t>* red = nullptr;
    std::vector<std::uint8_t>* green = nullptr;
    std::vector<std::uint8_t>* digits = nullptr;
    std::uint8_t keyIdleLevel = 0;

    int s(int i) const { return read(switches, i); }
    int k(int i) const { return read(keys, i); }
    // A 4-bit value from switches first..first+3, switch `first` as bit 0.
    int nibble(int first) const;
    void setRed(int i, int v) { write(red, i, v & 1); }
    void setGreen(int i, int v) { write(green, i, v & 1); }
    void setDigit(int i, int pattern) { write(digits, i, pattern); }
    // Four LEDs from `first` up show bits 0 to 3 of value.
    void setRedBits(int first, int value);
    void setGreenBits(int first, int value);

private:
    static int read(const std::vector<std::uint8_t>* v, int i);
    static void write(std::vector<std::uint8_t>* v, int i, int value);
};

enum class Experiment { None, BusRegisterShifter, AdderA, AdderB, CounterShifterRegisterBus };

// Exact, case-sensitive match of a panel's simulation identifier.
Experiment experimentFor(const QString& id);

struct BusRegisterShifterState {
    int previousK1 = 1;
    int reg = 0;
    int shifter = 0;
};

struct CounterShifterState {
    bool started = false; // previous K1 takes keyIdleLevel on the first call
    int previousK1 = 0;
    int counter = 0;
    int shift = 0;
    int regA = 0;
};

// "KVTRM1502"
void stepBusRegisterShifter(BusRegisterShifterState& state, SimulationIo& io);
// "PLQWXNRDF1502" and "RFKQSVNBT1512"
void stepAdder(bool variantB, SimulationIo& io);
// "GZMWTH1708"
void stepCounterShifterRegisterBus(CounterShifterState& state, SimulationIo& io);

} // namespace board
