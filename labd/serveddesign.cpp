#include "serveddesign.h"

#include "work_dir.h"

#include <vestrix.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace labd {

using brixo::BoardLayout;
using brixo::Readback;

namespace {

// The live designs, for the thread that ends the process on a signal.
std::mutex &registryMutex()
{
    static std::mutex m;
    return m;
}
std::set<ServedDesign *> &registry()
{
    static std::set<ServedDesign *> r;
    return r;
}

uint32_t todayCode()
{
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    auto bcd = [](int v) { return uint32_t((v / 10) % 10 << 4 | v % 10); };
    const int year = t.tm_year + 1900;
    return bcd(year / 100) << 24 | bcd(year % 100) << 16 | bcd(t.tm_mon + 1) << 8 | bcd(t.tm_mday);
}

} // namespace

std::unique_ptr<ServedDesign> ServedDesign::open(const Options &options, std::string &messages, Build &failure)
{
    failure = Build::DesignFailed;
    DesignFiles files;
    files.top = options.top;
    files.defines = options.defines;
    for (const std::string &f : options.files) {
        if (!std::ifstream(f).good()) {
            messages = "brixo-labd: cannot read " + f + "\n";
            return nullptr;
        }
        files.files.push_back(fs::absolute(f).string());
    }
    // Whether it runs contained is settled before anything of the student's is touched.
    const bool contain = options.sandbox != Options::Sandbox::Off && sandboxUnavailable().empty();
    if (options.sandbox == Options::Sandbox::Required && !contain) {
        messages = "brixo-labd: the design is not run: no sandbox can be set up here (" + sandboxUnavailable() +
                   "); --no-sandbox runs it without one, for a design you trust\n";
        failure = Build::ToolFailed;
        return nullptr;
    }
    if (options.sandbox == Options::Sandbox::Auto && !contain)
        std::fprintf(stderr, "brixo-labd: warning: the design runs without a sandbox: %s\n",
                     sandboxUnavailable().c_str());
    const std::string parent = workDirParent();
    removeStaleWorkDirs(parent);
    const std::string workDir = makeWorkDir(parent);
    if (workDir.empty()) {
        messages = "brixo-labd: cannot make a work directory in " + parent + ": " + std::strerror(errno) + "\n";
        failure = Build::ToolFailed;
        return nullptr;
    }
    std::unique_ptr<ServedDesign> d(new ServedDesign);
    {
        std::lock_guard<std::mutex> lock(registryMutex());
        d->workDir_ = workDir;
        registry().insert(d.get());
    }
    // The design's own folders are readable: files it reads beside it ($readmemh "rom.hex").
    std::vector<std::string> folders;
    for (const std::string &f : files.files)
        folders.push_back(fs::path(f).parent_path().string());
    SandboxLimits limits;
    limits.memoryBytes = options.memLimit;
    // The simulator cuts its dump a time step past the limit: the file limit stays above that.
    limits.fileBytes = std::max(limits.fileBytes, options.dumpLimit + (16ull << 20));
    const Sandbox sandbox(workDir, folders, contain, limits);
    d->simulator_ = options.simulator == "verilator" ? makeVerilator(sandbox, options.clockHz)
                                                     : makeIcarus(sandbox, options.clockHz);
    if (!options.dumpVcd.empty()) {
        d->simulator_->enableDump();
        std::lock_guard<std::mutex> lock(registryMutex());
        d->dump_ = std::make_unique<DesignDump>(workDir, fs::absolute(options.dumpVcd).string(), options.dumpLimit);
    }
    failure = prepareDesign(*d->simulator_, files, options.keysActiveLow, d->board_, messages);
    if (failure != Build::Ready)
        return nullptr;
    failure = Build::DesignFailed;
    CircuitSettings settings;
    settings.clockHz = options.clockHz;
    settings.freeRunning = !options.manualClock;
    settings.requestLimitMs = options.stepLimitMs;
    settings.chipDate = todayCode();
    if (d->dump_)
        settings.runArgs = [dump = d->dump_.get()] { return dump->nextRun(); };
    {
        std::lock_guard<std::mutex> lock(registryMutex());
        d->circuit_ =
            std::make_unique<SimCircuit>(d->board_, d->simulator_->command(), sandbox, folders.front(), settings);
    }
    std::string error;
    if (!d->circuit_->start(error)) {
        messages = "brixo-labd: the design does not start: " + error + "\n";
        if (diskFull(workDir)) { // what the build left is cut short, not the design's fault
            messages =
                "brixo-labd: the disk is full: no space left for the work directory " + workDir + "\n" + messages;
            failure = Build::ToolFailed;
        }
        return nullptr;
    }
    return d;
}

ServedDesign::~ServedDesign()
{
    std::unique_ptr<SimCircuit> circuit;
    {
        std::lock_guard<std::mutex> lock(registryMutex());
        registry().erase(this);
        circuit = std::move(circuit_);
    }
    circuit.reset(); // the simulator ends before its files go
    if (dump_)
        dump_->keep();
    std::error_code ignored;
    fs::remove_all(workDir_, ignored);
}

void ServedDesign::abandonAll()
{
    std::lock_guard<std::mutex> lock(registryMutex());
    for (ServedDesign *d : registry()) {
        if (d->circuit_)
            endRun(d->circuit_->simulatorPid(), true);
        if (d->dump_)
            d->dump_->keep();
        std::error_code ignored;
        fs::remove_all(d->workDir_, ignored);
    }
}

bool ServedDesign::scan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out, std::string &error)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const bool ok = circuit_->scanChecked(instruction, in, bits, out, error);
    checkDump();
    return ok;
}

Readback ServedDesign::stepRoute(const brixo::StepRequest &r)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    brixo::Inputs in;
    circuit_->registers(in.switches, in.keys);
    if (r.hasSwitches)
        in.switches = r.switches;
    if (r.hasKeys)
        in.keys = r.keys;
    in.pulse = r.pulse;
    in.cycles = r.cycles;
    in.reads.cpuBits = board_.description().cpuDataBits;
    return step(in);
}

Readback ServedDesign::doStep(const brixo::Inputs &in)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Outputs o;
    std::string error;
    const bool ok = circuit_->step({in.switches, in.keys, in.pulse, in.cycles}, o, error);
    checkDump();
    return readback(ok, o, error, Readback::Switches, in.reads);
}

Readback ServedDesign::doRead(const brixo::Reads &reads)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Outputs o;
    std::string error;
    const bool ok = circuit_->read(o, error);
    checkDump();
    return readback(ok, o, error, Readback::Leds, reads);
}

void ServedDesign::checkDump()
{
    if (dump_)
        dump_->check();
}

Readback ServedDesign::readback(bool ok, const Outputs &o, const std::string &error, Readback::Stage stage,
                                const brixo::Reads &reads) const
{
    Readback r;
    if (!ok) {
        // What a scan of the same step gives: the design did not answer, the link is bad.
        r.code = VESTRIX_FPGA_LINK_FAILED;
        r.message = error;
        r.stage = stage;
        return r;
    }
    r.simulated = true;
    r.cycles = o.cycles;
    r.timeNs = o.timeNs;
    if (reads.leds) {
        r.leds = BoardLayout::unpack(o.leds.data(), BoardLayout::ledBits);
        r.hasLeds = true;
    }
    if (reads.digits) {
        std::copy_n(o.digits.begin(), r.digits.size(), r.digits.begin());
        r.hasDigits = true;
    }
    if (reads.cpuBits > BoardLayout::cpuDataBits) {
        r.code = VESTRIX_REQUEST_TOO_LARGE;
        r.stage = Readback::CpuData;
    } else if (reads.cpuBits >= 0) {
        // The design's CPU data, zero-extended or cut to the width asked for, as a read of the
        // register gives it.
        r.cpuData.assign(size_t(BoardLayout::bytesFor(reads.cpuBits)), 0);
        for (size_t i = 0; i < r.cpuData.size() && i < o.cpuData.size(); ++i)
            r.cpuData[i] = o.cpuData[i];
        if (reads.cpuBits % 8 && !r.cpuData.empty())
            r.cpuData.back() &= uint8_t((1u << (reads.cpuBits % 8)) - 1);
        r.cpuBits = reads.cpuBits;
    }
    return r;
}

} // namespace labd
