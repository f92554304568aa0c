#pragma once

#include "report/RunResult.h"

#include <cstddef>
#include <string>

namespace reporttest {

// Runs as the judge would fill them, for the report tests and the README's
// picture. Times are seconds from the start of the run.

// "vents close on rain": the vent closes in time and stays closed.
report::ScenarioResult PassingRun();

// The same scenario against a controller that closes the vent and opens it
// again too soon (FAIL on that datagram), a heater command whose `holds`
// span the end of the run cuts short (UNDECIDED), and an expectation no
// datagram ever matched (FAIL, "nothing matching arrived").
report::ScenarioResult FailingRun();

// One expectation whose watched series has `points` values.
report::ScenarioResult HugeRun(std::size_t points);

// Names, labels, sources and datagrams holding what a peer or a scenario
// could put there: control characters, bytes that are not UTF-8, "]]>",
// quotes, markup, bidirectional overrides, a noncharacter.
report::ScenarioResult HostileRun();
inline const std::string kHostile =
    "\x1b[31m<script>alert(\"x\")</script>]]>&amp;'\xe2\x80\xae\xff\xef\xbf\xbe\x01 降雨";

// A datagram as the vent's state node sends it.
std::string VentDatagram(int value);

} // namespace reporttest
