#include "capture/PacketFrames.h"

#include <pcap/pcap.h>

#include <algorithm>
#include <stdexcept>

namespace packets {

namespace {

void Put16(Bytes& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void Put32(Bytes& out, std::uint32_t value)
{
    Put16(out, static_cast<std::uint16_t>(value >> 16));
    Put16(out, static_cast<std::uint16_t>(value));
}

} // namespace

Bytes Ipv4(std::uint8_t protocol, std::uint32_t source, std::uint32_t destination,
           const Bytes& payload, std::uint16_t id, std::uint16_t fragmentBytes, bool moreFragments)
{
    Bytes out{0x45, 0};
    Put16(out, static_cast<std::uint16_t>(20 + payload.size()));
    Put16(out, id);
    Put16(out, static_cast<std::uint16_t>((moreFragments ? 0x2000 : 0) | fragmentBytes / 8));
    out.push_back(64);
    out.push_back(protocol);
    Put16(out, 0);
    Put32(out, source);
    Put32(out, destination);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes UdpSegment(const Udp& udp)
{
    Bytes out;
    Put16(out, udp.sourcePort);
    Put16(out, udp.port);
    Put16(out, static_cast<std::uint16_t>(8 + udp.payload.size()));
    Put16(out, 0);
    out.insert(out.end(), udp.payload.begin(), udp.payload.end());
    return out;
}

Bytes Ipv4Udp(const Udp& udp)
{
    return Ipv4(17, udp.source, udp.destination, UdpSegment(udp));
}

Bytes Frame(int linkType, const Bytes& ip, int vlans, std::uint16_t etherType)
{
    Bytes out;
    switch (linkType) {
    case DLT_EN10MB:
        out = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x02, 0, 0, 0, 0, 1};
        for (int vlan = 0; vlan < vlans; ++vlan) {
            Put16(out, vlan == 0 && vlans > 1 ? 0x88a8 : 0x8100);
            Put16(out, static_cast<std::uint16_t>(10 + vlan));
        }
        Put16(out, etherType);
        break;
    case DLT_LINUX_SLL:
        out = {0, 1, 0, 1, 0, 6, 0x02, 0, 0, 0, 0, 1, 0, 0};
        Put16(out, etherType);
        break;
    case DLT_LINUX_SLL2:
        Put16(out, etherType);
        out.insert(out.end(), {0, 0, 0, 0, 0, 2, 0, 1, 1, 6, 0x02, 0, 0, 0, 0, 1, 0, 0});
        break;
    default:
        break;
    }
    out.insert(out.end(), ip.begin(), ip.end());
    return out;
}

void WritePcap(const std::string& path, int linkType, const std::vector<Packet>& packets)
{
    pcap_t* dead = pcap_open_dead(linkType, 65535);
    pcap_dumper_t* dumper = pcap_dump_open(dead, path.c_str());
    if (dumper == nullptr)
        throw std::runtime_error(pcap_geterr(dead));
    for (const Packet& packet : packets) {
        pcap_pkthdr header{};
        header.ts.tv_sec = packet.micros / 1000000;
        header.ts.tv_usec = packet.micros % 1000000;
        header.caplen = static_cast<bpf_u_int32>(packet.bytes.size());
        header.len = static_cast<bpf_u_int32>(std::max(packet.wireLength, packet.bytes.size()));
        pcap_dump(reinterpret_cast<u_char*>(dumper), &header, packet.bytes.data());
    }
    pcap_dump_close(dumper);
    pcap_close(dead);
}

} // namespace packets
