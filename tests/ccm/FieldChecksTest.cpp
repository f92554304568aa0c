// The field checks every layer shares: characters of UTF-8 text and the
// hexadecimal ids.

#include "ccm/FieldChecks.h"
#include "ccm/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CharsRow {
    std::string text;
    std::size_t chars;
};

class Utf8CharsTest : public testing::TestWithParam<CharsRow> {};

// A malformed byte counts as one character wherever it stands, so a limit on
// characters can never be passed with stray continuation bytes.
TEST_P(Utf8CharsTest, CountsEachMalformedByteAsOne)
{
    EXPECT_EQ(ccm::Utf8Chars(GetParam().text), GetParam().chars);
}

INSTANTIATE_TEST_SUITE_P(Texts, Utf8CharsTest,
                         testing::Values(CharsRow{"", 0}, CharsRow{"WRainfall", 9},
                                         CharsRow{"\xE9\x9B\xA8", 1},
                                         CharsRow{"\xF0\x9F\x8C\xA7.mIC", 5},
                                         CharsRow{"\x80\x80\x80", 3}, CharsRow{"a\xE9\x9B", 3},
                                         CharsRow{"\xC0\xAF", 2}, CharsRow{"\xED\xA0\x80", 3}));

// The escaper reads code points through the walker: one of each length,
// and the extremes each length may hold.
TEST(Utf8CodePoint, EachLengthGivesItsCodePoint)
{
    for (const auto& [text, point] : std::initializer_list<std::pair<std::string, char32_t>>{
             {"A", U'A'}, {"\x7F", 0x7F}, {"\xC2\x80", 0x80}, {"\xC3\xA8", 0xE8},
             {"\xDF\xBF", 0x7FF}, {"\xE0\xA0\x80", 0x800}, {"\xE6\xB8\xA9", 0x6E29},
             {"\xEF\xBF\xBD", 0xFFFD}, {"\xF0\x9F\x98\x80", 0x1F600},
             {"\xF4\x8F\xBF\xBF", 0x10FFFF}}) {
        ASSERT_EQ(ccm::Utf8CharLength(text, 0), text.size());
        EXPECT_EQ(ccm::Utf8CodePoint(text, 0, text.size()), point) << text;
    }
}

TEST(HexId, TwelveUpperCaseDigitsAndNothingElse)
{
    EXPECT_TRUE(ccm::IsHexId("0200C0A80146"));
    for (const char* bad :
         {"0200c0a80146", "0200C0A8014", "0200C0A801460", "0200C0A8014G", "02:00:C0:A8:01:46", ""})
        EXPECT_FALSE(ccm::IsHexId(bad)) << bad;
}

} // namespace
