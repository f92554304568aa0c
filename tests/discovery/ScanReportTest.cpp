// What the scan prints: aligned, with texts from the network escaped.

#include "discovery/ScanReport.h"

#include <gtest/gtest.h>

namespace {

TEST(ScanReport, TheTableAlignsEachNodeWithItsCcmsUnderIt)
{
    discovery::FoundNode node{
        "10.0.0.5",
        {"bench\x1b", "acme", "000000000000", "10.0.0.70", "02000A000046"},
        {{"cnd", 1, 1, 1, 29, 0, "", "A-1S-0"}, {"InAirTemp", 1, 1, 2, 15, 1, "C", "A-10S-0", "R"}},
        false};
    EXPECT_EQ(discovery::NodeTable({node}, true),
              "ADDRESS   NAME       VENDOR  UECSID        IP         MAC\n"
              "10.0.0.5  bench\\x1b  acme    000000000000  10.0.0.70  02000A000046\n"
              "    TYPE       SR  ROOM  REGION  ORDER  PRIORITY  LEVEL    CAST  UNIT\n"
              "    cnd        S   1     1       1      29        A-1S-0   0\n"
              "    InAirTemp  R   1     1       2      15        A-10S-0  1     C\n"
              "    (incomplete: a page or a SEARCH went unanswered)\n");
    EXPECT_EQ(
        discovery::NodeJson({node}, true),
        "{\"address\":\"10.0.0.5\",\"ccms\":[{\"cast\":0,\"level\":\"A-1S-0\",\"order\":1,"
        "\"priority\":29,\"region\":1,\"room\":1,\"sr\":\"S\",\"type\":\"cnd\",\"unit\":\"\"},"
        "{\"cast\":1,\"level\":\"A-10S-0\",\"order\":2,\"priority\":15,\"region\":1,\"room\":1,"
        "\"sr\":\"R\",\"type\":\"InAirTemp\",\"unit\":\"C\"}],\"complete\":false,\"ip\":"
        "\"10.0.0.70\",\"mac\":\"02000A000046\",\"name\":\"bench\\u001b\",\"uecsid\":"
        "\"000000000000\",\"vendor\":\"acme\"}\n");
    EXPECT_EQ(discovery::NodeJson({node}, false),
              "{\"address\":\"10.0.0.5\",\"ip\":\"10.0.0.70\",\"mac\":\"02000A000046\",\"name\":"
              "\"bench\\u001b\",\"uecsid\":\"000000000000\",\"vendor\":\"acme\"}\n");
}

} // namespace
