// The decoder on arbitrary datagrams. Besides never crashing, what it
// decodes must format back to a message with the same content, and a
// datagram it finds nothing to say about must be exactly the formatted text.
#include "FuzzCheck.h"
#include "ccm/CcmMessage.h"
#include "ccm/Decoder.h"
#include "ccm/ScanMessages.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// The content of `decoded`, formatted again; empty when FormatData cannot
// carry it (it neither escapes nor keeps texts over the panel's limits).
std::string Reformatted(const ccm::Decoded& decoded)
{
    switch (decoded.kind) {
    case ccm::MessageKind::Data: {
        const ccm::DataContent& data = *decoded.data;
        const auto plain = [](const std::string& text) {
            return text.find_first_of("<&\"") == std::string::npos;
        };
        for (const ccm::Finding& finding : decoded.findings) {
            if (finding.departure == ccm::Departure::TypeTooLong)
                return {};
        }
        if (!plain(data.type) || !plain(data.value) || !plain(data.ip) ||
            data.ip.size() > ccm::kIpMaxChars)
            return {};
        return ccm::FormatData(data);
    }
    case ccm::MessageKind::NodeScan:
        return ccm::FormatNodeScan();
    case ccm::MessageKind::NodeReply:
        return ccm::FormatNodeReply(*decoded.node);
    case ccm::MessageKind::CcmScan:
        return ccm::FormatCcmScan(decoded.ccmScan->page);
    case ccm::MessageKind::CcmScanReply:
        return ccm::FormatCcmScanReply(*decoded.ccmScanReply);
    case ccm::MessageKind::Search:
        return ccm::FormatSearch(*decoded.search);
    case ccm::MessageKind::SearchReply:
        return ccm::FormatSearchReply(*decoded.searchReply);
    }
    return {};
}

bool SameContent(const ccm::Decoded& a, const ccm::Decoded& b)
{
    return a.kind == b.kind && a.data == b.data && a.node == b.node && a.ccmScan == b.ccmScan &&
           a.ccmScanReply == b.ccmScanReply && a.search == b.search &&
           a.searchReply == b.searchReply;
}

int MembersSet(const ccm::Decoded& d)
{
    return d.data.has_value() + d.node.has_value() + d.ccmScan.has_value() +
           d.ccmScanReply.has_value() + d.search.has_value() + d.searchReply.has_value();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string_view datagram(reinterpret_cast<const char*>(bytes), size);
    const ccm::DecodeResult result = ccm::Decode(datagram);
    if (!result.message) {
        FUZZ_CHECK(!result.error.empty());
        FUZZ_CHECK(result.offset <= size);
        return 0;
    }
    const ccm::Decoded& decoded = *result.message;
    FUZZ_CHECK(MembersSet(decoded) == (decoded.kind == ccm::MessageKind::NodeScan ? 0 : 1));
    for (const ccm::Finding& finding : decoded.findings)
        FUZZ_CHECK(std::strcmp(ccm::DepartureName(finding.departure), "unknown") != 0);

    const std::string text = Reformatted(decoded);
    if (text.empty() || text.size() > ccm::kMaxDecodedBytes)
        return 0;
    const ccm::DecodeResult again = ccm::Decode(text);
    FUZZ_CHECK(again.message.has_value());
    FUZZ_CHECK(SameContent(*again.message, decoded));

    // Without findings the datagram was the literal form, but for the
    // spellings a formatter cannot know: an entity for a character it leaves
    // plain, a Shift-JIS code with two spellings, and page="1" for page 1.
    const bool spelledOtherwise =
        datagram.find('&') != std::string_view::npos || decoded.shiftJis ||
        (decoded.kind == ccm::MessageKind::CcmScan && datagram.find("page") != datagram.npos);
    if (decoded.findings.empty() && !spelledOtherwise)
        FUZZ_CHECK(text == datagram);
    return 0;
}
