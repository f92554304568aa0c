#pragma once

#include "node/TimerService.h"

#include <chrono>
#include <functional>

namespace monitor {

// The longest wait a replay schedules: a century, far inside what the clock's
// time points hold however long the machine has been up.
constexpr std::chrono::steady_clock::duration kLongestReplayWait =
    std::chrono::hours(24 * 366 * 100);

// A captured gap divided by the replay's speed, as a wait: at most
// kLongestReplayWait, whatever the gap, so that no gap of a capture (its
// times are the sender's clock) gives a count the wait cannot hold.
std::chrono::steady_clock::duration ScaledGap(std::chrono::microseconds gap, double speed);

// A timer service of finer grain over one of millisecond grain (Qt's, which
// also rounds each wait up to the next millisecond): the inner wake-up is
// armed `lead` early and the rest is slept, so captured gaps are kept to well
// under a millisecond. The sleep blocks the loop for at most `lead` per
// wake-up; a wake-up earlier than that arms the inner timer again.
class ReplayTimer : public node::TimerService {
public:
    using Sleep = std::function<void(std::chrono::steady_clock::duration)>;

    // `sleep` blocks the thread; a test passes one that moves its clock.
    explicit ReplayTimer(node::TimerService& inner,
                         std::chrono::microseconds lead = std::chrono::milliseconds(2),
                         Sleep sleep = nullptr);

    std::chrono::steady_clock::time_point now() const override { return inner_.now(); }
    bool arm(std::chrono::steady_clock::time_point deadline, std::function<void()> fire) override;
    void disarm() override;

private:
    bool armInner();
    void wake();

    node::TimerService& inner_;
    std::chrono::microseconds lead_;
    Sleep sleep_;
    std::chrono::steady_clock::time_point deadline_;
    std::function<void()> fire_;
};

} // namespace monitor
