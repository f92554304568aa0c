#pragma once

#include "capture/CaptureRecord.h"
#include "capture/Ipv4Reassembly.h"
#include "capture/RecordSource.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <span>

namespace capture {

// Packets of one link type, as a file or a live capture holds them, made
// into records: the UDP datagrams over IPv4 to `ports`, fragments joined
// first; everything else counted, nothing cut short passed on.
class PacketDecoder {
public:
    // Whether each record's datagram is decoded as a CCM message too, or
    // left for a receiver that decodes whatever reaches it.
    enum class Messages { decoded, left };

    PacketDecoder(int linkType, std::set<std::uint16_t> ports,
                  Messages messages = Messages::decoded);

    // The record of the packet captured at `time` (since the epoch), or
    // nothing when it is passed over or waits for more fragments.
    std::optional<CaptureRecord> take(std::span<const std::uint8_t> frame,
                                      std::chrono::microseconds time);
    // The capture has ended: fragments still waiting are given up.
    void finish() { fragments_.finish(); }
    RecordSource::Skipped skipped() const;

private:
    std::optional<CaptureRecord> udp(const Ipv4Packet& packet,
                                     std::span<const std::uint8_t> payload,
                                     std::chrono::microseconds time);

    int linkType_;
    std::set<std::uint16_t> ports_;
    Messages messages_;
    Ipv4Reassembly fragments_;
    RecordSource::Skipped skipped_;
};

} // namespace capture
