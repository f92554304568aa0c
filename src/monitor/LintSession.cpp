#include "monitor/LintSession.h"

#include "monitor/TerminalText.h"

#include <utility>

namespace monitor {

namespace {

void Write(std::FILE* out, const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

} // namespace

LintSession::LintSession(LintAnnouncements announcements, bool json, std::FILE* out,
                         std::FILE* errors, ccm::ReceiverProfile receiver)
    : linter_(std::move(announcements), receiver), json_(json), out_(out), errors_(errors)
{
}

void LintSession::message(const LintOrigin& origin, std::string_view bytes)
{
    const LintResult result =
        linter_.check(origin.source, bytes, encodings_.decode(origin.source, bytes));
    tally_.add(result);
    for (const LintFinding& finding : result.findings)
        Write(out_, json_ ? LintJsonLine(origin, result, finding)
                          : LintTextLine(origin, result, finding));
}

void LintSession::refused(const std::string& what)
{
    ++tally_.refusedLines;
    Write(errors_, "setarome-cli: lint: " + Escaped(what));
}

void LintSession::unreadable(const std::string& what)
{
    unreadable_ = true;
    Write(errors_, "setarome-cli: lint: " + Escaped(what));
}

void LintSession::finish()
{
    Write(errors_, "setarome-cli: lint: " + LintSummary(tally_));
}

int LintSession::exitStatus() const
{
    if (unreadable_ || tally_.refusedLines > 0)
        return 2;
    return tally_.findings > 0 ? 1 : 0;
}

} // namespace monitor
