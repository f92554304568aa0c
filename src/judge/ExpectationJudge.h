#pragma once

#include "judge/Observation.h"
#include "report/RunResult.h"
#include "station/Scenario.h"

#include <optional>
#include <string>

namespace judge {

// The verdict of one expectation, reached as early as the datagrams and the
// clock allow. Times are seconds from the start of the run; the caller hands
// in datagrams and clock readings in order of time.
//
// within: the condition must first hold at or before after + within, then
// go on holding for `holds`; a counting value outside it meanwhile fails.
// always: every counting value from `after` on meets it, and one arrives.
// never: no counting value from `after` on meets it.
// silent: nothing matching arrives (for within, for `holds` seconds, the span
// beginning at `after` or at the last matching datagram). lint: every
// matching datagram is free of conformance findings.
class ExpectationJudge {
public:
    explicit ExpectationJudge(const station::ExpectSettings& expect);

    // A datagram its selector picks.
    void observe(const Observation& seen);
    // The clock reads `now`, with every datagram up to it handed in.
    void advance(double now);
    // The run ends at `now`: every expectation left gets its verdict.
    void finish(double now);
    // The run was stopped at `now` before its end: undecided it stays.
    void stop(double now);

    bool decided() const { return decided_; }
    const station::SelectorSettings& selector() const { return expect_.selector; }
    const report::ExpectationResult& result() const { return result_; }
    report::ExpectationResult& result() { return result_; }

private:
    void observeValue(const Observation& seen);
    void observeSilent(const Observation& seen);
    void decide(report::Outcome outcome, double at, report::Evidence evidence);
    report::Evidence datagram(const Observation& seen, const std::string& note) const;
    // "nothing matching arrived", with the last value seen.
    report::Evidence nothing(double at, const std::string& what) const;
    double windowEnd() const;

    const station::ExpectSettings& expect_;
    report::ExpectationResult result_;
    bool decided_ = false;
    // The datagram that first met a within condition.
    std::optional<report::Evidence> met_;
    // The last counting value, as text, and when it came.
    std::optional<std::pair<double, std::string>> last_;
    bool countedSinceAfter_ = false;
    // Silent: when the current silence began.
    double quietSince_;
};

} // namespace judge
