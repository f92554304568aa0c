#include "SampleRuns.h"

#include "report/SvgChart.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::size_t Occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(SvgChart, ShadesTheWindowsAndRingsTheDecidingDatagram)
{
    const report::ExpectationResult flap = reporttest::FailingRun().expectations.front();
    const std::string svg = report::SvgChart(flap, 120).Svg();
    // On a 120 s axis 664 px wide from x = 72: within 30..90 s, holds 80..92 s.
    EXPECT_NE(svg.find("<rect x=\"238\" y=\"30\" width=\"332\""), std::string::npos);
    EXPECT_NE(svg.find("<rect x=\"514.7\" y=\"30\" width=\"66.4\""), std::string::npos);
    // The ring at 92 s on the value that datagram carried: 30 % of 0..100.
    EXPECT_NE(svg.find("<circle cx=\"581.1\" cy=\"149\" r=\"6\""), std::string::npos);
    EXPECT_NE(svg.find("time from the start of the run (s)"), std::string::npos);
    EXPECT_NE(svg.find("watched: VenRfWin.opr room 1 region 1 order 1 [%]"), std::string::npos);
    EXPECT_NE(svg.find("stimulus: WRainfall.mIC room 1 region 1 order 1"), std::string::npos);
    // Step lines: two of them, the watched one first.
    EXPECT_EQ(Occurrences(svg, "<path "), 2u);
    EXPECT_LT(svg.find("stroke=\"#1f4e9c\" stroke-width=\"2\"/>"),
              svg.find("stroke=\"#d9822b\" stroke-width=\"2\"/>"));
}

TEST(SvgChart, NothingMatchedIsSaidAndNothingIsRinged)
{
    const report::ExpectationResult wind = reporttest::FailingRun().expectations.back();
    const std::string svg = report::SvgChart(wind, 300).Svg();
    EXPECT_NE(svg.find("no datagram matched"), std::string::npos);
    EXPECT_EQ(svg.find("r=\"6\""), std::string::npos);
    // The window's end still shows when the verdict came.
    EXPECT_NE(svg.find("<line x1=\"271.2\" y1=\"30\""), std::string::npos);
}

TEST(SvgChart, ManyStimulusSeriesAreBoundedAndCounted)
{
    report::ExpectationResult expectation = reporttest::PassingRun().expectations.front();
    const report::Series rain = expectation.series.back();
    for (int i = 0; i < 20; ++i)
        expectation.series.push_back(rain);
    const std::string svg = report::SvgChart(expectation, 106).Svg();
    EXPECT_EQ(Occurrences(svg, "<path "), 1u + report::SvgChart::kMaxStrips);
    EXPECT_NE(svg.find("and 17 more series, not drawn"), std::string::npos);
}

} // namespace
