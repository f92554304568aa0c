#pragma once

#include "monitor/KeyTable.h"

#include <QObject>

#include <functional>

#include <map>
#include <string>
#include <vector>

class QChart;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace viewer {

class TrafficModel;
class ZoomChartView;

// The chart of the selected rows: one line per CCM against time, one value
// axis per unit. While it follows, the time axis ends at the present and
// spans the chosen span; a zoom or pan with the mouse stops following until
// the pause is lifted. Each refresh draws the reduced points of the visible
// time only, so a day of history costs what a screen of pixels costs.
class SeriesChart : public QObject {
public:
    explicit SeriesChart(ZoomChartView* view);

    // The rows to draw, replacing those drawn.
    void show(const std::vector<monitor::CcmKey>& keys, const TrafficModel& traffic);
    void setSpan(double seconds);
    void setPaused(bool paused);
    bool paused() const { return paused_; }

    // Redraws from the histories; `nowMs` is the right edge while following.
    void refresh(const TrafficModel& traffic, double nowMs);

    QChart* chart() const { return chart_; }
    // The line drawn for a key, or null.
    QLineSeries* series(const monitor::CcmKey& key) const;

    // Called when the mouse moved the view and so paused the chart.
    void onPausedByUser(std::function<void()> paused) { pausedByUser_ = std::move(paused); }

private:
    void addTimeAxis();
    QValueAxis* axisFor(const std::string& unit);
    void dropUnusedAxes();
    void fitValues();

    ZoomChartView* view_;
    QChart* chart_;
    // Null while no line is drawn.
    QDateTimeAxis* time_ = nullptr;
    // The time shown, kept for the next time axis.
    double fromMs_ = 0;
    double toMs_ = 60'000;
    std::map<monitor::CcmKey, QLineSeries*> series_;
    std::map<monitor::CcmKey, std::string> units_;
    std::map<std::string, QValueAxis*> axes_;
    double spanMs_ = 60'000;
    bool paused_ = false;
    std::function<void()> pausedByUser_;
};

} // namespace viewer
