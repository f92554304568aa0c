#include "monitor/TerminalText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using monitor::Escaped;

TEST(TerminalText, ControlCharactersAndEscapeSequencesAreShownNotObeyed)
{
    EXPECT_EQ(Escaped("\x1b[2J\x1b]0;title\x07"), "\\x1b[2J\\x1b]0;title\\x07");
    EXPECT_EQ(Escaped("a\nb\rc\td\x7f"), "a\\nb\\rc\\td\\x7f");
    EXPECT_EQ(Escaped(std::string("nul\0x", 5)), "nul\\x00x");
    // C1 controls in UTF-8: U+009B is a one-character CSI on some terminals.
    EXPECT_EQ(Escaped("\xc2\x9b"
                      "31m\xc2\x85"),
              "\\u009b31m\\u0085");
    // Right-to-left override would reorder what follows it.
    EXPECT_EQ(Escaped("ab\xe2\x80\xae"
                      "cd"),
              "ab\\u202ecd");
    // A backslash in the text cannot pass for one of the escapes.
    EXPECT_EQ(Escaped("\\x1b"), "\\\\x1b");
}

TEST(TerminalText, InvalidUtf8IsShownByteByByte)
{
    EXPECT_EQ(Escaped("\xff\xfe"), "\\xff\\xfe");
    // Shift-JIS that was never decoded, a lone continuation byte, a truncated sequence.
    EXPECT_EQ(Escaped("\x83\x65"), "\\x83e");
    EXPECT_EQ(Escaped("ok\xe6\xb8"), "ok\\xe6\\xb8");
    // Overlong ESC, a surrogate, past U+10FFFF.
    EXPECT_EQ(Escaped("\xc0\x9b"), "\\xc0\\x9b");
    EXPECT_EQ(Escaped("\xed\xa0\x80"), "\\xed\\xa0\\x80");
    EXPECT_EQ(Escaped("\xf4\x90\x80\x80"), "\\xf4\\x90\\x80\\x80");
    // Valid text passes unchanged.
    EXPECT_EQ(Escaped("温度 23.5℃"), "温度 23.5℃");
}

TEST(TerminalText, FittedCountsWideCharactersAsTwoColumns)
{
    EXPECT_EQ(monitor::Fitted("abc", 5), "abc  ");
    EXPECT_EQ(monitor::Fitted("abcdef", 4), "abc…");
    EXPECT_EQ(monitor::Fitted("降雨", 4), "降雨");
    // A wide character never straddles the edge.
    EXPECT_EQ(monitor::Fitted("降雨量", 5), "降雨…");
    EXPECT_EQ(monitor::Fitted("降雨量", 4), "降… ");
    EXPECT_EQ(monitor::Fitted("abc", 0), "");
    EXPECT_EQ(monitor::TextWidth("温度a"), 5u);
}

TEST(TerminalText, JsonKeepsItsMeaningWithoutRawControls)
{
    EXPECT_EQ(monitor::JsonForTerminal("{\"v\":\"a\xc2\x9b"
                                       "b\x7f\xe2\x80\xae\"}"),
              "{\"v\":\"a\\u009bb\\u007f\\u202e\"}");
    EXPECT_EQ(monitor::JsonForTerminal("{\"v\":\"降雨\\u001b\"}"), "{\"v\":\"降雨\\u001b\"}");
}

// A string's inside: quote and backslash escaped, every control and
// reordering character a \u escape, a byte that is not UTF-8 U+FFFD.
TEST(TerminalText, JsonStringsCarryNoRawControls)
{
    EXPECT_EQ(monitor::JsonEscaped("\"a\\\x1b[2J\n\x7f\xc2\x9b\xe2\x80\xae降雨\xff"),
              "\\\"a\\\\\\u001b[2J\\u000a\\u007f\\u009b\\u202e降雨\xef\xbf\xbd");
}

} // namespace
