#pragma once
// The board data behind the virtual panel: the switch and key values the panel
// sends to the lab board and the LED, digit and data-display values it shows.
#include "register_packing.h"
#include "simulation.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

using board::DataSlot;

class VirtualComponentData : public QObject {
    Q_OBJECT
public:
    // What the board accepts; the panel never asks for more.
    static constexpr int kMaxSwitches = 36;
    static constexpr int kMaxKeys = 20;
    static constexpr int kMaxRedLeds = 18;
    static constexpr int kMaxGreenLeds = 18;
    static constexpr int kMaxDigits = 64;

    explicit VirtualComponentData(QObject* parent = nullptr);
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

    // Board I/O over the lab library. Each failure is reported once and ends
    // the operation with its code; FPGAStateChanged follows only a full read.
    int writeInputs();
    int readOutputs();
    int readDataSlots();
    // Every key back to its idle level without a word to the board: after the link failed,
    // the next write that gets through carries them.
    void releaseKeysLocally();

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
