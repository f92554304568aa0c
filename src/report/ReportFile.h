#pragma once

#include <string>
#include <string_view>

namespace report {

// Writes a finished report to `path` (replacing it), checking every step up
// to the close, so a full disk is reported rather than leaving half a file
// behind a success. Returns "" when written, else what went wrong:
// "report.xml: No space left on device".
std::string WriteReportFile(const std::string& path, std::string_view contents);

} // namespace report
