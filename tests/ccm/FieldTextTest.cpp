#include "ccm/FieldText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TextCase {
    const char* name;
    std::string text;
    std::string fault; // empty: accepted
};

std::ostream& operator<<(std::ostream& out, const TextCase& c)
{
    return out << c.name;
}

class FieldTextRows : public testing::TestWithParam<TextCase> {};

// What a node would send unescaped and in Shift-JIS, at most 5 characters.
TEST_P(FieldTextRows, RefusesWhatTheMessageCannotCarry)
{
    EXPECT_EQ(ccm::FieldTextFault(GetParam().text, 5, false), GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FieldTextRows,
    testing::Values(TextCase{"Ascii", "WRain", ""}, TextCase{"Japanese", "気温℃", ""},
                    TextCase{"HalfWidthKana", "ｱﾒ", ""}, TextCase{"Empty", "", "must not be empty"},
                    TextCase{"TooLong", "気温気温気温", "must be at most 5 characters, got 6"},
                    TextCase{"Markup", "a\"b", "must not hold control characters or <>&\""},
                    TextCase{"Ampersand", "a&b", "must not hold control characters or <>&\""},
                    TextCase{"LineBreak", "a\nb", "must not hold control characters or <>&\""},
                    TextCase{"Delete", "a\x7F", "must not hold control characters or <>&\""},
                    TextCase{"BrokenUtf8", "a\xC3", "must be valid UTF-8"},
                    TextCase{
                        "Emoji", "a\xF0\x9F\x98\x80",
                        "must hold only characters Shift-JIS can encode, got '\xF0\x9F\x98\x80'"},
                    TextCase{"Accent", "\xC3\xA9t\xC3\xA9",
                             "must hold only characters Shift-JIS can encode, got '\xC3\xA9'"}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST(FieldText, EmptyOnlyWhereAllowed)
{
    EXPECT_EQ(ccm::FieldTextFault("", 5, true), "");
}

} // namespace
