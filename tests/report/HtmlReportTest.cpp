#include "SampleRuns.h"

#include "report/HtmlReport.h"

#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// What the page shows a reader, gathered by walking it as XML (the page is
// XHTML5, so any XML reader takes it).
struct Page {
    // Table rows of the verdict tables: the verdict each links to, by anchor.
    std::map<std::string, std::string> rowVerdicts;
    // Expectation sections by id: their verdict, and how many charts they hold.
    std::map<std::string, std::string> sectionVerdicts;
    std::map<std::string, int> sectionCharts;
    std::vector<std::string> elementNames;
    std::string text;
};

std::string Attribute(const QXmlStreamReader& reader, const char* name)
{
    return reader.attributes().value(QLatin1String(name)).toString().toStdString();
}

Page Read(const std::string& html)
{
    Page page;
    QXmlStreamReader reader(QByteArray::fromStdString(html));
    std::string section;
    std::string anchor;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isCharacters()) {
            page.text += reader.text().toString().toStdString();
            if (!anchor.empty())
                page.rowVerdicts[anchor] += reader.text().toString().toStdString();
        }
        if (reader.isEndElement() && reader.name() == QLatin1String("a"))
            anchor.clear();
        if (!reader.isStartElement())
            continue;
        const std::string name = reader.name().toString().toStdString();
        page.elementNames.push_back(name);
        if (name == "section" && Attribute(reader, "class").starts_with("expectation")) {
            section = Attribute(reader, "id");
            page.sectionVerdicts[section] = Attribute(reader, "data-outcome");
            page.sectionCharts[section] = 0;
        } else if (name == "svg" && !section.empty()) {
            ++page.sectionCharts[section];
        } else if (name == "a" && Attribute(reader, "href").starts_with("#")) {
            anchor = Attribute(reader, "href").substr(1);
        }
    }
    EXPECT_FALSE(reader.hasError())
        << reader.errorString().toStdString() << " at line " << reader.lineNumber();
    return page;
}

TEST(HtmlReport, EveryExpectationHasItsVerdictRowAndItsChart)
{
    const Page page =
        Read(report::HtmlReport({reporttest::PassingRun(), reporttest::FailingRun()}));
    const std::map<std::string, std::string> expected{
        {"s1-e1", "PASS"}, {"s2-e1", "FAIL"}, {"s2-e2", "UNDECIDED"}, {"s2-e3", "FAIL"}};
    EXPECT_EQ(page.rowVerdicts, expected);
    EXPECT_EQ(page.sectionVerdicts, expected);
    for (const auto& [id, charts] : page.sectionCharts)
        EXPECT_EQ(charts, 1) << id;
    // The overall line and the evidence a reader needs without the chart.
    EXPECT_NE(page.text.find("FAIL 4 expectations: 1 passed, 2 failed, 1 undecided"),
              std::string::npos);
    EXPECT_NE(page.text.find("at 92.000 s from 10.1.0.2:16520: " + reporttest::VentDatagram(30)),
              std::string::npos);
    EXPECT_NE(page.text.find("no datagram matched"), std::string::npos);
    EXPECT_NE(page.text.find("暖房機が夜に動く"), std::string::npos);
}

TEST(HtmlReport, HostileTextsAreShownNotObeyed)
{
    const std::string html = report::HtmlReport({reporttest::HostileRun()});
    const Page page = Read(html);
    for (const std::string& name : page.elementNames)
        EXPECT_NE(name, "script");
    EXPECT_NE(page.text.find("<script>alert(\"x\")</script>]]>&amp;'\\u202e\\xff\\ufffe\\x01 降雨"),
              std::string::npos);
    for (const char* raw : {"\x1b", "\xe2\x80\xae", "\xff", "\x01", "\xef\xbf\xbe"})
        EXPECT_EQ(html.find(raw), std::string::npos) << "raw " << raw;
}

TEST(HtmlReport, AMillionPointsMakeABoundedPage)
{
    const std::string html = report::HtmlReport({reporttest::HugeRun(1000000)});
    EXPECT_LT(html.size(), 120000u);
    const Page page = Read(html);
    EXPECT_EQ(page.sectionCharts.at("s1-e1"), 1);
}

} // namespace
