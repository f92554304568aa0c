// The answers of a host's nodes: what each request gets, what gets nothing,
// and the reply budget under floods.

#include "discovery/ScanResponder.h"
#include "ccm/Decoder.h"
#include "ccm/ScanMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using discovery::AnsweringNode;
using discovery::Reply;
using discovery::Request;
using discovery::ScanResponder;
using Clock = discovery::ReplyBudget::Clock;

const std::string kHead = R"(<?xml version="1.0"?><UECS ver="1.00-E10">)";

AnsweringNode Node(const std::string& ip, std::vector<discovery::ListedCcm> ccms)
{
    return {{"bench", "acme", "10100C000001", ip, "02000A000001"}, std::move(ccms)};
}

// Two nodes: one with cnd and two temperatures in rooms 1 and 2, one with
// cnd and a humidity.
std::vector<AnsweringNode> TwoNodes()
{
    return {Node("10.0.0.70", {{"cnd", 1, 1, 1, 29, 0, "", "A-1S-0"},
                               {"InAirTemp", 1, 1, 1, 15, 1, "C", "A-10S-0"},
                               {"InAirTemp", 2, 1, 1, 15, 1, "C", "A-10S-0"}}),
            Node("10.0.0.71", {{"cnd", 1, 1, 1, 29, 0, "", "A-1S-0"},
                               {"InAirHumid", 1, 1, 1, 15, 0, "%", "A-1M-0"}})};
}

class Responder : public testing::Test {
protected:
    std::vector<Reply> ask(const std::string& text, std::uint16_t port = ccm::kScanPort,
                           const std::string& source = "10.0.0.5", std::uint16_t sourcePort = 40000)
    {
        return responder.answer(Request{text, source, sourcePort, port}, now);
    }

    std::vector<ccm::Decoded> decoded(const std::vector<Reply>& replies)
    {
        std::vector<ccm::Decoded> out;
        for (const Reply& reply : replies) {
            ccm::DecodeResult result = ccm::Decode(reply.bytes);
            EXPECT_TRUE(result.message) << reply.bytes;
            if (result.message) {
                EXPECT_TRUE(result.message->findings.empty()) << reply.bytes;
                out.push_back(*result.message);
            }
        }
        return out;
    }

    ScanResponder responder{TwoNodes()};
    Clock::time_point now = Clock::now();
};

TEST_F(Responder, NodeScanGetsOneNodeReplyPerNodeToTheRequesterOnly)
{
    const std::vector<Reply> replies = ask(ccm::FormatNodeScan());
    ASSERT_EQ(replies.size(), 2u);
    for (const Reply& reply : replies) {
        EXPECT_EQ(reply.ip, "10.0.0.5");
        EXPECT_EQ(reply.port, 40000);
    }
    const auto nodes = decoded(replies);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].node->ip, "10.0.0.70");
    EXPECT_EQ(nodes[0].node->uecsId, "10100C000001");
    EXPECT_EQ(nodes[1].node->ip, "10.0.0.71");
}

TEST_F(Responder, CcmScanPagesRunThroughTheNodesInOrderAndStopAtTheTotal)
{
    std::vector<std::string> types;
    for (std::int32_t page = 1; page <= 5; ++page) {
        const auto replies = decoded(ask(ccm::FormatCcmScan(page)));
        ASSERT_EQ(replies.size(), 1u) << page;
        const ccm::CcmScanReplyContent& reply = *replies[0].ccmScanReply;
        EXPECT_EQ(reply.page, page);
        EXPECT_EQ(reply.total, 5);
        EXPECT_EQ(reply.sr, "S");
        types.push_back(reply.type + "/" + std::to_string(reply.room) + "/" + reply.level);
    }
    EXPECT_EQ(types, (std::vector<std::string>{"cnd/1/A-1S-0", "InAirTemp/1/A-10S-0",
                                               "InAirTemp/2/A-10S-0", "cnd/1/A-1S-0",
                                               "InAirHumid/1/A-1M-0"}));
    EXPECT_TRUE(ask(ccm::FormatCcmScan(6)).empty());
    EXPECT_TRUE(ask(kHead + R"(<CCMSCAN page="0"/></UECS>)").empty());
    EXPECT_TRUE(ask(kHead + R"(<CCMSCAN page="99999999999"/></UECS>)").empty());
}

TEST_F(Responder, SearchMatchesTypeExactlyAndZeroAsAnyRoomRegionOrder)
{
    const auto search = [&](const std::string& type, std::int32_t room, std::int32_t region,
                            std::int32_t order) {
        std::vector<std::string> found;
        for (const ccm::Decoded& reply :
             decoded(ask(ccm::FormatSearch({type, room, region, order}), ccm::kSearchPort)))
            found.push_back(reply.searchReply->ip + " room " +
                            std::to_string(reply.searchReply->room) + " priority " +
                            std::to_string(reply.searchReply->priority));
        return found;
    };
    EXPECT_EQ(
        search("InAirTemp", 0, 0, 0),
        (std::vector<std::string>{"10.0.0.70 room 1 priority 15", "10.0.0.70 room 2 priority 15"}));
    EXPECT_EQ(search("InAirTemp", 2, 0, 0),
              (std::vector<std::string>{"10.0.0.70 room 2 priority 15"}));
    EXPECT_EQ(search("cnd", 1, 1, 1), (std::vector<std::string>{"10.0.0.70 room 1 priority 29",
                                                                "10.0.0.71 room 1 priority 29"}));
    EXPECT_TRUE(search("InAirTemp", 3, 0, 0).empty());
    EXPECT_TRUE(search("InAirTemp", 0, 2, 0).empty());
    EXPECT_TRUE(search("inairtemp", 0, 0, 0).empty());
}

TEST_F(Responder, EachRequestCountsOnlyOnItsOwnPort)
{
    EXPECT_TRUE(ask(ccm::FormatNodeScan(), ccm::kSearchPort).empty());
    EXPECT_TRUE(ask(ccm::FormatCcmScan(1), ccm::kSearchPort).empty());
    EXPECT_TRUE(ask(ccm::FormatSearch({"cnd", 0, 0, 0}), ccm::kScanPort).empty());
    EXPECT_TRUE(ask(ccm::FormatNodeScan(), 16520).empty());
}

TEST_F(Responder, SpacesAndLineBreaksBetweenElementsAreTolerated)
{
    EXPECT_EQ(
        ask("<?xml version=\"1.0\"?>\r\n<UECS ver=\"1.00-E10\">\n  <NODESCAN/>\n</UECS>\n").size(),
        2u);
}

struct Silent {
    const char* name;
    std::string request;
    std::string source = "10.0.0.5";
    std::uint16_t sourcePort = 40000;
};

std::ostream& operator<<(std::ostream& out, const Silent& c)
{
    return out << c.name;
}

class SilentRequest : public testing::TestWithParam<Silent> {};

TEST_P(SilentRequest, GetsNothing)
{
    ScanResponder responder(TwoNodes());
    const Silent& c = GetParam();
    EXPECT_TRUE(responder.answer({c.request, c.source, c.sourcePort, ccm::kScanPort}, Clock::now())
                    .empty());
}

INSTANTIATE_TEST_SUITE_P(
    Refused, SilentRequest,
    testing::Values(
        // Over 1 KiB, although well formed once the spaces are skipped.
        Silent{"Oversized", kHead + std::string(1000, ' ') + "<NODESCAN/></UECS>"},
        Silent{"Truncated", kHead + "<NODESCAN/>"}, Silent{"NotXml", "NODESCAN"},
        Silent{"Empty", ""},
        Silent{"AReplyNotARequest",
               ccm::FormatNodeReply({"n", "v", "000000000000", "10.0.0.1", "000000000000"})},
        Silent{"DataMessage", kHead + R"(<DATA type="cnd" room="1" region="1" order="1" )"
                                      R"(priority="29">0</DATA><IP>10.0.0.1</IP></UECS>)"},
        Silent{"LongEmptyForm", kHead + "<NODESCAN></NODESCAN></UECS>"},
        Silent{"NoDeclaration", R"(<UECS ver="1.00-E10"><NODESCAN/></UECS>)"},
        Silent{"ExtraAttribute", kHead + R"(<CCMSCAN page="1" all="1"/></UECS>)"},
        Silent{"SourceBroadcast", ccm::FormatNodeScan(), "255.255.255.255"},
        Silent{"SourceMulticast", ccm::FormatNodeScan(), "224.0.0.1"},
        Silent{"SourceZero", ccm::FormatNodeScan(), "0.0.0.0"},
        Silent{"SourcePortZero", ccm::FormatNodeScan(), "10.0.0.5", 0}),
    [](const testing::TestParamInfo<Silent>& info) { return std::string(info.param.name); });

TEST(ResponderBudget, TenRepliesASecondPerNodeToOneAddressHoweverManyRequests)
{
    ScanResponder responder(TwoNodes());
    const Clock::time_point start = Clock::now();
    // 2000 NODESCANs a second for 3 s from one address: 2 replies each asked.
    std::size_t replies = 0;
    for (int i = 0; i < 6000; ++i)
        replies += responder
                       .answer({ccm::FormatNodeScan(), "10.0.0.5", 40000, ccm::kScanPort},
                               start + std::chrono::microseconds(500 * i))
                       .size();
    // A full second's worth at first, then the rate: 20 + 3 s x 20.
    EXPECT_LE(replies, 80u);
    EXPECT_GE(replies, 78u);
    // Another address has its own share.
    EXPECT_EQ(responder
                  .answer({ccm::FormatNodeScan(), "10.0.0.6", 40000, ccm::kScanPort},
                          start + std::chrono::seconds(3))
                  .size(),
              2u);
}

TEST(ResponderBudget, ManySourcesAreBoundedInMemoryAndInReplies)
{
    ScanResponder responder(TwoNodes());
    const Clock::time_point start = Clock::now();
    std::size_t replies = 0;
    // 5000 spoofed sources in one second, each asking once.
    for (int i = 0; i < 5000; ++i) {
        const std::string source =
            "10.1." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1);
        replies += responder
                       .answer({ccm::FormatNodeScan(), source, 40000, ccm::kScanPort},
                               start + std::chrono::microseconds(200 * i))
                       .size();
    }
    // Ten requesters' worth a second for the whole host: 2 nodes x 10 x 10, twice.
    EXPECT_LE(replies, 400u);
    EXPECT_GE(replies, 200u);
}

TEST(ResponderBudget, ASearchAnswersAtMostOncePerCcmAndOnlyWithinTheBudget)
{
    // One node with 30 CCMs of one type: a wildcard SEARCH matches them all,
    // more than one node's second of budget.
    std::vector<discovery::ListedCcm> ccms;
    for (std::int32_t order = 1; order <= 30; ++order)
        ccms.push_back({"SoilTemp", 1, 1, order, 15, 1, "C", "A-1M-0"});
    ScanResponder responder({Node("10.0.0.70", ccms)});
    const Clock::time_point start = Clock::now();
    const std::string text = ccm::FormatSearch({"SoilTemp", 0, 0, 0});
    const Request search{text, "10.0.0.5", 40000, ccm::kSearchPort};
    EXPECT_EQ(responder.answer(search, start).size(), 10u);
    EXPECT_TRUE(responder.answer(search, start).empty());
    EXPECT_EQ(responder.answer(search, start + std::chrono::milliseconds(500)).size(), 5u);
    EXPECT_EQ(responder.answer(search, start + std::chrono::seconds(10)).size(), 10u);
}

TEST(ResponderBudget, RequestsFromOtherAddressesDoNotRefillARequestersBudget)
{
    ScanResponder responder(TwoNodes());
    const Clock::time_point start = Clock::now();
    // For 3 s, a request every 100 us: a NODESCAN in the victim's name, then
    // SEARCHes that match nothing from 256 other addresses (as many as the
    // table of requesters holds), and again.
    const std::string nothing = ccm::FormatSearch({"None", 0, 0, 0});
    std::size_t replies = 0;
    for (int at = 0; at < 30000; ++at) {
        const Clock::time_point now = start + std::chrono::microseconds(100 * at);
        const int other = at % 257;
        if (other == 0) {
            replies +=
                responder.answer({ccm::FormatNodeScan(), "10.0.0.5", 40000, ccm::kScanPort}, now)
                    .size();
            continue;
        }
        const std::string spoofed =
            "10.2." + std::to_string(other / 128) + "." + std::to_string(other % 128 + 1);
        EXPECT_TRUE(responder.answer({nothing, spoofed, 40000, ccm::kSearchPort}, now).empty());
    }
    // A full second's worth, then 20 a second: the budget held all along.
    EXPECT_LE(replies, 20u * 4);
    EXPECT_GE(replies, 20u * 3);
}

TEST(ResponderBudget, OneRequestDrawsAtMostTheReplyBytesBoundHoweverManyNodesAnswer)
{
    std::vector<AnsweringNode> nodes;
    for (int i = 1; i <= 200; ++i)
        nodes.push_back(
            Node("10.0.0." + std::to_string(i), {{"cnd", 1, 1, 1, 29, 0, "", "A-1S-0"}}));
    const std::string nodeScan = ccm::FormatNodeScan();
    const std::string search = ccm::FormatSearch({"cnd", 0, 0, 0});
    for (const Request& request : {Request{nodeScan, "10.0.0.5", 40000, ccm::kScanPort},
                                   Request{search, "10.0.0.5", 40000, ccm::kSearchPort}}) {
        ScanResponder responder(nodes);
        const std::vector<Reply> replies = responder.answer(request, Clock::now());
        std::size_t bytes = 0;
        for (const Reply& reply : replies)
            bytes += reply.bytes.size();
        // As many as fit: one more would not.
        EXPECT_LE(bytes, ScanResponder::kMaxReplyBytes) << request.bytes;
        ASSERT_FALSE(replies.empty());
        EXPECT_LT(replies.size(), nodes.size());
        EXPECT_GT(bytes + replies.back().bytes.size(), ScanResponder::kMaxReplyBytes);
    }
}

TEST(ResponderBudget, ARaisedReplyBoundAnswersEveryNodeOfALargeStation)
{
    std::vector<AnsweringNode> nodes;
    for (int i = 1; i <= 200; ++i)
        nodes.push_back(
            Node("10.0.0." + std::to_string(i), {{"cnd", 1, 1, 1, 29, 0, "", "A-1S-0"}}));
    ScanResponder responder(nodes, 200 * 300);
    const std::string nodeScan = ccm::FormatNodeScan();
    EXPECT_EQ(responder.answer({nodeScan, "10.0.0.5", 40000, ccm::kScanPort}, Clock::now()).size(),
              nodes.size());
}

} // namespace
