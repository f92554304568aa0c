#include "monitor/LintOutput.h"

#include "monitor/JsonObject.h"
#include "monitor/TerminalText.h"

namespace monitor {

namespace {

std::string Where(const LintOrigin& origin)
{
    std::string where;
    if (!origin.file.empty())
        where = origin.file + ':' + std::to_string(origin.line);
    else if (origin.time)
        where = capture::FormatCaptureTime(*origin.time);
    if (!origin.source.empty() && !where.empty())
        where += origin.file.empty() ? " " : ": ";
    return where + origin.source;
}

std::string Counted(std::uint64_t count, const char* one, const char* many)
{
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

} // namespace

std::string LintTextLine(const LintOrigin& origin, const LintResult& result,
                         const LintFinding& finding)
{
    const std::string kind = result.kind.empty() ? "-" : result.kind;
    return Escaped(Where(origin) + ": " + kind + ": " + finding.code + ": " + finding.detail);
}

std::string LintJsonLine(const LintOrigin& origin, const LintResult& result,
                         const LintFinding& finding)
{
    std::string line;
    {
        JsonObject object(line);
        if (origin.time)
            object.string("time", capture::FormatCaptureTime(*origin.time));
        if (!origin.file.empty()) {
            object.string("file", origin.file);
            object.integer("line", static_cast<std::int64_t>(origin.line));
        }
        if (!origin.source.empty())
            object.string("source", origin.source);
        if (result.kind.empty())
            object.null("kind");
        else
            object.string("kind", result.kind);
        object.string("code", finding.code);
        object.string("detail", finding.detail);
    }
    return line;
}

void LintTally::add(const LintResult& result)
{
    ++messages;
    findings += result.findings.size();
    if (!result.findings.empty())
        ++flagged;
}

std::string LintSummary(const LintTally& tally)
{
    std::string summary = Counted(tally.messages, "message", "messages") + ", " +
                          std::to_string(tally.flagged) + " with findings (" +
                          Counted(tally.findings, "finding", "findings") + ")";
    if (tally.refusedLines > 0)
        summary += ", " + Counted(tally.refusedLines, "line", "lines") + " not read";
    return summary;
}

} // namespace monitor
