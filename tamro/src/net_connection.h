// The remote-lab client over a TCP connection: connect, send a request, receive the answer
// within a time limit, and the operations built on them (presence probe, remote scan).
#pragma once
#include "remote_lab_wire.h"

namespace tamro {
namespace net {

struct Connection {
    int socket = -1;
    int lastResult = 0;
    bool connected = false;
    char receive[kBufferSize] = {};
    char send[kBufferSize] = {};
    ~Connection();
    void close();
};

constexpr int kDefaultReceiveLimitMs = 5000;
void setReceiveLimitMs(int ms); // the limit for connecting and for an answer; tests shorten it

int connectTo(Connection &c, const char *address, int port); // 0, -20, -21, -22
int sendRequest(Connection &c, const std::string &request);  // 0, -23, -24
int receiveAnswer(Connection &c, int &length);               // 0, -1, -25

// Probes the stored server; 0 and the answer's results, or a code.
int presenceProbe(const char *address, int port, ResultList &results);
// Opens (again) the module connection kept for later remote scans.
int openModuleConnection(const char *address, int port);
void closeModuleConnection();
int remoteScan(bool capture, int instruction, int bits, const uint8_t *in, uint8_t *out);

} // namespace net
} // namespace tamro
