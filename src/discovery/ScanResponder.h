#pragma once

#include "ccm/Cp932Encoder.h"
#include "ccm/Decoder.h"
#include "discovery/AnsweringNode.h"
#include "discovery/ReplyBudget.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace discovery {

// A datagram that may be a scan request.
struct Request {
    std::string_view bytes;
    std::string sourceIp;
    std::uint16_t sourcePort = 0;
    // The port it arrived on: NODESCAN and CCMSCAN count only on the scan
    // port, SEARCH only on the search port.
    std::uint16_t localPort = 0;
};

// One reply: Shift-JIS bytes for the requester's address and port.
struct Reply {
    std::string ip;
    std::uint16_t port = 0;
    std::string bytes;
};

// The answers of the nodes one host runs. NODESCAN: one NODE per node.
// CCMSCAN page N: the Nth CCM of the host, the nodes' lists one after the
// other; a page beyond them gets nothing. SEARCH: one SERVER per matching
// CCM, room, region and order 0 matching any. A request longer than
// kMaxRequestBytes, not well formed, or in any form but the literal one
// (spaces and line breaks between elements aside) gets nothing, and so does
// a source that is no unicast IPv4 address. Replies go to the requester
// only, at most kRepliesPerSecond a second per node to one address, and at
// most maxReplyBytes for one request (the first nodes or CCMs that fit).
class ScanResponder {
public:
    static constexpr std::size_t kMaxRequestBytes = 1024;
    static constexpr double kRepliesPerSecond = 10;
    // Ten requesters at their full rate, then the host is quiet.
    static constexpr double kOverallRequesters = 10;
    static constexpr std::size_t kMaxRequesters = 256;
    // What one request may draw by default, however many nodes answer: a
    // NODE reply is at most 296 bytes, so 55 nodes or more answer a NODESCAN.
    // A bench that scans a larger station on a network of its own raises it.
    static constexpr std::size_t kMaxReplyBytes = 16384;
    static constexpr std::size_t kLargestReplyBound = 64 * 1024 * 1024;

    // Throws runtime::Exception when the system has no Shift-JIS converter.
    explicit ScanResponder(std::vector<AnsweringNode> nodes,
                           std::size_t maxReplyBytes = kMaxReplyBytes);

    std::vector<Reply> answer(const Request& request, ReplyBudget::Clock::time_point now);

private:
    // Hands each reply's UTF-8 text to `add` until it returns false.
    using Add = std::function<bool(const std::string& text)>;
    void collect(const ccm::Decoded& request, std::uint16_t localPort, const Add& add) const;
    std::string ccmPage(std::int32_t page) const;

    std::vector<AnsweringNode> nodes_;
    std::int32_t ccmCount_ = 0;
    std::size_t maxReplyBytes_;
    ReplyBudget budget_;
    ccm::Cp932Encoder encoder_;
};

} // namespace discovery
