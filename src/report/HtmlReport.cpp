#include "report/HtmlReport.h"

#include "report/ChartStyle.h"
#include "report/EvidenceText.h"
#include "report/NumberText.h"
#include "report/SvgChart.h"
#include "report/XmlText.h"

namespace report {

namespace {

std::string Style()
{
    return std::string("body{font-family:") + kFontFamily +
           ";margin:1.5em;color:#222;max-width:60em}\n"
           "table{border-collapse:collapse;margin:1em 0}\n"
           "th,td{border:1px solid #bbb;padding:0.2em 0.5em;text-align:left;vertical-align:top}\n"
           "td.evidence{font-family:monospace;word-break:break-all;max-width:30em}\n"
           ".PASS .verdict{color:#1e7b34;font-weight:bold}\n"
           ".FAIL .verdict{color:#c0392b;font-weight:bold}\n"
           ".UNDECIDED .verdict{color:#b35900;font-weight:bold}\n"
           "pre{white-space:pre-wrap;word-break:break-all;background:#f4f4f4;padding:0.5em}\n"
           "svg{max-width:100%;height:auto}\n"
           "figure{margin:0.5em 0}\n";
}

std::string Id(std::size_t scenario, std::size_t expectation)
{
    std::string id = "s";
    return id.append(std::to_string(scenario + 1))
        .append("-e")
        .append(std::to_string(expectation + 1));
}

std::string Cell(const std::string& escaped, const char* cls = nullptr)
{
    return std::string("<td") + (cls ? std::string(" class=\"") + cls + "\"" : "") + ">" + escaped +
           "</td>";
}

// One row per expectation, each linking to its chart.
std::string VerdictTable(const ScenarioResult& scenario, std::size_t index)
{
    std::string html = "<table class=\"verdicts\">\n<thead><tr><th>#</th><th>verdict</th>"
                       "<th>expectation</th><th>mode</th><th>condition</th>"
                       "<th>decided at (s)</th><th>evidence</th></tr></thead>\n<tbody>\n";
    for (std::size_t i = 0; i < scenario.expectations.size(); ++i) {
        const ExpectationResult& expectation = scenario.expectations[i];
        const std::string word = OutcomeWord(expectation.outcome);
        html += "<tr class=\"" + word + "\">" + Cell(std::to_string(i + 1)) +
                Cell("<a class=\"verdict\" href=\"#" + Id(index, i) + "\">" + word + "</a>") +
                Cell(XmlText(expectation.name)) + Cell(XmlText(expectation.mode)) +
                Cell(XmlText(expectation.condition)) + Cell(Fixed(expectation.decidedSeconds, 3)) +
                Cell(XmlTextFitted(EvidenceLine(expectation.evidence), 160), "evidence") +
                "</tr>\n";
    }
    return html + "</tbody>\n</table>\n";
}

std::string ExpectationSection(const ScenarioResult& scenario, std::size_t index, std::size_t i)
{
    const ExpectationResult& expectation = scenario.expectations[i];
    const std::string word = OutcomeWord(expectation.outcome);
    return "<section class=\"expectation " + word + "\" id=\"" + Id(index, i) +
           "\" data-outcome=\"" + word + "\">\n<h3><span class=\"verdict\">" + word + "</span> " +
           XmlText(expectation.name) + "</h3>\n<p>" +
           XmlText(scenario.file + ":" + std::to_string(expectation.line)) + " · " +
           XmlText(expectation.mode + " " + expectation.condition) +
           "</p>\n<pre class=\"evidence\">" + XmlText(EvidenceLine(expectation.evidence)) +
           "</pre>\n<figure>\n" + SvgChart(expectation, scenario.durationSeconds).Svg() +
           "<figcaption>" + XmlText(expectation.name) +
           ": the watched CCM and the stimulus, seconds from the "
           "start of the run</figcaption>\n</figure>\n</section>\n";
}

std::string ScenarioSection(const ScenarioResult& scenario, std::size_t index)
{
    const Tally tally = Count(scenario);
    std::string html = "<section class=\"scenario\" id=\"s" + std::to_string(index + 1) +
                       "\">\n<h2>" + XmlText(scenario.name) + "</h2>\n<p>" +
                       XmlText(scenario.file) + " · started " + UtcTimestamp(scenario.started) +
                       " UTC · " + Fixed(scenario.durationSeconds, 1) + " s · " +
                       std::to_string(tally.passed) + " passed, " + std::to_string(tally.failed) +
                       " failed, " + std::to_string(tally.undecided) + " undecided</p>\n";
    html += VerdictTable(scenario, index);
    for (std::size_t i = 0; i < scenario.expectations.size(); ++i)
        html += ExpectationSection(scenario, index, i);
    return html + "</section>\n";
}

} // namespace

std::string HtmlReport(const std::vector<ScenarioResult>& results)
{
    Tally all;
    std::string body;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const Tally tally = Count(results[i]);
        all.passed += tally.passed;
        all.failed += tally.failed;
        all.undecided += tally.undecided;
        body += ScenarioSection(results[i], i);
    }
    const char* overall = all.failed + all.undecided == 0 ? "PASS" : "FAIL";
    return std::string("<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" "
                       "lang=\"ja\">\n<head>\n<meta charset=\"utf-8\"/>\n"
                       "<title>setarome test report</title>\n<style>\n") +
           Style() + "</style>\n</head>\n<body>\n<h1>setarome test report</h1>\n<p class=\"" +
           overall + "\"><span class=\"verdict\">" + overall + "</span> " +
           std::to_string(all.total()) + " expectations: " + std::to_string(all.passed) +
           " passed, " + std::to_string(all.failed) + " failed, " + std::to_string(all.undecided) +
           " undecided</p>\n" + body + "</body>\n</html>\n";
}

} // namespace report
