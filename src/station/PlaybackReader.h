#pragma once

#include "station/Scenario.h"

#include <string>
#include <vector>

namespace station {

// Reads a played file whole, before anything is sent. `timed` false: the rain
// node's form, one number per line, one line per send. `timed` true: CSV
// lines "seconds,value" in order of time, an optional header line first.
// Throws ScenarioError with the file's own line and column, or with the file
// alone when it cannot be read or holds no row.
std::vector<PlaybackRow> ReadPlayback(const std::string& path, bool timed);

} // namespace station
