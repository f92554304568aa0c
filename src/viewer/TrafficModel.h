#pragma once

#include "capture/CaptureRecord.h"
#include "monitor/KeyTable.h"
#include "monitor/Lint.h"
#include "viewer/SeriesHistory.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>

namespace viewer {

// A lint finding of one datagram of a row, as it was heard.
struct RowFinding {
    capture::CaptureTime time;
    std::string source;
    monitor::LintFinding finding;
};

struct TrafficLimits {
    std::size_t maxKeys = 10'000;
    // Points one series keeps.
    std::size_t historyLength = 100'000;
    // Points all series keep together (16 bytes each: 80 MB).
    std::size_t historyBudget = 5'000'000;
};

// Everything the window shows of the datagrams heard, without a display: the
// key table, each row's values over time and its latest findings, the units
// its senders announced, and the counts. Memory is bounded by the limits
// whatever arrives.
class TrafficModel {
public:
    static constexpr std::size_t kFindingsKept = 32;
    static constexpr std::size_t kMaxUnits = 65'536;

    explicit TrafficModel(TrafficLimits limits = {});

    // `arrived` is the monotonic time ages and intervals are measured on.
    void take(const capture::CaptureRecord& record, monitor::Clock::time_point arrived);

    void setUnit(const monitor::CcmKey& key, const std::string& unit);
    // Empty when no scan reply told it.
    std::string unit(const monitor::CcmKey& key) const;

    // Forgets the history and findings of rows the table let go, and
    // shares the point budget among the series left.
    void trim();

    const monitor::KeyTable& table() const { return table_; }
    // Null when the row has no numeric value yet.
    const SeriesHistory* history(const monitor::CcmKey& key) const;
    const std::deque<RowFinding>& findings(const monitor::CcmKey& key) const;
    std::uint64_t received() const { return received_; }
    std::uint64_t notDecoded() const { return notDecoded_; }
    const TrafficLimits& limits() const { return limits_; }

private:
    std::size_t seriesCapacity() const;
    void keep(const monitor::CcmKey& key, const capture::CaptureRecord& record,
              const monitor::LintResult& lint);

    TrafficLimits limits_;
    monitor::KeyTable table_;
    monitor::Linter linter_;
    std::map<monitor::CcmKey, SeriesHistory> histories_;
    std::map<monitor::CcmKey, std::deque<RowFinding>> findings_;
    std::map<monitor::CcmKey, std::string> units_;
    std::uint64_t received_ = 0;
    std::uint64_t notDecoded_ = 0;
};

} // namespace viewer
