// What a station's nodes answer to scans: the scenario's identities or the
// defaults, copies with their own addresses and MACs, and every CCM sent.

#include "station/ScanAnswers.h"
#include "node/ScratchDir.h"
#include "station/ScenarioReader.h"

#include <gtest/gtest.h>

namespace {

TEST(ScanAnswers, IdentitiesCopiesAndCcmsAsTheScenarioSays)
{
    ScratchDir dir;
    const std::string path = dir.write("scan.toml", R"([[node]]
address = "192.168.1.70"
repeat = 2
name = "rooftop"
vendor = "ACME"
uecsid = "10100c000001"
mac = "02:11:22:33:44:ff"
[[node.ccm]]
type = "WAirTemp"
level = "S-1M-0"
cast = 1
unit = "C"
generator = { kind = "constant", value = 20 }
[[node]]
address = "192.168.1.80"
condition = false
[[node.ccm]]
type = "WRainfall"
level = "B-0"
generator = { kind = "constant", value = 0 }
[[node]]
address = "192.168.1.90"
answer_scans = false
)");
    station::Station station(station::ReadScenario(path), "", 1);
    const std::vector<discovery::AnsweringNode> nodes = station::ScanAnswers(station);
    ASSERT_EQ(nodes.size(), 3u);
    const discovery::NodeIdentity& first = nodes[0].identity;
    EXPECT_EQ(first.name, "rooftop");
    EXPECT_EQ(first.vendor, "ACME");
    EXPECT_EQ(first.uecsId, "10100C000001");
    EXPECT_EQ(first.ip, "192.168.1.70");
    EXPECT_EQ(first.mac, "0211223344FF");
    EXPECT_EQ(nodes[1].identity.ip, "192.168.1.71");
    EXPECT_EQ(nodes[1].identity.mac, "021122334500");
    ASSERT_EQ(nodes[0].ccms.size(), 2u);
    EXPECT_EQ(nodes[0].ccms[0].type, "cnd");
    EXPECT_EQ(nodes[0].ccms[0].level, "A-1S-0");
    const discovery::ListedCcm& temp = nodes[0].ccms[1];
    EXPECT_EQ(std::tie(temp.type, temp.level, temp.cast, temp.unit),
              std::make_tuple("WAirTemp", "S-1M-0", 1, "C"));
    // Defaults, and no "cnd" when it is not sent.
    const discovery::NodeIdentity& second = nodes[2].identity;
    EXPECT_EQ(std::tie(second.name, second.uecsId, second.mac),
              std::make_tuple("setarome", "000000000000", "0200C0A80150"));
    ASSERT_EQ(nodes[2].ccms.size(), 1u);
    EXPECT_EQ(nodes[2].ccms[0].level, "B-0");
}

} // namespace
