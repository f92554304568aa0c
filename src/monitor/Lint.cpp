#include "monitor/Lint.h"

#include "capture/CaptureRecordFields.h"

#include <utility>

namespace monitor {

Linter::Linter(LintAnnouncements announcements, ccm::ReceiverProfile receiver)
    : announcements_(std::move(announcements)), receiver_(receiver)
{
}

LintResult Linter::check(const std::string& source, std::string_view bytes,
                         const ccm::DecodeResult& decoded)
{
    LintResult result;
    if (!decoded.message) {
        result.findings.push_back(
            {"undecodable", decoded.error + " (byte " + std::to_string(decoded.offset) + ")"});
        return result;
    }
    const ccm::Decoded& message = *decoded.message;
    result.kind = capture::KindName(message.kind);
    for (const ccm::Finding& finding : message.findings)
        result.findings.push_back({ccm::DepartureName(finding.departure), finding.detail});
    if (const auto& reply = message.ccmScanReply)
        announcements_.heard(source, reply->type, reply->room, reply->region, reply->order,
                             reply->cast);
    if (const auto& data = message.data) {
        const auto cast =
            announcements_.cast(source, data->type, data->room, data->region, data->order);
        const int decimals = ccm::ValueDecimals(data->value);
        // A value that is no number at all is the decoder's finding already.
        if (cast && decimals >= 0 && decimals != *cast)
            result.findings.push_back(
                {"value-decimals", "value \"" + data->value + "\" has " + std::to_string(decimals) +
                                       (decimals == 1 ? " decimal; " : " decimals; ") + data->type +
                                       " is announced with cast=\"" + std::to_string(*cast) +
                                       "\""});
        if (receiver_ == ccm::ReceiverProfile::Literal)
            if (const auto refusal = ccm::LiteralReceiverRefusal(bytes))
                result.findings.push_back({"dropped-by-literal-receiver", refusal->reason});
    }
    return result;
}

} // namespace monitor
