#include "discovery/ScanResponder.h"

#include "ccm/Decoder.h"
#include "ccm/ScanMessages.h"

#include <arpa/inet.h>

#include <algorithm>

namespace discovery {

namespace {

bool IsUnicastSource(const std::string& ip)
{
    in_addr address{};
    if (inet_pton(AF_INET, ip.c_str(), &address) != 1)
        return false;
    const std::uint32_t host = ntohl(address.s_addr);
    const std::uint32_t first = host >> 24;
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

ScanResponder::ScanResponder(std::vector<AnsweringNode> nodes)
    : nodes_(std::move(nodes)),
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

std::vector<std::string> ScanResponder::texts(const ccm::Decoded& request, std::uint16_t localPort,
                                              std::size_t limit) const
{
    std::vector<std::string> texts;
    if (localPort == ccm::kScanPort && request.kind == ccm::MessageKind::NodeScan) {
        for (std::size_t at = 0; at < nodes_.size() && texts.size() < limit; ++at)
            texts.push_back(ccm::FormatNodeReply(nodes_[at].identity));
    } else if (localPort == ccm::kScanPort && request.kind == ccm::MessageKind::CcmScan) {
        const std::int32_t page = request.ccmScan->page;
        if (page >= 1 && page <= ccmCount_)
            texts.push_back(ccmPage(page));
    } else if (localPort == ccm::kSearchPort && request.kind == ccm::MessageKind::Search) {
        for (const AnsweringNode& node : nodes_) {
            for (const ListedCcm& ccm : node.ccms) {
                if (texts.size() == limit)
                    return texts;
                if (Matches(*request.search, ccm))
                    texts.push_back(
                        ccm::FormatSearchReply({ccm.type, ccm.room, ccm.region, ccm.order,
                                                ccm.priority, node.identity.ip}));
            }
        }
    }
    return texts;
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
    const std::vector<std::string> texts = this->texts(*result.message, request.localPort, limit);
    budget_.take(request.sourceIp, texts.size());
    std::vector<Reply> replies;
    replies.reserve(texts.size());
    for (const std::string& text : texts)
        replies.push_back({request.sourceIp, request.sourcePort, encoder_.encode(text)});
    return replies;
}

} // namespace discovery
