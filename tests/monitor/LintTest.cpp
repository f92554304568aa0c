// Lint: each message with one known departure gives exactly that finding;
// decimals are judged against what a CCMSCAN reply (or --cast) announced.

#include "monitor/Lint.h"
#include "monitor/LintOutput.h"
#include "monitor/LintSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string kHead = R"(<?xml version="1.0"?><UECS ver="1.00-E10">)";
const std::string kData = kHead +
                          R"(<DATA type="InAirTemp" room="1" region="2" order="3" priority="15">)"
                          R"(23.5</DATA><IP>192.168.1.10</IP></UECS>)";

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string Reply(const std::string& type, int cast)
{
    return kHead +
           R"(<CCMNUM page="1" total="1">1</CCMNUM><CCM No="1" room="1" region="2" )"
           R"(order="3" priority="15" cast=")" +
           std::to_string(cast) + R"(" unit="C" SR="S" LV="A-1S-0">)" + type + "</CCM></UECS>";
}

std::vector<std::string> Codes(const monitor::LintResult& result)
{
    std::vector<std::string> codes;
    for (const auto& finding : result.findings)
        codes.push_back(finding.code);
    return codes;
}

std::vector<std::string> Lint(monitor::Linter& linter, const std::string& source,
                              const std::string& datagram)
{
    return Codes(linter.check(source, datagram, ccm::Decode(datagram)));
}

struct Departure {
    const char* code;
    std::string datagram;
    // Tells rows of the same code apart.
    const char* where = "";
};

std::ostream& operator<<(std::ostream& out, const Departure& row)
{
    return out << row.code << row.where;
}

class OneDeparture : public ::testing::TestWithParam<Departure> {};

TEST_P(OneDeparture, GivesExactlyThatFinding)
{
    monitor::Linter linter;
    const monitor::LintResult result =
        linter.check("10.0.0.1", GetParam().datagram, ccm::Decode(GetParam().datagram));
    EXPECT_EQ(Codes(result), std::vector<std::string>{GetParam().code});
    EXPECT_EQ(result.kind, "data");
    ASSERT_FALSE(result.findings.empty());
    EXPECT_FALSE(result.findings[0].detail.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lint, OneDeparture,
    ::testing::Values(
        Departure{"attribute-order",
                  Replaced(kData, R"(room="1" region="2")", R"(region="2" room="1")")},
        Departure{"missing-attribute", Replaced(kData, R"( priority="15")", "")},
        Departure{"extra-attribute",
                  Replaced(kData, R"(priority="15")", R"(priority="15" cast="1")")},
        Departure{"encoding-declared",
                  Replaced(kData, R"(version="1.0")", R"(version="1.0" encoding="Shift_JIS")")},
        Departure{"several-data", Replaced(kData, "<IP>",
                                           R"(<DATA type="InAirHumid" room="1" region="2" )"
                                           R"(order="3" priority="15">60</DATA><IP>)")},
        Departure{"type-too-long", Replaced(kData, "InAirTemp", "InAirTemperatureLong")},
        Departure{"out-of-range", Replaced(kData, R"(room="1")", R"(room="200")"), "/room"},
        Departure{"out-of-range", Replaced(kData, R"(priority="15")", R"(priority="31")"),
                  "/priority"},
        Departure{"ip-not-ipv4", Replaced(kData, "192.168.1.10", "host.example")},
        Departure{"too-long", Replaced(kData, ">23.5<", ">" + std::string(200, '1') + "<")},
        Departure{"byte-order-mark", "\xef\xbb\xbf" + kData},
        Departure{"trailing-nul", kData + std::string(1, '\0')},
        Departure{"trailing-line-break", kData + "\r\n"}));

TEST(Lint, CleanFormsGiveNothing)
{
    monitor::Linter linter;
    for (const std::string& datagram :
         {kData, kHead + "<NODESCAN/></UECS>", kHead + "<CCMSCAN/></UECS>", Reply("InAirTemp", 1),
          kHead + R"(<SEARCH type="InAirTemp" room="0" region="0" order="0"/></UECS>)"})
        EXPECT_EQ(Lint(linter, "10.0.0.1", datagram), std::vector<std::string>{}) << datagram;
}

TEST(Lint, ALiteralReceiverDropIsOneFindingWithItsReasonAndOnlyForData)
{
    monitor::Linter literal({}, ccm::ReceiverProfile::Literal);
    monitor::Linter tolerant;
    const std::string spaced = Replaced(kData, "</DATA><IP>", "</DATA>\n<IP>");
    EXPECT_EQ(Lint(literal, "10.0.0.1", kData), std::vector<std::string>{});
    EXPECT_EQ(Lint(tolerant, "10.0.0.1", spaced),
              std::vector<std::string>{"space-between-elements"});
    const monitor::LintResult result = literal.check("10.0.0.1", spaced, ccm::Decode(spaced));
    ASSERT_EQ(Codes(result),
              (std::vector<std::string>{"space-between-elements", "dropped-by-literal-receiver"}));
    EXPECT_NE(result.findings[1].detail.find("whitespace between elements"), std::string::npos)
        << result.findings[1].detail;
    // A scan request is no data message: a data receiver has no say.
    const std::string scan = kHead + "<NODESCAN/></UECS>\n";
    EXPECT_EQ(Lint(literal, "10.0.0.1", scan), std::vector<std::string>{"trailing-line-break"});
}

TEST(Lint, ADatagramThatDoesNotDecodeIsAFinding)
{
    monitor::Linter linter;
    const monitor::LintResult result = linter.check("10.0.0.1", "hello", ccm::Decode("hello"));
    EXPECT_EQ(Codes(result), std::vector<std::string>{"undecodable"});
    EXPECT_TRUE(result.kind.empty());
}

TEST(Lint, DecimalsAreJudgedAgainstTheSendersAnnouncement)
{
    monitor::Linter linter;
    const std::string twoDecimals = Replaced(kData, ">23.5<", ">23.50<");
    // Nothing announced yet: nothing to judge by.
    EXPECT_EQ(Lint(linter, "10.0.0.1", twoDecimals), std::vector<std::string>{});
    EXPECT_EQ(Lint(linter, "10.0.0.1", Reply("InAirTemp", 1)), std::vector<std::string>{});
    EXPECT_EQ(Lint(linter, "10.0.0.1", kData), std::vector<std::string>{});
    EXPECT_EQ(Lint(linter, "10.0.0.1", twoDecimals), std::vector<std::string>{"value-decimals"});
    EXPECT_EQ(Lint(linter, "10.0.0.1", Replaced(kData, ">23.5<", ">23<")),
              std::vector<std::string>{"value-decimals"});
    // Another sender, and another CCM of the same sender, announced nothing.
    EXPECT_EQ(Lint(linter, "10.0.0.2", twoDecimals), std::vector<std::string>{});
    EXPECT_EQ(Lint(linter, "10.0.0.1", Replaced(twoDecimals, R"(room="1")", R"(room="2")")),
              std::vector<std::string>{});
    // A later announcement replaces the earlier.
    EXPECT_EQ(Lint(linter, "10.0.0.1", Reply("InAirTemp", 2)), std::vector<std::string>{});
    EXPECT_EQ(Lint(linter, "10.0.0.1", twoDecimals), std::vector<std::string>{});
}

TEST(Lint, DecimalsGivenByHandHoldForEverySenderUnlessOneAnnounced)
{
    monitor::LintAnnouncements given;
    given.given("InAirTemp", 0);
    monitor::Linter linter(given);
    EXPECT_EQ(Lint(linter, "10.0.0.9", kData), std::vector<std::string>{"value-decimals"});
    EXPECT_EQ(Lint(linter, "10.0.0.1", Reply("InAirTemp", 1)), std::vector<std::string>{});
    EXPECT_EQ(Lint(linter, "10.0.0.1", kData), std::vector<std::string>{});
    // A value that is no number is the decoder's finding alone.
    EXPECT_EQ(Lint(linter, "10.0.0.9", Replaced(kData, ">23.5<", ">warm<")),
              std::vector<std::string>{"value-not-number"});
}

TEST(LintAnnouncements, TheOldestHeardIsForgottenBeyondTheBound)
{
    monitor::LintAnnouncements announcements;
    for (std::int32_t order = 0;
         order <= static_cast<std::int32_t>(monitor::LintAnnouncements::kMaxHeard); ++order)
        announcements.heard("10.0.0.1", "InAirTemp", 1, 1, order, 1);
    EXPECT_FALSE(announcements.cast("10.0.0.1", "InAirTemp", 1, 1, 0));
    EXPECT_EQ(announcements.cast("10.0.0.1", "InAirTemp", 1, 1, 1), 1);
    EXPECT_EQ(announcements.cast("10.0.0.1", "InAirTemp", 1, 1,
                                 static_cast<std::int32_t>(monitor::LintAnnouncements::kMaxHeard)),
              1);
}

// A capture's record names its file and line and its source; a text its file
// and line; a live datagram its time and source.
TEST(LintOutput, EachLineSaysWhereAndWhen)
{
    const monitor::LintResult data{"data", {}};
    const monitor::LintFinding finding{"ip-not-ipv4", "<IP> \"x\" is not IPv4"};
    const capture::CaptureTime time{std::chrono::sys_days(std::chrono::year(2026) / 12 / 8) +
                                        std::chrono::hours(14) + std::chrono::microseconds(5),
                                    std::chrono::hours(9)};
    EXPECT_EQ(monitor::LintTextLine({"10.0.0.1", "cap.jsonl", 3, time}, data, finding),
              "cap.jsonl:3: 10.0.0.1: data: ip-not-ipv4: <IP> \"x\" is not IPv4");
    EXPECT_EQ(monitor::LintTextLine({"", "-", 7, {}}, {"", {}}, {"undecodable", "x"}),
              "-:7: -: undecodable: x");
    EXPECT_EQ(monitor::LintTextLine({"10.0.0.1", "", 0, time}, data, finding),
              "2026-12-08T23:00:00.000005+09:00 10.0.0.1: data: ip-not-ipv4: <IP> \"x\" is not "
              "IPv4");
    EXPECT_EQ(monitor::LintJsonLine({"", "m.txt", 2, {}}, {"", {}}, {"undecodable", "x"}),
              R"({"file":"m.txt","line":2,"kind":null,"code":"undecodable","detail":"x"})");
    EXPECT_EQ(monitor::LintJsonLine({"10.0.0.1", "c.jsonl", 4, time}, data, finding),
              R"({"time":"2026-12-08T23:00:00.000005+09:00","file":"c.jsonl","line":4,)"
              R"("source":"10.0.0.1","kind":"data","code":"ip-not-ipv4",)"
              R"("detail":"<IP> \"x\" is not IPv4"})");
}

// What a peer sent may hold terminal controls (ESC, the C1 CSI and OSC, a
// right-to-left override): neither form passes one on raw.
TEST(LintOutput, TerminalControlsFromTheWireAreEscapedInTextAndJson)
{
    const std::string controls = "\x1b[2J\xc2\x9b"
                                 "31m\xc2\x9d"
                                 "0;t\x07\xe2\x80\xae";
    const monitor::LintFinding finding{"ip-not-ipv4", "<IP> \"" + controls + "\" is not IPv4"};
    const monitor::LintOrigin origin{"10.0.0.1" + controls, "cap" + controls, 3, {}};
    const std::string text = monitor::LintTextLine(origin, {"data", {}}, finding);
    const std::string json = monitor::LintJsonLine(origin, {"data", {}}, finding);
    for (const std::string& line : {text, json})
        for (const char* raw : {"\x1b", "\xc2\x9b", "\xc2\x9d", "\x07", "\xe2\x80\xae"})
            EXPECT_EQ(line.find(raw), std::string::npos) << line;
    EXPECT_NE(json.find(R"(\u001b[2J\u009b31m\u009d0;t\u0007\u202e)"), std::string::npos) << json;
}

TEST(LintSession, ExitStatusSaysWhatWasFound)
{
    std::FILE* out = std::tmpfile();
    std::FILE* errors = std::tmpfile();
    monitor::LintSession clean({}, false, out, errors);
    clean.message({"10.0.0.1", {}, 0, {}}, kData);
    EXPECT_EQ(clean.exitStatus(), 0);
    monitor::LintSession found({}, false, out, errors);
    found.message({"10.0.0.1", {}, 0, {}}, kData + "\n");
    found.message({"10.0.0.1", {}, 0, {}}, kData);
    EXPECT_EQ(found.exitStatus(), 1);
    EXPECT_EQ(monitor::LintSummary(found.tally()), "2 messages, 1 with findings (1 finding)");
    found.refused("cap.jsonl:9: no \"bytes\"");
    EXPECT_EQ(found.exitStatus(), 2);
    EXPECT_EQ(monitor::LintSummary(found.tally()),
              "2 messages, 1 with findings (1 finding), 1 line not read");
    monitor::LintSession unread({}, false, out, errors);
    unread.message({"10.0.0.1", {}, 0, {}}, kData);
    unread.unreadable("cap.jsonl: Input/output error");
    EXPECT_EQ(unread.exitStatus(), 2);
    std::fclose(out);
    std::fclose(errors);
}

} // namespace
