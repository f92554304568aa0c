#pragma once

#include "node/TimerService.h"

#include <chrono>
#include <functional>

namespace monitor {

// A timer service of finer grain over one of millisecond grain (Qt's, which
// also rounds each wait up to the next millisecond): the inner wake-up is
// armed `lead` early and the rest is slept, so captured gaps are kept to well
// under a millisecond. The sleep blocks the loop for at most `lead` per
// wake-up.
class ReplayTimer : public node::TimerService {
public:
    explicit ReplayTimer(node::TimerService& inner,
                         std::chrono::microseconds lead = std::chrono::milliseconds(2));

    std::chrono::steady_clock::time_point now() const override { return inner_.now(); }
    bool arm(std::chrono::steady_clock::time_point deadline, std::function<void()> fire) override;
    void disarm() override { inner_.disarm(); }

private:
    node::TimerService& inner_;
    std::chrono::microseconds lead_;
};

} // namespace monitor
