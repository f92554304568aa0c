#pragma once

#include "node/NodePanel.h"

#include <string>

namespace node {

inline constexpr int kMaxLogLines = 15;

// Appends a line to the panel's log and drops the oldest beyond 15. Every
// line goes through here, not only the tick's: stop lines alone (a start
// pressed again and again on a missing file) would otherwise grow the log
// without bound. After a completed tick the log holds the same last 15 lines
// as when it was trimmed once at the tick's end.
void AppendLog(NodePanel& panel, const std::string& line);

} // namespace node
