#include "cli/TestOutput.h"

#include "monitor/JsonObject.h"
#include "monitor/TerminalText.h"

#include <algorithm>
#include <cstdio>

namespace cli {

namespace {

// Seconds with two decimals, whatever the locale.
std::string SecondsText(double seconds)
{
    char text[32];
    const auto hundredths = static_cast<long long>(seconds * 100 + (seconds < 0 ? -0.5 : 0.5));
    std::snprintf(text, sizeof text, "%lld.%02lld s", hundredths / 100,
                  std::llabs(hundredths % 100));
    return text;
}

std::string EvidenceText(const report::Evidence& evidence)
{
    std::string text = "at " + SecondsText(evidence.seconds) + ": ";
    if (!evidence.isDatagram)
        return text + monitor::Escaped(evidence.text);
    if (!evidence.note.empty())
        text += monitor::Escaped(evidence.note) + " ";
    return text + "from " + evidence.source + " " + monitor::Escaped(evidence.text);
}

void WriteEvidence(monitor::JsonObject& object, const report::Evidence& evidence)
{
    object.decimal("time", evidence.seconds);
    if (evidence.isDatagram) {
        object.string("source", evidence.source);
        object.string("datagram", evidence.text);
    } else {
        object.string("text", evidence.text);
    }
    if (!evidence.note.empty())
        object.string("note", evidence.note);
}

} // namespace

const char* OutcomeName(report::Outcome outcome)
{
    switch (outcome) {
    case report::Outcome::Pass:
        return "pass";
    case report::Outcome::Fail:
        return "fail";
    case report::Outcome::Undecided:
        break;
    }
    return "undecided";
}

TestOutput::TestOutput(bool json, std::FILE* out) : json_(json), out_(out) {}

void TestOutput::decided(const std::string& file, const report::ExpectationResult& result)
{
    std::string line;
    if (json_) {
        monitor::JsonObject object(line);
        object.string("file", file);
        object.string("expectation", result.name);
        object.string("outcome", OutcomeName(result.outcome));
        object.string("mode", result.mode);
        object.string("condition", result.condition);
        object.decimal("decided", result.decidedSeconds);
        monitor::JsonObject evidence(object.member("evidence"));
        WriteEvidence(evidence, result.evidence);
    } else {
        const char* verdict = result.outcome == report::Outcome::Pass   ? "PASS"
                              : result.outcome == report::Outcome::Fail ? "FAIL"
                                                                        : "UNDECIDED";
        line = std::string(verdict) + "  " + monitor::Escaped(result.name) + " (" + result.mode +
               ", " + result.condition + ") " + EvidenceText(result.evidence);
    }
    writeLine(line);
}

void TestOutput::summary(const report::ScenarioResult& scenario)
{
    const auto count = [&](report::Outcome outcome) {
        return std::count_if(
            scenario.expectations.begin(), scenario.expectations.end(),
            [&](const report::ExpectationResult& result) { return result.outcome == outcome; });
    };
    std::string line;
    if (json_) {
        monitor::JsonObject object(line);
        object.string("file", scenario.file);
        monitor::JsonObject summary(object.member("summary"));
        summary.integer("passed", count(report::Outcome::Pass));
        summary.integer("failed", count(report::Outcome::Fail));
        summary.integer("undecided", count(report::Outcome::Undecided));
        summary.decimal("seconds", scenario.durationSeconds);
    } else {
        line = monitor::Escaped(scenario.file) + ": " +
               std::to_string(count(report::Outcome::Pass)) + " passed, " +
               std::to_string(count(report::Outcome::Fail)) + " failed, " +
               std::to_string(count(report::Outcome::Undecided)) + " undecided in " +
               SecondsText(scenario.durationSeconds);
    }
    writeLine(line);
}

void TestOutput::writeLine(const std::string& line)
{
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
    // Each verdict as it is reached, even into a pipe.
    std::fflush(out_);
}

} // namespace cli
