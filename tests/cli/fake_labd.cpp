// Stands in for brixo-labd in the --sim tests: keeps its command-line contract (ready line,
// design line, status 1 and messages on stderr for a design that does not compile, ends when
// standard input closes) and serves the adder circuit as a remote-lab server, or with
// FAKE_LABD_STEP_ROUTE set on the step route alone. It writes its process id and arguments to
// $FAKE_LABD_RECORD, then one line per step-route request: "board", "read" (a step naming no
// input) or "step SWITCHES KEYS PULSE". A design named "unsettled" fails every step, in the
// words the real server uses.
#include "board_layout.h"
#include "step_json.h"
#include "support/adder_circuit.h"
#include "support/emu_lab_server.h"

#include <httplib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using Layout = brixo::BoardLayout;

const char *const kDesign = "{\"top\":\"adder\",\"switches\":8,\"keys\":1,\"red\":5,\"green\":4,\"digits\":4,"
                            "\"cpu_data_bits\":36,\"clock\":\"\"}";

void waitForInputToClose()
{
    char c;
    while (::read(0, &c, 1) > 0) {
    }
}

// The register bytes an output register of the circuit shifts out.
std::vector<uint8_t> readRegister(emu::AdderCircuit &circuit, uint8_t selector, int bits)
{
    std::vector<uint8_t> zeros(size_t(Layout::bytesFor(bits))), out(zeros.size());
    circuit.scan(selector, zeros.data(), bits, out.data());
    return out;
}

void writeRegister(emu::AdderCircuit &circuit, uint8_t selector, uint64_t value, int bits)
{
    const std::vector<uint8_t> in = Layout::pack(value, bits);
    std::vector<uint8_t> out(in.size());
    circuit.scan(selector, in.data(), bits, out.data());
}

void serveStepRoute(FILE *record, bool unsettled)
{
    emu::AdderCircuit circuit;
    std::mutex mutex;
    const auto note = [&](const std::string &line) {
        if (record)
            std::fprintf(record, "%s\n", line.c_str()), std::fflush(record);
    };
    httplib::Server http;
    http.Get("/api/v1/board", [&](const httplib::Request &, httplib::Response &res) {
        std::lock_guard<std::mutex> lock(mutex);
        note("board");
        res.set_content(kDesign, "application/json");
    });
    http.Post("/api/v1/step", [&](const httplib::Request &req, httplib::Response &res) {
        std::lock_guard<std::mutex> lock(mutex);
        brixo::StepRequest r;
        std::string error;
        if (!brixo::parseStepRequest(req.body, r, error)) {
            note("refused " + error);
            res.status = 400;
            return res.set_content(brixo::errorJson(error), "application/json");
        }
        note(!r.hasSwitches && !r.hasKeys && !r.pulse
                 ? std::string("read")
                 : "step " + std::to_string(r.switches) + " " + std::to_string(r.keys) + " " + std::to_string(r.pulse));
        if (unsettled) {
            res.status = 500;
            return res.set_content(brixo::errorJson("the design did not settle within 2000 ms"), "application/json");
        }
        if (r.hasSwitches)
            writeRegister(circuit, emu::LabCircuit::Switches, r.switches, Layout::switchBits);
        if (r.hasKeys)
            writeRegister(circuit, emu::LabCircuit::Keys, r.keys, Layout::keyBits);
        for (int key = 0; key < Layout::keys; ++key) {
            if ((r.pulse >> key) & 1) {
                writeRegister(circuit, emu::LabCircuit::Keys, r.keys | (1u << key), Layout::keyBits);
                writeRegister(circuit, emu::LabCircuit::Keys, r.keys, Layout::keyBits);
            }
        }
        brixo::StepAnswer a;
        const std::vector<uint8_t> leds = readRegister(circuit, emu::LabCircuit::Leds, Layout::ledBits);
        const std::vector<uint8_t> digits = readRegister(circuit, emu::LabCircuit::Digits, Layout::digitBits);
        a.leds = Layout::unpack(leds.data(), Layout::ledBits);
        std::copy(digits.begin(), digits.end(), a.digits.begin());
        a.cpuData = readRegister(circuit, emu::LabCircuit::CpuData, 36);
        res.set_content(brixo::stepAnswerJson(a, 36), "application/json");
    });
    const int port = http.bind_to_any_port("127.0.0.1");
    std::thread server([&http] { http.listen_after_bind(); });
    std::printf("listening on 127.0.0.1:%d\ndesign %s\n", port, kDesign);
    std::fflush(stdout);
    waitForInputToClose();
    http.stop();
    server.join();
}

} // namespace

int main(int argc, char **argv)
{
    std::string args;
    bool broken = false, unsettled = false;
    for (int i = 1; i < argc; ++i) {
        args += std::string(i > 1 ? " " : "") + argv[i];
        broken |= std::strstr(argv[i], "broken") != nullptr;
        unsettled |= std::strstr(argv[i], "unsettled") != nullptr;
    }
    FILE *record = nullptr;
    if (const char *path = std::getenv("FAKE_LABD_RECORD")) {
        if ((record = std::fopen(path, "w")))
            std::fprintf(record, "%d\n%s\n", int(::getpid()), args.c_str()), std::fflush(record);
    }
    if (broken) {
        std::fprintf(stderr, "broken.v:3: syntax error\n");
        return 1;
    }
    if (std::getenv("FAKE_LABD_STEP_ROUTE")) {
        serveStepRoute(record, unsettled);
    } else {
        emu::AdderCircuit circuit;
        emu::LabServer server(&circuit);
        std::printf("listening on 127.0.0.1:%d\ndesign %s\n", server.port(), kDesign);
        std::fflush(stdout);
        waitForInputToClose();
    }
    if (record)
        std::fclose(record);
    return 0;
}
