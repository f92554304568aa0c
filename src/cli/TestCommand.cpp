#include "cli/TestCommand.h"

#include "cli/Duration.h"
#include "cli/TestSession.h"
#include "loop/StopSignals.h"
#include "report/HtmlReport.h"
#include "report/JUnitXml.h"
#include "report/ReportFile.h"
#include "station/ScenarioError.h"
#include "station/ScenarioReader.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

namespace cli {

TestCommand::TestCommand(CLI::App& program)
    : Subcommand(program, "test", "Judge the controller under test by a scenario's expectations")
{
    command_->add_option("FILE", files_, "Scenarios (TOML) with [[expect]] tables, run in turn")
        ->required()
        ->type_name("FILE");
    AddCommonOptions(*command_, common_);
    // A controller judges in real time: nothing is only printed, and the
    // scenario's duration bounds the run.
    command_->remove_option(command_->get_option("--dry-run"));
    command_->remove_option(command_->get_option("--count"));
    command_->get_option("--interface")
        ->description("Send and hear on this interface only and take its IPv4 address for "
                      "address = \"auto\". Binding to a device needs CAP_NET_RAW on Linux "
                      "before 5.7");
    command_->get_option("--json")->description(
        "One JSON object per verdict (file, expectation, outcome, mode, condition, decided, "
        "evidence) and per scenario (file, summary)");
    AddDurationOption(*command_, seconds_,
                      "Run each scenario at most this long (default: its `duration`, else 300 s)");
    command_
        ->add_option("--capture", capturePath_,
                     "Append every datagram sent and heard to FILE in the monitor's capture format "
                     "(a sent one with source_port 0)")
        ->type_name("FILE");
    command_
        ->add_option("--junit", junitPath_,
                     "Write the verdicts to FILE as JUnit XML, as CI "
                     "systems read it: a testsuite per scenario")
        ->type_name("FILE");
    command_
        ->add_option("--report", reportPath_,
                     "Write one self-contained HTML page to FILE: the verdicts and a chart per "
                     "expectation")
        ->type_name("FILE");
    command_->footer(
        "The controller's CCMs are heard on UDP 16520. A verdict is printed as soon as it is "
        "reached: PASS or FAIL with the datagram that decided it, or why none did; a scenario "
        "ends when every expectation is decided. SIGINT and SIGTERM end the run with the "
        "verdicts so far, the rest undecided. Exit status: 0 all passed, 1 any failed or "
        "undecided (or a datagram or the capture could not be written), 2 bad usage or a bad "
        "scenario (refused before anything is sent).");
}

void TestCommand::check()
{
    for (const std::string& file : files_) {
        station::Scenario scenario = station::ReadScenario(file);
        if (scenario.expectations.empty())
            throw station::ScenarioError(file, "has no [[expect]]: nothing to judge");
        scenarios_.emplace_back(file, std::move(scenario));
    }
}

double TestCommand::durationOf(const station::Scenario& scenario) const
{
    const double own = scenario.duration.value_or(station::kDefaultTestSeconds);
    return seconds_ > 0 ? std::min(own, static_cast<double>(seconds_)) : own;
}

int TestCommand::run()
{
    TestSession session(
        common_, std::move(scenarios_),
        [this](const station::Scenario& scenario) { return durationOf(scenario); }, results_);
    if (!session.open(capturePath_))
        return 2;
    loop::StopSignals stopSignals;
    QObject::connect(&stopSignals, &loop::StopSignals::received, [&session] { session.stop(); });
    session.start();
    const int status = QCoreApplication::exec();
    return std::max(status, writeReports());
}

int TestCommand::writeReports() const
{
    int status = 0;
    const auto write = [&](const std::string& path, const std::string& contents) {
        if (path.empty())
            return;
        const std::string error = report::WriteReportFile(path, contents);
        if (!error.empty()) {
            std::fprintf(stderr, "setarome-cli: test: %s\n", error.c_str());
            status = 1;
        }
    };
    write(junitPath_, report::JUnitXml(results_));
    write(reportPath_, report::HtmlReport(results_));
    return status;
}

} // namespace cli
