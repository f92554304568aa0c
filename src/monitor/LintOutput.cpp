#include "monitor/LintOutput.h"

#include "monitor/TerminalText.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace monitor {

namespace {

std::string Where(const LintOrigin& origin)
{
    if (!origin.source.empty())
        return origin.source;
    return origin.file + ':' + std::to_string(origin.line);
}

QString Text(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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
    QJsonObject object{{"code", Text(finding.code)}, {"detail", Text(finding.detail)}};
    object.insert("kind", result.kind.empty() ? QJsonValue() : QJsonValue(Text(result.kind)));
    if (!origin.source.empty())
        object.insert("source", Text(origin.source));
    if (!origin.file.empty()) {
        object.insert("file", Text(origin.file));
        object.insert("line", static_cast<qint64>(origin.line));
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
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
