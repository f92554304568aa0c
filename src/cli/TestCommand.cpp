#include "cli/TestCommand.h"

#include "cli/Duration.h"
#include "cli/SendingSide.h"
#include "cli/SystemErrorText.h"
#include "cli/TestOutput.h"
#include "cli/TestRun.h"
#include "loop/DatagramReceiver.h"
#include "loop/StopSignals.h"
#include "monitor/CaptureRecord.h"
#include "monitor/CaptureWriter.h"
#include "station/ScenarioError.h"
#include "station/ScenarioReader.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace cli {

namespace {

constexpr int kCaptureFlushMs = 1000;

bool UsesAutoAddress(const station::Scenario& scenario)
{
    return std::any_of(scenario.nodes.begin(), scenario.nodes.end(),
                       [](const station::NodeSettings& node) { return node.address == "auto"; });
}

bool AllPassed(const std::vector<report::ScenarioResult>& results)
{
    return std::all_of(results.begin(), results.end(), [](const report::ScenarioResult& scenario) {
        return std::all_of(scenario.expectations.begin(), scenario.expectations.end(),
                           [](const report::ExpectationResult& result) {
                               return result.outcome == report::Outcome::Pass;
                           });
    });
}

} // namespace

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
    command_->get_option("--json")->description(
        "One JSON object per verdict (file, expectation, outcome, mode, condition, decided, "
        "evidence) and per scenario (file, summary)");
    AddDurationOption(*command_, seconds_,
                      "Run each scenario at most this long (default: its `duration`, else 300 s)");
    command_
        ->add_option("--capture", capturePath_,
                     "Append every datagram heard to FILE in the monitor's capture format")
        ->type_name("FILE");
    command_->footer(
        "The controller's CCMs are heard on UDP 16520. A verdict is printed as soon as it is "
        "reached: PASS or FAIL with the datagram that decided it, or why none did; a scenario "
        "ends when every expectation is decided. SIGINT and SIGTERM end the run with the "
        "verdicts so far, the rest undecided. Exit status: 0 all passed, 1 any failed or "
        "undecided, 2 bad usage or a bad scenario (refused before anything is sent).");
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
    SendingSide sending;
    if (!sending.open(common_, "test"))
        return 2;
    std::unique_ptr<monitor::CaptureWriter> capture;
    if (!capturePath_.empty())
        capture = std::make_unique<monitor::CaptureWriter>(monitor::CaptureFiles{capturePath_});
    TestOutput output(common_.json);
    std::int64_t sendFailures = 0;
    const auto send = [&](const std::string& ip, const std::string& wire) {
        try {
            sending.destination()->SendToDestination(wire);
        } catch (const std::exception& e) {
            // The first in full; a dead link would repeat it every second.
            if (sendFailures++ == 0)
                std::fprintf(stderr, "setarome-cli: test: %s: %s\n", ip.c_str(),
                             SystemErrorText(e).c_str());
        }
    };
    std::unique_ptr<TestRun> current;
    const auto heard = [&](const loop::ReceivedDatagram& received) {
        if (capture) {
            monitor::CaptureRecord record{monitor::LocalCaptureTime(received.received),
                                          received.sourceIp,
                                          received.sourcePort,
                                          received.localPort,
                                          std::string(received.bytes),
                                          ccm::Decode(received.bytes)};
            capture->write(monitor::ToJsonLine(record));
        }
        if (current)
            current->take(received);
    };
    loop::ReceiverOptions options;
    options.interfaceName = common_.interfaceName;
    loop::DatagramReceiver receiver(options, heard);
    std::size_t next = 0;
    bool stopped = false;
    std::function<void()> startNext = [&] {
        current.reset();
        if (stopped || next == scenarios_.size()) {
            QCoreApplication::exit(AllPassed(results_) && !stopped && sendFailures == 0 ? 0 : 1);
            return;
        }
        auto& [file, scenario] = scenarios_[next++];
        const std::string address = UsesAutoAddress(scenario) ? DiscoveredAddress(common_) : "";
        const std::string& name = file;
        const double seconds = durationOf(scenario);
        current = std::make_unique<TestRun>(
            file, std::move(scenario), address, seconds, send,
            [&output, &name](const report::ExpectationResult& result) {
                output.decided(name, result);
            },
            [&] {
                results_.push_back(current->result());
                output.summary(results_.back());
                // Not from inside the run that ends.
                QTimer::singleShot(0, startNext);
            });
        current->start();
    };
    QTimer flush;
    QObject::connect(&flush, &QTimer::timeout, [&] {
        if (capture)
            capture->flush();
    });
    flush.start(kCaptureFlushMs);
    loop::StopSignals stopSignals;
    QObject::connect(&stopSignals, &loop::StopSignals::received, [&] {
        stopped = true;
        if (current && !current->ended())
            current->stop();
    });
    QTimer::singleShot(0, startNext);
    const int status = QCoreApplication::exec();
    if (capture)
        capture->flush();
    return status;
}

} // namespace cli
