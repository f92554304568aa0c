#pragma once

#include "cli/CommonOptions.h"
#include "cli/Subcommand.h"
#include "report/RunResult.h"
#include "station/Scenario.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace cli {

// `setarome-cli test FILE...`: each scenario in turn, its stimulus sent to
// the controller under test and the controller's CCMs heard on UDP 16520,
// until every expectation of it is decided or its duration is up.
class TestCommand : public Subcommand {
public:
    explicit TestCommand(CLI::App& program);

    // Reads every scenario before anything is sent.
    void check() override;
    // 0 when every expectation passed, 1 when any failed or was left
    // undecided (a signal, a port that cannot be opened), 2 for an interface
    // that cannot be used.
    int run() override;

    // Every scenario run so far, for the report writers.
    const std::vector<report::ScenarioResult>& results() const { return results_; }

private:
    double durationOf(const station::Scenario& scenario) const;
    // The JUnit and HTML files asked for; 1 when one cannot be written.
    int writeReports() const;

    CommonOptions common_;
    std::vector<std::string> files_;
    std::int64_t seconds_ = 0;
    std::string capturePath_;
    std::string junitPath_;
    std::string reportPath_;
    std::vector<std::pair<std::string, station::Scenario>> scenarios_;
    std::vector<report::ScenarioResult> results_;
};

} // namespace cli
