// The board the options choose, connected. The board commands (set, read, test) get a session
// on it: brixo-labd's step route when the server offers it (a started --sim server or a
// --server), else the lab library's board, an adapter's or a remote-lab server's register scans.
#pragma once
#include "options.h"

#include <vestrix.h>

#include <QString>

#include <memory>

namespace brixo {
class BoardSession;
class LabServer;
class VestrixBoard;
} // namespace brixo

namespace cli {

class LabHold;

struct DeviceList {
    char names[VESTRIX_LIST_SIZE] = {};
    int count() const;
    QString name(int i) const;
};

// Scans, probing the remote-lab server when one is named; the code of ScanTAMRO.
int scan(const std::string &server, DeviceList &list);

struct BoardConnection {
    BoardConnection();
    ~BoardConnection();
    bool remote = false;                          // a server, not an adapter of ours
    bool stepRoute = false;                       // the session is a lab server's step route
    std::unique_ptr<brixo::BoardSession> session; // for the board commands
    brixo::VestrixBoard *vestrix = nullptr;       // the session, when it is the lab library's board
    std::unique_ptr<LabHold> labHold;             // --lab: the board held through the queue, given back at the end
    // Panel input on, as the panel program switches it before writing inputs: once, on the lab
    // library's board; the step route's board takes the panel's inputs by itself.
    int enablePanelInput();
};

// Starts the simulated board's server into `lab` when the options ask for one (its standard
// error kept, and written to ours before any message of ours), or with --lab waits for a board
// in the lab server's queue, then connects; with `session`
// the board commands' session is made. The exit code on failure (after the message, which
// `why` gets too): ExitDesign when the design did not build or start, else ExitLibrary. -1 when
// connected.
int connectBoard(const Options &options, bool session, brixo::LabServer &lab, BoardConnection &board,
                 QString *why = nullptr);

// Ends the lab server that connectBoard started and writes what it said on standard error to
// ours; returns that (for a server that never got ready, only returns it).
std::string finishLab(brixo::LabServer &lab);

} // namespace cli
