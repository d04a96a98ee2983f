// lab.json: strict reading, paths relative to the file, and the example that ships; the CPU data
// a board's panel asks the server to read.
#include "lab_config.h"
#include "panel_cpu_data.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kBoard = R"({"id": "de2-1", "kind": "DE2", "adapter": 0, "panel": "p.jvp", "reset": "r.rbf"})";

std::string config(const std::string &members, const std::string &board = kBoard)
{
    return R"({"listen": "127.0.0.1:8080", "database": "lab.sqlite", "boards": [)" + board + "]" + members + "}";
}

TEST(LabConfigTest, ErrorsNameTheMember)
{
    struct Case {
        std::string text, error;
    } cases[] = {
        {config(R"(, "colour": 1)"), "unknown member 'colour'"},
        {config("", R"({"id": "x", "kind": "k", "adapter": 0, "panel": "p", "reset": "r", "port": 2})"),
         "unknown member 'boards[0].port'"},
        {config(R"(, "slice_seconds": "900")"), "'slice_seconds' must be a whole number from 1 to 86400"},
        {config(R"(, "idle_seconds": 0)"), "'idle_seconds' must be a whole number from 1 to 86400"},
        {config("", R"({"id": "x", "kind": "k", "adapter": 1.5, "panel": "p", "reset": "r"})"),
         "'boards[0].adapter' must be a whole number from 0 to 255"},
        {config("", R"({"id": "x", "kind": "k", "panel": "p", "reset": "r"})"), "'boards[0].adapter' is missing"},
        {config("", kBoard + "," + kBoard), "'boards[1].id': board de2-1 is listed twice"},
        {config("", R"({"id": "a b", "kind": "k", "adapter": 0, "panel": "p", "reset": "r"})"),
         "'boards[0].id' is at most 64 letters"},
        {config(R"(, "certificate": "c.pem")"), "'certificate' and 'key' go together"},
        {config(R"(, "address": "nowhere")"), "'address' must be HOST:PORT"},
        {R"({"database": "x", "boards": []})", "'listen' is missing"},
        {R"({"listen": "h:1", "database": 5, "boards": []})", "'database' must be a non-empty string"},
        {R"({"listen": "h:1", "database": "d", "boards": {}})", "'boards' must be an array"},
        {"[1]", "the configuration must be a JSON object"},
        {"{", "not JSON"},
    };
    for (const Case &c : cases) {
        lab::LabConfig parsed;
        std::string error;
        EXPECT_FALSE(lab::parseLabConfig(c.text, "/srv/lab", parsed, error)) << c.text;
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.text;
    }
}

TEST(LabConfigTest, ExampleReadsWithPathsBesideIt)
{
    const std::string dir = std::string(BRIXO_SOURCE_DIR) + "/examples/lab";
    lab::LabConfig c;
    std::string error;
    ASSERT_TRUE(lab::readLabConfig(dir + "/lab.json", c, error)) << error;
    EXPECT_EQ(c.listenHost, "127.0.0.1");
    EXPECT_EQ(c.listenPort, 8080);
    EXPECT_EQ(c.address, "127.0.0.1:8080");
    EXPECT_EQ(c.database, dir + "/lab.sqlite");
    ASSERT_EQ(c.boards.size(), 3u);
    EXPECT_EQ(c.boards[2].adapter, 2);
    EXPECT_EQ(c.boards[1].reset, dir + "/blank.rbf");
    for (const lab::BoardConfig &b : c.boards)
        EXPECT_TRUE(std::filesystem::exists(b.panel)) << b.panel;

    const std::string shared = R"({"listen": "0.0.0.0:8080", "database": "postgresql://lab@db/lab", "host": "pc7",
        "address": "pc7.lab:80", "certificate": "c.pem", "key": "/k.pem", "boards": [)" +
                               kBoard + "]}";
    ASSERT_TRUE(lab::parseLabConfig(shared, "/srv/lab", c, error)) << error;
    EXPECT_EQ(c.database, "postgresql://lab@db/lab");
    EXPECT_EQ(c.host, "pc7");
    EXPECT_EQ(c.address, "pc7.lab:80");
    EXPECT_EQ(c.certificate, "/srv/lab/c.pem");
    EXPECT_EQ(c.key, "/k.pem");
    EXPECT_EQ(c.boards[0].panel, "/srv/lab/p.jvp");
    EXPECT_EQ(c.sliceSeconds, 900);
}

TEST(LabConfigTest, PanelCpuDataBitsAreItsDataDisplaysWidths)
{
    const auto data = [](const std::string &width) {
        return R"({"type": "data", "index": 0, "value": {"bitWidth": )" + width + R"(, "data": "x"}})";
    };
    const struct {
        std::string components;
        int bits;
    } cases[] = {
        {"", 0},
        {data("8") + "," + data("24") + R"(, {"type": "switch", "index": 3})", 32},
        {data("2048"), 2048},
        {data("2048") + "," + data("1"), -1}, // wider than the register: the program reads none either
        {data("-1") + "," + data("8"), -1},
        {data("7.5") + "," + data("\"9\"") + "," + data("4"), 4}, // non-integral widths read as 0
        {R"({"type": "data"}, {"type": "data", "value": 12}, 5)", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(lab::panelCpuDataBits(R"({"components": [)" + c.components + "]}"), c.bits) << c.components;
    for (const char *notPanel : {"", "[1]", "{\"components\": {}}", "{\"components\": ["})
        EXPECT_EQ(lab::panelCpuDataBits(notPanel), 0) << notPanel;
}

} // namespace
