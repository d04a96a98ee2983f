// Icarus Verilog: iverilog compiles the design and a Verilog bench; vvp runs it. The bench reads
// its steps from standard input with $fscanf.
#include "simulator.h"

#include <fstream>
#include <sstream>

namespace labd {

namespace {

constexpr int kCompileLimitMs = 60000;
const char *kBench = "brixo_labd_bench";

std::string range(const Port &p) { return "[" + std::to_string(p.left) + ":" + std::to_string(p.right) + "]"; }

std::string benchText(const Board &b, const std::vector<uint64_t> &idle, uint64_t half)
{
    const size_t n = b.inputs.size();
    // The pattern once for each input, '#' its number, joined by `between`.
    auto each = [n](const std::string &pattern, const std::string &between = "") {
        std::string all;
        for (size_t i = 0; i < n; ++i) {
            std::string one = pattern;
            for (size_t at; (at = one.find('#')) != std::string::npos;)
                one.replace(at, 1, std::to_string(i));
            all += (i ? between : "") + one;
        }
        return all;
    };
    std::ostringstream v;
    // Its own time unit, whatever the design's files declare: the time it reports is in ns.
    v << "`timescale 1ns/1ns\nmodule " << kBench << ";\n";
    // No initial values in the declarations: in SystemVerilog they are no event, and a design
    // waiting for its key's first edge would never see one. The inputs get them below, at time 0.
    // Names that are no keyword in either language ("before" is one in SystemVerilog).
    v << "  integer n;\n  reg [63:0] cycles_before, cycles_after, ran = 64'd0;\n  reg clock;\n";
    // The design's own signals go to a dump when the server asks for one (brixo-labd --dump-vcd).
    v << "  reg [8*4096-1:0] dump_path;\n  reg [63:0] dump_limit;\n  reg dumping;\n";
    std::ostringstream idleValues;
    for (size_t i = 0; i < n; ++i) {
        v << "  reg " << range(b.inputs[i].port) << " in" << i << ";\n  reg [63:0] next" << i << ", press" << i
          << ";\n";
        idleValues << "in" << i << " = " << b.inputs[i].port.width() << "'h" << std::hex << idle[i] << std::dec << "; ";
    }
    for (size_t i = 0; i < b.outputs.size(); ++i)
        v << "  wire " << range(b.outputs[i].port) << " out" << i << ";\n";
    v << "  " << b.top << " dut(";
    bool first = true;
    auto connect = [&](const std::string &port, const std::string &net) {
        v << (first ? "" : ", ") << "." << port << "(" << net << ")";
        first = false;
    };
    for (size_t i = 0; i < n; ++i)
        connect(b.inputs[i].port.name, "in" + std::to_string(i));
    for (const BoardPort &c : b.clocks)
        connect(c.port.name, "clock");
    for (size_t i = 0; i < b.outputs.size(); ++i)
        connect(b.outputs[i].port.name, "out" + std::to_string(i));
    v << ");\n";
    const std::string h = "64'd" + std::to_string(half);
    // A design with no clock port gets the time, not a clock nobody listens to.
    const std::string cycles = b.clocks.empty() ? "if (c != 0) begin #(c * 2 * " + h + "); ran = ran + c; end"
                                                : "repeat (c) begin clock = 1'b1; #(" + h + "); clock = 1'b0; #(" + h +
                                                      "); ran = ran + 64'd1; end";
    std::string shown = "\"@brixo %0d %0d", values;
    for (size_t i = 0; i < b.outputs.size(); ++i) {
        shown += " %b";
        values += ", out" + std::to_string(i);
    }
    const std::string pulsed = n == 0 ? "1'b0" : each("press# !== next#", " || ");
    v << "  task brixo_cycles(input [63:0] c);\n    " << cycles << "\n  endtask\n";
    // #0: every process of the design waits on its events before the inputs change.
    // The dump starts before the idle values arrive, so they show as changes from x at time 0;
    // it holds the design alone, and is flushed after every step, so a simulator killed
    // between steps leaves it whole up to there.
    v << "  initial begin\n"
         "    dumping = 1'b0;\n"
         "    if ($value$plusargs(\"brixo_dump=%s\", dump_path) &&\n"
         "        $value$plusargs(\"brixo_dump_limit=%d\", dump_limit)) begin\n"
         "      $dumpfile(dump_path);\n"
         "      $dumplimit(dump_limit);\n"
         "      $dumpvars(0, dut);\n"
         "      dumping = 1'b1;\n"
         "    end\n"
         "    #0;\n"
         "    "
      << idleValues.str() << "clock = 1'b0;\n"
      << "    forever begin\n"
         "      n = $fscanf(32'h8000_0000, \"%d %d"
      << each(" %h") << each(" %h") << "\", cycles_before, cycles_after" << each(", next#") << each(", press#")
      << ");\n"
      << "      if (n != " << 2 * n + 2 << ") $finish;\n"
      << "      brixo_cycles(cycles_before);\n"
      << "      " << each("in# = next#; ") << "#1;\n"
      << "      if (" << pulsed << ") begin\n"
      << "        " << each("in# = press#; ") << "#1;\n"
      << "        " << each("in# = next#; ") << "#1;\n"
      << "      end\n"
      << "      brixo_cycles(cycles_after);\n"
      << "      $display(" << shown << "\", $time, ran" << values << ");\n"
      << "      $fflush;\n"
      << "      if (dumping) $dumpflush;\n"
         "    end\n"
         "  end\n"
         "endmodule\n";
    return v.str();
}

class Icarus : public Simulator {
public:
    Icarus(const Sandbox &sandbox, double clockHz)
        : sandbox_(sandbox), dir_(sandbox.workDir()), half_(halfPeriodNs(clockHz))
    {}

    std::vector<std::string> tools() const override { return {"iverilog", "vvp"}; }

    // Verilog files are Verilog-2005, where a variable's initial value is an event at time 0: an
    // "always @*" that reads only initialised registers then runs, as the hardware's logic would.
    // In SystemVerilog mode it does not, so that mode is kept for .sv files.
    static const char *generation(const DesignFiles &d)
    {
        for (const std::string &f : d.files)
            if (f.size() > 3 && f.compare(f.size() - 3, 3, ".sv") == 0)
                return "-g2012";
        return "-g2005";
    }

    std::vector<std::string> compiler(const DesignFiles &d, const std::string &output) const
    {
        std::vector<std::string> a{"iverilog", generation(d), "-o", output};
        for (const std::string &def : d.defines)
            a.push_back("-D" + def);
        return a;
    }

    bool check(const DesignFiles &d, std::string &messages) override
    {
        std::vector<std::string> a = compiler(d, dir_ + "/check.vvp");
        a.insert(a.end(), d.files.begin(), d.files.end());
        return sandbox_.runTool(a, kCompileLimitMs, messages) == 0;
    }

    bool preprocess(const DesignFiles &d, std::string &text, std::string &messages) override
    {
        std::vector<std::string> a = compiler(d, dir_ + "/design.pp.v");
        a.insert(a.begin() + 1, "-E");
        a.insert(a.end(), d.files.begin(), d.files.end());
        if (sandbox_.runTool(a, kCompileLimitMs, messages) != 0)
            return false;
        std::ifstream in(dir_ + "/design.pp.v", std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return true;
    }

    bool build(const DesignFiles &d, const Board &b, std::string &messages) override
    {
        const std::string bench = dir_ + "/" + kBench + ".v";
        if (!writeGenerated(bench, benchText(b, idleInputs(b), half_), messages))
            return false;
        std::vector<std::string> a = compiler(d, dir_ + "/design.vvp");
        a.push_back("-s");
        a.push_back(kBench);
        a.insert(a.end(), d.files.begin(), d.files.end());
        a.push_back(bench);
        return sandbox_.runTool(a, kCompileLimitMs, messages) == 0;
    }

    std::vector<std::string> command() const override { return {"vvp", "-n", dir_ + "/design.vvp"}; }

    // vvp has no task that runs a program; what a design reads and writes is the sandbox's.
    std::string refused(const std::string &, const std::string &) const override { return std::string(); }

    const Sandbox &sandbox() const override { return sandbox_; }

private:
    Sandbox sandbox_;
    std::string dir_;
    uint64_t half_;
};

} // namespace

std::unique_ptr<Simulator> makeIcarus(const Sandbox &sandbox, double clockHz)
{
    return std::make_unique<Icarus>(sandbox, clockHz);
}

} // namespace labd
