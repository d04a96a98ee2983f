// The lab server's process tests: two emulated HID adapters over adder circuits, served to the
// server's adapter processes, and a server with the accounts alice, bob (students) and tina
// (teacher), each with the password NAME-pw.
#pragma once
#include "lab_server_process.h"

#include "support/adder_circuit.h"
#include "support/emu_hid_service.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace labtest {

using nlohmann::json;

inline constexpr const char *kKind = "adder";

inline bool eventually(const std::function<bool()> &done, int limitMs = 15000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

class LabServerTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (emu::Adapter &a : adapters)
            hid.add(&a);
    }

    // Starts `server` with the users alice, bob (students) and tina (teacher).
    bool up(LabServer &server, LabSetup setup, bool addAccounts = true)
    {
        setup.hidSocket = hid.socketPath();
        if (addAccounts)
            labtest::addUsers(setup.database.empty() ? server.databaseFile() : setup.database,
                              {{"alice", "student"}, {"bob", "student"}, {"tina", "teacher"}});
        const bool ok = server.start(setup);
        EXPECT_TRUE(ok) << server.errors();
        return ok;
    }
    static LabSetup oneBoard(int slice = 900, int idle = 60)
    {
        LabSetup s;
        s.sliceSeconds = slice;
        s.idleSeconds = idle;
        s.boards = {{"b1", kKind, 0}};
        return s;
    }
    Reply call(const std::string &method, const std::string &path, const std::string &token, const json &body = json())
    {
        return labtest::request(server.port, method, path, body.is_null() ? "" : body.dump(), token);
    }
    std::string token(const std::string &user) { return labtest::signIn(server.port, user, user + "-pw"); }
    json me(const std::string &token) { return call("GET", "/api/v1/me", token).body; }
    json boardNamed(const std::string &token, const std::string &id)
    {
        const json boards = call("GET", "/api/v1/boards", token).body;
        for (const json &b : boards)
            if (b.value("id", "") == id)
                return b;
        return json();
    }
    bool audited(const std::string &teacher, const std::string &text)
    {
        const json lines = call("GET", "/api/v1/audit", teacher).body["lines"];
        for (const json &line : lines)
            if (line.get<std::string>().find(text) != std::string::npos)
                return true;
        return false;
    }

    emu::AdderCircuit circuits[2];
    emu::Adapter adapters[2] = {emu::Adapter(emu::Adapter::Kind::Hid, &circuits[0]),
                                emu::Adapter(emu::Adapter::Kind::Hid, &circuits[1])};
    emu::HidService hid;
    LabServer server;
};

} // namespace labtest
