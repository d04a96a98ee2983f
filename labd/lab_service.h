// The lab server's state behind its routes: the shared store (accounts, queue, audit), this lab
// PC's boards and their drivers, each student's simulated board, the inputs each board was last
// given, the FPGA downloads under way, and the thread that ends holds, resets boards after them
// and checks idle ones. Every driver call goes through its board's lock, so a board sees one
// caller at a time.
#pragma once
#include "board_driver.h"
#include "lab_config.h"
#include "store.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace labd {

struct ConfigureStatus {
    std::string state = "idle"; // idle, running, done, failed, cancelled
    std::size_t done = 0, total = 0;
    std::string error;
};

// What a request to the service came to: 200, or the status and reason the route answers with;
// `address` is the lab PC to go to for a board served elsewhere.
struct Outcome {
    int status = 200;
    std::string error, address;
    bool ok() const { return status < 300; }
};

// What a teacher watching a board sees.
struct BoardView {
    std::string holder;
    brixo::Inputs inputs;
    std::optional<brixo::Readback> readback;
};

class LabService {
public:
    using OpenBoard = std::function<std::unique_ptr<BoardDriver>(const lab::BoardConfig &board, std::string &error)>;
    using StartSimulated = std::function<std::unique_ptr<BoardDriver>(
        const DesignUpload &design, std::vector<DesignMessage> &messages, std::string &error)>;

    struct Options {
        lab::LabConfig config;
        OpenBoard openBoard;
        StartSimulated startSimulated;
        int healthSeconds = 60; // between two checks of each idle board
        lab::Clock clock;       // the system's when empty
    };
    // What the push channel is told as it happens.
    struct Listener {
        std::function<void(const std::string &board, const brixo::Inputs &, const brixo::Readback &)> stepped;
        std::function<void(const std::string &board, const ConfigureStatus &)> configure;
    };

    // Opens the store, registers this PC's boards and opens their drivers. Throws
    // lab::StoreError when the database cannot be used.
    explicit LabService(Options options);
    ~LabService(); // stops, ends the downloads, closes every driver
    LabService(const LabService &) = delete;
    LabService &operator=(const LabService &) = delete;

    // Before start().
    void setListener(Listener listener) { listener_ = std::move(listener); }
    // The sweep thread: holds ended on time, boards reset after them (those left waiting for a
    // reset by an earlier run first), idle boards checked, idle simulated boards ended.
    void start();
    void stop();
    // Asks the sweep thread to run now (a hold was just ended).
    void wake();

    lab::Store &store() { return *store_; }
    const lab::LabConfig &config() const { return options_.config; }

    // The caller's last sign of life, for their simulated board's idle limit.
    void seen(const std::string &user);

    Outcome step(const lab::Identity &who, const std::string &board, const brixo::StepRequest &request,
                 brixo::Readback &readback);
    Outcome describe(const lab::Identity &who, const std::string &board, brixo::BoardDescription &description);
    Outcome panel(const lab::Identity &who, const std::string &board, std::string &text);

    // The bound on a configuration for the board (for the body limit), 0 for no such board here.
    std::size_t configurationLimit(const std::string &board);
    Outcome configure(const lab::Identity &who, const std::string &board, std::string bytes, std::size_t &total);
    Outcome configureStatus(const lab::Identity &who, const std::string &board, ConfigureStatus &status);
    Outcome cancelConfigure(const lab::Identity &who, const std::string &board);

    // Teachers: reset a broken board of this PC and give it back to the queue; watch a board.
    Outcome fixed(const lab::Identity &who, const std::string &board);
    Outcome view(const lab::Identity &who, const std::string &board, BoardView &view);

    // One simulated board per user, "sim-USER".
    Outcome startSimulated(const lab::Identity &who, const DesignUpload &design, std::string &board,
                           brixo::BoardDescription &description, std::vector<DesignMessage> &messages);
    Outcome stopSimulated(const std::string &user);
    // Ends it as stopSimulated does and hands over its design's dump; 409, with the board kept,
    // when it was started without one.
    Outcome endSimulatedWithDump(const std::string &user, std::string &vcd);
    std::string simulatedOf(const std::string &user);

    // The push channel's read of a board with its current inputs, when the board is here and not
    // busy; never waits for its lock.
    bool poll(const std::string &board, brixo::Inputs &inputs, brixo::Readback &readback);
    // Whether `board` is one of this PC's lab boards.
    bool isLocal(const std::string &board) const { return boards_.count(board) > 0; }

    static std::string simulatedId(const std::string &user) { return "sim-" + user; }

private:
    struct Board;
    std::shared_ptr<Board> find(const std::string &id);
    // The board, when the caller may drive it; otherwise the refusal.
    std::shared_ptr<Board> driven(const lab::Identity &who, const std::string &id, Outcome &outcome);
    Outcome elsewhere(const std::string &id);
    void endJob(Board &board);
    void resetWaiting();
    void checkIdle();
    void endIdleSimulated();
    Outcome endSimulated(const std::string &user, std::string *vcd);
    void run();

    Options options_;
    std::unique_ptr<lab::Store> store_;
    Listener listener_;
    std::map<std::string, std::shared_ptr<Board>> boards_; // this PC's, fixed at start

    std::mutex simulatedMutex_;
    std::map<std::string, std::shared_ptr<Board>> simulated_; // by user
    std::map<std::string, std::int64_t> seen_;                // by user

    std::mutex runMutex_;
    std::condition_variable runWake_;
    bool stopping_ = false, woken_ = false;
    std::thread thread_;
};

} // namespace labd
