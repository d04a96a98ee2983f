#include "simulator.h"

#include "work_dir.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace labd {

namespace {

// What a student's file may hold at most: beyond it the file is refused, not read.
constexpr std::uintmax_t kMaxDesignFileBytes = 64u << 20;

bool readText(const std::string &path, std::string &text, std::string &messages)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > kMaxDesignFileBytes) {
        messages = "brixo-labd: " + path + " is larger than " + std::to_string(kMaxDesignFileBytes >> 20) + " MB\n";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (error || in.bad()) {
        messages = "brixo-labd: cannot read " + path + "\n";
        return false;
    }
    return true;
}

bool onPath(const std::string &program)
{
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0;
    const char *path = std::getenv("PATH");
    std::istringstream dirs(path && *path ? path : "/usr/local/bin:/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (::access(((dir.empty() ? "." : dir) + "/" + program).c_str(), X_OK) == 0)
            return true;
    return false;
}

// A failure the tools' words put down to the machine: a full disk is the server's, a design
// that needs more memory than the limit the design's.
Build failed(Build b, const Simulator &sim, std::string &messages)
{
    if (messages.find(std::strerror(ENOSPC)) != std::string::npos || diskFull(sim.sandbox().workDir())) {
        messages = "brixo-labd: the disk is full: no space left for the work directory " + sim.sandbox().workDir() +
                   "\n" + messages;
        return Build::ToolFailed;
    }
    if (outOfMemory(messages)) {
        messages = "brixo-labd: out of memory: building the design needs more than " + sim.sandbox().memoryLimit() +
                   " (--mem-limit)\n" + messages;
        return Build::DesignFailed;
    }
    return b;
}

} // namespace

bool needsPreprocessor(const std::vector<std::string> &texts)
{
    static const std::set<std::string> harmless = {
        "timescale",         "default_nettype",     "resetall",       "celldefine",   "endcelldefine",
        "unconnected_drive", "nounconnected_drive", "begin_keywords", "end_keywords", "pragma"};
    for (const std::string &text : texts) {
        for (size_t at = text.find('`'); at != std::string::npos; at = text.find('`', at + 1)) {
            size_t end = at + 1;
            while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
                ++end;
            if (!harmless.count(text.substr(at + 1, end - at - 1)))
                return true;
        }
    }
    return false;
}

Build prepareDesign(Simulator &sim, DesignFiles &design, bool keysActiveLow, Board &board, std::string &messages)
{
    messages.clear();
    for (const std::string &tool : sim.tools()) {
        if (!onPath(tool)) {
            messages = "brixo-labd: " + tool + " is not installed (not found on PATH)\n";
            return Build::ToolFailed;
        }
    }
    std::vector<std::string> texts(design.files.size());
    for (size_t i = 0; i < design.files.size(); ++i)
        if (!readText(design.files[i], texts[i], messages))
            return Build::DesignFailed;
    // Most students' files name no macro: the port reader then reads them as they are, and the
    // design is compiled once, with the bench.
    // What the simulator will not build is refused before anything is built, named in the files.
    for (size_t i = 0; i < design.files.size(); ++i)
        messages += sim.refused(design.files[i], texts[i]);
    if (!messages.empty())
        return Build::DesignFailed;
    std::string text;
    if (needsPreprocessor(texts)) {
        if (!sim.preprocess(design, text, messages))
            return failed(Build::DesignFailed, sim, messages);
        // A macro or an included file may still spell it.
        messages = sim.refused("the design after its preprocessor (" + design.files[0] + " first)", text);
        if (!messages.empty())
            return Build::DesignFailed;
    } else {
        for (const std::string &t : texts)
            text += t + "\n";
    }
    std::vector<Module> modules;
    const Module *top = nullptr;
    std::string error;
    if (!readModules(text, modules, error) || !chooseTop(modules, design.top, top, error) ||
        !boardPorts(*top, keysActiveLow, board, error)) {
        // A design that does not compile gets the simulator's own words, not ours about its ports.
        messages.clear();
        if (sim.check(design, messages))
            messages = error + "\n";
        return failed(Build::DesignFailed, sim, messages);
    }
    design.top = top->name;
    if (sim.build(design, board, messages))
        return Build::Ready;
    // A mistake in the student's files would show up in the bench after them too: their own
    // compile says what it is, about them alone.
    std::string own;
    if (!sim.check(design, own)) {
        messages = own;
        return failed(Build::DesignFailed, sim, messages);
    }
    return failed(Build::ToolFailed, sim, messages);
}

std::vector<uint64_t> idleInputs(const Board &board)
{
    std::vector<uint64_t> v;
    for (const BoardPort &p : board.inputs)
        v.push_back(inputValue(p, 0, board.keysActiveLow));
    return v;
}

uint64_t halfPeriodNs(double clockHz)
{
    const double half = std::round(5e8 / clockHz);
    return half < 1 ? 1 : half > 1e15 ? uint64_t(1e15) : uint64_t(half);
}

bool writeGenerated(const std::string &path, const std::string &text, std::string &messages)
{
    // A short write (a full disk) must not leave the compiler half a file to complain about.
    int error = 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        error = errno;
    for (size_t done = 0; !error && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            error = n < 0 ? errno : ENOSPC;
        else
            done += size_t(n);
    }
    if (fd >= 0 && ::close(fd) != 0 && !error)
        error = errno;
    if (error)
        messages += "brixo-labd: cannot write " + path + ": " + std::strerror(error) + "\n";
    return !error;
}

} // namespace labd
