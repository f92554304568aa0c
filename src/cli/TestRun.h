#pragma once

#include "ccm/Cp932Encoder.h"
#include "judge/Judge.h"
#include "loop/DatagramReceiver.h"
#include "loop/PreciseTimerService.h"
#include "report/RunResult.h"
#include "station/Runner.h"
#include "station/Scenario.h"
#include "station/Station.h"

#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace cli {

// One scenario under test: its station sends the stimulus while the judge
// takes every datagram the test's receiver hears, until every expectation
// is decided or the duration is up. Runs on the Qt Core event loop.
class TestRun {
public:
    using Clock = std::chrono::steady_clock;
    // Sends the datagram's bytes (Shift-JIS) for the node at `ip`.
    using Send = std::function<void(const std::string& ip, const std::string& wire)>;
    // Called once as each expectation is decided, and when the run ends.
    using Decided = std::function<void(const report::ExpectationResult&)>;
    using Ended = std::function<void()>;

    TestRun(std::string file, station::Scenario scenario, const std::string& autoAddress,
            double seconds, Send send, Decided decided, Ended ended);

    void start();
    // Whether the datagram is one of this run's own sends coming back (a
    // broadcast, or --to this host): judged already when it was sent.
    bool echo(const loop::ReceivedDatagram& received);
    // A datagram the receiver heard, not an echo.
    void take(const loop::ReceivedDatagram& received);
    // Stopped by a signal: the expectations not decided stay so.
    void stop();
    bool ended() const { return ended_; }
    // Filled once the run has ended.
    const report::ScenarioResult& result() const { return result_; }

private:
    double secondsAt(Clock::time_point when) const;
    void sendOne(const station::Outgoing& outgoing);
    void tick();
    void end(double at, bool finished);

    station::Scenario scenario_;
    double seconds_;
    Send send_;
    Ended ended_callback_;
    judge::Judge judge_;
    station::Station station_;
    loop::PreciseTimerService timers_;
    std::optional<station::Runner> runner_;
    QTimer clock_;
    Clock::time_point start_;
    ccm::Cp932Encoder encoder_;
    std::string wire_;
    // This run's recent sends, by their bytes, for echo().
    std::multimap<std::string, Clock::time_point> sent_;
    report::ScenarioResult result_;
    bool ended_ = false;
};

} // namespace cli
