#include "discovery/ScanResponder.h"

#include "ccm/Decoder.h"
#include "ccm/Ipv4Text.h"
#include "ccm/ScanMessages.h"

#include <algorithm>

namespace discovery {

namespace {

bool IsUnicastSource(const std::string& ip)
{
    const std::optional<std::uint32_t> host = ccm::ParseIpv4(ip);
    if (!host)
        return false;
    const std::uint32_t first = *host >> 24;
    // This network, multicast and reserved (with the limited broadcast).
    return first != 0 && first < 224;
}

// Tolerated: what a hand-typed or pretty-printed request looks like, and a
// type whose bytes read in either encoding (it is then read as the request
// declares, else as UTF-8).
bool IsLiteralEnough(const ccm::Decoded& decoded)
{
    return std::all_of(decoded.findings.begin(), decoded.findings.end(),
                       [](const ccm::Finding& finding) {
                           return finding.departure == ccm::Departure::SpaceBetweenElements ||
                                  finding.departure == ccm::Departure::TrailingLineBreak ||
                                  finding.departure == ccm::Departure::TooLong ||
                                  finding.departure == ccm::Departure::AmbiguousEncoding;
                       });
}

bool Matches(const ccm::SearchContent& search, const ListedCcm& ccm)
{
    return search.type == ccm.type && (search.room == 0 || search.room == ccm.room) &&
           (search.region == 0 || search.region == ccm.region) &&
           (search.order == 0 || search.order == ccm.order);
}

} // namespace

ScanResponder::ScanResponder(std::vector<AnsweringNode> nodes, std::size_t maxReplyBytes)
    : nodes_(std::move(nodes)), maxReplyBytes_(maxReplyBytes),
      budget_(kRepliesPerSecond * static_cast<double>(std::max<std::size_t>(nodes_.size(), 1)),
              kRepliesPerSecond * kOverallRequesters *
                  static_cast<double>(std::max<std::size_t>(nodes_.size(), 1)),
              kMaxRequesters)
{
    for (const AnsweringNode& node : nodes_)
        ccmCount_ += static_cast<std::int32_t>(node.ccms.size());
}

std::string ScanResponder::ccmPage(std::int32_t page) const
{
    std::int32_t index = page - 1;
    for (const AnsweringNode& node : nodes_) {
        const auto size = static_cast<std::int32_t>(node.ccms.size());
        if (index >= size) {
            index -= size;
            continue;
        }
        const ListedCcm& ccm = node.ccms[static_cast<std::size_t>(index)];
        // One CCM a page, numbered as its page; "S": the node sends it.
        return ccm::FormatCcmScanReply({page, ccmCount_, 1, page, ccm.room, ccm.region, ccm.order,
                                        ccm.priority, ccm.cast, ccm.unit, "S", ccm.level,
                                        ccm.type});
    }
    return {};
}

void ScanResponder::collect(const ccm::Decoded& request, std::uint16_t localPort,
                            const Add& add) const
{
    if (localPort == ccm::kScanPort && request.kind == ccm::MessageKind::NodeScan) {
        for (const AnsweringNode& node : nodes_) {
            if (!add(ccm::FormatNodeReply(node.identity)))
                return;
        }
    } else if (localPort == ccm::kScanPort && request.kind == ccm::MessageKind::CcmScan) {
        const std::int32_t page = request.ccmScan->page;
        if (page >= 1 && page <= ccmCount_)
            add(ccmPage(page));
    } else if (localPort == ccm::kSearchPort && request.kind == ccm::MessageKind::Search) {
        for (const AnsweringNode& node : nodes_) {
            for (const ListedCcm& ccm : node.ccms) {
                if (Matches(*request.search, ccm) &&
                    !add(ccm::FormatSearchReply({ccm.type, ccm.room, ccm.region, ccm.order,
                                                 ccm.priority, node.identity.ip})))
                    return;
            }
        }
    }
}

std::vector<Reply> ScanResponder::answer(const Request& request, ReplyBudget::Clock::time_point now)
{
    if (request.bytes.size() > kMaxRequestBytes || request.sourcePort == 0 ||
        !IsUnicastSource(request.sourceIp))
        return {};
    const ccm::DecodeResult result = ccm::Decode(request.bytes);
    if (!result.message || !IsLiteralEnough(*result.message))
        return {};
    // Checked first, so that a flood costs no formatting once the budget is spent.
    const std::size_t limit = budget_.available(request.sourceIp, now);
    if (limit == 0)
        return {};
    std::vector<Reply> replies;
    std::size_t bytes = 0;
    collect(*result.message, request.localPort, [&](const std::string& text) {
        if (replies.size() == limit)
            return false;
        std::string encoded = encoder_.encode(text);
        if (bytes + encoded.size() > maxReplyBytes_)
            return false;
        bytes += encoded.size();
        replies.push_back({request.sourceIp, request.sourcePort, std::move(encoded)});
        return true;
    });
    budget_.take(request.sourceIp, replies.size());
    return replies;
}

} // namespace discovery
