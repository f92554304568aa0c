#pragma once

#include "station/Scenario.h"

#include <toml++/toml.h>

#include <string>

namespace station {

// Bound of every value a scenario gives: values go into messages as text.
inline constexpr double kLargestValue = 1e9;

// A generator table: `kind` and that kind's keys. A played file's path is
// taken from `baseDir` when relative. Throws ScenarioError.
GeneratorSettings ReadGenerator(const toml::table& table, const std::string& file,
                                const std::string& baseDir);

} // namespace station
