#include "capture/PacketDecoder.h"

#include "capture/LinkLayer.h"
#include "ccm/Ipv4Text.h"

namespace capture {

namespace {

constexpr std::uint8_t kUdp = 17;

std::uint16_t Be16(const std::uint8_t* at)
{
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

} // namespace

PacketDecoder::PacketDecoder(int linkType, std::set<std::uint16_t> ports, Messages messages)
    : linkType_(linkType), ports_(std::move(ports)), messages_(messages)
{
}

std::optional<CaptureRecord> PacketDecoder::take(std::span<const std::uint8_t> frame,
                                                 std::chrono::microseconds time)
{
    const std::optional<std::span<const std::uint8_t>> ip = Ipv4InFrame(linkType_, frame);
    Ipv4Packet packet;
    const Ipv4Parse parsed = ip ? ParseIpv4Packet(*ip, packet) : Ipv4Parse::notIpv4;
    if (parsed != Ipv4Parse::ok || packet.protocol != kUdp) {
        ++(parsed == Ipv4Parse::damaged ? skipped_.damaged : skipped_.other);
        return std::nullopt;
    }
    if (!packet.fragment())
        return udp(packet, packet.payload, time);
    // A later fragment says nothing of the ports: it waits with the rest.
    const std::optional<std::vector<std::uint8_t>> whole = fragments_.add(packet, time);
    if (!whole)
        return std::nullopt;
    return udp(packet, *whole, time);
}

std::optional<CaptureRecord> PacketDecoder::udp(const Ipv4Packet& packet,
                                                std::span<const std::uint8_t> payload,
                                                std::chrono::microseconds time)
{
    if (payload.size() < 8 || Be16(&payload[4]) < 8 || Be16(&payload[4]) > payload.size()) {
        ++skipped_.damaged;
        return std::nullopt;
    }
    const std::uint16_t destinationPort = Be16(&payload[2]);
    if (!ports_.contains(destinationPort)) {
        ++skipped_.other;
        return std::nullopt;
    }
    const auto bytes = payload.subspan(8, Be16(&payload[4]) - 8u);
    CaptureRecord record;
    record.time = LocalCaptureTime(std::chrono::system_clock::time_point(time));
    record.sourceIp = ccm::Ipv4Text(packet.source);
    record.destinationIp = ccm::Ipv4Text(packet.destination);
    record.sourcePort = Be16(&payload[0]);
    record.port = destinationPort;
    record.bytes.assign(bytes.begin(), bytes.end());
    if (messages_ == Messages::decoded)
        record.decoded = ccm::Decode(record.bytes);
    return record;
}

RecordSource::Skipped PacketDecoder::skipped() const
{
    RecordSource::Skipped skipped = skipped_;
    skipped.fragments = fragments_.lost();
    return skipped;
}

} // namespace capture
