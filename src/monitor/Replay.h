#pragma once

#include "capture/CaptureRecord.h"
#include "node/TimerService.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>

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
    explicit ReplaySchedule(double speed);

    // The offset of a record received at `time`, the first one asked about
    // being the origin. A record received before the first (a clock stepped
    // back) is due at once.
    std::chrono::steady_clock::duration offset(const capture::CaptureTime& time);

private:
    double speed_;
    std::optional<capture::CaptureTime> first_;
};

// Plays a capture on a timer service: each datagram handed to `send` at its
// time, in the capture's order. The records are pulled one at a time as they
// fall due, so a capture of any size is played from a stream.
class Replay {
public:
    // The next record of the capture; nothing after the last.
    using Next = std::function<std::optional<capture::CaptureRecord>()>;
    using Send = std::function<void(const capture::CaptureRecord& record)>;
    // `completed` after the last datagram; false when the system gave no timer.
    using Finished = std::function<void(bool completed)>;

    // At most this many sends per wake-up, so that a stop signal is heard
    // during a replay as fast as possible.
    static constexpr std::size_t kBatch = 256;

    Replay(Next next, double speed, node::TimerService& timers, Send send, Finished finished);

    void start();
    // Also from inside `send`: nothing more is sent.
    void stop();
    std::size_t sent() const { return sent_; }

private:
    void fire();
    std::chrono::steady_clock::time_point due();

    Next next_;
    ReplaySchedule schedule_;
    node::TimerService& timers_;
    Send send_;
    Finished finished_;
    std::chrono::steady_clock::time_point start_;
    // The record that falls due next, read ahead of its time.
    std::optional<capture::CaptureRecord> pending_;
    std::size_t sent_ = 0;
    bool stopped_ = false;
};

} // namespace monitor
