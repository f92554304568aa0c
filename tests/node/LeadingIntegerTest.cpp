#include "node/LeadingInteger.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

struct ParseCase {
    std::string text;
    std::int32_t value;
};

class LeadingIntegerRows : public testing::TestWithParam<ParseCase> {};

TEST_P(LeadingIntegerRows, Parses)
{
    EXPECT_EQ(node::ParseLeadingInteger(GetParam().text), GetParam().value)
        << "text: " << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LeadingIntegerRows,
    testing::Values(ParseCase{"1\n", 1}, ParseCase{"0", 0}, ParseCase{"", 0}, ParseCase{"\n", 0},
                    ParseCase{"rain", 0}, ParseCase{"-1\n", -1}, ParseCase{"+7x", 7},
                    ParseCase{"0.9", 0}, ParseCase{"12 34", 12}, ParseCase{" \t\v\f\r\n42", 42},
                    ParseCase{"+-3", 0}, ParseCase{"--3", 0}, ParseCase{"- 3", 0},
                    ParseCase{"\xEF\xBB\xBF"
                              "1",
                              0},
                    ParseCase{std::string("12\0"
                                          "34",
                                          5),
                              12},
                    ParseCase{"2147483647", INT_MAX}, ParseCase{"-2147483648", INT_MIN},
                    // Past 32 bits the digits wrap around without any check.
                    ParseCase{"2147483648", INT_MIN}, ParseCase{"4294967296", 0},
                    ParseCase{"4294967297", 1}, ParseCase{"99999999999", 1215752191},
                    ParseCase{std::string(127, '9'), -1}));

} // namespace
