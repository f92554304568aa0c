#include "cli/TestRun.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace cli {

namespace {

// How often the clock is read for windows that close without a datagram.
constexpr int kTickMs = 100;
// A datagram taken in by the kernel just before a window closed may be read
// a little after: the clock is judged this far behind to wait for it.
constexpr double kReadLagSeconds = 0.25;
// How long a sent datagram may take to come back as an echo.
constexpr std::chrono::seconds kEchoWindow{2};

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
    // The actuators follow the commands receivers would take.
    judge_.onCounted([this](const ccm::DataContent& data, double value, double seconds) {
        station_.command(data.type, data.room, data.region, data.order, value, seconds);
    });
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
        station_, timers_, [this](const station::Outgoing& outgoing) { sendOne(outgoing); },
        sendSeconds, [](bool) {});
    runner_->start();
    clock_.start();
}

double TestRun::secondsAt(Clock::time_point when) const
{
    return std::chrono::duration<double>(when - start_).count();
}

void TestRun::sendOne(const station::Outgoing& outgoing)
{
    const Clock::time_point now = Clock::now();
    encoder_.encode(outgoing.message, wire_);
    send_(outgoing.ip, wire_);
    // The station's own CCMs (an actuator's state) are judged as sent, since
    // a unicast to the controller never comes back to the receiver.
    judge_.stimulus(outgoing.ccm, outgoing.value, secondsAt(now));
    judge_.take(wire_, outgoing.ip, 0, secondsAt(now));
    for (auto at = sent_.begin(); at != sent_.end();)
        at = now - at->second > kEchoWindow ? sent_.erase(at) : std::next(at);
    sent_.emplace(wire_, now);
}

bool TestRun::echo(const loop::ReceivedDatagram& received)
{
    const auto range = sent_.equal_range(std::string(received.bytes));
    if (range.first == range.second)
        return false;
    sent_.erase(range.first);
    return true;
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
    // The time the run took, which the clock's lag must not shorten.
    result_.durationSeconds = std::min(seconds_, secondsAt(Clock::now()));
    result_.expectations = judge_.results();
    ended_callback_();
}

} // namespace cli
