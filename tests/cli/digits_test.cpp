// What character a digit register byte shows: the board's patterns, the other usual forms of
// 7 and 9, blanks and patterns that are no digit.
#include "output_text.h"

#include <gtest/gtest.h>

TEST(CliDigits, RegisterBytesShowTheirCharacter)
{
    struct Case {
        uint8_t reg;
        char shows;
    };
    const Case cases[] = {
        {0xC0, '0'}, {0xF9, '1'}, {0x90, '9'}, // 9 with its tail (segment d lit)
        {0x98, '9'}, {0x82, '6'}, {0x83, 'B'}, {0xF8, '7'}, {0xD8, '7'},
        {0x88, 'A'}, {0x8E, 'F'}, {0xFF, '-'}, {0x7F, '-'}, // the decimal point alone is blank
        {0xFE, '?'}, {0xB6, '?'},
    };
    for (const Case &c : cases)
        EXPECT_EQ(cli::digitCharacter(c.reg), c.shows) << std::hex << int(c.reg);
}
