#include "capture/LinkLayer.h"

#include <pcap/pcap.h>

namespace capture {

namespace {

constexpr std::uint16_t kIpv4 = 0x0800;

std::uint16_t Be16(const std::uint8_t* at)
{
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

bool VlanTag(std::uint16_t etherType)
{
    return etherType == 0x8100 || etherType == 0x88a8 || etherType == 0x9100;
}

// `rest` starts after an EtherType of `etherType`; VLAN tags (4 bytes each:
// the tag, then the next EtherType) are stepped over.
std::optional<std::span<const std::uint8_t>> AfterEtherType(std::uint16_t etherType,
                                                            std::span<const std::uint8_t> rest)
{
    while (VlanTag(etherType)) {
        if (rest.size() < 4)
            return std::nullopt;
        etherType = Be16(&rest[2]);
        rest = rest.subspan(4);
    }
    if (etherType != kIpv4)
        return std::nullopt;
    return rest;
}

} // namespace

bool SupportedLinkType(int linkType)
{
    return linkType == DLT_EN10MB || linkType == DLT_LINUX_SLL || linkType == DLT_LINUX_SLL2 ||
           linkType == DLT_RAW || linkType == DLT_IPV4;
}

std::string LinkTypeName(int linkType)
{
    const char* name = pcap_datalink_val_to_name(linkType);
    return name != nullptr ? name : "link type " + std::to_string(linkType);
}

std::optional<std::span<const std::uint8_t>> Ipv4InFrame(int linkType,
                                                         std::span<const std::uint8_t> frame)
{
    switch (linkType) {
    case DLT_EN10MB:
        if (frame.size() < 14)
            return std::nullopt;
        return AfterEtherType(Be16(&frame[12]), frame.subspan(14));
    case DLT_LINUX_SLL:
        // 16 bytes: packet type, address type and length, 8 address bytes,
        // then the protocol.
        if (frame.size() < 16)
            return std::nullopt;
        return AfterEtherType(Be16(&frame[14]), frame.subspan(16));
    case DLT_LINUX_SLL2:
        // 20 bytes, the protocol first.
        if (frame.size() < 20)
            return std::nullopt;
        return AfterEtherType(Be16(&frame[0]), frame.subspan(20));
    case DLT_RAW:
    case DLT_IPV4:
        return frame;
    default:
        return std::nullopt;
    }
}

} // namespace capture
