#include "capture/Ipv4Packet.h"

namespace capture {

namespace {

std::uint16_t Be16(const std::uint8_t* at)
{
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

std::uint32_t Be32(const std::uint8_t* at)
{
    return std::uint32_t{Be16(at)} << 16 | Be16(at + 2);
}

} // namespace

Ipv4Parse ParseIpv4Packet(std::span<const std::uint8_t> bytes, Ipv4Packet& packet)
{
    if (bytes.empty() || bytes[0] >> 4 != 4)
        return Ipv4Parse::notIpv4;
    if (bytes.size() < 20)
        return Ipv4Parse::damaged;
    const std::size_t headerBytes = (bytes[0] & 0x0f) * 4u;
    const std::size_t total = Be16(&bytes[2]);
    if (headerBytes < 20 || total < headerBytes || total > bytes.size())
        return Ipv4Parse::damaged;
    const std::uint16_t flags = Be16(&bytes[6]);
    packet.id = Be16(&bytes[4]);
    packet.moreFragments = (flags & 0x2000) != 0;
    packet.fragmentOffset = (flags & 0x1fffu) * 8u;
    packet.protocol = bytes[9];
    packet.source = Be32(&bytes[12]);
    packet.destination = Be32(&bytes[16]);
    packet.payload = bytes.subspan(headerBytes, total - headerBytes);
    return Ipv4Parse::ok;
}

} // namespace capture
