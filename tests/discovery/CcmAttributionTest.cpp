// Telling whose each CCM of a host is, from its pages and the SEARCH answers.

#include "discovery/CcmAttribution.h"

#include <gtest/gtest.h>

namespace {

using discovery::ListedCcm;

ListedCcm Ccm(const std::string& type, std::int32_t room, const std::string& level,
              const std::string& sr = "S")
{
    return {type, room, 1, 1, 29, 0, "", level, sr};
}

std::vector<std::string> Types(const std::vector<ListedCcm>& ccms)
{
    std::vector<std::string> types;
    for (const ListedCcm& ccm : ccms)
        types.push_back(ccm.type + "/" + std::to_string(ccm.room) + "/" + ccm.level);
    return types;
}

TEST(CcmAttribution, OneNodeOwnsEveryPage)
{
    const auto ccms = discovery::AttributeCcms({"10.0.0.1"}, {Ccm("cnd", 1, "A-1S-0")}, {});
    EXPECT_EQ(Types(ccms[0]), (std::vector<std::string>{"cnd/1/A-1S-0"}));
}

TEST(CcmAttribution, SeveralNodesTakeTheirCcmsInTheOrderTheyAnswered)
{
    // Node b lists cnd at another level than a: the second listing is b's.
    const std::vector<ListedCcm> listed{Ccm("cnd", 1, "A-1S-0"), Ccm("WRainfall", 1, "B-0"),
                                        Ccm("cnd", 1, "A-10S-0"), Ccm("WAirTemp", 2, "A-1M-0")};
    const std::map<discovery::CcmKey, std::vector<std::string>> senders{
        {{"cnd", 1, 1, 1}, {"a", "b"}},
        {{"WRainfall", 1, 1, 1}, {"a"}},
        {{"WAirTemp", 2, 1, 1}, {"b"}}};
    const auto ccms = discovery::AttributeCcms({"a", "b", "c"}, listed, senders);
    EXPECT_EQ(Types(ccms[0]), (std::vector<std::string>{"cnd/1/A-1S-0", "WRainfall/1/B-0"}));
    EXPECT_EQ(Types(ccms[1]), (std::vector<std::string>{"cnd/1/A-10S-0", "WAirTemp/2/A-1M-0"}));
    EXPECT_TRUE(ccms[2].empty());
}

TEST(CcmAttribution, AReceivedCcmGoesWithTheNodeListedBeforeIt)
{
    // No SEARCH names who receives a CCM: the listing's order does, node
    // after node. One received before any sent one goes with the next.
    const std::vector<ListedCcm> listed{Ccm("WAirTemp", 1, "A-1S-0", "R"), Ccm("cnd", 1, "A-1S-0"),
                                        Ccm("InAirTemp", 1, "A-10S-0", "R"),
                                        Ccm("cnd", 1, "A-1S-0"),
                                        Ccm("InAirTemp", 1, "A-10S-0", "R")};
    const auto ccms =
        discovery::AttributeCcms({"a", "b"}, listed, {{{"cnd", 1, 1, 1}, {"a", "b"}}});
    EXPECT_EQ(Types(ccms[0]), (std::vector<std::string>{"WAirTemp/1/A-1S-0", "cnd/1/A-1S-0",
                                                        "InAirTemp/1/A-10S-0"}));
    EXPECT_EQ(Types(ccms[1]), (std::vector<std::string>{"cnd/1/A-1S-0", "InAirTemp/1/A-10S-0"}));
}

TEST(CcmAttribution, UnansweredOrUnknownSendersLeaveTheCcmOut)
{
    const std::vector<ListedCcm> listed{Ccm("cnd", 1, "A-1S-0"), Ccm("cnd", 1, "A-1S-0")};
    const auto ccms =
        discovery::AttributeCcms({"a", "b"}, listed, {{{"cnd", 1, 1, 1}, {"stranger"}}});
    EXPECT_TRUE(ccms[0].empty());
    EXPECT_TRUE(ccms[1].empty());
}

} // namespace
