#include "report/JUnitXml.h"

#include "report/EvidenceText.h"
#include "report/NumberText.h"
#include "report/XmlText.h"

namespace report {

namespace {

std::string Attribute(const char* name, std::string_view value)
{
    return std::string(" ") + name + "=\"" + XmlText(value) + "\"";
}

std::string Seconds(double seconds)
{
    // Times are never negative in the readers' pattern.
    return Fixed(seconds < 0 ? 0 : seconds, 3);
}

// The text of a verdict's element: where the expectation is, what it asks,
// and the evidence, one escaped line each.
std::string Detail(const ScenarioResult& scenario, const ExpectationResult& expectation)
{
    return XmlText(scenario.file + ":" + std::to_string(expectation.line) + ": " +
                   expectation.name) +
           "\n" + XmlText(expectation.mode + " " + expectation.condition) + "\n" +
           XmlText(EvidenceLine(expectation.evidence)) + "\n";
}

std::string Summary(const ExpectationResult& expectation)
{
    const Evidence& evidence = expectation.evidence;
    std::string summary = expectation.mode + " " + expectation.condition + ": at " +
                          Fixed(evidence.seconds, 3) + " s";
    if (!evidence.source.empty())
        summary += " from " + evidence.source;
    else if (!evidence.text.empty())
        summary += ": " + evidence.text;
    return summary;
}

std::string TestCase(const ScenarioResult& scenario, const ExpectationResult& expectation)
{
    std::string xml = "    <testcase" + Attribute("name", expectation.name) +
                      Attribute("classname", scenario.name) +
                      Attribute("time", Seconds(expectation.decidedSeconds)) + ">\n";
    const std::string detail = Detail(scenario, expectation);
    switch (expectation.outcome) {
    case Outcome::Pass:
        xml += "      <system-out>" + detail + "</system-out>\n";
        break;
    case Outcome::Fail:
        xml += "      <failure" + Attribute("type", "FAIL") +
               Attribute("message", Summary(expectation)) + ">" + detail + "</failure>\n";
        break;
    case Outcome::Undecided:
        xml += "      <error" + Attribute("type", "undecided") +
               Attribute("message", Summary(expectation)) + ">" + detail + "</error>\n";
        break;
    }
    return xml + "    </testcase>\n";
}

std::string TestSuite(const ScenarioResult& scenario)
{
    const Tally tally = Count(scenario);
    std::string xml = "  <testsuite" + Attribute("name", scenario.name) +
                      Attribute("tests", std::to_string(tally.total())) +
                      Attribute("failures", std::to_string(tally.failed)) +
                      Attribute("errors", std::to_string(tally.undecided)) +
                      Attribute("skipped", "0") +
                      Attribute("time", Seconds(scenario.durationSeconds)) +
                      Attribute("timestamp", UtcTimestamp(scenario.started)) +
                      Attribute("file", scenario.file) + ">\n";
    for (const ExpectationResult& expectation : scenario.expectations)
        xml += TestCase(scenario, expectation);
    return xml + "  </testsuite>\n";
}

} // namespace

std::string JUnitXml(const std::vector<ScenarioResult>& results)
{
    Tally all;
    double seconds = 0;
    std::string suites;
    for (const ScenarioResult& scenario : results) {
        const Tally tally = Count(scenario);
        all.passed += tally.passed;
        all.failed += tally.failed;
        all.undecided += tally.undecided;
        seconds += scenario.durationSeconds < 0 ? 0 : scenario.durationSeconds;
        suites += TestSuite(scenario);
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" +
           Attribute("name", "setarome-cli test") +
           Attribute("tests", std::to_string(all.total())) +
           Attribute("failures", std::to_string(all.failed)) +
           Attribute("errors", std::to_string(all.undecided)) +
           Attribute("time", Seconds(seconds)) + ">\n" + suites + "</testsuites>\n";
}

} // namespace report
