// Writes the sample runs' reports into a directory, for the validation test
// and for the README's picture:
//   report_sample DIR   ->  DIR/junit.xml DIR/report.html DIR/chart.svg
// The README's picture: rsvg-convert DIR/chart.svg -o docs/report-chart.png
#include "SampleRuns.h"

#include "report/HtmlReport.h"
#include "report/JUnitXml.h"
#include "report/ReportFile.h"
#include "report/SvgChart.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: report_sample DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::vector<report::ScenarioResult> runs = {
        reporttest::PassingRun(), reporttest::FailingRun(), reporttest::HostileRun(),
        reporttest::HugeRun(100000)};
    // The chart the README shows: the vent that opens again too soon.
    const report::ScenarioResult& failing = runs[1];
    const std::string chart = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" +
                              report::SvgChart(failing.expectations.front(), 120).Svg();
    for (const auto& [name, text] :
         {std::pair<std::string, std::string>{"junit.xml", report::JUnitXml(runs)},
          {"report.html", report::HtmlReport(runs)},
          {"chart.svg", chart}}) {
        const std::string error = report::WriteReportFile(dir + "/" + name, text);
        if (!error.empty()) {
            std::fprintf(stderr, "report_sample: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
