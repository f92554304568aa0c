#include "report/SvgChart.h"

#include "report/AxisScale.h"
#include "report/ChartStyle.h"
#include "report/Decimated.h"
#include "report/NumberText.h"
#include "report/XmlText.h"

#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr double kLeft = 72;
constexpr double kRight = 24;
constexpr double kTop = 30;
constexpr double kMainHeight = 170;
constexpr double kStripHeight = 56;
// Room above each panel for its name.
constexpr double kGap = 24;
constexpr double kLegendRow = 18;
constexpr double kPlotWidth = SvgChart::kWidth - kLeft - kRight;
// Two pixels a bucket: finer than a step line can show.
constexpr std::size_t kBuckets = static_cast<std::size_t>(kPlotWidth / 2);
// Up to this many points each gets a dot: single datagrams stay visible.
constexpr std::size_t kMaxDots = 120;
constexpr std::size_t kLabelColumns = 70;

std::string N(double value)
{
    return Short(value, 1);
}

std::string Line(double x1, double y1, double x2, double y2, const std::string& style)
{
    return "<line x1=\"" + N(x1) + "\" y1=\"" + N(y1) + "\" x2=\"" + N(x2) + "\" y2=\"" + N(y2) +
           "\" " + style + "/>\n";
}

std::string Text(double x, double y, const std::string& escaped, const std::string& style = "")
{
    return "<text x=\"" + N(x) + "\" y=\"" + N(y) + "\"" + (style.empty() ? "" : " " + style) +
           ">" + escaped + "</text>\n";
}

std::string Rect(double x, double y, double width, double height, const std::string& style)
{
    return "<rect x=\"" + N(x) + "\" y=\"" + N(y) + "\" width=\"" + N(std::max(width, 0.0)) +
           "\" height=\"" + N(std::max(height, 0.0)) + "\" " + style + "/>\n";
}

std::string SeriesName(const Series& series)
{
    return series.unit.empty() ? series.label : series.label + " [" + series.unit + "]";
}

// The value axis of a panel: over every point drawn in it.
AxisScale PanelScale(const std::vector<const Series*>& series, double height)
{
    double low = INFINITY;
    double high = -INFINITY;
    for (const Series* one : series)
        for (const SeriesPoint& point : one->points)
            if (std::isfinite(point.value)) {
                low = std::min(low, point.value);
                high = std::max(high, point.value);
            }
    if (low > high)
        low = high = 0;
    return AxisScale::Over(low, high, std::max(1, static_cast<int>(height / 30)));
}

double Y(const AxisScale& scale, double top, double height, double value)
{
    const double fraction = std::clamp(scale.Fraction(value), 0.0, 1.0);
    return top + height * (1 - (std::isfinite(fraction) ? fraction : 0));
}

} // namespace

SvgChart::SvgChart(const ExpectationResult& expectation, double runSeconds)
    : expectation_(expectation)
{
    for (const double end :
         {runSeconds, expectation.decidedSeconds, expectation.evidence.seconds,
          expectation.withinEndSeconds.value_or(0), expectation.holdsEndSeconds.value_or(0)})
        if (std::isfinite(end))
            endSeconds_ = std::max(endSeconds_, end);
    Panel main{{}, kTop, kMainHeight};
    std::vector<Panel> strips;
    for (const Series& series : expectation.series) {
        // One watched CCM: the judge gives it first.
        if (!series.stimulus && main.series.empty())
            main.series.push_back(&series);
        else if (series.stimulus && strips.size() < kMaxStrips)
            strips.push_back({{&series}, 0, kStripHeight});
        else
            leftOut_.push_back(&series);
    }
    panels_.push_back(main);
    double top = kTop + kMainHeight + kGap;
    for (Panel& strip : strips) {
        strip.top = top;
        top += kStripHeight + kGap;
        panels_.push_back(strip);
    }
    plotBottom_ = top - kGap;
    const std::size_t legendRows =
        expectation.series.size() - leftOut_.size() + 1 + (leftOut_.empty() ? 0 : 1);
    height_ = plotBottom_ + 44 + kLegendRow * static_cast<double>(legendRows) + 8;
}

double SvgChart::X(double seconds) const
{
    const double fraction = std::clamp(seconds / endSeconds_, 0.0, 1.0);
    return kLeft + kPlotWidth * (std::isfinite(fraction) ? fraction : 0);
}

const char* SvgChart::Colour(const Series& series) const
{
    if (!series.stimulus)
        return kWatchedColour;
    std::size_t index = 0;
    for (const Series& other : expectation_.series) {
        if (&other == &series)
            break;
        index += other.stimulus ? 1 : 0;
    }
    return kStimulusColours[index % std::size(kStimulusColours)];
}

std::string SvgChart::Svg() const
{
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + N(kWidth) +
                      "\" height=\"" + N(height_) + "\" viewBox=\"0 0 " + N(kWidth) + " " +
                      N(height_) + "\" role=\"img\" style=\"font-family:" + kFontFamily +
                      ";font-size:12px\">\n<title>" + XmlText(expectation_.name) + "</title>\n";
    svg += Rect(0, 0, kWidth, height_, "fill=\"#ffffff\"");
    for (const Panel& panel : panels_)
        svg += PanelSvg(panel);
    svg += TimeAxis();
    svg += DecidingMark();
    svg += Legend();
    return svg + "</svg>\n";
}

std::string SvgChart::Marks(const Panel& panel) const
{
    std::string svg;
    const double top = panel.top;
    const double bottom = panel.top + panel.height;
    const double after = X(expectation_.afterSeconds);
    if (expectation_.withinEndSeconds)
        svg += Rect(after, top, X(*expectation_.withinEndSeconds) - after, panel.height,
                    std::string("fill=\"") + kWithinColour + "\"");
    if (expectation_.holdsStartSeconds) {
        const double start = X(*expectation_.holdsStartSeconds);
        const double end = X(expectation_.holdsEndSeconds.value_or(expectation_.decidedSeconds));
        svg += Rect(start, top, end - start, panel.height,
                    std::string("fill=\"") + kHoldsColour + "\" fill-opacity=\"0.8\"");
    }
    svg += Line(after, top, after, bottom,
                "stroke=\"#555555\" stroke-width=\"1.5\" stroke-dasharray=\"5 3\"");
    const double decided = X(expectation_.evidence.seconds);
    return svg + Line(decided, top, decided, bottom,
                      std::string("stroke=\"") + kDecidedColour + "\" stroke-width=\"1.5\"");
}

std::string SvgChart::PanelSvg(const Panel& panel) const
{
    const AxisScale scale = PanelScale(panel.series, panel.height);
    std::string svg = Marks(panel);
    for (const double tick : scale.Ticks()) {
        const double y = Y(scale, panel.top, panel.height, tick);
        svg += Line(kLeft, y, kLeft + kPlotWidth, y, "stroke=\"#dddddd\"");
        svg += Text(kLeft - 6, y + 4, Fixed(tick, scale.decimals), "text-anchor=\"end\"");
    }
    svg += Rect(kLeft, panel.top, kPlotWidth, panel.height, "fill=\"none\" stroke=\"#888888\"");
    bool any = false;
    for (const Series* series : panel.series) {
        svg += StepLine(*series, panel, scale.low, scale.high, Colour(*series));
        any = any || !series->points.empty();
    }
    if (!any)
        svg += Text(kLeft + kPlotWidth / 2, panel.top + panel.height / 2 + 4, "no datagram matched",
                    "text-anchor=\"middle\" fill=\"#888888\"");
    if (!panel.series.empty())
        svg += Text(kLeft, panel.top - 5, XmlTextFitted(SeriesName(*panel.series[0]), 90),
                    "fill=\"#444444\"");
    return svg;
}

std::string SvgChart::StepLine(const Series& series, const Panel& panel, double low, double high,
                               const char* colour) const
{
    const std::vector<SeriesPoint> points = Decimated(series.points, 0, endSeconds_, kBuckets);
    if (points.empty())
        return {};
    AxisScale scale;
    scale.low = low;
    scale.high = high;
    auto y = [&](double value) { return N(Y(scale, panel.top, panel.height, value)); };
    // Appended piece by piece: a long series makes a long path.
    std::string path = "M";
    path.append(N(X(points[0].seconds))).append(" ").append(y(points[0].value));
    std::string level = y(points[0].value);
    for (std::size_t i = 1; i < points.size(); ++i) {
        // A repeated value continues the step: nothing to draw until it changes.
        std::string next = y(points[i].value);
        if (next == level)
            continue;
        path.append("H").append(N(X(points[i].seconds))).append("V").append(next);
        level = std::move(next);
    }
    path.append("H").append(N(X(endSeconds_)));
    std::string svg =
        "<path d=\"" + path + "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"2\"/>\n";
    if (points.size() <= kMaxDots)
        for (const SeriesPoint& point : points)
            svg += "<circle cx=\"" + N(X(point.seconds)) + "\" cy=\"" + y(point.value) +
                   "\" r=\"2\" fill=\"" + colour + "\"/>\n";
    return svg;
}

std::string SvgChart::TimeAxis() const
{
    const AxisScale scale = AxisScale::Over(0, endSeconds_, 8);
    std::string svg;
    for (const double tick : scale.Ticks()) {
        if (tick > endSeconds_ * 1.0001)
            break;
        const double x = X(tick);
        svg += Line(x, plotBottom_, x, plotBottom_ + 5, "stroke=\"#888888\"");
        svg += Text(x, plotBottom_ + 17, Fixed(tick, scale.decimals), "text-anchor=\"middle\"");
    }
    return svg + Text(kLeft + kPlotWidth / 2, plotBottom_ + 33,
                      "time from the start of the run (s)", "text-anchor=\"middle\"");
}

std::string SvgChart::DecidingMark() const
{
    const Evidence& evidence = expectation_.evidence;
    const Panel& main = panels_.front();
    if (!evidence.isDatagram || main.series.empty())
        return {};
    // Ring the value the deciding datagram carried: the last point at its time.
    const std::vector<SeriesPoint>& points = main.series.front()->points;
    const auto after = std::upper_bound(
        points.begin(), points.end(), evidence.seconds,
        [](double seconds, const SeriesPoint& point) { return seconds < point.seconds; });
    if (after == points.begin())
        return {};
    const AxisScale scale = PanelScale(main.series, main.height);
    const double y = Y(scale, main.top, main.height, std::prev(after)->value);
    return "<circle cx=\"" + N(X(evidence.seconds)) + "\" cy=\"" + N(y) +
           "\" r=\"6\" fill=\"none\" stroke=\"" + kDecidedColour + "\" stroke-width=\"2\"/>\n";
}

std::string SvgChart::Legend() const
{
    double y = plotBottom_ + 44;
    std::string svg;
    // The marks on one row, then one row per series.
    const std::string within = std::string("fill=\"") + kWithinColour + "\"";
    const std::string holds = std::string("fill=\"") + kHoldsColour + "\"";
    svg += Rect(kLeft, y, 14, 10, within) + Text(kLeft + 18, y + 9, "within window");
    svg += Rect(kLeft + 120, y, 14, 10, holds) + Text(kLeft + 138, y + 9, "holds span");
    svg += Line(kLeft + 232, y - 1, kLeft + 232, y + 11,
                "stroke=\"#555555\" stroke-width=\"1.5\" stroke-dasharray=\"3 2\"");
    svg += Text(kLeft + 238, y + 9, "after");
    svg += Line(kLeft + 292, y - 1, kLeft + 292, y + 11,
                std::string("stroke=\"") + kDecidedColour + "\" stroke-width=\"1.5\"");
    svg += Text(kLeft + 298, y + 9, "decided (ringed: the deciding datagram)");
    for (const Series& series : expectation_.series) {
        if (std::find(leftOut_.begin(), leftOut_.end(), &series) != leftOut_.end())
            continue;
        y += kLegendRow;
        svg += Line(kLeft, y + 5, kLeft + 14, y + 5,
                    std::string("stroke=\"") + Colour(series) + "\" stroke-width=\"2\"");
        svg += Text(kLeft + 18, y + 9,
                    std::string(series.stimulus ? "stimulus: " : "watched: ") +
                        XmlTextFitted(SeriesName(series), kLabelColumns));
    }
    if (!leftOut_.empty())
        svg += Text(kLeft + 18, y + kLegendRow + 9,
                    "and " + std::to_string(leftOut_.size()) + " more series, not drawn");
    return svg;
}

} // namespace report
