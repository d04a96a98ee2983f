#pragma once
// The board data behind the virtual panel: the switch and key values the panel
// sends to the lab board and the LED, digit and data-display values it shows.
// The board is asked through the board worker, one step at a time; its answers
// are unpacked here, on the window's thread.
#include "board_layout.h"
#include "board_session.h"
#include "register_packing.h"
#include "simulation.h"
#include "step_queue.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class BoardWorker;

using board::DataSlot;

class VirtualComponentData : public QObject {
    Q_OBJECT
public:
    // What the board accepts; the panel never asks for more.
    static constexpr int kMaxSwitches = brixo::BoardLayout::switches;
    static constexpr int kMaxKeys = brixo::BoardLayout::keys;
    static constexpr int kMaxRedLeds = brixo::BoardLayout::redLeds;
    static constexpr int kMaxGreenLeds = brixo::BoardLayout::greenLeds;
    // The board data's own limit, not the board's: it keeps up to 64 digits although the
    // register carries 8 (the digits past them are never read, and keep their value).
    static constexpr int kMaxDigits = 64;

    // Without a worker there is no board: board steps fail as with no adapter.
    explicit VirtualComponentData(BoardWorker* worker = nullptr, QObject* parent = nullptr);
    ~VirtualComponentData() override;

    // Each sizing call refuses a count above its limit with -1 and leaves the
    // old count and array as they were; otherwise the array is rebuilt with n
    // initial values and 0 is returned.
    int setSwitchCount(int n);
    int setKeyCount(int n);
    int setRedLedCount(int n);
    int setGreenLedCount(int n);
    int setDigitCount(int n);

    // Slot i takes the index and bit width of the entry whose index is i; a
    // position no entry claims gets width 0 (empty text).
    void setDataSlots(const std::vector<DataSlot>& entries);
    // Any list of data widgets that carry `index` and `bitWidth` (BrixoButton).
    template <class Widget>
    void setDataSlots(const QList<Widget*>& widgets)
    {
        std::vector<DataSlot> entries;
        entries.reserve(static_cast<std::size_t>(widgets.size()));
        for (const Widget* w : widgets) {
            if (w)
                entries.push_back(DataSlot{w->index, w->bitWidth});
        }
        setDataSlots(entries);
    }

    static std::uint8_t segmentPattern(int value) { return board::segmentPattern(value); }

    int switchCount() const { return switchCount_; }
    int keyCount() const { return keyCount_; }
    int redLedCount() const { return redLedCount_; }
    int greenLedCount() const { return greenLedCount_; }
    int digitCount() const { return digitCount_; }
    int dataSlotCount() const { return static_cast<int>(dataSlots_.size()); }

    // Bounds-checked views: a position outside the array reads as 0.
    std::uint8_t switchValue(int i) const { return at(switches_, i); }
    std::uint8_t keyValue(int i) const { return at(keys_, i); }
    std::uint8_t redLed(int i) const { return at(redLeds_, i); }
    std::uint8_t greenLed(int i) const { return at(greenLeds_, i); }
    std::uint8_t digit(int i) const { return at(digits_, i); }
    const std::vector<DataSlot>& dataSlots() const { return dataSlots_; }
    const QStringList& dataTexts() const { return dataTexts_; }
    QString dataText(int i) const { return i >= 0 && i < dataTexts_.size() ? dataTexts_.at(i) : QString(); }

    const std::vector<std::uint8_t>& switches() const { return switches_; }
    const std::vector<std::uint8_t>& keys() const { return keys_; }
    const std::vector<std::uint8_t>& redLeds() const { return redLeds_; }
    const std::vector<std::uint8_t>& greenLeds() const { return greenLeds_; }
    const std::vector<std::uint8_t>& digits() const { return digits_; }

    // Set only here: a pressed key is 1, a digit bit read as 0 lights its
    // segment, an LED bit read as 1 lights its LED.
    const std::uint8_t keyIdleLevel = 0;
    const std::uint8_t digitMask = 0xFF;
    const int ledOnLevel = 0;

    bool simulationMode = false;

    // Board I/O through the worker. Each returns 0 once the step is on its way
    // (or waits behind the one in flight), or the code of a refusal already
    // reported. The answer comes later: its failure is reported once and
    // linkFailed follows; a full read emits FPGAStateChanged.
    int writeInputs();
    // A read of the outputs; while a step is in flight none is sent, as that
    // step's answer brings them. outputsRead follows the answer.
    int readOutputs();
    int readDataSlots();
    // A step is in flight or waits.
    bool busy() const { return queue_.inFlight() || queue_.waiting(); }
    // The whole input state as a step carries it, with what it reads back.
    brixo::Inputs inputs() const;
    // Every key back to its idle level without a word to the board: after the link failed,
    // the next write that gets through carries them.
    void releaseKeysLocally();
    // The board is being given up (a design reloaded, another board): a step still in flight
    // to it that fails says nothing about the next board, so its failure is not shown.
    void boardLeft();
    // Asked before a step that found no board offers the connect dialog: true when it has told
    // the user why instead (a simulated design that has ended), and the dialog is not offered.
    void setNoBoardNotice(std::function<bool()> notice) { noBoardNotice_ = std::move(notice); }

    // Chooses the boardless experiment by its exact identifier; any other
    // text leaves none chosen.
    void selectExperiment(const QString& id);
    using SimulationStep = void (VirtualComponentData::*)();
    SimulationStep simulationStep() const { return simulationStep_; }

public slots:
    int SwitchChange(int index, bool value);
    int KeyPressed(int index);
    int KeyReleased(int index);

signals:
    void FPGAStateChanged();
    // A board write or read failed (and was reported); the code is the one shown.
    void linkFailed(int code);
    // A readOutputs() was answered: 0, or the failure that was reported.
    void outputsRead(int code);

private:
    static std::uint8_t at(const std::vector<std::uint8_t>& v, int i)
    {
        return i >= 0 && static_cast<std::size_t>(i) < v.size() ? v[static_cast<std::size_t>(i)] : 0;
    }
    void setInput(std::vector<std::uint8_t>& array, int index, std::uint8_t value);
    board::SimulationIo simulationIo();
    // The four experiments over this board data; their state lives as long as the program.
    void simulateBusRegisterShifter();
    void simulateAdderA();
    void simulateAdderB();
    void simulateCounterShifterRegisterBus();

    int resize(std::vector<std::uint8_t>& array, int& count, int n, int limit, std::uint8_t initial);

    // One request to the worker and what is needed to take its answer.
    struct Request {
        enum Kind { Write, Read, DataOnly } kind = Write;
        brixo::Inputs inputs; // for a read, only its reads count
        bool retried = false;
        int slotsVersion = 0;
        int boardGeneration = 0;
    };
    int boardGeneration_ = 0;
    std::function<bool()> noBoardNotice_;
    void send(const Request& request);
    void answered(quint64 id, const brixo::Readback& readback);
    bool refuseWithoutWorker(Request::Kind kind);
    int sendRead(Request::Kind kind, const brixo::Reads& what);
    void fail(const Request& request, int code);
    void unpack(const Request& request, const brixo::Readback& readback);
    brixo::Reads reads(bool leds, bool digits) const;

    BoardWorker* worker_;
    board::StepQueue queue_;
    Request inFlight_;
    quint64 nextId_ = 1, inFlightId_ = 0;
    int slotsVersion_ = 0; // grows with each setDataSlots: a read of the old slots is not unpacked

    int switchCount_ = 0;
    int keyCount_ = 0;
    int redLedCount_ = 0;
    int greenLedCount_ = 0;
    int digitCount_ = 0;
    std::vector<std::uint8_t> switches_;
    std::vector<std::uint8_t> keys_;
    std::vector<std::uint8_t> redLeds_;
    std::vector<std::uint8_t> greenLeds_;
    std::vector<std::uint8_t> digits_;
    std::vector<DataSlot> dataSlots_;
    QStringList dataTexts_;
    SimulationStep simulationStep_ = nullptr;
};
