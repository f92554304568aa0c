#pragma once

#include "monitor/KeyTable.h"

#include <chrono>

namespace monitor_test {

// The monitor tests' first moment: far from the clock's zero, so that times
// before it are valid too.
inline const monitor::Clock::time_point kStart =
    monitor::Clock::time_point(std::chrono::hours(500000));

} // namespace monitor_test
