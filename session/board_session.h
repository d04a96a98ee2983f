// One board, whatever stands behind it, as every front end drives it: one step per user action
// (the whole input state in, everything the panel shows out), and subscribers that see each
// step's inputs and read-backs (the panel, the vector runner, a recorder). A session is a handle:
// no globals, one caller at a time; the program calls it from its worker thread, brixo-cli and
// brixo-labd directly.
#pragma once
#include "board_layout.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace brixo {

// What to read back after the inputs.
struct Reads {
    bool leds = true;
    bool digits = true;
    // Bits of CPU data to read: 0 reads a register of no bits (as the panel does with no data
    // display), -1 reads none.
    int cpuBits = 0;
};

struct Inputs {
    std::uint64_t switches = 0; // bit i = switch i, 1 = on
    std::uint32_t keys = 0;     // bit i = key i, 1 = held down
    std::uint32_t pulse = 0;    // keys pressed and released after the inputs are applied, lowest first
    std::uint64_t cycles = 0;   // clock cycles to run before the outputs are read (simulated boards)
    Reads reads;
};

struct Readback {
    // 0 success, else a library result code (vestrix's codes; the step route maps its failures
    // onto them) and, where the board said why, its words.
    int code = 0;
    std::string message;
    // Where a failed step stopped, so the program can retry the way the panel always has.
    enum Stage { Done, PanelInput, Switches, Keys, Leds, Digits, CpuData } stage = Done;

    std::uint64_t leds = 0;                  // the LED register as read: red 0..17, green 18..35
    DigitBytes digits{};                     // digit register bytes as read (0 = segment lit)
    std::vector<std::uint8_t> cpuData;       // ceil(cpuBits / 8) bytes, least significant bit first
    int cpuBits = -1;                        // -1: not read
    bool hasLeds = false, hasDigits = false; // what this step read

    // A simulated board's clock: cycles run since start and its simulated time.
    bool simulated = false;
    std::uint64_t cycles = 0;
    std::uint64_t timeNs = 0;

    bool ok() const { return code == 0; }
};

class BoardSession {
public:
    virtual ~BoardSession() = default;
    BoardSession() = default;
    BoardSession(const BoardSession &) = delete;
    BoardSession &operator=(const BoardSession &) = delete;

    // Applies the inputs (every register written, then the pulses) and reads back what
    // `inputs.reads` asks for. Subscribers see the result, failed or not.
    Readback step(const Inputs &inputs);
    // Reads back without writing anything (automatic refresh).
    Readback read(const Reads &reads);

    // What kind of board this is, for messages and logs ("board", "remote lab", "step route", ...).
    virtual std::string kind() const = 0;

    using Subscriber = std::function<void(const Inputs &inputs, bool wrote, const Readback &readback)>;
    // Called on the thread that ran the step, after it; returns a handle for unsubscribe.
    int subscribe(Subscriber subscriber);
    void unsubscribe(int handle);

protected:
    virtual Readback doStep(const Inputs &inputs) = 0;
    virtual Readback doRead(const Reads &reads) = 0;

private:
    void publish(const Inputs &inputs, bool wrote, const Readback &readback);
    std::mutex subscribersMutex_;
    std::map<int, Subscriber> subscribers_;
    int nextHandle_ = 1;
};

} // namespace brixo
