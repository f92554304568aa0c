#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ccm {

// The UDP port that CCM data messages are broadcast to.
inline constexpr std::uint16_t kCcmPort = 16520;
// The panel's limits on the two texts, in characters.
inline constexpr std::size_t kTypeMaxChars = 19;
inline constexpr std::size_t kIpMaxChars = 24;

// The seven fields of one CCM data message.
struct CcmFields {
    std::string_view type; // UTF-8
    std::int32_t room = 0;
    std::int32_t region = 0;
    std::int32_t order = 0;
    std::int32_t priority = 0;
    std::int32_t data = 0; // the rain indication, 0 or 1
    std::string_view ip;   // UTF-8
};

// Formats the message text (UTF-8) into `out`, replacing its content. Texts
// are inserted unchanged (no escaping), but a text longer than the panel
// allows is cut to that many characters, so the message always fits the
// 1024-byte working area of the wire form.
void FormatCcmMessage(const CcmFields& fields, std::string& out);
std::string FormatCcmMessage(const CcmFields& fields);

} // namespace ccm
