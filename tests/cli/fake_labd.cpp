// Stands in for brixo-labd in the --sim tests: keeps its command-line contract (ready line,
// design line, status 1 and messages on stderr for a design that does not compile, ends when
// standard input closes) and serves the adder circuit as a remote-lab server. It writes its
// arguments and process id to $FAKE_LABD_RECORD.
#include "support/adder_circuit.h"
#include "support/emu_lab_server.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char **argv)
{
    std::string args;
    bool broken = false;
    for (int i = 1; i < argc; ++i) {
        args += std::string(i > 1 ? " " : "") + argv[i];
        broken |= std::strstr(argv[i], "broken") != nullptr;
    }
    if (const char *record = std::getenv("FAKE_LABD_RECORD")) {
        if (FILE *f = std::fopen(record, "w")) {
            std::fprintf(f, "%d\n%s\n", int(::getpid()), args.c_str());
            std::fclose(f);
        }
    }
    if (broken) {
        std::fprintf(stderr, "broken.v:3: syntax error\n");
        return 1;
    }
    emu::AdderCircuit circuit;
    emu::LabServer server(&circuit);
    std::printf("listening on 127.0.0.1:%d\ndesign {\"top\":\"adder\",\"switches\":8,\"keys\":1,"
                "\"red\":5,\"green\":4,\"digits\":4,\"cpu_data_bits\":36,\"clock\":\"\"}\n",
                server.port());
    std::fflush(stdout);
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    return 0;
}
