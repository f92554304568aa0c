#include "node/LongTimeFormat.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

std::string textOf(const node::LongTimeFormat& format, node::TimeOfDay time)
{
    std::string out = "log ";
    format.appendText(time, out);
    return out.substr(4);
}

struct FormatCase {
    const char* name;
    node::LongTimeFormat format;
    node::TimeOfDay time;
    std::string text;
};

node::LongTimeFormat make(bool leadingZero, bool twentyFour, bool markerFirst = false,
                          std::string separator = ":", std::string am = "am", std::string pm = "pm")
{
    return {leadingZero,          twentyFour,    markerFirst,
            std::move(separator), std::move(am), std::move(pm)};
}

class TimeTextRows : public testing::TestWithParam<FormatCase> {};

TEST_P(TimeTextRows, Formats)
{
    EXPECT_EQ(textOf(GetParam().format, GetParam().time), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TimeTextRows,
    testing::Values(
        FormatCase{"Defaults", node::LongTimeFormat{}, {9, 5, 3}, "9:05:03 am"},
        FormatCase{"DefaultsMidnight", node::LongTimeFormat{}, {0, 0, 0}, "12:00:00 am"},
        FormatCase{"DefaultsNoon", node::LongTimeFormat{}, {12, 30, 0}, "12:30:00 pm"},
        FormatCase{"DefaultsEvening", node::LongTimeFormat{}, {23, 59, 59}, "11:59:59 pm"},
        FormatCase{"TwentyFourNoZero", make(false, true), {9, 5, 3}, "9:05:03"},
        FormatCase{"TwentyFourZero", make(true, true), {9, 5, 3}, "09:05:03"},
        FormatCase{"TwentyFourAfternoon", make(false, true), {21, 5, 3}, "21:05:03"},
        FormatCase{"TwelveZero", make(true, false), {13, 0, 9}, "01:00:09 pm"},
        FormatCase{"MarkerFirst",
                   make(false, false, true, ":", "午前", "午後"),
                   {15, 4, 5},
                   "午後 3:04:05"},
        FormatCase{"Separator", make(true, true, false, "."), {7, 8, 9}, "07.08.09"}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

struct PosixCase {
    const char* name;
    std::string tFmt;
    std::string am;
    std::string ampmFormat;
    node::LongTimeFormat expected;
};

class PosixFormatRows : public testing::TestWithParam<PosixCase> {};

TEST_P(PosixFormatRows, Reads)
{
    const PosixCase& row = GetParam();
    const node::LongTimeFormat got = node::LongTimeFormat::FromPosix(
        row.tFmt, row.am, row.am.empty() ? "" : "PM", row.ampmFormat);
    EXPECT_EQ(got.leadingZero, row.expected.leadingZero);
    EXPECT_EQ(got.twentyFourHour, row.expected.twentyFourHour);
    EXPECT_EQ(got.markerFirst, row.expected.markerFirst);
    EXPECT_EQ(got.separator, row.expected.separator);
    EXPECT_EQ(got.amText, row.expected.amText);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PosixFormatRows,
    testing::Values(
        PosixCase{"CLocale", "%H:%M:%S", "AM", "", make(true, true, false, ":", "AM")},
        PosixCase{"Composite24", "%T", "", "", make(true, true)},
        PosixCase{"UsStyle", "%r", "AM", "%I:%M:%S %p", make(true, false, false, ":", "AM")},
        PosixCase{"NoPadding", "%-I.%M.%S %p", "AM", "", make(false, false, false, ".", "AM")},
        PosixCase{"SpacePadded", "%k:%M:%S", "", "", make(false, true)},
        PosixCase{"MarkerFirst", "%p %l:%M:%S", "AM", "", make(false, false, true, ":", "AM")},
        // Unequal separators (hour and minute suffixes) keep ":".
        PosixCase{"KanjiSuffixes", "%H時%M分%S秒", "", "", make(true, true)},
        PosixCase{"PercentLiteral", "%%H %H:%M:%S", "", "", make(true, true)},
        // Nothing usable: the defaults.
        PosixCase{"Empty", "", "", "", node::LongTimeFormat{}},
        PosixCase{"NoHour", "%M:%S", "", "", node::LongTimeFormat{}}),
    [](const testing::TestParamInfo<PosixCase>& info) { return std::string(info.param.name); });

// Sets LC_ALL for the life of the object, restoring it afterwards.
class ScopedLcAll {
public:
    explicit ScopedLcAll(const char* value)
    {
        if (const char* old = std::getenv("LC_ALL"))
            old_ = old;
        ::setenv("LC_ALL", value, 1);
    }
    ~ScopedLcAll()
    {
        if (old_)
            ::setenv("LC_ALL", old_->c_str(), 1);
        else
            ::unsetenv("LC_ALL");
    }

private:
    std::optional<std::string> old_;
};

TEST(LongTimeFormat, ReadsTheUsersLocale)
{
    ScopedLcAll c("C");
    EXPECT_EQ(textOf(node::LongTimeFormat::FromUserLocale(), {9, 5, 3}), "09:05:03");
}

TEST(LongTimeFormat, UnknownLocaleGivesTheDefaults)
{
    ScopedLcAll unknown("xx_NOWHERE.UTF-8");
    EXPECT_EQ(textOf(node::LongTimeFormat::FromUserLocale(), {9, 5, 3}), "9:05:03 am");
}

} // namespace
