#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace capture {

// The parts of an IPv4 packet a capture reader needs: who, which fragment,
// and the payload the header's total length covers.
struct Ipv4Packet {
    std::uint32_t source = 0;
    std::uint32_t destination = 0;
    std::uint16_t id = 0;
    std::uint8_t protocol = 0;
    bool moreFragments = false;
    // In bytes.
    std::uint32_t fragmentOffset = 0;
    std::span<const std::uint8_t> payload;

    bool fragment() const { return moreFragments || fragmentOffset != 0; }
};

enum class Ipv4Parse { ok, notIpv4, damaged };

// Parses the packet at the start of `bytes` (trailing link padding passed
// over). `damaged` when the header is inconsistent or the bytes end before
// its total length (a snapshot length cut it).
Ipv4Parse ParseIpv4Packet(std::span<const std::uint8_t> bytes, Ipv4Packet& packet);

} // namespace capture
