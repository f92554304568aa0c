#include "cli/TestRun.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace cli {

namespace {

// How often the clock is read for windows that close without a datagram.
constexpr int kTickMs = 100;
// A datagram taken in by the kernel just before a window closed may be read
// a little after: the clock is judged this far behind to wait for it.
constexpr double kReadLagSeconds = 0.25;

} // namespace

TestRun::TestRun(std::string file, station::Scenario scenario, const std::string& autoAddress,
                 double seconds, Send send, Decided decided, Ended ended)
    : scenario_(std::move(scenario)), seconds_(seconds), send_(std::move(send)),
      ended_callback_(std::move(ended)), judge_(scenario_, std::move(decided)),
      station_(scenario_, autoAddress, 1)
{
    result_.file = file;
    const std::size_t slash = file.rfind('/');
    result_.name =
        scenario_.name.value_or(slash == std::string::npos ? file : file.substr(slash + 1));
    clock_.setInterval(kTickMs);
    QObject::connect(&clock_, &QTimer::timeout, [this] { tick(); });
}

void TestRun::start()
{
    start_ = Clock::now();
    result_.started = std::chrono::system_clock::now();
    // The station sends whole seconds; the judge ends the run at `seconds_`.
    const auto sendSeconds = static_cast<std::int64_t>(std::ceil(seconds_));
    runner_.emplace(
        station_, timers_,
        [this](const station::Outgoing& outgoing) {
            judge_.stimulus(outgoing.ccm, outgoing.value, secondsAt(Clock::now()));
            send_(outgoing);
        },
        sendSeconds, [](bool) {});
    runner_->start();
    clock_.start();
}

double TestRun::secondsAt(Clock::time_point when) const
{
    return std::chrono::duration<double>(when - start_).count();
}

void TestRun::take(const loop::ReceivedDatagram& received)
{
    if (ended_)
        return;
    // A datagram queued before the run began belongs to none of its windows.
    const double at = std::max(0.0, secondsAt(received.arrived));
    judge_.take(received.bytes, received.sourceIp, received.sourcePort, at);
    if (judge_.allDecided())
        end(at, true);
}

void TestRun::tick()
{
    const double now = secondsAt(Clock::now());
    if (now - kReadLagSeconds >= seconds_) {
        end(seconds_, true);
        return;
    }
    judge_.advance(now - kReadLagSeconds);
    if (judge_.allDecided())
        end(now - kReadLagSeconds, true);
}

void TestRun::stop()
{
    end(secondsAt(Clock::now()), false);
}

void TestRun::end(double at, bool finished)
{
    if (std::exchange(ended_, true))
        return;
    clock_.stop();
    if (runner_)
        runner_->stop();
    if (finished)
        judge_.finish(at);
    else
        judge_.stop(at);
    result_.durationSeconds = at;
    result_.expectations = judge_.results();
    ended_callback_();
}

} // namespace cli
