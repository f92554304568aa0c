#pragma once

#include "station/Scenario.h"

#include <string>

namespace station {

// Reads and checks a scenario file whole. Throws ScenarioError naming the
// file, line and column of the first fault: a TOML syntax error, an unknown
// key, a value of the wrong kind or out of range, a type too long, an unknown
// level, bad generator parameters, or an event for a CCM that does not exist.
Scenario ReadScenario(const std::string& path);

} // namespace station
