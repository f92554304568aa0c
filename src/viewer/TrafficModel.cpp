#include "viewer/TrafficModel.h"

#include <algorithm>
#include <charconv>

namespace viewer {

namespace {

// A DATA value as a number; only plain decimals are charted.
std::optional<double> Numeric(const std::string& value)
{
    double number = 0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, number);
    if (error != std::errc() || stop != end || value.empty())
        return std::nullopt;
    return number;
}

double Milliseconds(const capture::CaptureTime& time)
{
    return static_cast<double>(time.instant.time_since_epoch().count()) / 1000.0;
}

} // namespace

TrafficModel::TrafficModel(TrafficLimits limits) : limits_(limits), table_(limits.maxKeys) {}

void TrafficModel::take(const capture::CaptureRecord& record, monitor::Clock::time_point arrived)
{
    ++received_;
    const monitor::LintResult lint = linter_.check(record.sourceIp, record.bytes, record.decoded);
    const std::optional<ccm::Decoded>& message = record.decoded.message;
    if (!message) {
        ++notDecoded_;
        return;
    }
    if (const auto& reply = message->ccmScanReply; reply && reply->sr == "S")
        setUnit({reply->type, reply->room, reply->region, reply->order}, reply->unit);
    if (!message->data)
        return;
    const ccm::DataContent& data = *message->data;
    monitor::CcmKey key{data.type, data.room, data.region, data.order};
    // The wall clock's moment labels the row's first and last seen.
    table_.update({key, data.priority, data.value, data.ip, record.sourceIp, arrived,
                   std::chrono::system_clock::time_point(record.time.instant), std::nullopt});
    keep(key, record, lint);
}

void TrafficModel::keep(const monitor::CcmKey& key, const capture::CaptureRecord& record,
                        const monitor::LintResult& lint)
{
    if (const std::optional<double> value = Numeric(record.decoded.message->data->value)) {
        auto series = histories_.find(key);
        if (series == histories_.end())
            series = histories_.emplace(key, SeriesHistory(seriesCapacity())).first;
        series->second.append({Milliseconds(record.time), *value});
    }
    if (lint.findings.empty())
        return;
    std::deque<RowFinding>& kept = findings_[key];
    for (const monitor::LintFinding& finding : lint.findings) {
        kept.push_back({record.time, record.sourceIp, finding});
        if (kept.size() > kFindingsKept)
            kept.pop_front();
    }
}

std::size_t TrafficModel::seriesCapacity() const
{
    const std::size_t share = limits_.historyBudget / std::max<std::size_t>(1, histories_.size());
    return std::min(limits_.historyLength, std::max<std::size_t>(share, 2));
}

void TrafficModel::setUnit(const monitor::CcmKey& key, const std::string& unit)
{
    if (units_.size() < kMaxUnits || units_.contains(key))
        units_[key] = unit;
}

std::string TrafficModel::unit(const monitor::CcmKey& key) const
{
    const auto found = units_.find(key);
    return found == units_.end() ? std::string() : found->second;
}

void TrafficModel::trim()
{
    const auto& rows = table_.rows();
    std::erase_if(histories_, [&](const auto& entry) { return !rows.contains(entry.first); });
    std::erase_if(findings_, [&](const auto& entry) { return !rows.contains(entry.first); });
    const std::size_t capacity = seriesCapacity();
    for (auto& [key, series] : histories_)
        series.shrinkTo(capacity);
}

const SeriesHistory* TrafficModel::history(const monitor::CcmKey& key) const
{
    const auto found = histories_.find(key);
    return found == histories_.end() ? nullptr : &found->second;
}

const std::deque<RowFinding>& TrafficModel::findings(const monitor::CcmKey& key) const
{
    static const std::deque<RowFinding> none;
    const auto found = findings_.find(key);
    return found == findings_.end() ? none : found->second;
}

} // namespace viewer
