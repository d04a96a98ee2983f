// Verilator: the design and a generated C++ main that speaks the bench's line protocol are built
// into one program. Verilator is two-state, so its outputs never read x or z.
#include "childprocess.h"
#include "simulator.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace labd {

namespace {

constexpr int kBuildLimitMs = 600000;

std::string mainText(const Board &b, const std::vector<uint64_t> &idle)
{
    std::ostringstream c;
    c << "#include \"Vdesign.h\"\n#include \"verilated.h\"\n"
         "#include <cstdint>\n#include <cstdio>\n#include <cstdlib>\n\n"
         "static void show(uint64_t v, int width)\n{\n"
         "    std::putchar(' ');\n"
         "    for (int b = width - 1; b >= 0; --b)\n"
         "        std::putchar((v >> b) & 1 ? '1' : '0');\n}\n\n"
         "int main(int argc, char **argv)\n{\n"
         "    Verilated::commandArgs(argc, argv);\n"
         "    Vdesign *top = new Vdesign;\n";
    for (size_t i = 0; i < b.inputs.size(); ++i)
        c << "    top->" << b.inputs[i].port.name << " = " << idle[i] << "ULL;\n";
    for (const BoardPort &k : b.clocks)
        c << "    top->" << k.port.name << " = 0;\n";
    c << "    top->eval();\n"
         "    char line[1024];\n"
         "    while (!Verilated::gotFinish() && std::fgets(line, sizeof line, stdin)) {\n"
         "        char *p = line;\n"
         "        long cycles = std::strtol(p, &p, 10);\n";
    for (size_t i = 0; i < b.inputs.size(); ++i)
        c << "        const uint64_t next" << i << " = std::strtoull(p, &p, 16);\n";
    c << "        for (long n = 0; n < cycles; ++n) {\n";
    for (const BoardPort &k : b.clocks)
        c << "            top->" << k.port.name << " = 1;\n";
    c << "            top->eval();\n";
    for (const BoardPort &k : b.clocks)
        c << "            top->" << k.port.name << " = 0;\n";
    c << "            top->eval();\n        }\n";
    for (size_t i = 0; i < b.inputs.size(); ++i)
        c << "        top->" << b.inputs[i].port.name << " = next" << i << ";\n";
    c << "        top->eval();\n"
         "        std::fputs(\"@brixo\", stdout);\n";
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
    explicit Verilator(std::string dir) : dir_(std::move(dir)) {}

    std::vector<std::string> base(const DesignFiles &d) const
    {
        std::vector<std::string> a{"verilator", "-Wno-fatal", "-Wno-lint", "-Wno-style"};
        for (const std::string &def : d.defines)
            a.push_back("-D" + def);
        return a;
    }

    bool check(const DesignFiles &d, std::string &messages) override
    {
        std::vector<std::string> a = base(d);
        a.push_back("--lint-only");
        a.push_back("-Wno-MULTITOP");
        if (!d.top.empty())
            a.insert(a.end(), {"--top-module", d.top});
        a.insert(a.end(), d.files.begin(), d.files.end());
        return runTool(a, dir_, kBuildLimitMs, messages) == 0;
    }

    bool preprocess(const DesignFiles &d, std::string &text, std::string &messages) override
    {
        std::vector<std::string> a = base(d);
        a.push_back("-E");
        a.push_back("-P");
        a.insert(a.end(), d.files.begin(), d.files.end());
        std::string out;
        if (runTool(a, dir_, kBuildLimitMs, out) != 0) {
            messages += out;
            return false;
        }
        text = out;
        return true;
    }

    bool build(const DesignFiles &d, const Board &b, std::string &messages) override
    {
        std::ofstream(dir_ + "/brixo_labd_main.cpp") << mainText(b, idleInputs(b));
        // Verilator's makefiles compile through $OBJCACHE: a design built before builds in a moment.
        if (!std::getenv("OBJCACHE") &&
            runTool({"ccache", "--version"}, dir_, 5000, *std::make_unique<std::string>()) == 0)
            setenv("OBJCACHE", "ccache", 0);
        std::vector<std::string> a = base(d);
        a.insert(a.end(), {"--cc", "--exe", "--build", "-j", "2", "--no-timing", "--prefix", "Vdesign", "--top-module",
                           b.top, "-Mdir", dir_ + "/obj", "-o", dir_ + "/design"});
        a.insert(a.end(), d.files.begin(), d.files.end());
        a.push_back(dir_ + "/brixo_labd_main.cpp");
        return runTool(a, dir_, kBuildLimitMs, messages) == 0;
    }

    std::vector<std::string> command() const override { return {dir_ + "/design"}; }

private:
    std::string dir_;
};

} // namespace

std::unique_ptr<Simulator> makeVerilator(const std::string &workDir) { return std::make_unique<Verilator>(workDir); }

} // namespace labd
