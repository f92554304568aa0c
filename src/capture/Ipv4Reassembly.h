#pragma once

#include "capture/Ipv4Packet.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace capture {

// Joins IPv4 fragments into the datagram they were cut from, with bounded
// memory whatever a file holds: at most kMaxPending datagrams at once (the
// oldest goes first), none kept past kMaxAge of capture time, overlapping
// fragments (a known attack, and never what a sender writes) given up.
class Ipv4Reassembly {
public:
    static constexpr std::size_t kMaxPending = 64;
    static constexpr std::chrono::seconds kMaxAge{30};

    // The whole IP payload once the fragment completes its datagram.
    std::optional<std::vector<std::uint8_t>> add(const Ipv4Packet& fragment,
                                                 std::chrono::microseconds time);
    // Gives up every datagram still incomplete: the capture has ended.
    void finish();
    // Fragments given up so far.
    std::size_t lost() const { return lost_; }

private:
    struct Key {
        std::uint32_t source;
        std::uint32_t destination;
        std::uint16_t id;
        std::uint8_t protocol;
        auto operator<=>(const Key&) const = default;
    };
    struct Pending {
        std::chrono::microseconds first{};
        // Fragment bytes by their offset.
        std::map<std::uint32_t, std::vector<std::uint8_t>> pieces;
        std::optional<std::uint32_t> length;
    };

    void expire(std::chrono::microseconds now);
    void giveUp(std::map<Key, Pending>::iterator which, std::size_t more = 0);
    static bool overlaps(const Pending& pending, std::uint32_t offset, std::size_t size);
    static std::optional<std::vector<std::uint8_t>> whole(const Pending& pending);

    std::map<Key, Pending> pending_;
    std::size_t lost_ = 0;
};

} // namespace capture
