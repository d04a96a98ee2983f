// Each test of the store runs against a SQLite file in a temporary directory and against a new
// database in the test process's PostgreSQL server, with a clock the test moves by hand.
#pragma once
#include "postgres_server.h"
#include "store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

namespace labtest {

enum class Backend { SQLite, PostgreSQL };

class StoreTest : public testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::SQLite) {
            dir_ = makeTempDir();
            location_ = dir_ + "/lab.sqlite";
            return;
        }
        std::string why;
        location_ = newPostgresDatabase(why);
        if (location_.empty())
            GTEST_SKIP() << "no PostgreSQL for this test: " << why;
    }
    void TearDown() override
    {
        if (!dir_.empty())
            removeTempDir(dir_);
    }

    std::unique_ptr<lab::Store> open(const std::string &host = "pc1", int slice = 900, int idle = 60)
    {
        lab::StoreOptions o;
        o.host = host;
        o.address = host + ".lab:8080";
        o.sliceSeconds = slice;
        o.idleSeconds = idle;
        o.clock = [this] { return now_.load(); };
        return std::make_unique<lab::Store>(location_, o);
    }
    void addUsers(lab::Store &store, const std::vector<std::pair<std::string, lab::Role>> &users)
    {
        for (const auto &[name, role] : users) {
            std::string error;
            ASSERT_TRUE(store.accounts().add(name, role, name + "-pw", error)) << error;
        }
    }
    void advance(std::int64_t seconds) { now_ += seconds; }
    std::int64_t now() const { return now_; }

    std::string location_;

private:
    std::string dir_;
    std::atomic<std::int64_t> now_{1'800'000'000};
};

inline std::string backendName(const testing::TestParamInfo<Backend> &info)
{
    return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

} // namespace labtest

#define LAB_STORE_BACKENDS(suite)                                                                                      \
    INSTANTIATE_TEST_SUITE_P(Backends, suite, testing::Values(labtest::Backend::SQLite, labtest::Backend::PostgreSQL), \
                             labtest::backendName)
