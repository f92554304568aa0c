#pragma once

#include "station/Scenario.h"

#include <toml++/toml.h>

#include <string>

namespace station {

// Reads one [[expect]] table of a scenario whose nodes and events are read
// already (`after` may name an event). Throws ScenarioError at the faulty
// value: an unknown event, no condition or two, two modes, a negative time,
// or a selector no datagram could match.
ExpectSettings ReadExpect(const toml::table& table, const Scenario& scenario,
                          const std::string& file);

} // namespace station
