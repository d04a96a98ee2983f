// brixo-cli and a lab server: `login URL` and `logout`, and with `--lab URL` the board through
// the lab's queue: queued for, waited for (the place in the queue on standard error), held with a
// heartbeat, and given back at the end, on an error and on Ctrl+C or SIGTERM.
#pragma once
#include "options.h"

#include <QString>

#include <memory>
#include <string>

namespace brixo {
class LabClient;
class BoardSession;
} // namespace brixo

namespace cli {

int loginCommand(const Options &options);
int logoutCommand(const Options &options);
// `list --lab URL`: the lab's boards, one a line: id kind state queue.
int labListCommand(const Options &options);

// A board held through the lab's queue. The interrupt guard it starts takes SIGINT and SIGTERM
// (which main keeps blocked with --lab): it gives the board back and ends the process.
class LabHold {
public:
    LabHold();
    ~LabHold(); // gives the board back
    LabHold(const LabHold &) = delete;
    LabHold &operator=(const LabHold &) = delete;

    // Signs in with the token, queues for the board and waits for it; -1 when held, else the
    // exit code after the message (which `why` gets too).
    int acquire(const Options &options, QString *why = nullptr);
    std::unique_ptr<brixo::BoardSession> session();
    // Downloads a configuration to the held board, with a progress bar as `configure` has.
    int configure(const Options &options);
    const std::string &board() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace cli
