// The remote-lab request builder, answer parser and result decoding on plain buffers.
#include "remote_lab_wire.h"

#include <tamro.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tamro::net;

namespace {

std::vector<std::pair<int, std::string>> slots(const ParameterList &p)
{
    std::vector<std::pair<int, std::string>> v;
    for (int i = 0; i < p.count; ++i)
        v.emplace_back(p.kind[i], p.text[i]);
    return v;
}

std::string answer(const std::string &xml) { return "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n" + xml; }

std::string envelope(const std::string &inner)
{
    return "<?xml version=\"1.0\"?>\r\n<soap:Envelope xmlns:soap=\"x\">\n<soap:Body>\n" + inner +
           "</soap:Body>\n</soap:Envelope>";
}

} // namespace

TEST(NetParameters, ScansLayOutTheirElementsInOrder)
{
    ParameterList p;
    ASSERT_TRUE(scanParameters(false, 5, 0, nullptr, p));
    EXPECT_EQ(slots(p),
              (std::vector<std::pair<int, std::string>>{{0, "0"}, {1, ""}, {3, ""}, {6, "0405"}, {4, ""}, {7, ""}}));

    const uint8_t two[] = {0x12, 0xab};
    ASSERT_TRUE(scanParameters(true, 3, 16, two, p));
    EXPECT_EQ(
        slots(p),
        (std::vector<std::pair<int, std::string>>{
            {0, "1"}, {1, ""}, {3, ""}, {6, "0403"}, {4, ""}, {2, ""}, {5, "0112"}, {6, "08ab"}, {4, ""}, {7, ""}}));

    const uint8_t one[] = {0x05};
    ASSERT_TRUE(scanParameters(false, 0x11a, 3, one, p));
    EXPECT_EQ(slots(p)[3].second, "041a"); // only the instruction's low byte
    EXPECT_EQ(slots(p)[6], (std::pair<int, std::string>{6, "0305"}));
    EXPECT_FALSE(scanParameters(false, 0, 2049, one, p));
}

TEST(NetParameters, LongTextsSplitIntoSlotsAndTheLimitHolds)
{
    ParameterList p;
    ASSERT_TRUE(p.add(5, std::string(250, 'a')));
    ASSERT_EQ(p.count, 3);
    EXPECT_EQ(std::string(p.text[0]).size(), 100u);
    EXPECT_EQ(std::string(p.text[2]).size(), 50u);
    EXPECT_EQ(p.kind[2], 5);
    ASSERT_TRUE(p.add(1, ""));
    EXPECT_EQ(p.count, 4);
    EXPECT_FALSE(p.add(5, std::string(2700, 'b'))); // would need 27 more slots
    EXPECT_EQ(p.count, 4);
    EXPECT_TRUE(p.add(5, std::string(2600, 'b')));
    EXPECT_EQ(p.count, 30);
    EXPECT_FALSE(p.add(1, ""));
}

TEST(NetRequest, HeadAndBodyByteForByte)
{
    ParameterList p;
    ASSERT_TRUE(p.add(12, kAccessCode));
    std::string request;
    ASSERT_TRUE(buildRequest(p, "10.0.0.7", request));
    const std::string body = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n"
                             "<?xml-stylesheet href=\"show1.css\" Type=\"text/css\" ?>\r\n"
                             "<!--远程实验系统嵌入式Web Services数据通信~-->\r\n"
                             "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">\n"
                             "<soap:Body>\n<0C>\n7B3E-C902-4F1A-E86D</0C>\n</soap:Body>\n</soap:Envelope>\r\n";
    const std::string head = "POST /webservices/qqOnlineWebService.asmx HTTP/1.1\r\n"
                             "Host: 10.0.0.7\r\nContent-Length: " +
                             std::to_string(body.size()) +
                             "\r\nContent-Type: application/soap+xml; charset=utf-8\r\n\r\n";
    EXPECT_EQ(request, head + body);
}

TEST(NetRequest, OversizedRequestIsRefusedNotTrimmed)
{
    ParameterList p;
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(p.add(5, std::string(100, 'c')));
    std::string request = "untouched";
    EXPECT_FALSE(buildRequest(p, "h", request));
    EXPECT_EQ(request, "untouched");
    EXPECT_FALSE(buildRequest(ParameterList(), std::string(600, 'h'), request)); // head over 511
}

TEST(NetAnswer, ParserKeepsOnlyTheThirdLevelAnswerElements)
{
    struct Case {
        const char *name;
        std::string text;
        int count;
        int tag;
        std::string first;
    };
    const std::vector<Case> cases = {
        {"need", answer(envelope("<NeedReturn>0012ab</NeedReturn>\n")), 1, TagNeedReturn, "0012ab"},
        {"none", answer(envelope("<NoneReturn>x</NoneReturn>")), 1, TagNoneReturn, "x"},
        {"error", answer(envelope("<ErrorOccur>bad</ErrorOccur>")), 1, TagErrorOccur, "bad"},
        {"blanks and attributes", answer(envelope("<NeedReturn a=\"1\"> 00 12\tab </NeedReturn>")), 1, TagNeedReturn,
         "0012ab"},
        {"comment and cdata skipped",
         answer(envelope("<!-- <NeedReturn>no</NeedReturn> --><![CDATA[<x>]]><NeedReturn>01</NeedReturn>")), 1,
         TagNeedReturn, "01"},
        {"too deep", answer(envelope("<R><NeedReturn>01</NeedReturn></R>")), 0, TagNone, ""},
        {"nothing after a deeper element",
         answer(envelope("<NeedReturn><b>x</b></NeedReturn><NeedReturn>01</NeedReturn>")), 0, TagNone, ""},
        {"second body ignored", answer("<a><b></b><c><NeedReturn>01</NeedReturn></c></a>"), 0, TagNone, ""},
        {"unknown name", answer(envelope("<Needreturn>01</Needreturn>")), 0, TagNone, ""},
        {"no head", envelope("<NeedReturn>01</NeedReturn>"), 0, TagNone, ""},
        {"stray > stops", answer(envelope("> <NeedReturn>01</NeedReturn>")), 0, TagNone, ""},
        {"< in tag stops", answer(envelope("<Need<Return>01</NeedReturn>")), 0, TagNone, ""},
        {"long text splits", answer(envelope("<NeedReturn>" + std::string(150, 'f') + "</NeedReturn>")), 2,
         TagNeedReturn, std::string(100, 'f')},
        // Found by fuzzing: an empty-named element used to read before the name's first byte.
        {"nameless empty element", answer(envelope("< /><NeedReturn>01</NeedReturn>")), 1, TagNeedReturn, "01"},
        {"nameless blank tag", answer(envelope("< ><NeedReturn>01</NeedReturn>")), 0, TagNone, ""},
    };
    for (const Case &c : cases) {
        ResultList r;
        parseAnswer(c.text.data(), int(c.text.size()), r);
        EXPECT_EQ(r.count, c.count) << c.name;
        EXPECT_EQ(r.tag[0], c.tag) << c.name;
        EXPECT_EQ(std::string(r.text[0]), c.first) << c.name;
        EXPECT_FALSE(r.overflow) << c.name;
    }
}

TEST(NetAnswer, TooManySlotsOverflowAndFail)
{
    const std::string text = answer(envelope("<NeedReturn>" + std::string(3001, '0') + "</NeedReturn>"));
    ResultList r;
    parseAnswer(text.data(), int(text.size()), r);
    EXPECT_EQ(r.count, 30);
    EXPECT_TRUE(r.overflow);
    uint8_t out[2] = {};
    EXPECT_EQ(decodeScan(r, false, 0, out), TAMRO_SHORT_REMOTE_REPLY);
}

TEST(NetAnswer, DecodingStatusAndCapturedBytes)
{
    auto results = [](const std::string &t) {
        ResultList r;
        r.store(TagNeedReturn, t);
        return r;
    };
    EXPECT_EQ(decodeScan(results("01"), false, 4, nullptr), TAMRO_OK);
    EXPECT_EQ(decodeScan(results("0d"), false, 4, nullptr), TAMRO_OK);
    EXPECT_EQ(decodeScan(results("02"), false, 4, nullptr), TAMRO_FPGA_LINK_FAILED);
    EXPECT_EQ(decodeScan(results("0z"), false, 4, nullptr), TAMRO_FPGA_LINK_FAILED);
    EXPECT_EQ(decodeScan(ResultList(), false, 4, nullptr), TAMRO_FPGA_LINK_FAILED);

    uint8_t out[3] = {0xEE, 0xEE, 0xEE};
    EXPECT_EQ(decodeScan(results("0012ab"), true, 16, out), TAMRO_OK);
    EXPECT_EQ(out[0], 0x12);
    EXPECT_EQ(out[1], 0xAB);
    EXPECT_EQ(out[2], 0xEE); // nothing past the register's bytes
    EXPECT_EQ(decodeScan(results("0012ab00"), true, 16, out), TAMRO_SHORT_REMOTE_REPLY);
    EXPECT_EQ(decodeScan(results("0012"), true, 16, out), TAMRO_SHORT_REMOTE_REPLY);
    EXPECT_EQ(decodeScan(results("0107"), true, 3, out), TAMRO_OK);
    EXPECT_EQ(out[0], 0x07);
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
