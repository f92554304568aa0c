#include "cli/StationCommand.h"

#include "ccm/Cp932Encoder.h"
#include "cli/Duration.h"
#include "cli/OptionChecks.h"
#include "cli/OutputText.h"
#include "cli/PendingSends.h"
#include "cli/SendingSide.h"
#include "cli/StandardOutput.h"
#include "cli/StationOutput.h"
#include "cli/SystemErrorText.h"
#include "discovery/ScanListener.h"
#include "loop/DestinationSender.h"
#include "loop/NetworkInterface.h"
#include "loop/PreciseTimerService.h"
#include "loop/StopSignals.h"
#include "runtime/Exception.h"
#include "station/Runner.h"
#include "station/ScanAnswers.h"
#include "station/ScenarioReader.h"
#include "station/Station.h"
#include "transport/EIdException.h"

#include <QCoreApplication>
#include <QTimer>
#include <systemd/sd-daemon.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

namespace cli {

namespace {

bool UsesAutoAddress(const station::Scenario& scenario)
{
    return std::any_of(scenario.nodes.begin(), scenario.nodes.end(),
                       [](const station::NodeSettings& node) { return node.address == "auto"; });
}

} // namespace

StationCommand::StationCommand(CLI::App& program)
    : Subcommand(program, "station", "Run the nodes of a scenario file")
{
    command_->add_option("FILE", file_, "The scenario (TOML)")->required()->type_name("FILE");
    AddCommonOptions(*command_, common_);
    // The common options, as they apply to a station.
    command_->get_option("--count")->description("Stop after N seconds of sends");
    command_->get_option("--interface")
        ->description("Send out of this interface only and take its IPv4 address for "
                      "address = \"auto\". Binding to a device needs CAP_NET_RAW on Linux "
                      "before 5.7");
    command_->get_option("--json")->description(
        "One JSON object per datagram (time, ip, type, value, unit, message, sent or error)");
    AddDurationOption(*command_, seconds_, "Stop after this long: 90, 90s, 15m, 1h30m or 1d");
    command_
        ->add_option("--speed", speed_,
                     "Run generator time this many times faster than the clock; sends keep "
                     "their levels' intervals")
        ->check(DecimalIn(0.001, 100000))
        ->type_name(DecimalRange(0.001, 100000))
        ->capture_default_str();
    constexpr auto kLargest =
        static_cast<std::int64_t>(discovery::ScanResponder::kLargestReplyBound);
    command_
        ->add_option("--scan-reply-bytes", scanReplyBytes_,
                     "The most one scan request draws in replies; raise it on a bench network "
                     "of its own to have a station of more than about 55 nodes listed whole")
        ->check(IntegerIn(1024, kLargest))
        ->type_name("1024.." + std::to_string(kLargest))
        ->capture_default_str();
    command_->footer(
        "Each CCM is sent at its level's times; every node also sends \"cnd\" each second "
        "unless its scenario says condition = false, and answers NODESCAN and CCMSCAN on UDP "
        "16529 and SEARCH on 16521 unless it says answer_scans = false (requesters on a "
        "directly connected network only; the ports shared with this user's programs only). "
        "With --dry-run each "
        "datagram is written to standard output and nothing is answered; --json writes one "
        "object per datagram. SIGINT, SIGTERM and SIGHUP stop at once with exit status 0, a "
        "closed standard output too; one that cannot be written exits with 1. A scenario "
        "with an error is refused before anything is sent, as FILE:LINE:COLUMN: what, with exit "
        "status 2; a run that ends by itself exits with 1 if a datagram could not be sent.");
}

void StationCommand::check()
{
    if (common_.count > 0)
        seconds_ = seconds_ > 0 ? std::min<std::int64_t>(seconds_, common_.count) : common_.count;
    const std::string& name = common_.interfaceName;
    scenario_ = station::ReadScenario(file_);
    if (!name.empty() && UsesAutoAddress(*scenario_) && !loop::InterfaceAddress(name))
        throw CLI::ValidationError("--interface", name + " has no IPv4 address for \"auto\"");
}

std::unique_ptr<discovery::ScanListener>
StationCommand::listen(const station::Station& station) const
{
    if (common_.dryRun)
        return nullptr;
    std::vector<discovery::AnsweringNode> nodes = station::ScanAnswers(station);
    if (nodes.empty())
        return nullptr;
    // The sends matter more than the answers: a port held by a program that
    // does not share it costs the answers only.
    try {
        return std::make_unique<discovery::ScanListener>(std::move(nodes), common_.interfaceName,
                                                         static_cast<std::size_t>(scanReplyBytes_));
    } catch (const transport::EIdException& e) {
        std::fprintf(stderr, "setarome-cli: station: scans go unanswered: %s\n",
                     SystemErrorText(e).c_str());
        return nullptr;
    }
}

std::string StationCommand::autoAddress() const
{
    if (!UsesAutoAddress(*scenario_))
        return {};
    return DiscoveredAddress(common_);
}

int StationCommand::run()
{
    SendingSide sending;
    if (!sending.open(common_, "station"))
        return 2;
    const std::string address = autoAddress();
    std::optional<station::Station> station;
    try {
        station.emplace(std::move(*scenario_), address, speed_);
    } catch (const runtime::Exception& e) {
        // The message starts with the scenario's FILE:LINE:COLUMN.
        std::fprintf(stderr, "setarome-cli: %s\n", e.what());
        return 2;
    }
    std::unique_ptr<discovery::ScanListener> listener = listen(*station);
    StationOutput output(common_.json);
    ccm::Cp932Encoder encoder;
    std::string wire;
    std::optional<station::Runner> runner;
    bool outputFailed = false;
    bool ended = false;
    const auto end = [&](int status) {
        // A signal may arrive in the wake-up that ends the run.
        if (std::exchange(ended, true))
            return;
        output.finish();
        sd_notify(0, "STOPPING=1");
        QCoreApplication::exit(status);
    };
    // A closed or failed standard output ends the run (see main), once the
    // wake-up has ended.
    const auto checkOutput = [&] {
        if (outputFailed || StandardOutputError() == 0)
            return;
        outputFailed = true;
        QTimer::singleShot(0, [&] {
            runner->stop();
            end(0);
        });
    };
    PendingSends pending;
    loop::DestinationSender* destination = sending.destination();
    const auto send = [&](const station::Outgoing& outgoing) {
        if (outputFailed)
            return;
        encoder.encode(outgoing.message, wire);
        if (destination != nullptr) {
            pending.add(*destination, outgoing, wire);
        } else {
            output.notSent(outgoing, wire);
            checkOutput();
        }
    };
    // The datagrams due in one wake-up leave together, then are told.
    const auto wakeEnd = [&] {
        if (destination == nullptr || outputFailed)
            return;
        pending.send(*destination, output);
        checkOutput();
    };
    std::optional<loop::PreciseTimerService> timers;
    try {
        timers.emplace();
    } catch (const runtime::Exception& e) {
        std::fprintf(stderr, "setarome-cli: station: %s\n", e.what());
        return 1;
    }
    runner.emplace(
        *station, *timers, send, seconds_,
        [&](bool completed) {
            if (!completed)
                std::fprintf(stderr, "setarome-cli: station: the system gives no timer\n");
            end(completed && output.failures() == 0 ? 0 : 1);
        },
        [&output](std::int64_t sends, station::Runner::Clock::duration late) {
            output.skipped(sends, late);
        });
    runner->setWakeEnd(wakeEnd);
    loop::StopSignals stopSignals;
    QObject::connect(&stopSignals, &loop::StopSignals::received, [&] {
        runner->stop();
        end(0);
    });
    sd_notify(0, "READY=1");
    // Inside the loop, so that a run of one second can end it.
    QTimer::singleShot(0, [&runner] { runner->start(); });
    return QCoreApplication::exec();
}

} // namespace cli
