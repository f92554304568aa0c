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
//
// A capture played again (a round) starts one mean gap of the last round
// (its span over its gaps) after that round's latest datagram: a round then
// lasts as many mean gaps as it has datagrams, and a steady stream stays
// steady across the seam. A capture of one datagram has no gap to keep.
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
    // The records asked about from now on are the capture's again.
    void nextRound();

private:
    double speed_;
    std::optional<capture::CaptureTime> first_;
    // This round's start after the first round's, in capture time.
    std::chrono::microseconds roundStart_{0};
    // The latest record of this round after its start, and its records.
    std::chrono::microseconds span_{0};
    std::size_t records_ = 0;
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
    // Starts the capture again for another round; false when it cannot be
    // (said by whoever reads it), which ends the replay.
    using Rewind = std::function<bool()>;

    // At most this many sends per wake-up, so that a stop signal is heard
    // during a replay as fast as possible.
    static constexpr std::size_t kBatch = 256;

    // `rounds` plays of the capture, `rewind` between them.
    Replay(Next next, double speed, node::TimerService& timers, Send send, Finished finished,
           std::size_t rounds = 1, Rewind rewind = nullptr);

    void start();
    // Also from inside `send`: nothing more is sent.
    void stop();
    std::size_t sent() const { return sent_; }
    // The round playing, from 1.
    std::size_t round() const { return round_; }

private:
    void fire();
    // The next record into pending_, with its time in due_.
    void takeNext();
    // The next record, from the next round once this one has run out.
    std::optional<capture::CaptureRecord> nextRecord();

    Next next_;
    ReplaySchedule schedule_;
    node::TimerService& timers_;
    Send send_;
    Finished finished_;
    std::size_t rounds_;
    Rewind rewind_;
    std::size_t round_ = 1;
    std::size_t sentBeforeRound_ = 0;
    std::chrono::steady_clock::time_point start_;
    // The record that falls due next, read ahead of its time.
    std::optional<capture::CaptureRecord> pending_;
    std::chrono::steady_clock::time_point due_;
    std::size_t sent_ = 0;
    bool stopped_ = false;
};

} // namespace monitor
