#pragma once

#include "node/TimerService.h"

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

// A timer service whose clock moves only when a test moves it. Wake-ups are
// delivered `lateness` after their deadline, as a loaded system would.
class ManualTimerService : public node::TimerService {
public:
    using Clock = std::chrono::steady_clock;
    using Ms = std::chrono::milliseconds;

    Clock::time_point current = Clock::time_point{} + std::chrono::hours(1);
    std::optional<Clock::time_point> deadline;
    Ms lateness{0};
    // When set, arm() fails as a system without free timers does.
    bool refuse = false;
    int armCount = 0;

    Clock::time_point now() const override { return current; }
    bool arm(Clock::time_point at, std::function<void()> fire) override
    {
        ++armCount;
        if (refuse)
            return false;
        deadline = at;
        fire_ = std::move(fire);
        return true;
    }
    void disarm() override
    {
        deadline.reset();
        fire_ = nullptr;
    }

    // Moves the clock forward by `span`, delivering every wake-up that falls
    // due on the way.
    void advance(Ms span)
    {
        const Clock::time_point end = current + span;
        while (deadline && *deadline + lateness <= end) {
            if (current < *deadline + lateness)
                current = *deadline + lateness;
            auto fire = std::exchange(fire_, nullptr);
            deadline.reset();
            fire();
        }
        current = end;
    }
    // Time passes while the thread is busy; nothing is delivered.
    void stall(Ms span) { current += span; }

private:
    std::function<void()> fire_;
};
