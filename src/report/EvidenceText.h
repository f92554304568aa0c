#pragma once

#include "report/RunResult.h"

#include <string>

namespace report {

// "PASS", "FAIL" or "UNDECIDED", as every report form names a verdict.
std::string OutcomeWord(Outcome outcome);

// One line saying what decided an expectation, still raw (escape it for the
// output): "at 31.250 s from 10.1.0.2:16520: <?xml ...", or "at 50.000 s:
// nothing matching arrived (last value 3)".
std::string EvidenceLine(const Evidence& evidence);

// Counts of a run's verdicts.
struct Tally {
    int passed = 0;
    int failed = 0;
    int undecided = 0;
    int total() const { return passed + failed + undecided; }
};
Tally Count(const ScenarioResult& result);

} // namespace report
