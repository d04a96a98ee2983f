#include "virtualcomponentdata.h"

#include <algorithm>

#include "errormessage.h"

#include <QDebug>
#include <QLoggingCategory>

#include <vestrix.h>

// The data-slot texts of every read go to the debug log under this category.
Q_LOGGING_CATEGORY(boardLog, "brixo.board")

VirtualComponentData::VirtualComponentData(QObject* parent) : QObject(parent) {}

VirtualComponentData::~VirtualComponentData() = default;

int VirtualComponentData::resize(std::vector<std::uint8_t>& array, int& count, int n, int limit, std::uint8_t initial)
{
    // A refused or negative count keeps the old array, so count == size always holds.
    if (n > limit || n < 0)
        return -1;
    array.assign(static_cast<std::size_t>(n), initial);
    count = n;
    return 0;
}

int VirtualComponentData::setSwitchCount(int n) { return resize(switches_, switchCount_, n, kMaxSwitches, 0); }

int VirtualComponentData::setKeyCount(int n) { return resize(keys_, keyCount_, n, kMaxKeys, keyIdleLevel); }

int VirtualComponentData::setRedLedCount(int n)
{
    return resize(redLeds_, redLedCount_, n, kMaxRedLeds, ledOnLevel ? 1 : 0);
}

int VirtualComponentData::setGreenLedCount(int n)
{
    return resize(greenLeds_, greenLedCount_, n, kMaxGreenLeds, ledOnLevel ? 1 : 0);
}

int VirtualComponentData::setDigitCount(int n) { return resize(digits_, digitCount_, n, kMaxDigits, digitMask); }

void VirtualComponentData::setDataSlots(const std::vector<DataSlot>& entries)
{
    const int n = static_cast<int>(entries.size());
    // Unclaimed positions keep their own index and width 0, never an unset value.
    std::vector<DataSlot> table(entries.size());
    for (int i = 0; i < n; ++i)
        table[static_cast<std::size_t>(i)] = DataSlot{i, 0};
    std::vector<bool> taken(entries.size(), false);
    for (const DataSlot& e : entries) {
        if (e.index < 0 || e.index >= n || taken[static_cast<std::size_t>(e.index)])
            continue; // the first widget with an index wins
        taken[static_cast<std::size_t>(e.index)] = true;
        table[static_cast<std::size_t>(e.index)] = e;
    }
    dataSlots_ = std::move(table);
    dataTexts_ = QStringList();
    for (int i = 0; i < n; ++i)
        dataTexts_ << QString();
}

void VirtualComponentData::setInput(std::vector<std::uint8_t>& array, int index, std::uint8_t value)
{
    // The button groups only deliver indices of existing buttons; anything else is ignored.
    if (index >= 0 && static_cast<std::size_t>(index) < array.size())
        array[static_cast<std::size_t>(index)] = value;
}

int VirtualComponentData::SwitchChange(int index, bool value)
{
    setInput(switches_, index, value ? 1 : 0);
    return writeInputs();
}

int VirtualComponentData::KeyPressed(int index)
{
    setInput(keys_, index, keyIdleLevel ^ 1);
    return writeInputs();
}

int VirtualComponentData::KeyReleased(int index)
{
    setInput(keys_, index, keyIdleLevel);
    return writeInputs();
}

void VirtualComponentData::releaseKeysLocally() { std::fill(keys_.begin(), keys_.end(), keyIdleLevel); }

int VirtualComponentData::writeInputs()
{
    if (simulationMode) {
        if (simulationStep_)
            (this->*simulationStep_)();
        else
            ErrorMessage::showResult(1);
        return 0;
    }
    int r = SetVirtualMode(1);
    if (r != 0) {
        const int s = ErrorMessage::showResult(r);
        if (s != 0) {
            emit linkFailed(s);
            return s;
        }
        SetVirtualMode(1); // the user has just reconnected: one more try, then go on
    }
    const board::SwitchBuffer sw = board::packSwitches(switches_.data(), switchCount_);
    r = SetSwitchStatus(sw.data(), board::kSwitchRegisterBits);
    if (r != 0) {
        ErrorMessage::showResult(r);
        emit linkFailed(r);
        return r;
    }
    const board::KeyBuffer keys = board::packKeys(keys_.data(), keyCount_);
    r = SetButtonStatus(keys.data(), board::kKeyRegisterBits);
    if (r != 0) {
        ErrorMessage::showResult(r);
        emit linkFailed(r);
        return r;
    }
    return readOutputs();
}

int VirtualComponentData::readOutputs()
{
    board::LedBuffer leds{};
    int r = GetLedStatus(board::kLedRegisterBits, leds.data());
    if (r != 0) {
        ErrorMessage::showResult(r);
        emit linkFailed(r);
        return r;
    }
    board::unpackLeds(leds, ledOnLevel, redLeds_.data(), redLedCount_, greenLeds_.data(), greenLedCount_);
    board::DigitBuffer digits{};
    r = GetHexStatus(board::kDigitRegisterBits, digits.data());
    if (r != 0) {
        ErrorMessage::showResult(r);
        emit linkFailed(r);
        return r;
    }
    // Only the register's 8 bytes exist; digits past them keep their value.
    board::unpackDigits(digits, digitMask, digits_.data(), digitCount_);
    readDataSlots();
    emit FPGAStateChanged();
    return 0;
}

int VirtualComponentData::readDataSlots()
{
    QStringList texts;
    for (std::size_t i = 0; i < dataSlots_.size(); ++i)
        texts << QString();
    dataTexts_ = texts;
    if (!board::dataSlotsFit(dataSlots_)) {
        // A wider read than one request carries would be corrupt: say so, send nothing.
        const int tooLarge = VESTRIX_REQUEST_TOO_LARGE;
        ErrorMessage::showResult(tooLarge);
        return tooLarge;
    }
    const int bits = board::dataSlotBits(dataSlots_);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(board::dataSlotBytes(dataSlots_)) + 1, 0);
    const int r = ReadCpuData(bits, buffer.data());
    if (r != 0) {
        ErrorMessage::showResult(r);
        return r;
    }
    dataTexts_ = board::unpackDataSlots(dataSlots_, buffer.data(), board::dataSlotBytes(dataSlots_));
    for (int i = 0; i < dataTexts_.size(); ++i)
        qCDebug(boardLog).noquote() << "data slot" << i << dataTexts_.at(i);
    return 0;
}

void VirtualComponentData::selectExperiment(const QString& id)
{
    switch (board::experimentFor(id)) {
    case board::Experiment::BusRegisterShifter:
        simulationStep_ = &VirtualComponentData::simulateBusRegisterShifter;
        break;
    case board::Experiment::AdderA: simulationStep_ = &VirtualComponentData::simulateAdderA; break;
    case board::Experiment::AdderB: simulationStep_ = &VirtualComponentData::simulateAdderB; break;
    case board::Experiment::CounterShifterRegisterBus:
        simulationStep_ = &VirtualComponentData::simulateCounterShifterRegisterBus;
        break;
    case board::Experiment::None: simulationStep_ = nullptr; break;
    }
}

board::SimulationIo VirtualComponentData::simulationIo()
{
    board::SimulationIo io;
    io.switches = &switches_;
    io.keys = &keys_;
    io.red = &redLeds_;
    io.green = &greenLeds_;
    io.digits = &digits_;
    io.keyIdleLevel = keyIdleLevel;
    return io;
}

namespace {
// Kept for the program's life: switching simulation off and on or loading another panel
// does not reset an experiment.
board::BusRegisterShifterState busRegisterShifterState;
board::CounterShifterState counterShifterState;
} // namespace

void VirtualComponentData::simulateBusRegisterShifter()
{
    board::SimulationIo io = simulationIo();
    board::stepBusRegisterShifter(busRegisterShifterState, io);
    emit FPGAStateChanged();
}

void VirtualComponentData::simulateAdderA()
{
    board::SimulationIo io = simulationIo();
    board::stepAdder(false, io);
    emit FPGAStateChanged();
}

void VirtualComponentData::simulateAdderB()
{
    board::SimulationIo io = simulationIo();
    board::stepAdder(true, io);
    emit FPGAStateChanged();
}

void VirtualComponentData::simulateCounterShifterRegisterBus()
{
    board::SimulationIo io = simulationIo();
    board::stepCounterShifterRegisterBus(counterShifterState, io);
    emit FPGAStateChanged();
}
