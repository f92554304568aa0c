#pragma once

#include "judge/ExpectationJudge.h"
#include "monitor/KeyTable.h"
#include "monitor/Lint.h"
#include "report/RunResult.h"
#include "station/Scenario.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace judge {

// Judges every expectation of a scenario over one run: each datagram heard
// is decoded once, linted, entered in a key table that tells which sender's
// value receivers take, and handed to the expectations that select it.
// Times are seconds from the start of the run, in order.
class Judge {
public:
    // Called once for each expectation as its verdict is reached.
    using Decided = std::function<void(const report::ExpectationResult&)>;

    // Called for each data value receivers take (its sender wins its key).
    using Counted = std::function<void(const ccm::DataContent& data, double value, double seconds)>;

    Judge(const station::Scenario& scenario, Decided decided);
    void onCounted(Counted counted) { counted_ = std::move(counted); }

    // `sourcePort` 0: a datagram this station sent.
    void take(std::string_view datagram, const std::string& sourceIp, std::uint16_t sourcePort,
              double seconds);
    // A value the station sent: a stimulus for the charts.
    void stimulus(const station::CcmSettings& ccm, const std::string& value, double seconds);
    void advance(double now);
    void finish(double now);
    // Stopped before the end: what is not decided is reported undecided.
    void stop(double now);

    bool allDecided() const;
    // The expectations as they stand, each with its watched series and the
    // stimulus series.
    std::vector<report::ExpectationResult> results() const;

private:
    void report();

    std::vector<ExpectationJudge> expectations_;
    std::vector<bool> told_;
    Decided decided_;
    Counted counted_;
    monitor::KeyTable table_;
    monitor::Linter linter_;
    std::map<std::string, report::Series> stimuli_;
};

} // namespace judge
