// Verilator: the design and a generated C++ main that speaks the bench's line protocol are built
// into one program. Verilator is two-state, so its outputs never read x or z.
#include "simulator.h"

#include "verilog_tokens.h"

#include "board_layout.h"
#include "child_process.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <utility>

namespace labd {

namespace {

constexpr int kBuildLimitMs = 600000;

// The compiler cache Verilator's makefiles use through $OBJCACHE, found once: a design built
// before builds in a moment. Empty without ccache. Only the compilers write to it, never a
// design's own code (which is refused above all else).
const std::string &ccacheDir()
{
    static const std::string dir = [] {
        std::string out;
        if (brixo::runTool({"ccache", "--get-config", "cache_dir"}, "/", 5000, out) != 0)
            return std::string();
        while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back())))
            out.pop_back();
        std::error_code error;
        if (out.empty() || out[0] != '/' || out.find('\n') != std::string::npos ||
            (!std::filesystem::create_directories(out, error) && error))
            return std::string();
        return out;
    }();
    return dir;
}

// The text with comments and strings blanked, lines kept: what is left is code.
std::string codeOnly(const std::string &text)
{
    std::string s = text;
    for (size_t i = 0; i < s.size();) {
        size_t end = i;
        if (s.compare(i, 2, "//") == 0)
            end = s.find('\n', i);
        else if (s.compare(i, 2, "/*") == 0)
            end = s.find("*/", i + 2) == std::string::npos ? s.size() : s.find("*/", i + 2) + 2;
        else if (s[i] == '"')
            for (end = i + 1; end < s.size() && s[end] != '"' && s[end] != '\n';)
                end += s[end] == '\\' ? 2 : 1;
        else {
            ++i;
            continue;
        }
        end = std::min(end == std::string::npos ? s.size() : end + (s[i] == '"'), s.size());
        for (size_t j = i; j < end; ++j)
            if (s[j] != '\n')
                s[j] = ' ';
        i = end;
    }
    return s;
}

// The dump of a traced model: VerilatedVcdC's writes go through a file that stops at the limit
// the server gives, at the end of a line, and closes the dump with a comment saying so, the way
// Icarus's $dumplimit does; the tracer then dumps no more.
const char *kLimitedDump = R"(#include "verilated_vcd_c.h"
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

class LimitedFile : public VerilatedVcdFile {
public:
    explicit LimitedFile(unsigned long long limit) : limit_(limit) {}
    bool open(const std::string &name) override
    {
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        return fd_ >= 0;
    }
    void close() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    ssize_t write(const char *p, ssize_t n) override
    {
        if (fd_ < 0 || full_)
            return n;
        if (written_ + (unsigned long long)n <= limit_) {
            put(p, n);
            return n;
        }
        ssize_t keep = ssize_t(limit_ - written_);
        while (keep > 0 && p[keep - 1] != '\n')
            --keep;
        if (keep == 0 && written_ > lineEnd_ && ::ftruncate(fd_, off_t(lineEnd_)) == 0 &&
            ::lseek(fd_, 0, SEEK_END) >= 0)
            written_ = lineEnd_; // the line left open before goes too
        put(p, keep);
        const std::string said = "$comment Dump file limit (" + std::to_string(limit_) + " bytes) exceeded. $end\n";
        put(said.data(), ssize_t(said.size()));
        full_ = true;
        return n;
    }
    bool full() const { return full_; }

private:
    void put(const char *p, ssize_t n)
    {
        while (n > 0) {
            const ssize_t w = ::write(fd_, p, size_t(n));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                full_ = true;
                return;
            }
            const void *nl = ::memrchr(p, '\n', size_t(w));
            if (nl)
                lineEnd_ = written_ + (unsigned long long)(static_cast<const char *>(nl) - p) + 1;
            written_ += (unsigned long long)w;
            p += w;
            n -= w;
        }
    }
    int fd_ = -1;
    unsigned long long limit_, written_ = 0, lineEnd_ = 0;
    bool full_ = false;
};

static VerilatedVcdC *tfp = nullptr;
static LimitedFile *dumpFile = nullptr;
static unsigned long long lastDump = 0;
static bool dumped = false;

// The model's state at the bench's time t; at most one dump per time stamp.
static void trace(unsigned long long t)
{
    if (!tfp || dumpFile->full() || (dumped && t <= lastDump))
        return;
    tfp->dump(uint64_t(t));
    dumped = true;
    lastDump = t;
}

// "+brixo_dump=PATH +brixo_dump_limit=BYTES" start the dump.
static void startDump(int argc, char **argv, Vdesign *top)
{
    const char *path = nullptr;
    unsigned long long limit = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "+brixo_dump=", 12) == 0)
            path = argv[i] + 12;
        else if (std::strncmp(argv[i], "+brixo_dump_limit=", 18) == 0)
            limit = std::strtoull(argv[i] + 18, nullptr, 10);
    }
    if (!path || !limit)
        return;
    dumpFile = new LimitedFile(limit);
    tfp = new VerilatedVcdC(dumpFile);
    top->trace(tfp, 99);
    tfp->set_time_unit("1ns");
    tfp->set_time_resolution("1ns");
    tfp->open(path);
    if (!tfp->isOpen()) {
        std::fprintf(stderr, "cannot open the waveform dump %s\n", path);
        tfp = nullptr;
    }
}
)";

std::string mainText(const Board &b, const std::vector<uint64_t> &idle, uint64_t half, bool traced)
{
    std::ostringstream c;
    c << "#include \"Vdesign.h\"\n#include \"verilated.h\"\n"
         "#include <cstdint>\n#include <cstdio>\n#include <cstdlib>\n\n"
      << (traced ? kLimitedDump : "static void trace(unsigned long long) {}\n")
      << "\n"
         "static void show(uint64_t v, int width)\n{\n"
         "    std::putchar(' ');\n"
         "    for (int b = width - 1; b >= 0; --b)\n"
         "        std::putchar((v >> b) & 1 ? '1' : '0');\n}\n\n"
         "static Vdesign *top;\n"
         "static unsigned long long now = 0, ran = 0; // the bench's time in ns, the cycles run\n\n"
         "static void set(const uint64_t *v)\n{\n"
         "    (void)v;\n";
    for (size_t i = 0; i < b.inputs.size(); ++i)
        c << "    top->" << b.inputs[i].port.name << " = v[" << i << "];\n";
    c << "    top->eval();\n"
         "    trace(now);\n"
         "    now += 1;\n}\n\n"
         "static void cycles(unsigned long long n)\n{\n";
    if (b.clocks.empty()) { // nothing listens to a clock: only the time passes
        c << "    now += n * 2 * " << half << "ULL;\n";
    } else {
        c << "    for (unsigned long long i = 0; i < n; ++i) {\n";
        for (const BoardPort &k : b.clocks)
            c << "        top->" << k.port.name << " = 1;\n";
        c << "        top->eval();\n"
             "        trace(now);\n";
        for (const BoardPort &k : b.clocks)
            c << "        top->" << k.port.name << " = 0;\n";
        c << "        top->eval();\n"
             "        trace(now + "
          << half << "ULL);\n        now += 2 * " << half << "ULL;\n    }\n";
    }
    c << "    ran += n;\n}\n\n"
         "int main(int argc, char **argv)\n{\n"
         "    Verilated::commandArgs(argc, argv);\n"
      << (traced ? "    Verilated::traceEverOn(true);\n" : "") << "    top = new Vdesign;\n"
      << (traced ? "    startDump(argc, argv, top);\n" : "");
    // The first evaluation sees no edges: it starts from every input bit's opposite, so that the
    // idle values arrive as the edges a four-state simulator sees from x at time 0 (a bit idle
    // at 0 falls, one idle at 1 rises), and a design that acts on its key's first edge sees it.
    for (size_t i = 0; i < b.inputs.size(); ++i)
        c << "    top->" << b.inputs[i].port.name << " = "
          << (~idle[i] & brixo::BoardLayout::mask(int(b.inputs[i].port.width()))) << "ULL;\n";
    for (const BoardPort &k : b.clocks)
        c << "    top->" << k.port.name << " = 1;\n";
    c << "    top->eval();\n";
    for (size_t i = 0; i < b.inputs.size(); ++i)
        c << "    top->" << b.inputs[i].port.name << " = " << idle[i] << "ULL;\n";
    for (const BoardPort &k : b.clocks)
        c << "    top->" << k.port.name << " = 0;\n";
    const size_t n = b.inputs.size();
    c << "    top->eval();\n"
         "    char line[1024];\n"
         "    while (!Verilated::gotFinish() && std::fgets(line, sizeof line, stdin)) {\n"
         "        char *p = line;\n"
         "        const unsigned long long before = std::strtoull(p, &p, 10);\n"
         "        const unsigned long long after = std::strtoull(p, &p, 10);\n"
         "        uint64_t next["
      << n + 1 << "] = {0}, press[" << n + 1
      << "] = {0};\n"
         "        bool pulsed = false;\n"
         "        for (int i = 0; i < "
      << n
      << "; ++i)\n"
         "            next[i] = std::strtoull(p, &p, 16);\n"
         "        for (int i = 0; i < "
      << n
      << "; ++i) {\n"
         "            press[i] = std::strtoull(p, &p, 16);\n"
         "            pulsed = pulsed || press[i] != next[i];\n"
         "        }\n"
         "        cycles(before);\n"
         "        set(next);\n"
         "        if (pulsed) {\n"
         "            set(press);\n"
         "            set(next);\n"
         "        }\n"
         "        cycles(after);\n"
      << (traced ? "        if (tfp)\n            tfp->flush(); // on disk before the answer\n" : "")
      << "        std::printf(\"@brixo %llu %llu\", now, ran);\n";
    for (const BoardPort &o : b.outputs) {
        const int w = int(o.port.width());
        if (w <= 64) {
            c << "        show(uint64_t(top->" << o.port.name << "), " << w << ");\n";
        } else {
            c << "        std::putchar(' ');\n"
                 "        for (int b = "
              << w - 1
              << "; b >= 0; --b)\n"
                 "            std::putchar((top->"
              << o.port.name << "[b / 32] >> (b % 32)) & 1 ? '1' : '0');\n";
        }
    }
    c << "        std::putchar('\\n');\n"
         "        std::fflush(stdout);\n"
         "    }\n"
         "    top->final();\n"
         "    delete top;\n"
         "    return 0;\n}\n";
    return c.str();
}

class Verilator : public Simulator {
public:
    Verilator(const Sandbox &sandbox, double clockHz)
        : sandbox_(sandbox), dir_(sandbox.workDir()), half_(halfPeriodNs(clockHz))
    {}

    std::vector<std::string> tools() const override { return {"verilator", "make"}; }

    std::vector<std::string> base(const DesignFiles &d) const
    {
        std::vector<std::string> a{"verilator", "-Wno-fatal", "-Wno-lint", "-Wno-style"};
        for (const std::string &def : d.defines)
            a.push_back("-D" + def);
        return a;
    }

    // Verilator cuts a file name at its first blank in its messages ("My:27:2" for
    // "My Adder.v"): such a file is handed over as a link of a blank-free name in the work
    // directory, with its own directory searched for includes, and its name put back into the
    // messages.
    void addFiles(const DesignFiles &d, std::vector<std::string> &a)
    {
        links_.clear();
        std::vector<std::string> files;
        for (const std::string &f : d.files) {
            if (f.find_first_of(" \t") == std::string::npos) {
                files.push_back(f);
                continue;
            }
            const size_t dot = f.rfind('.'), slash = f.rfind('/');
            const std::string ext =
                dot != std::string::npos && (slash == std::string::npos || dot > slash) ? f.substr(dot) : std::string();
            const std::string link = dir_ + "/src/file" + std::to_string(links_.size()) + ext;
            std::error_code error;
            std::filesystem::create_directories(dir_ + "/src", error);
            std::filesystem::remove(link, error);
            std::filesystem::create_symlink(f, link, error);
            if (error || ext.find_first_of(" \t") != std::string::npos) {
                files.push_back(f);
                continue;
            }
            links_.push_back({link, f});
            files.push_back(link);
            if (slash != std::string::npos)
                a.push_back("-I" + f.substr(0, slash));
        }
        a.insert(a.end(), files.begin(), files.end());
    }

    int run(const std::vector<std::string> &a, std::string &messages)
    {
        std::string out;
        std::vector<std::string> environment{"OBJCACHE="}, writable;
        if (!ccacheDir().empty()) {
            environment = {"OBJCACHE=ccache", "CCACHE_DIR=" + ccacheDir()};
            writable = {ccacheDir()};
        }
        const int status = sandbox_.runTool(a, kBuildLimitMs, out, environment, writable);
        for (const auto &[link, file] : links_)
            for (size_t at = 0; (at = out.find(link, at)) != std::string::npos; at += file.size())
                out.replace(at, link.size(), file);
        messages += out;
        return status;
    }

    bool check(const DesignFiles &d, std::string &messages) override
    {
        std::vector<std::string> a = base(d);
        a.push_back("--lint-only");
        a.push_back("-Wno-MULTITOP");
        if (!d.top.empty())
            a.insert(a.end(), {"--top-module", d.top});
        addFiles(d, a);
        return run(a, messages) == 0;
    }

    bool preprocess(const DesignFiles &d, std::string &text, std::string &messages) override
    {
        std::vector<std::string> a = base(d);
        a.push_back("-E");
        a.push_back("-P");
        addFiles(d, a);
        std::string out;
        if (run(a, out) != 0) {
            messages += out;
            return false;
        }
        text = out;
        return true;
    }

    bool build(const DesignFiles &d, const Board &b, std::string &messages) override
    {
        if (!writeGenerated(dir_ + "/brixo_labd_main.cpp", mainText(b, idleInputs(b), half_, traced_), messages))
            return false;
        std::vector<std::string> a = base(d);
        a.insert(a.end(), {"--cc", "--exe", "--build", "-j", "2", "--no-timing", "--prefix", "Vdesign", "--top-module",
                           b.top, "-Mdir", dir_ + "/obj", "-o", dir_ + "/design"});
        if (traced_) // every signal, as wide as a dump's reader takes
            a.insert(a.end(), {"--trace", "--trace-max-width", "65536", "--trace-max-array", "65536"});
        addFiles(d, a);
        a.push_back(dir_ + "/brixo_labd_main.cpp");
        return run(a, messages) == 0;
    }

    std::vector<std::string> command() const override { return {dir_ + "/design"}; }

    std::string refused(const std::string &file, const std::string &text) const override
    {
        return verilatorRefusals(file, text);
    }

    const Sandbox &sandbox() const override { return sandbox_; }

    void enableDump() override { traced_ = true; }

private:
    Sandbox sandbox_;
    std::string dir_;
    uint64_t half_;
    bool traced_ = false;
    std::vector<std::pair<std::string, std::string>> links_; // link in the work directory, the file it stands for
};

} // namespace

std::unique_ptr<Simulator> makeVerilator(const Sandbox &sandbox, double clockHz)
{
    return std::make_unique<Verilator>(sandbox, clockHz);
}

std::string verilatorRefusals(const std::string &file, const std::string &text)
{
    std::string said;
    const auto refuse = [&](int line, const std::string &what) {
        said += file + ":" + std::to_string(line) + ": " + what +
                (what == "$system" ? " would run a shell command"
                                   : " would put C code of the design's own into the model") +
                " on the server: refused with Verilator\n";
    };
    const std::vector<Token> tokens = tokenize(text);
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token &t = tokens[i];
        if (t.kind != Token::Name)
            continue;
        const bool cTask = t.text.size() >= 2 && t.text.compare(0, 2, "$c") == 0 &&
                           t.text.find_first_not_of("0123456789", 2) == std::string::npos;
        if (t.text == "$system" || cTask)
            refuse(t.line, t.text);
        else if (t.text == "import" && i + 1 < tokens.size() && tokens[i + 1].kind == Token::Text &&
                 tokens[i + 1].text.compare(0, 4, "\"DPI") == 0)
            refuse(t.line, "a DPI import");
    }
    // The tokens leave out directives: `systemc_* put C++ text into the model.
    const std::string code = codeOnly(text);
    for (size_t at = code.find("`systemc_"); at != std::string::npos; at = code.find("`systemc_", at + 1))
        refuse(int(std::count(code.begin(), code.begin() + std::ptrdiff_t(at), '\n')) + 1,
               code.substr(at, code.find_first_of(" \t\n", at) - at));
    return said;
}

} // namespace labd
