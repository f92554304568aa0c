#include "cli/TestSession.h"

#include "capture/CaptureRecord.h"
#include "cli/OutputText.h"
#include "cli/SystemErrorText.h"
#include "runtime/Exception.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

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

TestSession::TestSession(const CommonOptions& common, Scenarios scenarios, Duration duration,
                         std::vector<report::ScenarioResult>& results)
    : common_(common), scenarios_(std::move(scenarios)), duration_(std::move(duration)),
      results_(results), output_(common.json)
{
    QObject::connect(&flush_, &QTimer::timeout, [this] { flushCapture(); });
}

bool TestSession::open(const std::string& capturePath)
{
    if (!sending_.open(common_, "test"))
        return false;
    if (!capturePath.empty())
        capture_ = std::make_unique<capture::CaptureWriter>(capture::CaptureFiles{capturePath});
    loop::ReceiverOptions options;
    options.interfaceName = common_.interfaceName;
    receiver_ = std::make_unique<loop::DatagramReceiver>(
        options, [this](const loop::ReceivedDatagram& received) { heard(received); });
    return true;
}

void TestSession::start()
{
    flush_.start(kCaptureFlushMs);
    QTimer::singleShot(0, [this] { startNext(); });
}

void TestSession::stop()
{
    stopped_ = true;
    if (current_ && !current_->ended())
        current_->stop();
}

void TestSession::heard(const loop::ReceivedDatagram& received)
{
    // An echo of our own send is in the capture and the verdicts already.
    if (current_ && current_->echo(received))
        return;
    capture(received.received, received.sourceIp, received.sourcePort, received.localPort,
            received.bytes);
    if (current_)
        current_->take(received);
}

void TestSession::send(const std::string& ip, const std::string& wire)
{
    try {
        sending_.destination()->SendToDestination(wire);
    } catch (const std::exception& e) {
        // The first in full; a dead link would repeat it every second.
        if (sendFailures_++ == 0)
            std::fprintf(stderr, "setarome-cli: test: %s: %s\n", ip.c_str(),
                         SystemErrorText(e).c_str());
        failed_ = true;
        return;
    }
    // The stimulus too, so that a replay of the capture shows the whole run.
    capture(std::chrono::system_clock::now(), ip, 0, common_.port, wire);
}

void TestSession::capture(std::chrono::system_clock::time_point when, const std::string& source,
                          std::uint16_t sourcePort, std::uint16_t port, std::string_view bytes)
{
    if (!capture_)
        return;
    capture::CaptureRecord record{capture::LocalCaptureTime(when),
                                  source,
                                  sourcePort,
                                  {},
                                  port,
                                  std::string(bytes),
                                  ccm::Decode(bytes)};
    try {
        capture_->write(capture::ToJsonLine(record));
    } catch (const runtime::Exception& e) {
        std::fprintf(stderr, "setarome-cli: test: %s\n", OneLine(e.what()).c_str());
        // The writer is of no further use; the verdicts go on.
        capture_.reset();
        failed_ = true;
    }
}

void TestSession::startNext()
{
    current_.reset();
    if (stopped_ || next_ == scenarios_.size()) {
        flushCapture();
        QCoreApplication::exit(AllPassed(results_) && !stopped_ && !failed_ ? 0 : 1);
        return;
    }
    auto& [path, scenario] = scenarios_[next_++];
    const std::string& file = path;
    const std::string address = UsesAutoAddress(scenario) ? DiscoveredAddress(common_) : "";
    const double seconds = duration_(scenario);
    try {
        current_ = std::make_unique<TestRun>(
            file, std::move(scenario), address, seconds,
            [this](const std::string& ip, const std::string& wire) { send(ip, wire); },
            [this, &file](const report::ExpectationResult& result) {
                output_.decided(file, result);
            },
            [this] { ended(); });
    } catch (const runtime::Exception& e) {
        // Copies of an "auto" node past the last address: known only now.
        std::fprintf(stderr, "setarome-cli: %s\n", e.what());
        QCoreApplication::exit(2);
        return;
    }
    current_->start();
}

void TestSession::ended()
{
    results_.push_back(current_->result());
    output_.summary(results_.back());
    // Not from inside the run that ends.
    QTimer::singleShot(0, [this] { startNext(); });
}

void TestSession::flushCapture()
{
    if (!capture_)
        return;
    try {
        capture_->flush();
    } catch (const runtime::Exception& e) {
        std::fprintf(stderr, "setarome-cli: test: %s\n", OneLine(e.what()).c_str());
        capture_.reset();
        failed_ = true;
    }
}

} // namespace cli
