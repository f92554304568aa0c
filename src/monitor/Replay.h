#pragma once

#include "monitor/CaptureRecord.h"
#include "node/TimerService.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

namespace monitor {

// When each datagram of a capture goes out again, relative to the start:
// its receive time after the first record's, divided by the speed. Every
// deadline is computed from the start, never from the last send, so late
// wake-ups do not add up to drift.
class ReplaySchedule {
public:
    static constexpr double kMinSpeed = 0.001;
    static constexpr double kMaxSpeed = 1000;

    // `speed` 0: as fast as possible, every datagram due at the start.
    ReplaySchedule(const std::vector<CaptureRecord>& records, double speed);

    // A record received before the first (a clock stepped back) is due at once.
    std::chrono::steady_clock::duration offset(std::size_t index) const;

private:
    const std::vector<CaptureRecord>& records_;
    double speed_;
};

// Plays a capture on a timer service: each datagram handed to `send` at its
// time, in the capture's order.
class Replay {
public:
    using Send = std::function<void(const CaptureRecord& record)>;
    // `completed` after the last datagram; false when the system gave no timer.
    using Finished = std::function<void(bool completed)>;

    // At most this many sends per wake-up, so that a stop signal is heard
    // during a replay as fast as possible.
    static constexpr std::size_t kBatch = 256;

    Replay(const std::vector<CaptureRecord>& records, double speed, node::TimerService& timers,
           Send send, Finished finished);

    void start();
    void stop();
    std::size_t sent() const { return next_; }

private:
    void fire();

    const std::vector<CaptureRecord>& records_;
    ReplaySchedule schedule_;
    node::TimerService& timers_;
    Send send_;
    Finished finished_;
    std::chrono::steady_clock::time_point start_;
    std::size_t next_ = 0;
};

} // namespace monitor
