#pragma once

#include <chrono>
#include <string>

namespace report {

// `value` with exactly `decimals` decimals, "." whatever the locale; a value
// that is not finite is written as 0 so no report carries "nan".
std::string Fixed(double value, int decimals);

// Like Fixed, without the trailing zeros and a trailing point: "12.5", "20".
std::string Short(double value, int decimals);

// The moment in UTC as ISO 8601 without a zone: "2026-12-09T09:30:00", as
// Ant's JUnit task writes its timestamps.
std::string UtcTimestamp(std::chrono::system_clock::time_point when);

} // namespace report
