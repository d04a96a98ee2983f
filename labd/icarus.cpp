// Icarus Verilog: iverilog compiles the design and a Verilog bench; vvp runs it. The bench reads
// its steps from standard input with $fscanf.
#include "childprocess.h"
#include "simulator.h"

#include <fstream>
#include <sstream>

namespace labd {

namespace {

constexpr int kCompileLimitMs = 60000;
const char *kBench = "brixo_labd_bench";

std::string range(const Port &p) { return "[" + std::to_string(p.left) + ":" + std::to_string(p.right) + "]"; }

std::string benchText(const Board &b, const std::vector<uint64_t> &idle)
{
    std::ostringstream v;
    v << "module " << kBench << ";\n";
    v << "  integer n, cycles;\n  reg clock = 1'b0;\n";
    for (size_t i = 0; i < b.inputs.size(); ++i)
        v << "  reg " << range(b.inputs[i].port) << " in" << i << " = " << b.inputs[i].port.width() << "'h" << std::hex
          << idle[i] << std::dec << ";\n  reg [63:0] next" << i << ";\n";
    for (size_t i = 0; i < b.outputs.size(); ++i)
        v << "  wire " << range(b.outputs[i].port) << " out" << i << ";\n";
    v << "  " << b.top << " dut(";
    bool first = true;
    auto connect = [&](const std::string &port, const std::string &net) {
        v << (first ? "" : ", ") << "." << port << "(" << net << ")";
        first = false;
    };
    for (size_t i = 0; i < b.inputs.size(); ++i)
        connect(b.inputs[i].port.name, "in" + std::to_string(i));
    for (const BoardPort &c : b.clocks)
        connect(c.port.name, "clock");
    for (size_t i = 0; i < b.outputs.size(); ++i)
        connect(b.outputs[i].port.name, "out" + std::to_string(i));
    v << ");\n";
    std::string format = "%d", args = "cycles";
    for (size_t i = 0; i < b.inputs.size(); ++i) {
        format += " %h";
        args += ", next" + std::to_string(i);
    }
    std::string shown = "\"@brixo", values;
    for (size_t i = 0; i < b.outputs.size(); ++i) {
        shown += " %b";
        values += ", out" + std::to_string(i);
    }
    v << "  initial begin\n"
         "    forever begin\n"
         "      n = $fscanf(32'h8000_0000, \""
      << format << "\", " << args
      << ");\n"
         "      if (n != "
      << b.inputs.size() + 1
      << ") $finish;\n"
         "      repeat (cycles) begin clock = 1'b1; #1; clock = 1'b0; #1; end\n";
    for (size_t i = 0; i < b.inputs.size(); ++i)
        v << "      in" << i << " = next" << i << ";\n";
    v << "      #1;\n"
         "      $display("
      << shown << "\"" << values
      << ");\n"
         "      $fflush;\n"
         "    end\n"
         "  end\n"
         "endmodule\n";
    return v.str();
}

class Icarus : public Simulator {
public:
    explicit Icarus(std::string dir) : dir_(std::move(dir)) {}

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
        return runTool(a, dir_, kCompileLimitMs, messages) == 0;
    }

    bool preprocess(const DesignFiles &d, std::string &text, std::string &messages) override
    {
        std::vector<std::string> a = compiler(d, dir_ + "/design.pp.v");
        a.insert(a.begin() + 1, "-E");
        a.insert(a.end(), d.files.begin(), d.files.end());
        if (runTool(a, dir_, kCompileLimitMs, messages) != 0)
            return false;
        std::ifstream in(dir_ + "/design.pp.v", std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return true;
    }

    bool build(const DesignFiles &d, const Board &b, std::string &messages) override
    {
        const std::string bench = dir_ + "/brixo_labd_bench.v";
        std::ofstream(bench) << benchText(b, idleInputs(b));
        std::vector<std::string> a = compiler(d, dir_ + "/design.vvp");
        a.push_back("-s");
        a.push_back(kBench);
        a.insert(a.end(), d.files.begin(), d.files.end());
        a.push_back(bench);
        return runTool(a, dir_, kCompileLimitMs, messages) == 0;
    }

    std::vector<std::string> command() const override { return {"vvp", "-n", dir_ + "/design.vvp"}; }

private:
    std::string dir_;
};

} // namespace

std::unique_ptr<Simulator> makeIcarus(const std::string &workDir) { return std::make_unique<Icarus>(workDir); }

} // namespace labd
