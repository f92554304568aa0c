#pragma once

#include "report/RunResult.h"

#include <string>
#include <vector>

namespace report {

// One expectation's chart as SVG: the watched series on top, each stimulus
// series in a strip below it, all on one time axis in seconds from the start
// of the run, drawn as step lines (a CCM keeps its value until the next one).
// Shaded across all of them: the `within` window from `after`, the `holds`
// span; a dashed line at `after`, and the deciding moment as a red line with
// the deciding datagram ringed on the watched series. A legend names every
// series and mark. Long series are decimated to the chart's width, so the
// SVG stays a few tens of kilobytes whatever the run's length.
class SvgChart {
public:
    SvgChart(const ExpectationResult& expectation, double runSeconds);

    std::string Svg() const;

    static constexpr double kWidth = 760;
    // Stimulus strips drawn; the legend counts the series left out (more
    // strips, or a second watched series).
    static constexpr std::size_t kMaxStrips = 4;

private:
    struct Panel {
        std::vector<const Series*> series;
        double top = 0;
        double height = 0;
    };

    double X(double seconds) const;
    // The shaded windows and the lines at `after` and at the verdict, in one panel.
    std::string Marks(const Panel& panel) const;
    std::string PanelSvg(const Panel& panel) const;
    std::string StepLine(const Series& series, const Panel& panel, double low, double high,
                         const char* colour) const;
    std::string TimeAxis() const;
    // The ring on the deciding datagram's value.
    std::string DecidingMark() const;
    std::string Legend() const;
    const char* Colour(const Series& series) const;

    const ExpectationResult& expectation_;
    // The time axis's end: the run's, or a later mark's; never 0.
    double endSeconds_ = 1e-3;
    std::vector<Panel> panels_;
    std::vector<const Series*> leftOut_;
    double plotBottom_ = 0;
    double height_ = 0;
};

} // namespace report
