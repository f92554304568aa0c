#pragma once

#include "report/RunResult.h"

#include <string>
#include <vector>

namespace report {

// The run as one self-contained HTML page, to open offline or send by mail:
// per scenario its verdict table, then per expectation its verdict, evidence
// and chart (inline SVG). No script, no link to anything outside the file; the
// styles are inline and the fonts the reader's own (Japanese ones first). It
// is also well-formed XML (XHTML5), so XML tools read it as they are.
std::string HtmlReport(const std::vector<ScenarioResult>& results);

} // namespace report
