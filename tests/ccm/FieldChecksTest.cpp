// The field checks every layer shares: characters of UTF-8 text and the
// hexadecimal ids.

#include "ccm/FieldChecks.h"

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

TEST(HexId, TwelveUpperCaseDigitsAndNothingElse)
{
    EXPECT_TRUE(ccm::IsHexId("0200C0A80146"));
    for (const char* bad :
         {"0200c0a80146", "0200C0A8014", "0200C0A801460", "0200C0A8014G", "02:00:C0:A8:01:46", ""})
        EXPECT_FALSE(ccm::IsHexId(bad)) << bad;
}

} // namespace
