#include "capture/PcapWriter.h"

#include "ccm/Ipv4Text.h"
#include "runtime/Exception.h"

#include <pcap/pcap.h>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace capture {

namespace {

constexpr std::size_t kIpHeader = 20;
constexpr std::size_t kUdpHeader = 8;
// A file header, then a record header before each packet.
constexpr std::uint64_t kFileHeader = 24;
constexpr std::uint64_t kRecordHeader = 16;

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value)
{
    out[at] = static_cast<std::uint8_t>(value >> 8);
    out[at + 1] = static_cast<std::uint8_t>(value);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value)
{
    Put16(out, at, value >> 16);
    Put16(out, at + 2, value & 0xffff);
}

// The Internet checksum's one's-complement sum of 16-bit words.
std::uint32_t Sum(const std::uint8_t* bytes, std::size_t size, std::uint32_t sum = 0)
{
    for (std::size_t at = 0; at + 1 < size; at += 2)
        sum += std::uint32_t(bytes[at] << 8 | bytes[at + 1]);
    if (size % 2 != 0)
        sum += std::uint32_t(bytes[size - 1] << 8);
    return sum;
}

std::uint16_t Folded(std::uint32_t sum)
{
    while (sum >> 16 != 0)
        sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

} // namespace

std::vector<std::uint8_t> Ipv4UdpPacket(const CaptureRecord& record, std::uint16_t id)
{
    const std::size_t total = kIpHeader + kUdpHeader + record.bytes.size();
    if (total > 0xffff)
        throw runtime::Exception("a datagram of " + std::to_string(record.bytes.size()) +
                                 " bytes does not fit an IPv4 packet");
    const std::uint32_t source = ccm::ParseIpv4(record.sourceIp).value_or(0);
    const std::uint32_t destination = ccm::ParseIpv4(record.destinationIp).value_or(0xffffffff);
    std::vector<std::uint8_t> packet(total, 0);
    packet[0] = 0x45;
    Put16(packet, 2, std::uint32_t(total));
    Put16(packet, 4, id);
    packet[8] = 64;
    packet[9] = 17;
    Put32(packet, 12, source);
    Put32(packet, 16, destination);
    Put16(packet, 10, Folded(Sum(packet.data(), kIpHeader)));
    std::uint8_t* udp = packet.data() + kIpHeader;
    const std::size_t udpLength = total - kIpHeader;
    Put16(packet, kIpHeader, record.sourcePort);
    Put16(packet, kIpHeader + 2, record.port);
    Put16(packet, kIpHeader + 4, std::uint32_t(udpLength));
    std::memcpy(udp + kUdpHeader, record.bytes.data(), record.bytes.size());
    // Over the pseudo-header of addresses, protocol and length too; a sum of
    // zero is sent as all ones, zero meaning "none".
    const std::uint32_t pseudo = Sum(packet.data() + 12, 8, 17 + std::uint32_t(udpLength));
    const std::uint16_t checksum = Folded(Sum(udp, udpLength, pseudo));
    Put16(packet, kIpHeader + 6, checksum == 0 ? 0xffff : checksum);
    return packet;
}

PcapWriter::PcapWriter(CaptureFiles files) : files_(std::move(files))
{
    dead_ = pcap_open_dead_with_tstamp_precision(DLT_RAW, 65535, PCAP_TSTAMP_PRECISION_MICRO);
    if (dead_ == nullptr)
        throw runtime::Exception(files_.path + ": libpcap cannot write");
    try {
        open();
    } catch (const runtime::Exception&) {
        pcap_close(dead_);
        throw;
    }
}

PcapWriter::~PcapWriter()
{
    // Closing writes what stdio still holds; a failure there was the owner's
    // to hear from flush().
    close();
    pcap_close(dead_);
}

void PcapWriter::open()
{
    // Creates the file, or appends to a pcap file of the same link type.
    dumper_ = pcap_dump_open_append(dead_, files_.path.c_str());
    if (dumper_ == nullptr)
        fail(pcap_geterr(dead_));
    const std::int64_t at = pcap_dump_ftell64(dumper_);
    size_ = flushed_ = at > 0 ? std::uint64_t(at) : kFileHeader;
}

void PcapWriter::close()
{
    if (dumper_ != nullptr)
        pcap_dump_close(dumper_);
    dumper_ = nullptr;
}

void PcapWriter::write(const CaptureRecord& record)
{
    packet_ = Ipv4UdpPacket(record, nextId_++);
    const std::uint64_t length = kRecordHeader + packet_.size();
    if (files_.maxBytes > 0 && size_ > kFileHeader && size_ + length > files_.maxBytes) {
        flush();
        close();
        RotateFiles(files_);
        open();
    }
    const auto micros = record.time.instant.time_since_epoch().count();
    pcap_pkthdr header{};
    header.ts.tv_sec = static_cast<time_t>(micros / 1000000);
    header.ts.tv_usec = static_cast<suseconds_t>(micros % 1000000);
    header.caplen = header.len = static_cast<bpf_u_int32>(packet_.size());
    pcap_dump(reinterpret_cast<u_char*>(dumper_), &header, packet_.data());
    size_ += length;
}

void PcapWriter::flush()
{
    if (pcap_dump_flush(dumper_) == 0) {
        flushed_ = size_;
        return;
    }
    const int error = errno;
    // What reached the file since the last flush may end inside a record:
    // readers would refuse the file there.
    if (::ftruncate(fileno(pcap_dump_file(dumper_)), static_cast<off_t>(flushed_)) != 0)
        fail(std::string(std::strerror(error)) + " (its last record is torn)");
    fail(std::strerror(error));
}

void PcapWriter::fail(const std::string& what) const
{
    throw runtime::Exception(files_.path + ": " + what);
}

} // namespace capture
