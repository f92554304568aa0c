#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace capture {

// The link types packet captures of a UECS segment come in: Ethernet (with
// 802.1Q/802.1ad tags, stacked too), Linux cooked capture v1 and v2 (what
// `tcpdump -i any` writes), and raw IPv4.
bool SupportedLinkType(int linkType);
// Its name for a message, as libpcap knows it.
std::string LinkTypeName(int linkType);

// The network-layer packet in `frame` when it carries IPv4; nothing for any
// other protocol or a frame too short to say.
std::optional<std::span<const std::uint8_t>> Ipv4InFrame(int linkType,
                                                         std::span<const std::uint8_t> frame);

} // namespace capture
