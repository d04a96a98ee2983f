#include "error_texts.h"

#include <gtest/gtest.h>

#include <string>

using namespace board;

TEST(ErrorTexts, LookupAndResult)
{
    struct Case {
        int code;
        const char *text;
        bool codeLine;
        int result;
    };
    const Case cases[] = {
        {1, "该实验的仿真功能尚未实现。", false, 0},
        {18, "发生未知错误。", false, 0},
        {-9, "等待调试适配器返回数据超时。", true, -9},
        {-100, "发生未知错误。", true, -100},
        {-5, "尚未选择调试适配器！请重新连接。", true, -5},
        {-27, "远程实验服务没有返回足够的数据。", true, -27},
        {-258, "指定的文件不包含任何内容。", true, -258},
        {-259, "FPGA配置下载已取消。", true, -259},
        {-2, "发生未知错误。", true, -2},
    };
    for (const Case &c : cases) {
        ASSERT_NE(errorSourceText(c.code), nullptr) << c.code;
        EXPECT_EQ(std::string(errorSourceText(c.code)), c.text) << c.code;
        EXPECT_EQ(errorShowsCode(c.code), c.codeLine) << c.code;
        EXPECT_EQ(errorResult(c.code), c.result) << c.code;
    }
    EXPECT_EQ(errorSourceText(0), nullptr);
    EXPECT_EQ(errorResult(0), 0);
}
