// Packet captures as tcpdump, dumpcap and Wireshark write them: every link
// type read, only the UECS datagrams taken, the rest counted, fragments
// joined or given up, and a damaged file refused at its record.

#include "capture/OpenCapture.h"
#include "capture/PacketFrames.h"

#include "node/ScratchDir.h"

#include <pcap/pcap.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using packets::Bytes;
using packets::Packet;
using packets::Udp;

constexpr std::int64_t kStart = 1796000000123456; // microseconds since the epoch

const std::string kMessage =
    "<?xml version=\"1.0\"?><UECS ver=\"1.00-E10\"><DATA type=\"WRainfall\" "
    "room=\"1\" region=\"1\" order=\"1\" priority=\"29\">1</DATA>"
    "<IP>10.0.0.1</IP></UECS>";

struct ReadBack {
    std::vector<capture::RecordSource::Entry> entries;
    capture::RecordSource::Skipped skipped;
};

ReadBack ReadAll(const std::string& path)
{
    const auto source = capture::OpenCapture(path, capture::UecsPorts());
    ReadBack back;
    while (auto entry = source->next())
        back.entries.push_back(std::move(*entry));
    back.skipped = source->skipped();
    return back;
}

struct LinkCase {
    const char* name;
    int linkType;
    int vlans;
};

class PcapLinkTypes : public ::testing::TestWithParam<LinkCase> {
protected:
    ScratchDir scratch_;
};

TEST_P(PcapLinkTypes, TakeTheUecsDatagramsAndCountTheRest)
{
    const LinkCase link = GetParam();
    const auto frame = [&](const Bytes& ip) {
        return packets::Frame(link.linkType, ip, link.vlans);
    };
    const Udp data{0x0a000001, 0xffffffff, 40000, 16520, kMessage};
    const Udp scan{0x0a000002, 0x0a000001, 16529, 16529, "<NODESCAN/>"};
    std::vector<Packet> file{
        {kStart, frame(packets::Ipv4Udp(data)), 0},
        {kStart + 1, frame(packets::Ipv4Udp({0x0a000001, 0x0a000002, 5353, 53, "dns"})), 0},
        {kStart + 2, frame(packets::Ipv4(6, 0x0a000001, 0x0a000002, Bytes(20, 0))), 0},
        {kStart + 1500000, frame(packets::Ipv4Udp(scan)), 0},
    };
    if (link.linkType == DLT_EN10MB) // an ARP frame
        file.push_back(
            {kStart + 3000000, packets::Frame(link.linkType, Bytes(28, 0), 0, 0x0806), 0});
    const std::string path = (scratch_.path() / "link.pcap").string();
    packets::WritePcap(path, link.linkType, file);

    const ReadBack back = ReadAll(path);
    ASSERT_EQ(back.entries.size(), 2u);
    const capture::CaptureRecord& first = *back.entries[0].record;
    EXPECT_EQ(back.entries[0].number, 1u);
    EXPECT_EQ(first.bytes, kMessage);
    EXPECT_EQ(first.sourceIp, "10.0.0.1");
    EXPECT_EQ(first.destinationIp, "255.255.255.255");
    EXPECT_EQ(first.sourcePort, 40000);
    EXPECT_EQ(first.port, 16520);
    EXPECT_EQ(first.time.instant.time_since_epoch().count(), kStart);
    ASSERT_TRUE(first.decoded.message);
    const capture::CaptureRecord& second = *back.entries[1].record;
    EXPECT_EQ(back.entries[1].number, 4u);
    EXPECT_EQ(second.bytes, "<NODESCAN/>");
    EXPECT_EQ(second.destinationIp, "10.0.0.1");
    EXPECT_EQ(second.time.instant - first.time.instant, std::chrono::microseconds(1500000));
    EXPECT_EQ(back.skipped.other, link.linkType == DLT_EN10MB ? 3u : 2u);
    EXPECT_EQ(back.skipped.damaged, 0u);
}

INSTANTIATE_TEST_SUITE_P(Links, PcapLinkTypes,
                         ::testing::Values(LinkCase{"Ethernet", DLT_EN10MB, 0},
                                           LinkCase{"Vlan", DLT_EN10MB, 1},
                                           LinkCase{"StackedVlans", DLT_EN10MB, 2},
                                           LinkCase{"CookedV1", DLT_LINUX_SLL, 0},
                                           LinkCase{"CookedV2", DLT_LINUX_SLL2, 0},
                                           LinkCase{"RawIpv4", DLT_RAW, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

class PcapReaderTest : public ::testing::Test {
protected:
    std::string path(const char* name) const { return (scratch_.path() / name).string(); }

    ScratchDir scratch_;
};

// The datagram cut in three, sent out of order; a second one missing its
// middle; a third whose fragments overlap.
TEST_F(PcapReaderTest, FragmentsJoinedOrGivenUpNeverPassedOnBroken)
{
    const std::string long_ = kMessage + std::string(3000, 'x');
    const Bytes udp = packets::UdpSegment({0x0a000001, 0xffffffff, 16520, 16520, long_});
    const auto piece = [&](std::uint16_t id, std::size_t from, std::size_t to, bool more) {
        const Bytes part(udp.begin() + long(from), udp.begin() + long(std::min(to, udp.size())));
        return packets::Frame(DLT_RAW, packets::Ipv4(17, 0x0a000001, 0xffffffff, part, id,
                                                     std::uint16_t(from), more));
    };
    packets::WritePcap(path("fragments.pcap"), DLT_RAW,
                       {{kStart, piece(7, 1480, 2960, true), 0},
                        {kStart + 1, piece(7, 2960, udp.size(), false), 0},
                        {kStart + 2, piece(8, 0, 1480, true), 0},
                        {kStart + 3, piece(7, 0, 1480, true), 0},
                        {kStart + 4, piece(8, 2960, udp.size(), false), 0},
                        {kStart + 5, piece(9, 0, 1480, true), 0},
                        {kStart + 6, piece(9, 1400, 2960, true), 0}});
    const ReadBack back = ReadAll(path("fragments.pcap"));
    ASSERT_EQ(back.entries.size(), 1u);
    EXPECT_EQ(back.entries[0].number, 4u);
    EXPECT_EQ(back.entries[0].record->bytes, long_);
    EXPECT_EQ(back.skipped.fragments, 4u);
}

TEST_F(PcapReaderTest, PacketCutByTheSnapshotLengthIsCountedNotPassedOn)
{
    Bytes cut =
        packets::Frame(DLT_EN10MB, packets::Ipv4Udp({0x0a000001, 0xffffffff, 1, 16520, kMessage}));
    const std::size_t wire = cut.size();
    cut.resize(wire - 40);
    packets::WritePcap(path("snap.pcap"), DLT_EN10MB, {{kStart, cut, wire}});
    const ReadBack back = ReadAll(path("snap.pcap"));
    EXPECT_TRUE(back.entries.empty());
    EXPECT_EQ(back.skipped.damaged, 1u);
}

TEST_F(PcapReaderTest, FileEndingInsideARecordIsRefusedAtItsNumber)
{
    const Bytes frame =
        packets::Frame(DLT_EN10MB, packets::Ipv4Udp({0x0a000001, 0xffffffff, 1, 16520, kMessage}));
    packets::WritePcap(path("whole.pcap"), DLT_EN10MB,
                       {{kStart, frame, 0}, {kStart + 1, frame, 0}, {kStart + 2, frame, 0}});
    std::ifstream in(path("whole.pcap"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::string cutPath = scratch_.write("cut.pcap", bytes.substr(0, bytes.size() - 20));

    const ReadBack back = ReadAll(cutPath);
    ASSERT_EQ(back.entries.size(), 3u);
    EXPECT_TRUE(back.entries[1].record);
    EXPECT_FALSE(back.entries[2].record);
    EXPECT_EQ(back.entries[2].number, 3u);
    try {
        capture::CheckCapture(cutPath, capture::UecsPorts(), 0);
        FAIL() << "a cut file passed";
    } catch (const capture::CaptureError& e) {
        EXPECT_EQ(std::string(e.Message()).rfind(cutPath + ":3: ", 0), 0u) << e.Message();
    }
}

// libpcap writes no pcapng: a section header, an Ethernet interface and one
// enhanced packet block, little-endian, by hand.
TEST_F(PcapReaderTest, PcapngReadByItsMagicWhateverTheName)
{
    std::string file;
    const auto u16 = [&](std::uint16_t v) { file.append(reinterpret_cast<const char*>(&v), 2); };
    const auto u32 = [&](std::uint32_t v) { file.append(reinterpret_cast<const char*>(&v), 4); };
    u32(0x0a0d0d0a), u32(28), u32(0x1a2b3c4d), u16(1), u16(0), u32(0xffffffff), u32(0xffffffff),
        u32(28);
    u32(1), u32(20), u16(DLT_EN10MB), u16(0), u32(65535), u32(20);
    const Bytes frame =
        packets::Frame(DLT_EN10MB, packets::Ipv4Udp({0x0a000001, 0xffffffff, 1, 16520, kMessage}));
    const std::uint32_t padded = (std::uint32_t(frame.size()) + 3) & ~3u;
    u32(6), u32(32 + padded), u32(0), u32(std::uint32_t(std::uint64_t(kStart) >> 32)),
        u32(std::uint32_t(kStart)), u32(std::uint32_t(frame.size())),
        u32(std::uint32_t(frame.size()));
    file.append(frame.begin(), frame.end());
    file.append(padded - frame.size(), '\0');
    u32(32 + padded);

    const ReadBack back = ReadAll(scratch_.write("named.jsonl", file));
    ASSERT_EQ(back.entries.size(), 1u);
    EXPECT_EQ(back.entries[0].record->bytes, kMessage);
    EXPECT_EQ(back.entries[0].record->time.instant.time_since_epoch().count(), kStart);
}

TEST_F(PcapReaderTest, UnsupportedLinkTypeRefusedWhenOpened)
{
    packets::WritePcap(path("wifi.pcap"), DLT_IEEE802_11, {{kStart, Bytes(40, 0), 0}});
    EXPECT_THROW(capture::OpenCapture(path("wifi.pcap"), capture::UecsPorts()),
                 capture::CaptureError);
}

} // namespace
