// A student's simulated board: their files in a private work directory of the lab server's, a
// single-design brixo-labd on loopback that must contain the design in its sandbox, and the
// step route to drive it. What the compiler says about the student's files comes back as
// messages naming those files alone; nothing of the server's paths goes with them.
#include "student_board.h"
#include "design_dump.h"
#include "work_dir.h"

#include "lab_server.h"
#include "step_route_board.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

namespace labd {

namespace {

constexpr std::size_t kNameBytes = 100;
constexpr std::size_t kTopBytes = 256;
// Messages passed on at most, each cut to a line of reasonable length: the first ones say what
// is wrong.
constexpr std::size_t kMessagesKept = 100;
constexpr std::size_t kMessageBytes = 1000;

bool endsWith(const std::string &s, const std::string &end)
{
    return s.size() > end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

bool validTop(const std::string &top)
{
    if (top.size() > kTopBytes || (!top.empty() && std::isdigit(static_cast<unsigned char>(top[0]))))
        return false;
    for (const char c : top)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '$')
            return false;
    return true;
}

// Refuses what the server will not take before anything is written; false with the reason.
bool acceptable(const DesignUpload &d, std::string &why)
{
    if (d.files.empty() || d.files.size() > kUploadFileLimit) {
        why = d.files.empty() ? "no files" : "more than " + std::to_string(kUploadFileLimit) + " files";
        return false;
    }
    std::size_t total = 0;
    std::set<std::string> names;
    for (const auto &[name, text] : d.files) {
        if (!validUploadName(name, why))
            return false;
        if (!names.insert(name).second) {
            why = name + ": named twice";
            return false;
        }
        if (text.size() > kUploadFileBytes) {
            why = name + ": larger than " + std::to_string(kUploadFileBytes / 1024) + " KiB";
            return false;
        }
        total += text.size();
    }
    if (total > kUploadBytes) {
        why = "the files are larger than " + std::to_string(kUploadBytes / 1024) + " KiB together";
        return false;
    }
    if (!validTop(d.top)) {
        why = "the top module's name is no Verilog name";
        return false;
    }
    if (!d.simulator.empty() && d.simulator != "iverilog" && d.simulator != "verilator") {
        why = "the simulator is iverilog or verilator";
        return false;
    }
    if (!(d.clockHz == 0 || (std::isfinite(d.clockHz) && d.clockHz >= 0.001 && d.clockHz <= 1e8))) {
        why = "the clock is 0.001 Hz to 100 MHz";
        return false;
    }
    return true;
}

bool writeFile(const std::string &path, const std::string &text, std::string &why)
{
    const int failure = writePrivateFile(path, text, false);
    if (failure)
        why = "cannot write the design: " + std::string(std::strerror(failure));
    return !failure;
}

void replaceAll(std::string &s, const std::string &from, const std::string &to)
{
    for (std::size_t at = 0; !from.empty() && (at = s.find(from, at)) != std::string::npos; at += to.size())
        s.replace(at, from.size(), to);
}

// "DIR/NAME:LINE: text" or "DIR/NAME:LINE:COLUMN: text" anywhere in a line (Icarus puts the
// file first, Verilator after "%Error: "), for each of the student's files.
std::vector<DesignMessage> messagesOf(const std::string &said, const std::string &dir,
                                      const std::vector<std::string> &names)
{
    std::vector<DesignMessage> found;
    std::size_t start = 0;
    while (start < said.size() && found.size() < kMessagesKept) {
        std::size_t end = said.find('\n', start);
        if (end == std::string::npos)
            end = said.size();
        const std::string line = said.substr(start, end - start);
        start = end + 1;
        for (const std::string &name : names) {
            const std::string path = dir + "/" + name + ":";
            const std::size_t at = line.find(path);
            if (at == std::string::npos)
                continue;
            std::size_t p = at + path.size();
            const std::size_t digits = line.find_first_not_of("0123456789", p);
            if (digits == p || digits == std::string::npos || digits - p > 9 || line[digits] != ':')
                continue;
            DesignMessage m;
            m.file = name;
            m.line = std::stoi(line.substr(p, digits - p));
            p = digits + 1;
            const std::size_t column = line.find_first_not_of("0123456789", p);
            if (column != p && column != std::string::npos && line[column] == ':')
                p = column + 1;
            m.text = line.substr(0, at) + line.substr(p);
            replaceAll(m.text, dir + "/", "");
            const std::size_t first = m.text.find_first_not_of(' ');
            m.text = first == std::string::npos ? std::string() : m.text.substr(first, kMessageBytes);
            found.push_back(std::move(m));
            break;
        }
    }
    return found;
}

class StudentBoard : public BoardDriver {
public:
    StudentBoard(std::string dir, std::unique_ptr<brixo::LabServer> lab, std::unique_ptr<brixo::StepRouteBoard> board,
                 std::string dumpFile)
        : dir_(std::move(dir)), lab_(std::move(lab)), board_(std::move(board)), dumpFile_(std::move(dumpFile))
    {}
    ~StudentBoard() override
    {
        board_.reset();
        lab_->stop();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    brixo::Readback step(const brixo::Inputs &inputs) override { return board_->step(inputs); }
    brixo::BoardDescription describe() override { return board_->board(); }
    std::size_t configurationLimit() const override { return 0; }
    bool configure(const std::string &, const Progress &, const std::atomic<bool> &, std::string &error) override
    {
        error = "a simulated board takes no FPGA configuration";
        return false;
    }
    // Nothing to download: every input cleared, and the simulated board's step says so.
    bool reset(std::string &why) override
    {
        const brixo::Readback r = board_->step(brixo::Inputs());
        if (!r.ok())
            why = "the inputs were not cleared: " + r.message;
        return r.ok();
    }
    // Its server still runs and answers a read.
    bool check(std::string &why) override
    {
        if (!lab_->running()) {
            why = "the simulated board's server has ended (status " + std::to_string(lab_->exitStatus()) + ")";
            return false;
        }
        const brixo::Readback r = board_->read(brixo::Reads());
        if (!r.ok())
            why = "the simulated board does not answer: " + r.message;
        return r.ok();
    }

    bool dumps() const override { return !dumpFile_.empty(); }
    // Its server copies the dump out of the sandbox as it ends. A simulator started again after
    // a failure dumped a run of its own: the last run is the one the student last saw.
    bool endWithDump(std::string &vcd, std::string &why) override
    {
        vcd.clear();
        if (dumpFile_.empty())
            return BoardDriver::endWithDump(vcd, why);
        board_.reset();
        lab_->stop();
        std::string file;
        std::error_code e;
        for (int run = 1; std::filesystem::is_regular_file(DesignDump::runFile(dumpFile_, run), e); ++run)
            file = DesignDump::runFile(dumpFile_, run);
        std::ifstream in(file, std::ios::binary);
        if (file.empty() || !in) {
            why = "the simulated board left no dump";
            return false;
        }
        // The simulator stops a time step past its limit; a file beyond that bound is not its dump.
        constexpr std::size_t kReadLimit = kStudentDumpBytes + (16u << 20);
        vcd.assign(kReadLimit + 1, '\0');
        in.read(vcd.data(), std::streamsize(vcd.size()));
        vcd.resize(std::size_t(in.gcount()));
        if (vcd.size() > kReadLimit) {
            vcd.clear();
            why = "the simulated board's dump is larger than its limit";
            return false;
        }
        return true;
    }

private:
    std::string dir_;
    std::unique_ptr<brixo::LabServer> lab_;
    std::unique_ptr<brixo::StepRouteBoard> board_;
    std::string dumpFile_; // where its server keeps the dump; empty: it dumps none
};

} // namespace

bool validUploadName(const std::string &name, std::string &why)
{
    const auto refuse = [&](const std::string &what) {
        std::string shown;
        for (const char c : name.substr(0, 40))
            shown += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
        why = "\"" + shown + "\": " + what;
        return false;
    };
    if (name.empty() || name.size() > kNameBytes)
        return refuse("a file name has 1 to " + std::to_string(kNameBytes) + " characters");
    if (name[0] == '.' || name[0] == '-')
        return refuse("a file name does not start with . or -");
    for (const char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.')
            return refuse("a plain file name has only letters, digits, _, - and . (no folder)");
    if (!endsWith(name, ".v") && !endsWith(name, ".sv"))
        return refuse("a design file ends in .v or .sv");
    return true;
}

std::unique_ptr<BoardDriver> startStudentBoard(const DesignUpload &design, const std::string &program,
                                               std::vector<DesignMessage> &messages, std::string &error)
{
    messages.clear();
    if (!acceptable(design, error))
        return nullptr;
    const std::string dir = makeWorkDir(workDirParent());
    if (dir.empty()) {
        error = std::string("cannot make a work directory: ") + std::strerror(errno);
        return nullptr;
    }
    const auto fail = [&dir] {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
        return nullptr;
    };
    brixo::LabServerOptions o;
    o.program = program;
    std::vector<std::string> names;
    for (const auto &[name, text] : design.files) {
        o.files.push_back(dir + "/" + name);
        names.push_back(name);
        if (!writeFile(o.files.back(), text, error))
            return fail();
    }
    o.top = design.top;
    o.simulator = design.simulator;
    o.keysActiveLow = design.keysActiveLow;
    o.clockHz = design.clockHz;
    o.extraArgs = {"--require-sandbox"}; // a student's design is untrusted code
    const std::string dumpFile = design.dump ? dir + "/signals.vcd" : "";
    if (design.dump)
        o.extraArgs.insert(o.extraArgs.end(),
                           {"--dump-vcd", dumpFile, "--dump-limit", std::to_string(kStudentDumpBytes)});
    o.captureErrors = true;
    auto lab = std::make_unique<brixo::LabServer>();
    const brixo::LabServer::Status status = lab->start(o);
    if (status != brixo::LabServer::Ready) {
        std::string said = lab->errors();
        lab->stop();
        messages = messagesOf(said, dir, names);
        replaceAll(said, dir + "/", "");
        const std::size_t nl = said.find('\n');
        const std::string first = said.substr(0, std::min(nl, kMessageBytes));
        switch (status) {
        case brixo::LabServer::Failed:
            error = lab->exitStatus() == 1 ? "the design does not build" : "the simulated board did not start";
            break;
        case brixo::LabServer::NotFound:
            error = "the simulated board's server cannot start: " + lab->startError();
            break;
        case brixo::LabServer::NotReady: error = "the design took too long to build"; break;
        default: error = "the simulated board's server said something unreadable"; break;
        }
        if (messages.empty() && !first.empty() && status == brixo::LabServer::Failed)
            error += ": " + first;
        return fail();
    }
    std::string why;
    std::unique_ptr<brixo::StepRouteBoard> board = brixo::StepRouteBoard::open(lab->host(), lab->port(), &why);
    if (!board) {
        lab->stop();
        error = "the simulated board does not answer: " + why;
        return fail();
    }
    return std::make_unique<StudentBoard>(dir, std::move(lab), std::move(board), dumpFile);
}

} // namespace labd
