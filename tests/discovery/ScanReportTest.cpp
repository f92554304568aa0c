// What the scan prints: texts from the network never reach a terminal raw.

#include "discovery/ScanReport.h"

#include <gtest/gtest.h>

namespace {

TEST(ScanReport, ControlCharactersAndBrokenUtf8AreEscaped)
{
    using discovery::TerminalText;
    EXPECT_EQ(TerminalText("bench 1"), "bench 1");
    EXPECT_EQ(TerminalText("セタロメ"), "セタロメ");
    EXPECT_EQ(TerminalText("a\x1b[2Jb"), "a\\x1B[2Jb");
    EXPECT_EQ(TerminalText("\r\n\x7f"), "\\x0D\\x0A\\x7F");
    EXPECT_EQ(TerminalText("\xc2\x9b"
                           "31m"),
              "\\xC2\\x9B31m");
    EXPECT_EQ(TerminalText("\xff\xe3\x82"), "\\xFF\\xE3\\x82");
    EXPECT_EQ(TerminalText("a\\x41"), "a\\\\x41");
}

TEST(ScanReport, TheTableAlignsEachNodeWithItsCcmsUnderIt)
{
    discovery::FoundNode node{
        "10.0.0.5",
        {"bench\x1b", "acme", "000000000000", "10.0.0.70", "02000A000046"},
        {{"cnd", 1, 1, 1, 29, 0, "", "A-1S-0"}, {"InAirTemp", 1, 1, 2, 15, 1, "C", "A-10S-0"}},
        false};
    EXPECT_EQ(discovery::NodeTable({node}, true),
              "ADDRESS   NAME       VENDOR  UECSID        IP         MAC\n"
              "10.0.0.5  bench\\x1B  acme    000000000000  10.0.0.70  02000A000046\n"
              "    TYPE       ROOM  REGION  ORDER  PRIORITY  LEVEL    CAST  UNIT\n"
              "    cnd        1     1       1      29        A-1S-0   0\n"
              "    InAirTemp  1     1       2      15        A-10S-0  1     C\n"
              "    (incomplete: a page or a SEARCH went unanswered)\n");
    EXPECT_EQ(discovery::NodeJson({node}, false),
              "{\"address\":\"10.0.0.5\",\"ip\":\"10.0.0.70\",\"mac\":\"02000A000046\",\"name\":"
              "\"bench\\u001b\",\"uecsid\":\"000000000000\",\"vendor\":\"acme\"}\n");
}

} // namespace
