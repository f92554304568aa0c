#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Packets built byte by byte for the readers' tests, and pcap files of them
// written through libpcap.
namespace packets {

using Bytes = std::vector<std::uint8_t>;

struct Udp {
    std::uint32_t source = 0x0a000001; // 10.0.0.1
    std::uint32_t destination = 0xffffffff;
    std::uint16_t sourcePort = 16520;
    std::uint16_t port = 16520;
    std::string payload;
};

// An IPv4 packet of any protocol.
Bytes Ipv4(std::uint8_t protocol, std::uint32_t source, std::uint32_t destination,
           const Bytes& payload, std::uint16_t id = 1, std::uint16_t fragmentBytes = 0,
           bool moreFragments = false);
// The UDP header and payload (checksum 0: none, as IPv4 allows).
Bytes UdpSegment(const Udp& udp);
Bytes Ipv4Udp(const Udp& udp);

// `ip` in a frame of the link type (a DLT_ value), with `vlans` 802.1Q tags
// before the EtherType on Ethernet; `etherType` for a frame of another kind.
Bytes Frame(int linkType, const Bytes& ip, int vlans = 0, std::uint16_t etherType = 0x0800);

struct Packet {
    std::int64_t micros = 0;
    Bytes bytes;
    // Bytes the packet had on the wire: more than `bytes` when cut short.
    std::size_t wireLength = 0;
};

// A pcap file of the packets, written by libpcap.
void WritePcap(const std::string& path, int linkType, const std::vector<Packet>& packets);

} // namespace packets
