#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ccm {

// How a receiver reads a data message: leniently, as an XML parser (what this
// program's decoder takes), or literally.
enum class ReceiverProfile { Tolerant, Literal };

// The rules of a literal receiver, in the order it applies them: small field
// nodes that compare the datagram with the one-line data message text byte
// by byte instead of parsing XML.
enum class LiteralRule {
    Buffer,      // the whole datagram in a 300-byte buffer
    Declaration, // exactly <?xml version="1.0"?> first
    Whitespace,  // nothing between one element's '>' and the next '<'
    Envelope,    // exactly <UECS ver="1.00-E10">
    Data,        // a DATA element next
    Attributes,  // type, room, region, order, priority, in that order, one space apart
    OneData,     // one DATA only
    Ip,          // then <IP>text</IP>, or nothing
    End,         // then </UECS>, the datagram's last bytes
};

struct LiteralRefusal {
    LiteralRule rule;
    // For people: what the receiver met ("at byte 42: ...").
    std::string reason;
};

// Stable names for tests and messages: "buffer", "declaration", ...
const char* LiteralRuleName(LiteralRule rule);

// Whether a literal receiver takes `datagram` as a data message: nothing
// when it does, else the first rule broken. Texts between the fixed parts
// (attribute values, the value, the <IP> text) are taken as they are.
std::optional<LiteralRefusal> LiteralReceiverRefusal(std::string_view datagram);

} // namespace ccm
