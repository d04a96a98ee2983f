// brixo-labd as a real process for the tests: started with --stdin-lifetime (so it cannot outlive
// the test), ready once its two ready lines arrived, its standard error kept in a file; and the
// test's side of the link through libtamro's network transport.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace labtest {

// Writes `text` to a new file in a fresh directory of the test's own; returns its path.
std::string writeDesign(const std::string &name, const std::string &text);

class Labd {
public:
    ~Labd();
    // Starts the server; false when it did not print its ready lines within `limitMs`.
    bool start(const std::vector<std::string> &args, int limitMs = 20000);
    int port = 0;
    std::string listening;      // the first line
    std::string design;         // the JSON of the second line
    std::string errors() const; // what it wrote on standard error so far
    // Sends `signal` (0: closes its standard input) and returns its exit status (-1: killed).
    int stop(int signal);
    int pid() const { return pid_; }
    // Its resident memory (VmRSS) in KiB, or -1.
    long residentKiB() const;

private:
    int pid_ = -1, stdin_ = -1, stdout_ = -1;
    std::string errFile_;
};

// Runs brixo-labd to its end: exit status, standard output and standard error.
struct Run {
    int status = -1;
    std::string out, err;
};
Run runLabd(const std::vector<std::string> &args, int limitMs = 20000);

// Sends `request` on a new connection and returns what comes back until the server closes it
// or `quietMs` pass without more.
std::string exchange(int port, const std::string &request, int quietMs = 1000);

// One HTTP request on a new connection that the server closes after its answer (waited for as
// long as a client waits, 5 s). The body gets
// a Content-Length unless `headers` (lines ending in CRLF) give a Transfer-Encoding.
struct HttpAnswer {
    int status = 0; // 0: no answer
    std::string type, body;
};
HttpAnswer http(int port, const std::string &method, const std::string &path, const std::string &body = "",
                const std::string &headers = "");

// Lists the server with ScanTAMRO and connects its "Lantrovex" entry; the result code.
int selectServer(int port);
// Register access through tamro; a read's value holds the first 64 bits.
int writeBits(int selector, uint64_t value, int bits);
int readBits(int selector, int bits, uint64_t &value);

} // namespace labtest
