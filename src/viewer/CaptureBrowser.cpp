#include "viewer/CaptureBrowser.h"

#include <algorithm>

namespace viewer {

namespace {

double Milliseconds(const capture::CaptureTime& time)
{
    return double(time.instant.time_since_epoch().count()) / 1000.0;
}

} // namespace

monitor::Clock::time_point OnTableClock(const capture::CaptureTime& time)
{
    return monitor::Clock::time_point(
        std::chrono::duration_cast<monitor::Clock::duration>(time.instant.time_since_epoch()));
}

CaptureBrowser::CaptureBrowser(CaptureFile file, TrafficLimits limits)
    : file_(std::move(file)), limits_(limits)
{
    // A capture's clock may have stepped: the bounds are the extremes, not
    // the first and last lines.
    for (const StoredDatagram& record : file_.records) {
        const double ms = Milliseconds(record.time);
        firstMs_ = &record == &file_.records.front() ? ms : std::min(firstMs_, ms);
        lastMs_ = std::max(lastMs_, ms);
    }
    restart();
    positionMs_ = firstMs_;
}

void CaptureBrowser::restart()
{
    model_ = std::make_unique<TrafficModel>(limits_);
    encodings_ = monitor::SenderEncodings();
    for (const auto& [key, unit] : units_)
        model_->setUnit(key, unit);
    next_ = 0;
}

void CaptureBrowser::seek(double ms)
{
    if (ms < positionMs_)
        restart();
    positionMs_ = std::clamp(ms, firstMs_, lastMs_);
    const auto& records = file_.records;
    while (next_ < records.size() && Milliseconds(records[next_].time) <= positionMs_) {
        const StoredDatagram& stored = records[next_++];
        const capture::CaptureRecord record{stored.time,
                                            stored.sourceIp,
                                            stored.sourcePort,
                                            {},
                                            stored.port,
                                            stored.bytes,
                                            encodings_.decode(stored.sourceIp, stored.bytes)};
        model_->take(record, OnTableClock(stored.time));
    }
    model_->trim();
}

void CaptureBrowser::setUnit(const monitor::CcmKey& key, const std::string& unit)
{
    units_[key] = unit;
    model_->setUnit(key, unit);
}

monitor::Clock::time_point CaptureBrowser::now() const
{
    return monitor::Clock::time_point(std::chrono::duration_cast<monitor::Clock::duration>(
        std::chrono::duration<double, std::milli>(positionMs_)));
}

} // namespace viewer
