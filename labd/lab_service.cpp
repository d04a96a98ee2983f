#include "lab_service.h"

#include "panel_cpu_data.h"

#include <openssl/evp.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace labd {

namespace {

constexpr std::size_t kPanelLimit = 4 << 20; // a .jvp larger than this is not a panel

bool mayManage(const lab::Identity &who) { return who.role != lab::Role::Student; }

std::string sha256Hex(const std::string &bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr);
    static const char *const hex = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < size; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return out;
}

std::string readPanel(const std::string &path, std::string &why)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = path + ": cannot be read";
        return "";
    }
    std::string text(kPanelLimit + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kPanelLimit) {
        why = path + ": larger than " + std::to_string(kPanelLimit) + " bytes";
        return "";
    }
    return text;
}

void warn(const std::string &text)
{
    std::fprintf(stderr, "brixo-labd: %s\n", text.c_str());
    std::fflush(stderr);
}

} // namespace

struct LabService::Board {
    std::string id, owner; // owner: the user whose simulated board this is
    lab::BoardConfig config;
    std::string panel, openError;
    std::unique_ptr<BoardDriver> driver;
    std::size_t limit = 0;  // the driver's configuration bound, read once: a download holds the lock
    std::mutex driverMutex; // every driver call
    // Counts resets: a step that saw its hold before a reset does not reach the board after it.
    std::atomic<std::uint64_t> epoch{0};

    std::mutex stateMutex; // what follows
    brixo::Inputs inputs;
    std::optional<brixo::Readback> last;
    ConfigureStatus job;
    std::thread jobThread;
    std::atomic<bool> cancel{false};
};

LabService::LabService(Options options) : options_(std::move(options))
{
    lab::StoreOptions so = lab::storeOptions(options_.config);
    so.clock = options_.clock;
    store_ = std::make_unique<lab::Store>(options_.config.database, so);
    store_->queue().registerBoards(lab::boardEntries(options_.config));
    // A simulated board does not outlive the server that ran it.
    store_->transaction([](lab::Database &db) { db.run("DELETE FROM simulated"); });
    for (const lab::BoardConfig &c : options_.config.boards) {
        auto b = std::make_shared<Board>();
        b->id = c.id;
        b->config = c;
        std::string why;
        b->panel = readPanel(c.panel, why);
        if (!why.empty())
            warn("board " + c.id + ": " + why);
        b->config.cpuDataBits = lab::panelCpuDataBits(b->panel);
        if (b->config.cpuDataBits < 0) {
            warn("board " + c.id + ": its panel's data displays are wider than the board's " +
                 std::to_string(brixo::BoardLayout::cpuDataBits) + " bits of CPU data; none are read");
            b->config.cpuDataBits = 0;
        }
        try {
            b->driver = options_.openBoard ? options_.openBoard(b->config, b->openError) : nullptr;
        } catch (const std::exception &e) {
            b->openError = e.what();
        }
        b->limit = b->driver ? b->driver->configurationLimit() : 0;
        if (!b->driver) {
            b->openError = "board " + c.id + " cannot be driven: " + b->openError;
            warn(b->openError);
        }
        boards_[c.id] = b;
    }
}

LabService::~LabService()
{
    stop();
    for (auto &[id, b] : boards_)
        endJob(*b);
    std::map<std::string, std::shared_ptr<Board>> simulated;
    {
        std::lock_guard<std::mutex> lock(simulatedMutex_);
        simulated.swap(simulated_);
    }
    for (auto &[user, b] : simulated) {
        endJob(*b);
        store_->queue().stopSimulated(user);
    }
}

void LabService::start()
{
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
}

void LabService::stop()
{
    {
        std::lock_guard<std::mutex> lock(runMutex_);
        stopping_ = true;
    }
    runWake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void LabService::wake()
{
    {
        std::lock_guard<std::mutex> lock(runMutex_);
        woken_ = true;
    }
    runWake_.notify_all();
}

void LabService::run()
{
    std::int64_t nextCheck = store_->now() + options_.healthSeconds;
    std::unique_lock<std::mutex> lock(runMutex_);
    while (!stopping_) {
        lock.unlock();
        try {
            store_->queue().sweep();
            resetWaiting();
            if (store_->now() >= nextCheck) {
                checkIdle();
                nextCheck = store_->now() + options_.healthSeconds;
            }
            endIdleSimulated();
        } catch (const std::exception &e) {
            warn(std::string("the lab database failed: ") + e.what());
        }
        lock.lock();
        runWake_.wait_for(lock, std::chrono::seconds(1), [this] { return stopping_ || woken_; });
        woken_ = false;
    }
}

void LabService::seen(const std::string &user)
{
    std::lock_guard<std::mutex> lock(simulatedMutex_);
    if (simulated_.count(user))
        seen_[user] = store_->now();
}

std::shared_ptr<LabService::Board> LabService::find(const std::string &id)
{
    const auto it = boards_.find(id);
    if (it != boards_.end())
        return it->second;
    std::lock_guard<std::mutex> lock(simulatedMutex_);
    for (const auto &[user, b] : simulated_)
        if (b->id == id)
            return b;
    return nullptr;
}

Outcome LabService::elsewhere(const std::string &id)
{
    for (const lab::BoardInfo &b : store_->queue().boards())
        if (b.id == id)
            return {409, "board " + id + " is served by " + b.host + " at " + b.address, b.address};
    return {404, "no board " + id, ""};
}

std::shared_ptr<LabService::Board> LabService::driven(const lab::Identity &who, const std::string &id, Outcome &outcome)
{
    const std::shared_ptr<Board> b = find(id);
    if (!b) {
        outcome = elsewhere(id);
        return nullptr;
    }
    const bool mine = b->owner.empty() ? store_->queue().holds(who.name, id) : b->owner == who.name;
    if (!mine) {
        outcome = {403, "you do not hold board " + id, ""};
        return nullptr;
    }
    return b;
}

Outcome LabService::step(const lab::Identity &who, const std::string &id, const brixo::StepRequest &request,
                         brixo::Readback &readback)
{
    Outcome o;
    const std::uint64_t epoch = [&] {
        const std::shared_ptr<Board> b = find(id);
        return b ? b->epoch.load() : 0;
    }();
    const std::shared_ptr<Board> b = driven(who, id, o);
    if (!b)
        return o;
    brixo::Inputs inputs;
    {
        std::lock_guard<std::mutex> state(b->stateMutex);
        if (b->job.state == "running")
            return {409, "a download to board " + id + " is under way", ""};
        inputs = b->inputs;
    }
    if (request.hasSwitches)
        inputs.switches = request.switches;
    if (request.hasKeys)
        inputs.keys = request.keys;
    inputs.pulse = request.pulse;
    inputs.cycles = request.cycles;
    {
        std::lock_guard<std::mutex> driver(b->driverMutex);
        if (b->epoch != epoch)
            return {403, "you do not hold board " + id, ""};
        if (!b->driver)
            return {503, b->openError, ""};
        readback = b->driver->step(inputs);
    }
    if (!readback.ok())
        return {503, "board " + id + " does not answer: " + readback.message, ""};
    inputs.pulse = 0;
    inputs.cycles = 0;
    {
        std::lock_guard<std::mutex> state(b->stateMutex);
        b->inputs = inputs;
        b->last = readback;
    }
    if (listener_.stepped)
        listener_.stepped(id, inputs, readback);
    return o;
}

Outcome LabService::describe(const lab::Identity &who, const std::string &id, brixo::BoardDescription &description)
{
    Outcome o;
    std::shared_ptr<Board> b = mayManage(who) ? find(id) : driven(who, id, o);
    if (!b)
        return o.ok() ? elsewhere(id) : o;
    {
        std::lock_guard<std::mutex> state(b->stateMutex);
        if (b->job.state == "running")
            return {409, "a download to board " + id + " is under way", ""};
    }
    std::lock_guard<std::mutex> driver(b->driverMutex);
    if (!b->driver)
        return {503, b->openError, ""};
    description = b->driver->describe();
    return o;
}

Outcome LabService::panel(const lab::Identity &who, const std::string &id, std::string &text)
{
    Outcome o;
    std::shared_ptr<Board> b = mayManage(who) ? find(id) : driven(who, id, o);
    if (!b)
        return o.ok() ? elsewhere(id) : o;
    if (b->panel.empty())
        return {404, "board " + id + " has no panel file", ""};
    text = b->panel;
    return o;
}

std::size_t LabService::configurationLimit(const std::string &id)
{
    const std::shared_ptr<Board> b = find(id);
    return b ? b->limit : 0;
}

void LabService::endJob(Board &b)
{
    b.cancel = true;
    if (b.jobThread.joinable())
        b.jobThread.join();
}

Outcome LabService::configure(const lab::Identity &who, const std::string &id, std::string bytes, std::size_t &total)
{
    Outcome o;
    const std::shared_ptr<Board> b = driven(who, id, o);
    if (!b)
        return o;
    const std::size_t limit = configurationLimit(id);
    if (limit == 0)
        return {409, "board " + id + " takes no configuration", ""};
    if (bytes.empty())
        return {400, "the configuration is empty", ""};
    if (bytes.size() > limit)
        return {413, "board " + id + " takes at most " + std::to_string(limit) + " bytes", ""};
    {
        std::lock_guard<std::mutex> state(b->stateMutex);
        if (b->job.state == "running")
            return {409, "a download to board " + id + " is under way", ""};
    }
    endJob(*b); // the one before has ended: its thread only goes
    std::string error;
    store_->audit().recordDownload(who.name, id, sha256Hex(bytes), error);
    total = bytes.size();
    {
        std::lock_guard<std::mutex> state(b->stateMutex);
        b->job = ConfigureStatus{"running", 0, total, ""};
    }
    b->cancel = false;
    auto notify = [this, b, id](std::size_t done, bool force) {
        ConfigureStatus now;
        {
            std::lock_guard<std::mutex> state(b->stateMutex);
            // Every percent is enough for a progress bar.
            const std::size_t step = std::max<std::size_t>(1, b->job.total / 100);
            if (!force && done / step == b->job.done / step) {
                b->job.done = done;
                return;
            }
            b->job.done = done;
            now = b->job;
        }
        if (listener_.configure)
            listener_.configure(id, now);
    };
    if (listener_.configure)
        listener_.configure(id, ConfigureStatus{"running", 0, total, ""});
    b->jobThread = std::thread([this, b, id, bytes = std::move(bytes), notify] {
        std::string why;
        bool ok = false;
        {
            std::lock_guard<std::mutex> driver(b->driverMutex);
            ok = b->driver->configure(
                bytes, [&](std::size_t done, std::size_t) { notify(done, false); }, b->cancel, why);
        }
        ConfigureStatus end;
        {
            std::lock_guard<std::mutex> state(b->stateMutex);
            b->job.state = ok ? "done" : b->cancel ? "cancelled" : "failed";
            if (ok)
                b->job.done = b->job.total;
            b->job.error = ok ? "" : why;
            b->last.reset(); // a new design: whatever was read back before is stale
            end = b->job;
        }
        if (listener_.configure)
            listener_.configure(id, end);
    });
    return o;
}

Outcome LabService::configureStatus(const lab::Identity &who, const std::string &id, ConfigureStatus &status)
{
    Outcome o;
    const std::shared_ptr<Board> b = driven(who, id, o);
    if (!b)
        return o;
    std::lock_guard<std::mutex> state(b->stateMutex);
    status = b->job;
    return o;
}

Outcome LabService::cancelConfigure(const lab::Identity &who, const std::string &id)
{
    Outcome o;
    const std::shared_ptr<Board> b = driven(who, id, o);
    if (!b)
        return o;
    std::lock_guard<std::mutex> state(b->stateMutex);
    if (b->job.state != "running")
        return {409, "no download to board " + id + " is under way", ""};
    b->cancel = true;
    return o;
}

void LabService::resetWaiting()
{
    for (const std::string &id : store_->queue().boardsToReset()) {
        const auto it = boards_.find(id);
        if (it == boards_.end())
            continue;
        Board &b = *it->second;
        ++b.epoch;
        endJob(b);
        std::string why;
        bool ok = false;
        {
            std::lock_guard<std::mutex> driver(b.driverMutex);
            ok = b.driver && b.driver->reset(why);
            if (!b.driver)
                why = b.openError;
        }
        {
            std::lock_guard<std::mutex> state(b.stateMutex);
            b.inputs = brixo::Inputs{};
            b.last.reset();
            b.job = ConfigureStatus{};
        }
        if (!ok)
            warn("board " + id + " failed its reset and is out of the queue: " + why);
        store_->queue().resetDone(id, ok, why);
    }
}

void LabService::checkIdle()
{
    for (const lab::BoardInfo &info : store_->queue().boards()) {
        const auto it = boards_.find(info.id);
        if (info.state != "free" || info.host != store_->options().host || it == boards_.end())
            continue;
        Board &b = *it->second;
        std::unique_lock<std::mutex> driver(b.driverMutex, std::try_to_lock);
        if (!driver.owns_lock())
            continue;
        std::string why;
        const bool ok = b.driver && b.driver->check(why);
        driver.unlock();
        if (!ok) {
            warn("board " + info.id + " failed its check and is out of the queue: " + (b.driver ? why : b.openError));
            store_->queue().markBroken(info.id, b.driver ? why : b.openError);
        }
    }
}

Outcome LabService::fixed(const lab::Identity &who, const std::string &id)
{
    if (!mayManage(who))
        return {403, "only a teacher may mark a board fixed", ""};
    const auto it = boards_.find(id);
    if (it == boards_.end())
        return elsewhere(id);
    bool broken = false;
    for (const lab::BoardInfo &info : store_->queue().boards())
        broken = broken || (info.id == id && info.state == "broken");
    if (!broken)
        return {409, "board " + id + " is not broken", ""};
    Board &b = *it->second;
    std::string why;
    {
        std::lock_guard<std::mutex> driver(b.driverMutex);
        if (!b.driver || !b.driver->reset(why))
            return {409, "board " + id + " still fails its reset: " + (b.driver ? why : b.openError), ""};
    }
    {
        std::lock_guard<std::mutex> state(b.stateMutex);
        b.inputs = brixo::Inputs{};
        b.last.reset();
    }
    std::string error;
    if (!store_->queue().markFixed(who, id, error))
        return {409, error, ""};
    return {};
}

Outcome LabService::view(const lab::Identity &who, const std::string &id, BoardView &view)
{
    if (!mayManage(who))
        return {403, "only a teacher may watch a board", ""};
    const std::shared_ptr<Board> b = find(id);
    if (!b)
        return elsewhere(id);
    view.holder = b->owner;
    if (b->owner.empty())
        for (const lab::BoardInfo &info : store_->queue().boards())
            if (info.id == id)
                view.holder = info.holder;
    std::lock_guard<std::mutex> state(b->stateMutex);
    view.inputs = b->inputs;
    view.readback = b->last;
    return {};
}

Outcome LabService::startSimulated(const lab::Identity &who, const DesignUpload &design, std::string &id,
                                   brixo::BoardDescription &description, std::vector<DesignMessage> &messages)
{
    if (!options_.startSimulated)
        return {503, "this server runs no simulated boards", ""};
    std::string error;
    if (!store_->queue().startSimulated(who.name, error))
        return {409, error, ""};
    std::unique_ptr<BoardDriver> driver;
    try {
        driver = options_.startSimulated(design, messages, error);
    } catch (const std::exception &e) {
        error = e.what();
    }
    if (!driver) {
        store_->queue().stopSimulated(who.name);
        return {422, error.empty() ? "the design does not build" : error, ""};
    }
    description = driver->describe();
    auto b = std::make_shared<Board>();
    b->id = id = simulatedId(who.name);
    b->owner = who.name;
    b->limit = driver->configurationLimit();
    b->driver = std::move(driver);
    std::lock_guard<std::mutex> lock(simulatedMutex_);
    simulated_[who.name] = b;
    seen_[who.name] = store_->now();
    return {};
}

Outcome LabService::stopSimulated(const std::string &user) { return endSimulated(user, nullptr); }

Outcome LabService::endSimulatedWithDump(const std::string &user, std::string &vcd) { return endSimulated(user, &vcd); }

Outcome LabService::endSimulated(const std::string &user, std::string *vcd)
{
    std::shared_ptr<Board> b;
    {
        std::lock_guard<std::mutex> lock(simulatedMutex_);
        const auto it = simulated_.find(user);
        if (it == simulated_.end())
            return {404, user + " runs no simulated board", ""};
        // Set at the start and never changed: read without the driver's lock.
        if (vcd && !it->second->driver->dumps())
            return {409, "the simulated board was started without \"dump\"", ""};
        b = it->second;
        simulated_.erase(it);
        seen_.erase(user);
    }
    endJob(*b);
    std::string why;
    bool dumped = true;
    {
        std::lock_guard<std::mutex> driver(b->driverMutex);
        if (vcd)
            dumped = b->driver->endWithDump(*vcd, why);
        b->driver.reset();
    }
    store_->queue().stopSimulated(user);
    if (!dumped)
        return {500, why, ""};
    return {};
}

std::string LabService::simulatedOf(const std::string &user)
{
    std::lock_guard<std::mutex> lock(simulatedMutex_);
    return simulated_.count(user) ? simulatedId(user) : "";
}

void LabService::endIdleSimulated()
{
    std::vector<std::string> idle;
    {
        std::lock_guard<std::mutex> lock(simulatedMutex_);
        for (const auto &[user, at] : seen_)
            if (store_->now() - at >= options_.config.idleSeconds)
                idle.push_back(user);
    }
    for (const std::string &user : idle)
        stopSimulated(user);
}

bool LabService::poll(const std::string &id, brixo::Inputs &inputs, brixo::Readback &readback)
{
    const std::shared_ptr<Board> b = find(id);
    if (!b)
        return false;
    std::unique_lock<std::mutex> driver(b->driverMutex, std::try_to_lock);
    if (!driver.owns_lock() || !b->driver)
        return false;
    {
        std::lock_guard<std::mutex> state(b->stateMutex);
        inputs = b->inputs;
    }
    readback = b->driver->step(inputs);
    driver.unlock();
    if (!readback.ok())
        return false;
    std::lock_guard<std::mutex> state(b->stateMutex);
    b->last = readback;
    return true;
}

} // namespace labd
