#pragma once

#include "capture/CaptureRecord.h"
#include "monitor/Lint.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace monitor {

// Where a linted message came from: a line of a file (a capture's record or
// a text), a source address (a capture, the network), and when it arrived
// (a capture, the network).
struct LintOrigin {
    std::string source;
    std::string file;
    std::size_t line = 0;
    std::optional<capture::CaptureTime> time;
};

// "FILE:LINE: SOURCE: kind: code: detail" for a capture's record,
// "FILE:LINE: kind: ..." for a text, "TIME SOURCE: kind: ..." live; "-" for
// the kind of a datagram that does not decode. Escaped for a terminal.
std::string LintTextLine(const LintOrigin& origin, const LintResult& result,
                         const LintFinding& finding);

// The same as one JSON object on one line: time, file and line, source, each
// when known; kind (null when it does not decode), code, detail.
std::string LintJsonLine(const LintOrigin& origin, const LintResult& result,
                         const LintFinding& finding);

// Messages read, messages with findings and findings, for the closing line.
struct LintTally {
    std::uint64_t messages = 0;
    std::uint64_t flagged = 0;
    std::uint64_t findings = 0;
    // Capture lines that could not be read.
    std::uint64_t refusedLines = 0;

    void add(const LintResult& result);
};

// "12 messages, 3 with findings (5 findings)", and the refused lines if any.
std::string LintSummary(const LintTally& tally);

} // namespace monitor
