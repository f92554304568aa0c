#pragma once

#include "report/RunResult.h"

#include <cstdio>
#include <string>

namespace cli {

// What `test` prints: one line per expectation as it is decided and a
// summary per scenario, as aligned text or as JSON Lines
// ({"file", "expectation", "outcome", "mode", "condition", "decided",
// "evidence": {"time", "source", "datagram" or "text", "note"}} and
// {"file", "summary": {"passed", "failed", "undecided", "seconds"}}). Text from the
// network goes through the one escaper.
class TestOutput {
public:
    explicit TestOutput(bool json, std::FILE* out = stdout);

    void decided(const std::string& file, const report::ExpectationResult& result);
    void summary(const report::ScenarioResult& scenario);

private:
    void writeLine(const std::string& line);

    bool json_;
    std::FILE* out_;
};

// "pass", "fail" or "undecided".
const char* OutcomeName(report::Outcome outcome);

} // namespace cli
