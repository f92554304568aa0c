#pragma once

#include "station/Scenario.h"

#include <optional>
#include <string>

namespace judge {

// Whether a value meets a value condition (value, below, above, between).
// A value that is not a number meets none.
bool ValueMeets(const station::ExpectSettings& expect, std::optional<double> value);

// The condition as the scenario states it: "value = 0", "below 5",
// "between 10 and 20", "silent", "lint clean".
std::string ConditionText(const station::ExpectSettings& expect);

// "within", "always" or "never".
std::string ModeName(station::ExpectSettings::Mode mode);

} // namespace judge
