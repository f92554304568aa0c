#pragma once

#include "node/TimerService.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace node {

// The node's Timer1. It runs while it is enabled with a nonzero interval and a
// handler; tick k comes k intervals after it was (re)started, whatever the
// lateness of earlier ticks, and ticks missed while the thread was busy are
// merged into one.
class TTimer {
public:
    using Handler = std::function<void()>;

    explicit TTimer(TimerService& service);
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const { return enabled_; }
    // Enabling an enabled timer changes nothing. Throws
    // runtime::EOutOfResources when the system cannot give a timer; the timer
    // then counts as enabled but never ticks.
    void SetEnabled(bool enabled);

    // Milliseconds; 1000 until set. A new interval restarts a running timer
    // from now, and can fail like SetEnabled.
    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t milliseconds);

    void SetOnTimer(Handler handler);

private:
    void Restart();
    void Arm();
    void Fire();

    TimerService& service_;
    bool enabled_ = false;
    std::uint32_t interval_ = 1000;
    Handler onTimer_;
    // Whether the system timer exists.
    bool running_ = false;
    std::chrono::steady_clock::time_point start_;
    // Index of the armed tick, counted in intervals from start_.
    std::int64_t due_ = 1;
};

} // namespace node
