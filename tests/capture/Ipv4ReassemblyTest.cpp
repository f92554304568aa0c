// Joining fragments keeps bounded memory whatever a hostile file holds.

#include "capture/Ipv4Reassembly.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using std::chrono::microseconds;
using std::chrono::seconds;

// The first half of datagram `id`: never completed.
capture::Ipv4Packet FirstHalf(std::uint16_t id, const std::vector<std::uint8_t>& bytes)
{
    capture::Ipv4Packet packet;
    packet.source = 0x0a000001;
    packet.destination = 0xffffffff;
    packet.id = id;
    packet.protocol = 17;
    packet.moreFragments = true;
    packet.payload = bytes;
    return packet;
}

TEST(Ipv4Reassembly, AtMostSoManyDatagramsWaitTheOldestGivenUpFirst)
{
    const std::vector<std::uint8_t> bytes(64, 1);
    capture::Ipv4Reassembly reassembly;
    for (std::uint16_t id = 0; id < capture::Ipv4Reassembly::kMaxPending + 10; ++id)
        EXPECT_FALSE(reassembly.add(FirstHalf(id, bytes), microseconds(id)));
    EXPECT_EQ(reassembly.lost(), 10u);
    // Datagram 10 is the oldest left: its last half completes it.
    capture::Ipv4Packet last = FirstHalf(10, bytes);
    last.moreFragments = false;
    last.fragmentOffset = 64;
    const auto whole = reassembly.add(last, microseconds(100));
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->size(), 128u);
    // Datagram 0 went: its last half alone waits, and is given up at the end.
    last.id = 0;
    EXPECT_FALSE(reassembly.add(last, microseconds(101)));
    reassembly.finish();
    EXPECT_EQ(reassembly.lost(), 10u + capture::Ipv4Reassembly::kMaxPending);
}

TEST(Ipv4Reassembly, DatagramsOlderThanTheLimitAreGivenUp)
{
    const std::vector<std::uint8_t> bytes(8, 1);
    capture::Ipv4Reassembly reassembly;
    reassembly.add(FirstHalf(1, bytes), microseconds(0));
    reassembly.add(FirstHalf(2, bytes), capture::Ipv4Reassembly::kMaxAge + seconds(1));
    EXPECT_EQ(reassembly.lost(), 1u);
}

} // namespace
