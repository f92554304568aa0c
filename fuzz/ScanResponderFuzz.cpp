// The scan responder given a run of arbitrary datagrams from a few sources,
// on a clock the input moves. Properties: replies go only to the requester;
// one request gets at most one reply per node (NODESCAN) or per CCM, and
// at most kMaxReplyBytes in all; a request over 1 KiB gets nothing; no source ever gets more than
// 10 replies a second per node, nor the host more than its overall rate.
#include "FuzzCheck.h"
#include "discovery/ScanResponder.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace {

using discovery::ScanResponder;
using Clock = discovery::ReplyBudget::Clock;

std::vector<discovery::AnsweringNode> Nodes()
{
    const discovery::NodeIdentity id{"n", "v", "000000000000", "10.0.0.70", "020000000000"};
    return {{id,
             {{"cnd", 1, 1, 1, 29, 0, "", "A-1S-0"},
              {"InAirTemp", 1, 1, 1, 15, 1, "C", "A-10S-0"},
              {"InAirTemp", 2, 1, 1, 15, 1, "C", "A-10S-0"}}},
            {id, {{"cnd", 1, 1, 1, 29, 0, "", "A-1S-0"}}}};
}

constexpr std::size_t kNodes = 2;
constexpr std::size_t kCcms = 4;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    ScanResponder responder(Nodes());
    static const std::array<const char*, 5> kSources{"10.0.0.5", "10.0.0.6", "192.168.1.9",
                                                     "255.255.255.255", "0.0.0.0"};
    static const std::array<std::uint16_t, 3> kPorts{16529, 16521, 16520};
    const Clock::time_point start = Clock::now();
    Clock::time_point now = start;
    std::map<std::string, std::size_t> replies;
    std::size_t overall = 0;
    for (int request = 0; request < 64 && input.remaining_bytes() > 0; ++request) {
        now += std::chrono::milliseconds(input.ConsumeIntegralInRange(0, 2000));
        const std::string source = kSources[input.ConsumeIntegralInRange<std::size_t>(0, 4)];
        const auto sourcePort = input.ConsumeIntegral<std::uint16_t>();
        const std::uint16_t port = kPorts[input.ConsumeIntegralInRange<std::size_t>(0, 2)];
        const std::string bytes = input.ConsumeRandomLengthString(2048);
        const std::vector<discovery::Reply> answer =
            responder.answer({bytes, source, sourcePort, port}, now);
        FUZZ_CHECK(answer.size() <= std::max(kNodes, kCcms));
        FUZZ_CHECK(bytes.size() <= ScanResponder::kMaxRequestBytes || answer.empty());
        std::size_t bytesOut = 0;
        for (const discovery::Reply& reply : answer) {
            FUZZ_CHECK(reply.ip == source && reply.port == sourcePort);
            FUZZ_CHECK(!reply.bytes.empty());
            bytesOut += reply.bytes.size();
        }
        FUZZ_CHECK(bytesOut <= ScanResponder::kMaxReplyBytes);
        replies[source] += answer.size();
        overall += answer.size();
        // A full second's worth at first, then the rate.
        const double seconds = std::chrono::duration<double>(now - start).count() + 1;
        const double rate = ScanResponder::kRepliesPerSecond * kNodes;
        FUZZ_CHECK(static_cast<double>(replies[source]) <= rate * seconds + 1e-6);
        FUZZ_CHECK(static_cast<double>(overall) <=
                   rate * ScanResponder::kOverallRequesters * seconds + 1e-6);
    }
    return 0;
}
