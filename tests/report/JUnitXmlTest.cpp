#include "SampleRuns.h"

#include "report/JUnitXml.h"

#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// One element of the document: its attributes and its text.
struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;
};

// Every element in document order; fails the test when the XML is not well formed.
std::vector<Element> Elements(const std::string& xml)
{
    std::vector<Element> elements;
    QXmlStreamReader reader(QByteArray::fromStdString(xml));
    std::vector<std::size_t> open;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            Element element{reader.name().toString().toStdString(), {}, {}};
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                element.attributes[attribute.name().toString().toStdString()] =
                    attribute.value().toString().toStdString();
            open.push_back(elements.size());
            elements.push_back(element);
        } else if (reader.isCharacters() && !open.empty()) {
            elements[open.back()].text += reader.text().toString().toStdString();
        } else if (reader.isEndElement()) {
            open.pop_back();
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return elements;
}

std::vector<Element> Named(const std::vector<Element>& elements, const std::string& name)
{
    std::vector<Element> found;
    for (const Element& element : elements)
        if (element.name == name)
            found.push_back(element);
    return found;
}

TEST(JUnitXml, OneSuitePerScenarioFileAndOneCasePerExpectation)
{
    const auto elements =
        Elements(report::JUnitXml({reporttest::PassingRun(), reporttest::FailingRun()}));
    const auto suites = Named(elements, "testsuite");
    ASSERT_EQ(suites.size(), 2u);
    EXPECT_EQ(suites[0].attributes.at("tests"), "1");
    EXPECT_EQ(suites[0].attributes.at("failures"), "0");
    EXPECT_EQ(suites[1].attributes.at("tests"), "3");
    EXPECT_EQ(suites[1].attributes.at("failures"), "2");
    EXPECT_EQ(suites[1].attributes.at("errors"), "1");
    EXPECT_EQ(suites[1].attributes.at("time"), "300.000");
    EXPECT_EQ(suites[1].attributes.at("timestamp"), "2026-12-09T09:30:00");
    EXPECT_EQ(suites[1].attributes.at("file"), "share/scenarios/tests/vents-close-on-rain.toml");
    const auto root = Named(elements, "testsuites").at(0);
    EXPECT_EQ(root.attributes.at("tests"), "4");
    EXPECT_EQ(root.attributes.at("failures"), "2");
    EXPECT_EQ(root.attributes.at("errors"), "1");

    const auto cases = Named(elements, "testcase");
    ASSERT_EQ(cases.size(), 4u);
    EXPECT_EQ(cases[1].attributes.at("name"), "vents close when it rains");
    EXPECT_EQ(cases[1].attributes.at("classname"), "vents close on rain");
    EXPECT_EQ(cases[1].attributes.at("time"), "92.000");
    EXPECT_EQ(cases[2].attributes.at("name"), "暖房機が夜に動く");
}

TEST(JUnitXml, EachVerdictCarriesItsEvidence)
{
    const auto elements =
        Elements(report::JUnitXml({reporttest::PassingRun(), reporttest::FailingRun()}));
    // PASS: its evidence as output, no failure.
    const auto out = Named(elements, "system-out");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NE(out[0].text.find("at 86.000 s from 10.1.0.2:16520"), std::string::npos);

    const auto failures = Named(elements, "failure");
    ASSERT_EQ(failures.size(), 2u);
    // The deciding datagram: its time, source and text as it arrived.
    EXPECT_EQ(failures[0].attributes.at("message"),
              "within value = 0: at 92.000 s from 10.1.0.2:16520");
    EXPECT_NE(failures[0].text.find(reporttest::VentDatagram(30)), std::string::npos);
    EXPECT_NE(failures[0].text.find("vents-close-on-rain.toml:12: "), std::string::npos);
    // No datagram: the explanation instead.
    EXPECT_EQ(failures[1].attributes.at("message"),
              "within value = 0: at 90.000 s: nothing matching arrived");

    const auto errors = Named(elements, "error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].attributes.at("type"), "undecided");
    EXPECT_EQ(errors[0].attributes.at("message"),
              "within value = 1: at 300.000 s: the run ended 225.000 s into holds = 600");
}

TEST(JUnitXml, HostileTextsStayTextAndTheDocumentStaysWellFormed)
{
    const std::string xml = report::JUnitXml({reporttest::HostileRun()});
    const auto elements = Elements(xml);
    EXPECT_TRUE(Named(elements, "script").empty());
    const auto cases = Named(elements, "testcase");
    ASSERT_EQ(cases.size(), 1u);
    const std::string& name = cases[0].attributes.at("name");
    EXPECT_NE(name.find("<script>alert(\"x\")</script>]]>&amp;'"), std::string::npos);
    EXPECT_NE(name.find("\\x1b[31m"), std::string::npos);
    EXPECT_NE(name.find("\\u202e\\xff\\ufffe\\x01 降雨"), std::string::npos);
    // Nothing raw that a reader or a terminal would act on.
    for (const char* raw : {"\x1b", "\xe2\x80\xae", "\xff", "\x01", "\xef\xbf\xbe"})
        EXPECT_EQ(xml.find(raw), std::string::npos) << "raw " << raw;
}

TEST(JUnitXml, NoScenariosIsAnEmptyValidDocument)
{
    const auto elements = Elements(report::JUnitXml({}));
    ASSERT_EQ(elements.size(), 1u);
    EXPECT_EQ(elements[0].attributes.at("tests"), "0");
}

} // namespace
