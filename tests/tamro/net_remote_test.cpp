// The remote-lab transport through the exports, over real loopback sockets to the emulated server.
#include "support/emu_lab_server.h"
#include "net_connection.h"

#include <hostui.h>
#include <tamro.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <pthread.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Records each scan and answers with a fixed pattern of shifted-out bits.
struct RecordingTarget : emu::ScanTarget {
    struct Scan {
        int instruction;
        int bits;
        std::vector<uint8_t> in;
    };
    std::vector<Scan> scans;
    uint8_t scan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out) override
    {
        const int n = (bits + 7) / 8;
        scans.push_back({instruction, bits, std::vector<uint8_t>(in, in + n)});
        for (int i = 0; out && i < n; ++i)
            out[i] = uint8_t(0x12 + 0x99 * i);
        return 0x01;
    }
};

using Params = std::vector<std::pair<std::string, std::string>>;

class Remote : public ::testing::Test {
protected:
    void SetUp() override
    {
        hostui::setCollecting(true);
        EnableMessageShow(0);
        tamro::net::setReceiveLimitMs(500);
    }
    void TearDown() override
    {
        SelectDevice(-1);
        hostui::takeCollected();
    }
    // Lists and selects the server; true when "Lantrovex" came first and selection worked.
    bool selectServer()
    {
        char list[1284] = {};
        if (ScanDevice(list, "127.0.0.1", server.port()) != TAMRO_OK || std::strcmp(list, "Lantrovex") != 0)
            return false;
        return SelectDevice(0) == TAMRO_OK;
    }
    Params last() { return server.requests().back().params; }

    RecordingTarget target;
    emu::LabServer server{&target};
};

} // namespace

TEST_F(Remote, ProbeListsTheServerOnlyOnNeedReturn)
{
    char list[1284] = {};
    ASSERT_EQ(ScanDevice(list, "127.0.0.1", server.port()), TAMRO_OK);
    EXPECT_STREQ(list, "Lantrovex");
    ASSERT_FALSE(server.requests().empty());
    EXPECT_EQ(last(), (Params{{"0C", "7B3E-C902-4F1A-E86D"}}));
    EXPECT_NE(server.requests().back().raw.find("Host: 127.0.0.1\r\n"), std::string::npos);

    server.setProbeAnswer(false);
    std::memset(list, 0, sizeof list);
    ScanDevice(list, "127.0.0.1", server.port());
    EXPECT_STRNE(list, "Lantrovex");

    const size_t before = server.requests().size();
    ScanDevice(list, nullptr, server.port());
    ScanDevice(list, "127.0.0.1", 0x10000); // low 16 bits are 0
    EXPECT_EQ(server.requests().size(), before);
}

TEST_F(Remote, ScansTravelAsParametersAndReturnTheirBits)
{
    ASSERT_TRUE(selectServer());
    EXPECT_EQ(OpenDevice(), TAMRO_OK);

    ASSERT_EQ(WriteInstruction(5), TAMRO_OK);
    EXPECT_EQ(last(), (Params{{"00", "0"}, {"01", ""}, {"03", ""}, {"06", "0405"}, {"04", ""}, {"07", ""}}));

    unsigned char data[2] = {};
    ASSERT_EQ(ReadRegister(3, 16, data), TAMRO_OK);
    EXPECT_EQ(last(), (Params{{"00", "1"},
                              {"01", ""},
                              {"03", ""},
                              {"06", "0403"},
                              {"04", ""},
                              {"02", ""},
                              {"05", "0101"},
                              {"06", "0801"},
                              {"04", ""},
                              {"07", ""}}));
    EXPECT_EQ(data[0], 0x12);
    EXPECT_EQ(data[1], 0xAB);

    std::vector<unsigned char> wide(256);
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = uint8_t(i);
    ASSERT_EQ(WriteRegister(7, wide.data(), 2048), TAMRO_OK);
    ASSERT_FALSE(target.scans.empty());
    EXPECT_EQ(target.scans.back().bits, 2048);
    EXPECT_EQ(target.scans.back().in, wide);

    unsigned char in[1] = {0x5}, out[1] = {};
    ASSERT_EQ(BSC_Sample_Preload(2, 3, in, out, 1), TAMRO_OK);
    EXPECT_EQ(target.scans.back().bits, 3);
    EXPECT_EQ(out[0], 0x12);

    EXPECT_EQ(TAMROfeatureSet(1, 1, 0, 0), TAMRO_NOT_SUPPORTED);
    EXPECT_EQ(ConfigureFPGAAsk(100), TAMRO_NO_DEVICE_SELECTED);
}

TEST_F(Remote, LongDataTextGoesAsElementsOfAHundred)
{
    ASSERT_TRUE(selectServer());
    // 1000 bits: 124 whole bytes in kind 5 ("7c" and 248 hex digits, 250 characters), the
    // last 8 bits in kind 6.
    std::vector<unsigned char> data(125);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(0xA0 + i);
    ASSERT_EQ(WriteRegister(9, data.data(), 1000), TAMRO_OK);

    std::string hex = "7c";
    char b[3];
    for (size_t i = 0; i < 124; ++i) {
        std::snprintf(b, sizeof b, "%02x", data[i]);
        hex += b;
    }
    ASSERT_EQ(hex.size(), 250u);
    EXPECT_EQ(last(), (Params{{"00", "0"},
                              {"01", ""},
                              {"03", ""},
                              {"06", "0409"},
                              {"04", ""},
                              {"02", ""},
                              {"05", hex.substr(0, 100)},
                              {"05", hex.substr(100, 100)},
                              {"05", hex.substr(200)},
                              {"06", "081c"},
                              {"04", ""},
                              {"07", ""}}));
    // On the wire: three consecutive elements, exactly as the server must read them.
    const std::string raw = server.requests().back().raw;
    EXPECT_NE(raw.find("<05>\n" + hex.substr(0, 100) + "</05>\n<05>\n" + hex.substr(100, 100) + "</05>\n<05>\n" +
                       hex.substr(200) + "</05>\n<06>\n081c</06>\n"),
              std::string::npos);
    ASSERT_FALSE(target.scans.empty());
    EXPECT_EQ(target.scans.back().bits, 1000);
    EXPECT_EQ(target.scans.back().in, std::vector<uint8_t>(data.begin(), data.end()));
}

TEST_F(Remote, OverlongServerAddressIsRefusedNotTruncated)
{
    char list[1284] = {};
    ASSERT_EQ(ScanDevice(list, "127.0.0.1", server.port()), TAMRO_OK);
    const size_t before = server.requests().size();
    // 19 characters fit the address slot; longer ones would have been cut to another host name.
    const struct {
        std::string address;
        int code;
    } cases[] = {
        {"127.0.0.1.example.xy", TAMRO_BAD_SERVER_ADDRESS},
        {std::string(300, 'a'), TAMRO_BAD_SERVER_ADDRESS},
        {"localhost.localdomain", TAMRO_BAD_SERVER_ADDRESS},
    };
    for (const auto &c : cases) {
        std::memset(list, 0x55, sizeof list);
        EXPECT_EQ(ScanDevice(list, c.address.c_str(), server.port()), c.code) << c.address;
        int32_t count = -1;
        std::memcpy(&count, list + TAMRO_LIST_COUNT_OFFSET, sizeof count);
        EXPECT_EQ(count, 0) << c.address; // nothing listed, and no server entry to select
        EXPECT_EQ(SelectDevice(0), TAMRO_NO_ADAPTER) << c.address;
    }
    EXPECT_EQ(server.requests().size(), before); // nothing was sent anywhere

    // The stored address stays the last one that fitted, and still works.
    ASSERT_EQ(ScanDevice(list, "127.0.0.1", server.port()), TAMRO_OK);
    ASSERT_EQ(SelectDevice(0), TAMRO_OK);
    EXPECT_EQ(WriteInstruction(1), TAMRO_OK);
}

TEST_F(Remote, MisbehavingServerGivesCodes)
{
    struct Case {
        emu::LabServer::Misbehaviour m;
        int write, read;
    };
    const std::vector<Case> cases = {
        {emu::LabServer::BadStatus, TAMRO_FPGA_LINK_FAILED, TAMRO_OK},
        {emu::LabServer::WrongByteCount, TAMRO_OK, TAMRO_SHORT_REMOTE_REPLY},
        {emu::LabServer::MalformedXml, TAMRO_FPGA_LINK_FAILED, TAMRO_SHORT_REMOTE_REPLY},
        {emu::LabServer::AnswerTooMuch, -1, -1},
        {emu::LabServer::CloseEarly, -1, -1},
        {emu::LabServer::NeverAnswer, TAMRO_SERVER_TIMEOUT, TAMRO_SERVER_TIMEOUT},
    };
    for (const Case &c : cases) {
        server.setMisbehaviour(emu::LabServer::Normal);
        ASSERT_TRUE(selectServer());
        server.setMisbehaviour(c.m);
        unsigned char w[1] = {1};
        EXPECT_EQ(WriteRegister(1, w, 8), c.write) << c.m;
        server.setMisbehaviour(emu::LabServer::Normal);
        ASSERT_TRUE(selectServer());
        server.setMisbehaviour(c.m);
        unsigned char r[2] = {0xEE, 0xEE};
        hostui::takeCollected();
        EXPECT_EQ(ReadRegister(1, 8, r), c.read) << c.m;
        if (c.m == emu::LabServer::CloseEarly) {
            const std::vector<hostui::Box> boxes = hostui::takeCollected();
            ASSERT_FALSE(boxes.empty());
            EXPECT_EQ(boxes[0].text, "Failed recv!");
            EXPECT_EQ(boxes[0].caption, "Client Error");
        }
        EXPECT_EQ(r[1], 0xEE) << c.m; // never past the register's bytes
        if (c.read == -1 || c.read == TAMRO_SERVER_TIMEOUT) {
            server.setMisbehaviour(emu::LabServer::Normal);
            // the broken or out-of-step connection was closed; the next read connects again
            EXPECT_EQ(ReadRegister(1, 8, r), TAMRO_OK) << c.m;
        }
    }
}

TEST_F(Remote, UnreachableServerFailsSelection)
{
    const int port = server.port();
    char list[1284] = {};
    ASSERT_EQ(ScanDevice(list, "127.0.0.1", port), TAMRO_OK);
    ASSERT_EQ(ScanDevice(list, "no.such.invalid", port), TAMRO_NO_ADAPTER); // fits, does not resolve

    // A server whose connection queue is full drops the connection request, so connecting
    // waits; it used to wait for the system's connect timeout of about two minutes.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof at;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr *>(&at), sizeof at), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr *>(&at), &size), 0);
    std::vector<int> queued;
    for (int i = 0; i < 3; ++i) {
        queued.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        ::connect(queued.back(), reinterpret_cast<sockaddr *>(&at), sizeof at);
    }
    EXPECT_EQ(ScanDevice(list, "127.0.0.1", ntohs(at.sin_port)), TAMRO_NO_ADAPTER);
    tamro::net::Connection c;
    EXPECT_EQ(tamro::net::connectTo(c, "127.0.0.1", ntohs(at.sin_port)), TAMRO_SERVER_CONNECT_FAILED);
    EXPECT_LT(c.socket, 0);
    for (int q : queued)
        ::close(q);
    ::close(listener);
}

// A signal during the wait for the server's answer does not lift the time limit: the call
// still ends with the time-out, however often it is interrupted.
TEST_F(Remote, SignalsDoNotLiftTheAnswerTimeLimit)
{
    struct sigaction quiet {
    }, before{};
    quiet.sa_handler = [](int) {};
    sigemptyset(&quiet.sa_mask);
    quiet.sa_flags = 0; // no SA_RESTART: blocking calls return EINTR
    ASSERT_EQ(sigaction(SIGUSR1, &quiet, &before), 0);
    ASSERT_TRUE(selectServer());
    server.setMisbehaviour(emu::LabServer::NeverAnswer);
    std::atomic<bool> done{false};
    const pthread_t caller = pthread_self();
    std::thread signaller([&] {
        for (int i = 0; i < 100 && !done; ++i) { // at most 5 s
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!done)
                pthread_kill(caller, SIGUSR1);
        }
    });
    unsigned char r[1];
    const int code = ReadRegister(1, 8, r);
    done = true;
    signaller.join();
    sigaction(SIGUSR1, &before, nullptr);
    EXPECT_EQ(code, TAMRO_SERVER_TIMEOUT);
}

// A lost or broken connection is not the end of the remote link: the next operation connects
// again to the stored server, also after the server was restarted; only a failed reconnect
// reports -22.
TEST_F(Remote, TheNextOperationReconnects)
{
    ASSERT_TRUE(selectServer());
    unsigned char w[1] = {1};
    ASSERT_EQ(WriteRegister(1, w, 8), TAMRO_OK);
    server.dropConnections(); // what a restart does to the clients of the old server
    EXPECT_EQ(WriteRegister(1, w, 8), TAMRO_OK);
    EXPECT_EQ(WriteInstruction(1), TAMRO_OK);

    {
        emu::LabServer other(&target);
        char list[1284] = {};
        ASSERT_EQ(ScanDevice(list, "127.0.0.1", other.port()), TAMRO_OK);
        ASSERT_EQ(SelectDevice(0), TAMRO_OK);
    } // the server is gone for good
    EXPECT_EQ(WriteInstruction(1), TAMRO_SERVER_CONNECT_FAILED);
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
