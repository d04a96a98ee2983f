// The HTTP side of brixo-labd: one POST handler on cpp-httplib that reads the remote-lab request
// body, runs the scan on the circuit and answers as the client expects.
#pragma once
#include "sim_circuit.h"

#include <memory>
#include <string>

namespace httplib {
class Server;
}

namespace labd {

class HttpServer {
public:
    explicit HttpServer(SimCircuit &circuit);
    ~HttpServer();
    // Binds to a numeric IPv4 address; port 0 lets the system choose. The bound port, or -1.
    int bind(const std::string &address, int port);
    // Serves until stop(); false when serving failed.
    bool serve();
    void stop();

private:
    SimCircuit &circuit_;
    std::unique_ptr<httplib::Server> http_;
};

} // namespace labd
