#include "virtualcomponentdata.h"

#include <algorithm>

#include "boardworker.h"
#include "errormessage.h"

#include <QDebug>
#include <QLoggingCategory>

#include <vestrix.h>

// The data-slot texts of every read go to the debug log under this category.
Q_LOGGING_CATEGORY(boardLog, "brixo.board")

VirtualComponentData::VirtualComponentData(BoardWorker* worker, QObject* parent) : QObject(parent), worker_(worker)
{
    if (worker_)
        connect(worker_, &BoardWorker::stepped, this, &VirtualComponentData::answered);
}

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
    ++slotsVersion_;
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

brixo::Reads VirtualComponentData::reads(bool leds, bool digits) const
{
    brixo::Reads r;
    r.leds = leds;
    r.digits = digits;
    // Slots that no scan carries ask for more than a scan holds: the board refuses that read
    // (-23) without sending it, after the LEDs and digits.
    r.cpuBits = board::dataSlotsFit(dataSlots_) ? board::dataSlotBits(dataSlots_) : brixo::BoardLayout::cpuDataBits + 1;
    return r;
}

brixo::Inputs VirtualComponentData::inputs() const
{
    brixo::Inputs in;
    const board::SwitchBuffer sw = board::packSwitches(switches_.data(), switchCount_);
    in.switches = brixo::BoardLayout::unpack(sw.data(), board::kSwitchRegisterBits);
    const board::KeyBuffer keys = board::packKeys(keys_.data(), keyCount_);
    in.keys = static_cast<std::uint32_t>(brixo::BoardLayout::unpack(keys.data(), board::kKeyRegisterBits));
    in.reads = reads(true, true);
    return in;
}

bool VirtualComponentData::refuseWithoutWorker(Request::Kind kind)
{
    if (worker_)
        return false;
    ErrorMessage::showResult(VESTRIX_NO_ADAPTER);
    if (kind != Request::DataOnly)
        emit linkFailed(VESTRIX_NO_ADAPTER);
    if (kind == Request::Read)
        emit outputsRead(VESTRIX_NO_ADAPTER);
    return true;
}

int VirtualComponentData::writeInputs()
{
    if (simulationMode) {
        if (simulationStep_) {
            (this->*simulationStep_)();
            return 0;
        }
        ErrorMessage::showResult(1);
        return 1; // the code shown: nothing was simulated
    }
    if (refuseWithoutWorker(Request::Write))
        return VESTRIX_NO_ADAPTER;
    Request request;
    request.inputs = inputs();
    // A step in flight: this state waits, in place of any state that waited before it.
    if (queue_.offer(request.inputs))
        send(request);
    return 0;
}

int VirtualComponentData::readOutputs() { return sendRead(Request::Read, reads(true, true)); }

int VirtualComponentData::sendRead(Request::Kind kind, const brixo::Reads& what)
{
    if (refuseWithoutWorker(kind))
        return VESTRIX_NO_ADAPTER;
    // A step in flight brings the outputs anyway: nothing waits for this read.
    if (!queue_.offerRead())
        return 0;
    Request request;
    request.kind = kind;
    request.inputs.reads = what;
    send(request);
    return 0;
}

int VirtualComponentData::readDataSlots()
{
    if (!board::dataSlotsFit(dataSlots_)) {
        // A wider read than one request carries would be corrupt: say so, send nothing.
        for (QString& t : dataTexts_)
            t.clear();
        const int tooLarge = VESTRIX_REQUEST_TOO_LARGE;
        ErrorMessage::showResult(tooLarge);
        return tooLarge;
    }
    return sendRead(Request::DataOnly, reads(false, false));
}

void VirtualComponentData::send(const Request& request)
{
    static quint64 nextId = 1; // ids stay unique across every board data of the program
    inFlight_ = request;
    inFlight_.slotsVersion = slotsVersion_;
    inFlight_.boardGeneration = boardGeneration_;
    inFlightId_ = nextId++;
    if (request.kind == Request::Write)
        worker_->step(inFlightId_, request.inputs);
    else
        worker_->read(inFlightId_, request.inputs.reads);
}

void VirtualComponentData::boardLeft() { ++boardGeneration_; }

void VirtualComponentData::answered(quint64 id, const brixo::Readback& readback)
{
    if (id != inFlightId_ || !queue_.inFlight())
        return;
    Request request = inFlight_;
    if (!readback.ok() && request.boardGeneration != boardGeneration_) {
        // The board went away under the step (a reload, another board): nothing to report about
        // the one connected now, and the next action carries the whole state to it.
        queue_.finished(false);
        if (request.kind == Request::Read)
            emit outputsRead(readback.code);
        return;
    }
    if (readback.code == VESTRIX_NO_DEVICE_SELECTED && noBoardNotice_ && noBoardNotice_()) {
        fail(request, readback.code);
        return;
    }
    if (!readback.ok()) {
        // Panel input refused: once the user has reconnected in the dialog, the step goes out
        // once more, and a failure of that is reported like any other.
        if (readback.stage == brixo::Readback::PanelInput && !request.retried) {
            const int shown = ErrorMessage::showResult(readback.code);
            if (shown == 0) {
                request.retried = true;
                send(request);
                return;
            }
            fail(request, shown);
            return;
        }
        // What was read before the failure is kept; a CPU-data read that failed leaves the
        // LEDs and digits it came after to be drawn, with the data slots empty.
        unpack(request, readback);
        if (readback.stage == brixo::Readback::CpuData) {
            for (QString& t : dataTexts_)
                t.clear();
            emit FPGAStateChanged();
        }
        ErrorMessage::showResult(readback.code);
        fail(request, readback.code);
        return;
    }
    unpack(request, readback);
    emit FPGAStateChanged();
    if (request.kind == Request::Read)
        emit outputsRead(0);
    if (const std::optional<brixo::Inputs> next = queue_.finished(true)) {
        Request waiting;
        waiting.inputs = *next;
        send(waiting);
    }
}

void VirtualComponentData::fail(const Request& request, int code)
{
    queue_.finished(false); // what waited goes: the next action carries the whole state again
    if (request.kind != Request::DataOnly)
        emit linkFailed(code);
    if (request.kind == Request::Read)
        emit outputsRead(code);
}

void VirtualComponentData::unpack(const Request& request, const brixo::Readback& r)
{
    if (r.hasLeds) {
        board::LedBuffer leds{};
        const std::vector<std::uint8_t> bytes = brixo::BoardLayout::pack(r.leds, board::kLedRegisterBits);
        std::copy(bytes.begin(), bytes.end(), leds.begin());
        board::unpackLeds(leds, ledOnLevel, redLeds_.data(), redLedCount_, greenLeds_.data(), greenLedCount_);
    }
    // Only the register's 8 bytes exist; digits past them keep their value.
    if (r.hasDigits)
        board::unpackDigits(r.digits, digitMask, digits_.data(), digitCount_);
    // A read made for other slots than the panel has now would be cut wrongly: not shown.
    if (r.cpuBits < 0 || request.slotsVersion != slotsVersion_)
        return;
    dataTexts_ = board::unpackDataSlots(dataSlots_, r.cpuData.data(), static_cast<int>(r.cpuData.size()));
    for (int i = 0; i < dataTexts_.size(); ++i)
        qCDebug(boardLog).noquote() << "data slot" << i << dataTexts_.at(i);
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
