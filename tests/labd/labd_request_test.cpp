// The server's reading of request bodies: whatever the client builds reads back as the scan it
// meant; anything else is refused with a reason, never taken for a scan.
#include "remote_lab_wire.h"

#include <gtest/gtest.h>

namespace {

std::string bodyOf(const std::string &request) { return request.substr(request.find("\r\n\r\n") + 4); }

TEST(LabRequest, ReadsEveryScanTheClientBuilds)
{
    for (int bits : {0, 1, 4, 8, 9, 20, 36, 64, 800, 801, 2048}) {
        for (bool capture : {false, true}) {
            SCOPED_TRACE(testing::Message() << bits << (capture ? " read" : " write"));
            std::vector<uint8_t> data(size_t((bits + 7) / 8));
            for (size_t i = 0; i < data.size(); ++i)
                data[i] = uint8_t(0x5A ^ (i * 37));
            tamro::net::ParameterList params;
            ASSERT_TRUE(tamro::net::scanParameters(capture, 9, bits, data.empty() ? nullptr : data.data(), params));
            std::string request, error;
            ASSERT_TRUE(tamro::net::buildRequest(params, "127.0.0.1", request));
            tamro::net::Request r;
            ASSERT_TRUE(tamro::net::readRequest(bodyOf(request), r, error)) << error;
            EXPECT_EQ(r.kind, tamro::net::Request::Scan);
            EXPECT_EQ(r.capture, capture);
            EXPECT_EQ(r.instruction, 9);
            EXPECT_EQ(r.bits, bits);
            if (bits % 8 && !data.empty()) // bits past the count are not the circuit's
                data.back() &= uint8_t((1u << (bits % 8)) - 1);
            EXPECT_EQ(r.data, data);
        }
    }
    tamro::net::ParameterList probe;
    probe.add(12, tamro::net::kAccessCode);
    std::string request, error;
    ASSERT_TRUE(tamro::net::buildRequest(probe, "127.0.0.1", request));
    tamro::net::Request r;
    ASSERT_TRUE(tamro::net::readRequest(bodyOf(request), r, error)) << error;
    EXPECT_EQ(r.kind, tamro::net::Request::Probe);
}

TEST(LabRequest, RefusesWhatTheClientNeverSends)
{
    auto body = [](const std::string &params) {
        return "<soap:Envelope x=\"\">\n<soap:Body>\n" + params + "</soap:Body>\n</soap:Envelope>\r\n";
    };
    auto el = [](const std::string &n, const std::string &t) { return "<" + n + ">\n" + t + "</" + n + ">\n"; };
    const std::string head = el("00", "1") + el("01", "") + el("03", "") + el("06", "0408") + el("04", "");
    const std::string tail = el("04", "") + el("07", "");
    const struct {
        const char *why;
        std::string body;
    } cases[] = {
        {"empty", ""},
        {"no body element", "<soap:Envelope>\n</soap:Envelope>"},
        {"unclosed element", body("<00>\n1")},
        {"element name not hex", body(el("0G", "1"))},
        {"nested markup", body("<00>\n<b>1</b></00>\n")},
        {"wrong access code", body(el("0C", "7B3E-C902-4F1A-E86E"))},
        {"capture flag not 0 or 1",
         body(el("00", "2") + el("01", "") + el("03", "") + el("06", "0408") + el("04", "") + el("07", ""))},
        {"instruction of 8 bits",
         body(el("00", "0") + el("01", "") + el("03", "") + el("06", "0808") + el("04", "") + el("07", ""))},
        {"instruction wider than 4 bits",
         body(el("00", "0") + el("01", "") + el("03", "") + el("06", "0418") + el("04", "") + el("07", ""))},
        {"missing 07", body(head)},
        {"05 count disagrees", body(head + el("02", "") + el("05", "03aabb") + el("06", "08cc") + tail)},
        {"05 not hex", body(head + el("02", "") + el("05", "01zz") + el("06", "08cc") + tail)},
        {"last shift of 0 bits", body(head + el("02", "") + el("06", "00ff") + tail)},
        {"last shift of 9 bits", body(head + el("02", "") + el("06", "09ff") + tail)},
        {"odd hex", body(head + el("02", "") + el("06", "08f") + tail)},
        {"trailing parameter", body(head + el("02", "") + el("06", "08ff") + tail + el("07", ""))},
        {"too long", body(std::string(tamro::net::kMaxBody, ' '))},
    };
    for (const auto &c : cases) {
        tamro::net::Request r;
        std::string error;
        EXPECT_FALSE(tamro::net::readRequest(c.body, r, error)) << c.why;
        EXPECT_FALSE(error.empty()) << c.why;
    }
}

// What the client makes of each answer: a write's status, a read's bytes, an error never data.
TEST(LabRequest, AnswersDecodeAsTheClientExpects)
{
    auto decode = [](const std::string &xml, bool capture, int bits, std::vector<uint8_t> &out) {
        tamro::net::ResultList results;
        const std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n" + xml;
        tamro::net::parseAnswer(answer.c_str(), int(answer.size()), results);
        return tamro::net::decodeScan(results, capture, bits, out.data());
    };
    std::vector<uint8_t> out(256);
    EXPECT_EQ(decode(tamro::net::scanAnswer(0x01, {}, false), false, 36, out), 0);
    EXPECT_EQ(decode(tamro::net::errorAnswer("the design did not settle"), false, 36, out), -4);
    EXPECT_EQ(decode(tamro::net::errorAnswer("malformed request: --> <x>"), true, 64, out), -27);
    EXPECT_EQ(decode(tamro::net::errorAnswer(""), true, 4, out), -27);
    const std::vector<uint8_t> wide = {0x12, 0xAB, 0x00, 0xFF, 0x3C};
    EXPECT_EQ(decode(tamro::net::scanAnswer(0x01, wide, true), true, 36, out), 0);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 5), wide);
    std::vector<uint8_t> full(256, 0xA5);
    EXPECT_EQ(decode(tamro::net::scanAnswer(0x01, full, true), true, 2048, out), 0);
    EXPECT_EQ(out, full);
    tamro::net::ResultList probe;
    const std::string answer = "HTTP/1.1 200 OK\r\n\r\n" + tamro::net::probeAnswer();
    tamro::net::parseAnswer(answer.c_str(), int(answer.size()), probe);
    ASSERT_GE(probe.count, 1);
    EXPECT_EQ(probe.tag[0], tamro::net::TagNeedReturn);
}

} // namespace
