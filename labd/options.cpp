#include "options.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netdb.h>

namespace labd {

namespace {

bool isOption(const std::string &a) { return a.size() > 2 && a.compare(0, 2, "--") == 0; }

// HOST:PORT with HOST resolved to its numeric IPv4 address.
bool listenAddress(const std::string &text, Options &o, std::string &error)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        error = "--listen wants HOST:PORT, got \"" + text + "\"";
        return false;
    }
    const std::string port = text.substr(colon + 1);
    char *end = nullptr;
    const long p = std::strtol(port.c_str(), &end, 10);
    if (port.empty() || *end || p < 0 || p > 65535) {
        error = "--listen: \"" + port + "\" is no port number (0 to 65535)";
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(text.substr(0, colon).c_str(), nullptr, &hints, &found) != 0 || !found) {
        error = "--listen: cannot resolve \"" + text.substr(0, colon) + "\" to an IPv4 address";
        return false;
    }
    char numeric[INET_ADDRSTRLEN] = {};
    const in_addr a = reinterpret_cast<sockaddr_in *>(found->ai_addr)->sin_addr;
    inet_ntop(AF_INET, &a, numeric, sizeof numeric);
    freeaddrinfo(found);
    o.host = numeric;
    o.port = int(p);
    return true;
}

bool loopback(const std::string &numeric) { return numeric.compare(0, 4, "127.") == 0; }

} // namespace

bool parseOptions(const std::vector<std::string> &args, Options &o, std::string &error)
{
    std::string listen;
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
            if (hz.empty() || *end || !(o.clockHz > 0) || o.clockHz > 1e8) {
                error = "--clock-hz wants a frequency above 0 and at most 100000000, got \"" + hz + "\"";
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
        } else if (a == "--stdin-lifetime") {
            o.stdinLifetime = true;
        } else {
            error = isOption(a) || a[0] == '-'
                        ? "unknown option " + a
                        : "\"" + a + "\" is not a --verilog file list's (put --verilog before it)";
            return false;
        }
    }
    if (o.help)
        return true;
    if (o.files.empty()) {
        error = "no design: give --verilog FILE.v";
        return false;
    }
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
                                 (default 1000); the cycles owed since the last request run
                                 before each request, at most 50000 of them
  --keys-active-low              the design's "key" port reads 0 when a key is pressed
  --define NAME[=VALUE]          a preprocessor definition for the design's files
  --listen HOST:PORT             where to listen (default 127.0.0.1:0, port 0: the system chooses)
  --allow-remote                 allow a HOST that is not loopback (the protocol has no
                                 authentication)
  --stdin-lifetime               also end when standard input reaches end of file
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
  An output bit that is x or z is shown off (an LED dark, a segment unlit).

When ready it prints two lines on standard output, flushed at once:
  listening on HOST:PORT       the numeric address and the real port
  design {"top":...,"switches":N,"keys":N,"red":N,"green":N,"digits":N,"cpu_data_bits":N,"clock":"NAME"}
                               what the recognised ports carry (clock: the clock port's name or "")
Clients connect through libvestrix: ScanTAMRO(names, "127.0.0.1", PORT) lists the server as
"Lantrovex" after any USB adapters; ConnectDevice(its index) selects it.

Every request runs the simulator within a time limit: a design that does not settle (a loop of
logic without a register) or that crashes gets an error answer, a message on standard error, and
a restarted simulator; the server keeps serving.

Exit status: 0 after SIGTERM or SIGINT (or end of standard input with --stdin-lifetime);
1 when the design does not compile (the simulator's messages on standard error) or its ports do
not fit the board (no recognised port, a port too wide or of the wrong direction, no single top
module), or the address cannot be bound; 2 for a usage error.
)";
}

} // namespace labd
