#include "options.h"

#include "host_port.h"

#include <arpa/inet.h>
#include <cctype>
#include <cstdlib>
#include <netdb.h>
#include <sys/stat.h>
#include <unistd.h>

namespace labd {

namespace {

bool isOption(const std::string &a) { return a.size() > 2 && a.compare(0, 2, "--") == 0; }

// HOST:PORT with HOST resolved to its numeric IPv4 address; port 0 lets the system choose.
bool listenAddress(const std::string &text, Options &o, std::string &error)
{
    std::string host;
    int p = 0;
    if (!brixo::parseHostPort(text, host, p, true)) {
        error = "--listen wants HOST:PORT with a port number of 0 to 65535, got \"" + text + "\"";
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
        error = "--listen: cannot resolve \"" + host + "\" to an IPv4 address";
        return false;
    }
    char numeric[INET_ADDRSTRLEN] = {};
    const in_addr a = reinterpret_cast<sockaddr_in *>(found->ai_addr)->sin_addr;
    inet_ntop(AF_INET, &a, numeric, sizeof numeric);
    freeaddrinfo(found);
    o.host = numeric;
    o.port = p;
    return true;
}

bool loopback(const std::string &numeric) { return numeric.compare(0, 4, "127.") == 0; }

// "512M", "2G", "1048576": bytes, with a K, M or G suffix (powers of 1024), at most 1 TiB.
bool byteCount(const std::string &text, unsigned long long &bytes)
{
    char *end = nullptr;
    const unsigned long long n = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    const std::string unit = end;
    const int shift = unit.empty()                 ? 0
                      : unit == "K" || unit == "k" ? 10
                      : unit == "M" || unit == "m" ? 20
                      : unit == "G" || unit == "g" ? 30
                                                   : -1;
    if (shift < 0 || n > (1ull << 40) >> shift)
        return false;
    bytes = n << shift;
    return true;
}

bool memorySize(const std::string &text, unsigned long long &bytes)
{
    return byteCount(text, bytes) && bytes >= (64ull << 20) && bytes <= (1ull << 40);
}

// The simulator's own dump limit is a 32-bit count.
bool dumpSize(const std::string &text, unsigned long long &bytes)
{
    return byteCount(text, bytes) && bytes >= (64ull << 10) && bytes <= (1ull << 30);
}

// The dump is written in the work directory and moved to the file when the server ends: its
// folder must be there and writable from the start, not found wanting at the end.
bool dumpTarget(const std::string &file, std::string &error)
{
    const size_t slash = file.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
    struct stat st {};
    if (file.empty() || file.back() == '/' || (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode))) {
        error = "--dump-vcd wants a file name, got \"" + file + "\"";
        return false;
    }
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || ::access(dir.c_str(), W_OK) != 0) {
        error = "--dump-vcd " + file + ": cannot write in " + dir;
        return false;
    }
    return true;
}

} // namespace

bool parseOptions(const std::vector<std::string> &args, Options &o, std::string &error)
{
    std::string listen;
    // brixo-cli grade asks for the sandbox through its runs' environment, past brixo-cli test.
    const char *sandbox = std::getenv("BRIXO_LABD_SANDBOX");
    if (sandbox && std::string(sandbox) == "require")
        o.sandbox = Options::Sandbox::Required;
    else if (sandbox && std::string(sandbox) == "off")
        o.sandbox = Options::Sandbox::Off;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i], value;
        const bool hasValue = a.find('=') != std::string::npos && isOption(a);
        if (hasValue) {
            value = a.substr(a.find('=') + 1);
            a = a.substr(0, a.find('='));
        }
        auto take = [&](std::string &into) {
            if (hasValue) {
                into = value;
                return true;
            }
            if (i + 1 >= args.size() || isOption(args[i + 1])) {
                error = a + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--verilog") {
            if (hasValue)
                o.files.push_back(value);
            while (i + 1 < args.size() && !isOption(args[i + 1]))
                o.files.push_back(args[++i]);
        } else if (a == "--top") {
            if (!take(o.top))
                return false;
        } else if (a == "--simulator") {
            if (!take(o.simulator))
                return false;
            if (o.simulator != "iverilog" && o.simulator != "verilator") {
                error = "--simulator is iverilog or verilator, not \"" + o.simulator + "\"";
                return false;
            }
        } else if (a == "--clock-hz") {
            std::string hz;
            if (!take(hz))
                return false;
            char *end = nullptr;
            o.clockHz = std::strtod(hz.c_str(), &end);
            if (hz.empty() || *end || !(o.clockHz >= 0.001) || o.clockHz > 1e8) {
                error = "--clock-hz wants a frequency of 0.001 to 100000000, got \"" + hz + "\"";
                return false;
            }
        } else if (a == "--step-limit-ms") {
            std::string ms;
            if (!take(ms))
                return false;
            char *end = nullptr;
            const long v = std::strtol(ms.c_str(), &end, 10);
            if (ms.empty() || *end || v < 10 || v > 60000) {
                error = "--step-limit-ms wants 10 to 60000, got \"" + ms + "\"";
                return false;
            }
            o.stepLimitMs = int(v);
        } else if (a == "--manual-clock") {
            o.manualClock = true;
        } else if (a == "--keys-active-low") {
            o.keysActiveLow = true;
        } else if (a == "--define") {
            std::string d;
            if (!take(d))
                return false;
            o.defines.push_back(d);
        } else if (a == "--listen") {
            if (!take(listen))
                return false;
        } else if (a == "--allow-remote") {
            o.allowRemote = true;
        } else if (a == "--require-sandbox") {
            o.sandbox = Options::Sandbox::Required;
        } else if (a == "--no-sandbox") {
            o.sandbox = Options::Sandbox::Off;
        } else if (a == "--sandbox-check") {
            o.sandboxCheck = true;
        } else if (a == "--mem-limit") {
            std::string m;
            if (!take(m))
                return false;
            if (!memorySize(m, o.memLimit)) {
                error = "--mem-limit wants 64M to 1024G (a number of bytes, or with K, M or G), got \"" + m + "\"";
                return false;
            }
        } else if (a == "--dump-vcd") {
            if (!take(o.dumpVcd))
                return false;
        } else if (a == "--dump-limit") {
            std::string m;
            if (!take(m))
                return false;
            if (!dumpSize(m, o.dumpLimit)) {
                error = "--dump-limit wants 64K to 1G (a number of bytes, or with K, M or G), got \"" + m + "\"";
                return false;
            }
        } else if (a == "--stdin-lifetime") {
            o.stdinLifetime = true;
        } else if (a == "--log") {
            o.log = true;
        } else {
            error = isOption(a) || a[0] == '-'
                        ? "unknown option " + a
                        : "\"" + a + "\" is not a --verilog file list's (put --verilog before it)";
            return false;
        }
    }
    if (o.help || o.sandboxCheck)
        return true;
    if (o.files.empty()) {
        error = "no design: give --verilog FILE.v";
        return false;
    }
    if (!o.dumpVcd.empty() && !dumpTarget(o.dumpVcd, error))
        return false;
    if (!listen.empty() && !listenAddress(listen, o, error))
        return false;
    if (!o.allowRemote && !loopback(o.host)) {
        error = "--listen " + listen + ": " + o.host +
                " is not a loopback address; the protocol has no authentication, so serving other machines "
                "needs --allow-remote";
        return false;
    }
    return true;
}

std::string usageText()
{
    return R"(Usage: brixo-labd --verilog FILE.v [FILE.v ...] [options]
       brixo-labd lab --config lab.json [--allow-plain-http] [--log]

Serves a Verilog design as a simulated lab board over the remote-lab protocol, so Brixo's panel
(and any client of libvestrix/libtamro) drives it like a board: switch and key writes reach the
design, LED, digit and CPU-data reads show what it drives.

Options:
  --verilog FILE.v [FILE.v ...]  the design's files (all up to the next option; may be repeated)
  --top NAME                     the top module; may be left out when exactly one module is not
                                 instantiated by another
  --simulator iverilog|verilator Icarus Verilog (default; compiles in a fraction of a second;
                                 .v files as Verilog-2005, and all files as SystemVerilog when
                                 one is a .sv file) or Verilator (builds in seconds, runs faster,
                                 more SystemVerilog)
  --clock-hz HZ                  rate of the free-running clock in simulated real time
                                 (default 1000, 0.001 to 100000000); the cycles owed since the
                                 last request run before each request, at most 50000 of them;
                                 a cycle lasts one period of it in the simulated time
  --manual-clock                 the clock runs only the cycles a step-route request asks for
                                 ("cycles"), none for the time between requests: the same
                                 requests give the same outputs (what brixo-cli uses for a
                                 vector file with a CYCLES column)
  --keys-active-low              the design's "key" port reads 0 when a key is pressed
  --define NAME[=VALUE]          a preprocessor definition for the design's files
  --listen HOST:PORT             where to listen (default 127.0.0.1:0, port 0: the system chooses)
  --allow-remote                 allow a HOST that is not loopback (the protocol has no
                                 authentication)
  --stdin-lifetime               also end when standard input reaches end of file
  lab --config lab.json          the lab server: the lab PC's boards and students' simulated
                                 boards for signed-in users, with a queue (see brixo-labd(1))
  --allow-plain-http             (lab) plain HTTP on an address other than loopback
  --log                          one line per client request on standard error: time (UTC),
                                 client address, method and path, status, milliseconds (a
                                 refused connection always gets one)
  --require-sandbox              refuse to build or run the design where the sandbox cannot be
                                 set up (brixo-cli grade asks for this)
  --no-sandbox                   build and run the design without the sandbox (limits and the
                                 clean environment stay)
  --sandbox-check                say whether the sandbox can be set up here and end: exit 0
                                 when it can, 3 when not (with the reason)
  --mem-limit SIZE               address space of each compiler and simulator process
                                 (default 2G; 64M to 1024G, in bytes or with K, M or G)
  --dump-vcd FILE                the design's own signals, of every module, into FILE as a value
                                 change dump, in the simulated time; the simulator writes it in
                                 the work directory and the server copies it to FILE when it
                                 ends; a simulator started again after a failure dumps its run
                                 from reset into NAME-2.vcd, NAME-3.vcd, ... (NAME: FILE
                                 without .vcd)
  --dump-limit SIZE              the dump's bytes at most, all of its files together (default
                                 32M, what brixo-cli wave reads; 64K to 1G): past it dumping
                                 stops, the file ends there with a comment saying so, and the
                                 server says so once on standard error
  --step-limit-ms MS             time the design gets to settle for one request (default 2000;
                                 keep it below the client's answer limit of 5000)
  --help                         this text

Ports of the top module, matched without regard to case; any subset; a narrower port uses the
low bits; bit i is declared index (lowest index + i), whatever the range's direction:
  inputs   sw (up to 36 bits, bit i = switch i); key (up to 20; 1 = pressed, or 0 = pressed with
           --keys-active-low); key_n (up to 20; always 0 = pressed); clk, clock or clock_*
           (1 bit, driven by the server)
  outputs  ledr (up to 18 red LEDs); ledg (up to 18 green LEDs); led (up to 36: red 0-17,
           green 18-35); hex0 ... hex7 (7 or 8 bits: segments a-g in bits 0-6, point in bit 7,
           0 = lit); cpu_data (up to 2048 bits, for data displays)
  An output bit that is x or z is shown off (an LED dark, a segment unlit). Every input and the
  clock take their idle values at time 0 as an edge from x (Verilator: from the opposite
  value), in Verilog-2005 and SystemVerilog alike.

When ready it prints two lines on standard output, flushed at once:
  listening on HOST:PORT       the numeric address and the real port
  design {"top":...,"switches":N,"keys":N,"red":N,"green":N,"digits":N,"cpu_data_bits":N,"clock":"NAME"}
                               what the recognised ports carry (clock: the clock port's name or "")
Clients connect through libvestrix: ScanTAMRO(names, "127.0.0.1", PORT) lists the server as
"Lantrovex" after any USB adapters; ConnectDevice(its index) selects it.

The step route in JSON drives the same board with one request per action:
  POST /api/v1/step   {"switches": N, "keys": N, "pulse": N, "cycles": N}, each optional: the
                      switch and key registers (bit i = switch or key i, 1 = on or pressed; one
                      left out keeps its value), keys pressed together and released together
                      after them, clock cycles to run before the outputs are read. Answers
                      {"leds": N, "digits": [8 bytes, 0 = lit], "cpu_data": "HEX", "cycles": N,
                      "time_ns": N}: cycles run and simulated time since the simulator started
  GET /api/v1/board   the JSON of the design line

Every request runs the simulator within a time limit: a design that does not settle (a loop of
logic without a register) or that crashes gets an error answer, a message on standard error, and
a simulator started again from reset with the next request; the server keeps serving. What the
design prints goes to standard error, the first 64 KiB of it per simulator start.

The design is untrusted code: every compiler and simulator run goes through bubblewrap (bwrap),
with no network, the system read-only, a private /tmp, no home directory, the server's work
directory the only place it may write and the design's own folders the only ones of the user's
it may read (a simulator runs in the first file's folder, so $readmemh("rom.hex") finds the
file beside the design); a clean environment; limits of --mem-limit on memory, 64 MiB on a
file, 256 processes and CPU time. A file access elsewhere fails inside the design with the
simulator's own warning. With Verilator, $system, $c, DPI imports and `systemc_ directives are
refused before anything is built. Where bwrap cannot make a sandbox, the design runs without
one and a warning says so (--require-sandbox refuses instead). BRIXO_LABD_SANDBOX=require or
off in the environment does what --require-sandbox or --no-sandbox do. Work directories are
named brixo-labd-PID-XXXXXX in $TMPDIR (or /tmp) and removed when the server ends; a server
that starts removes those whose server is gone.

Messages name the design's own files: a design that does not compile gets the simulator's words
about them alone (at most 100 lines), never about the bench brixo-labd adds.

Exit status: 0 after SIGTERM, SIGINT, SIGHUP or SIGQUIT (or end of standard input with
--stdin-lifetime); 1 when the design does not build or start: it does not compile (the
simulator's messages on standard error), it uses what the simulator refuses, it needs more
memory than the limit, its ports do not fit the board (no recognised port, a port too wide or of
the wrong direction, no single top module), a file cannot be read, or it ends or does not settle
before its first request; 2 for a usage error; 3 when the server itself fails: a simulator that
is not installed, a work file that cannot be written, a full disk, no sandbox with
--require-sandbox, an address that cannot be bound.
)";
}

} // namespace labd
