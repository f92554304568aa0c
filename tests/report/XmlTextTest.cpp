#include "report/XmlText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TextRow {
    const char* what;
    std::string input;
    std::string expected;
};

class XmlTextRows : public testing::TestWithParam<TextRow> {};

TEST_P(XmlTextRows, NeutralisedThenEscaped)
{
    EXPECT_EQ(report::XmlText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, XmlTextRows,
    testing::Values(
        TextRow{"markup", "<a href=\"x\">&'</a>", "&lt;a href=&quot;x&quot;&gt;&amp;&#39;&lt;/a&gt;"},
        TextRow{"cdata end", "]]>", "]]&gt;"},
        // XML 1.0 has no way to carry these at all, not even as &#1;.
        TextRow{"controls", std::string("a\x01\x1b[2J\0b", 8), "a\\x01\\x1b[2J\\x00b"},
        TextRow{"newline", "one\ntwo", "one\\ntwo"},
        TextRow{"not utf-8", "ok\xff\xe6\xb8", "ok\\xff\\xe6\\xb8"},
        TextRow{"bidi override",
            "ab\xe2\x80\xae"
            "cd",
            "ab\\u202ecd"},
        TextRow{"noncharacters", "\xef\xbf\xbe\xef\xbf\xbf\xef\xb7\x90", "\\ufffe\\uffff\\ufdd0"},
        TextRow{"noncharacter past the BMP", "\xf0\x9f\xbf\xbe", "\\u1fffe"},
        TextRow{"japanese kept", "降雨で天窓が閉じる", "降雨で天窓が閉じる"},
        TextRow{"backslash doubled", "\\x01", "\\\\x01"}),
    [](const testing::TestParamInfo<TextRow>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(XmlText, FittedCutsLongTextsAndKeepsShortOnes)
{
    EXPECT_EQ(report::XmlTextFitted("a<b", 10), "a&lt;b");
    EXPECT_EQ(report::XmlTextFitted("abcdefgh", 5), "abcd…");
    EXPECT_EQ(report::XmlTextFitted("降雨量の記録", 6), "降雨…");
    // The cut is made on the shown text, so an escape never grows it past the limit.
    EXPECT_EQ(report::XmlTextFitted("\x1b\x1b\x1b", 6), "\\x1b\\…");
}

} // namespace
