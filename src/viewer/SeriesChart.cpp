#include "viewer/SeriesChart.h"

#include "monitor/TerminalText.h"
#include "viewer/TrafficModel.h"
#include "viewer/ZoomChartView.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <limits>

namespace viewer {

namespace {

// Qt Charts draws legends and axis titles as rich text: a wire text is
// escaped for the terminal's sake and then for HTML's, so it shows as sent.
QString ChartText(const std::string& wire)
{
    return QString::fromStdString(monitor::Escaped(wire)).toHtmlEscaped();
}

QString SeriesName(const monitor::CcmKey& key)
{
    return ChartText(key.type) +
           QStringLiteral(" %1-%2-%3").arg(key.room).arg(key.region).arg(key.order);
}

} // namespace

SeriesChart::SeriesChart(ZoomChartView* view) : QObject(view), view_(view), chart_(new QChart)
{
    chart_->legend()->setAlignment(Qt::AlignBottom);
    // The view gives up the chart it made for itself without deleting it.
    QChart* const own = view_->chart();
    view_->setChart(chart_);
    delete own;
    connect(view_, &ZoomChartView::movedByUser, this, [this] {
        if (!paused_) {
            paused_ = true;
            if (pausedByUser_)
                pausedByUser_();
        }
    });
}

void SeriesChart::show(const std::vector<monitor::CcmKey>& keys, const TrafficModel& traffic)
{
    for (auto it = series_.begin(); it != series_.end();) {
        if (std::find(keys.begin(), keys.end(), it->first) != keys.end() &&
            units_.at(it->first) == traffic.unit(it->first)) {
            ++it;
            continue;
        }
        chart_->removeSeries(it->second);
        delete it->second;
        units_.erase(it->first);
        it = series_.erase(it);
    }
    if (series_.empty() && time_ != nullptr) {
        chart_->removeAxis(time_);
        delete time_;
        time_ = nullptr;
    }
    for (const monitor::CcmKey& key : keys) {
        if (series_.contains(key))
            continue;
        if (time_ == nullptr)
            addTimeAxis();
        auto* line = new QLineSeries;
        line->setName(SeriesName(key));
        line->setUseOpenGL(false);
        chart_->addSeries(line);
        line->attachAxis(time_);
        const std::string unit = traffic.unit(key);
        line->attachAxis(axisFor(unit));
        series_[key] = line;
        units_[key] = unit;
    }
    dropUnusedAxes();
}

// Qt Charts hides for good an axis it lays out while no line uses it, so
// the time axis, like the value axes, is there only while lines are.
void SeriesChart::addTimeAxis()
{
    time_ = new QDateTimeAxis;
    time_->setFormat(QStringLiteral("HH:mm:ss"));
    time_->setTitleText(QStringLiteral("時刻"));
    chart_->addAxis(time_, Qt::AlignBottom);
    time_->setRange(QDateTime::fromMSecsSinceEpoch(qint64(fromMs_)),
                    QDateTime::fromMSecsSinceEpoch(qint64(toMs_)));
}

QValueAxis* SeriesChart::axisFor(const std::string& unit)
{
    if (const auto found = axes_.find(unit); found != axes_.end())
        return found->second;
    auto* axis = new QValueAxis;
    axis->setTitleText(unit.empty() ? QStringLiteral("(単位なし)") : ChartText(unit));
    chart_->addAxis(axis, axes_.size() % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
    axes_[unit] = axis;
    return axis;
}

void SeriesChart::dropUnusedAxes()
{
    for (auto it = axes_.begin(); it != axes_.end();) {
        const bool used = std::any_of(units_.begin(), units_.end(),
                                      [&](const auto& entry) { return entry.second == it->first; });
        if (used) {
            ++it;
            continue;
        }
        chart_->removeAxis(it->second);
        delete it->second;
        it = axes_.erase(it);
    }
}

void SeriesChart::setSpan(double seconds)
{
    spanMs_ = seconds * 1000.0;
}

void SeriesChart::setPaused(bool paused)
{
    paused_ = paused;
}

void SeriesChart::refresh(const TrafficModel& traffic, double nowMs)
{
    if (time_ == nullptr)
        return;
    if (!paused_)
        time_->setRange(QDateTime::fromMSecsSinceEpoch(qint64(nowMs - spanMs_)),
                        QDateTime::fromMSecsSinceEpoch(qint64(nowMs)));
    // A zoom or pan moved the axis itself.
    fromMs_ = double(time_->min().toMSecsSinceEpoch());
    toMs_ = double(time_->max().toMSecsSinceEpoch());
    const double from = fromMs_, to = toMs_;
    const int columns = std::max(1, int(chart_->plotArea().width()));
    for (const auto& [key, line] : series_) {
        QList<QPointF> points;
        if (const SeriesHistory* history = traffic.history(key))
            for (const Point& p : history->reduced(from, to, columns))
                points.append(QPointF(p.x, p.y));
        line->replace(points);
    }
    fitValues();
}

void SeriesChart::fitValues()
{
    for (const auto& [unit, axis] : axes_) {
        double low = std::numeric_limits<double>::max(),
               high = std::numeric_limits<double>::lowest();
        for (const auto& [key, line] : series_) {
            if (units_.at(key) != unit)
                continue;
            for (const QPointF& p : line->points())
                if (p.x() >= fromMs_ && p.x() <= toMs_) {
                    low = std::min(low, p.y());
                    high = std::max(high, p.y());
                }
        }
        if (low > high)
            continue;
        // A flat line gets room above and below so it is not drawn on an edge.
        const double margin =
            high > low ? (high - low) * 0.05 : std::max(1.0, std::abs(high) * 0.05);
        axis->setRange(low - margin, high + margin);
    }
}

QLineSeries* SeriesChart::series(const monitor::CcmKey& key) const
{
    const auto found = series_.find(key);
    return found == series_.end() ? nullptr : found->second;
}

} // namespace viewer
