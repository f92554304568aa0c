#pragma once

#include "report/RunResult.h"

#include <string>
#include <vector>

namespace report {

// The run as JUnit XML, the form CI servers read: one <testsuite> per
// scenario file, one <testcase> per expectation (its time: seconds from the
// start of the run to its verdict). A FAIL carries <failure>, an UNDECIDED
// verdict <error type="undecided">: the run could not show whether the
// expectation holds, which every reader counts as not passing yet keeps apart
// from a proven failure (<skipped> would let a CI job pass over it). The
// evidence is in the element's message and text; a PASS tells its evidence in
// <system-out>.
std::string JUnitXml(const std::vector<ScenarioResult>& results);

} // namespace report
