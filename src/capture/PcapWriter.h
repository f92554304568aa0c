#pragma once

#include "capture/CaptureFiles.h"
#include "capture/RecordSink.h"

#include <cstdint>
#include <string>
#include <vector>

struct pcap;
struct pcap_dumper;

namespace capture {

// Records written through libpcap as a pcap file that Wireshark and tshark
// open: raw IPv4 packets (no link layer is known) holding each datagram with
// its source and destination address and ports, at its receive time. An
// existing file of the same kind is appended to; rotation as the JSON lines'
// writer. When a write fails (a full disk) the file is cut back to the last
// whole record flushed.
class PcapWriter : public RecordSink {
public:
    explicit PcapWriter(CaptureFiles files);
    ~PcapWriter() override;
    PcapWriter(const PcapWriter&) = delete;
    PcapWriter& operator=(const PcapWriter&) = delete;

    // A record without a destination (an older capture's) is written as sent
    // to the broadcast, 255.255.255.255.
    void write(const CaptureRecord& record) override;
    void flush() override;

private:
    void open();
    void close();
    [[noreturn]] void fail(const std::string& what) const;

    CaptureFiles files_;
    pcap* dead_ = nullptr;
    pcap_dumper* dumper_ = nullptr;
    // Bytes in the file, written or buffered, and as of the last flush.
    std::uint64_t size_ = 0;
    std::uint64_t flushed_ = 0;
    std::uint16_t nextId_ = 0;
    std::vector<std::uint8_t> packet_;
};

// The IPv4 packet (header, UDP header, payload) carrying `record`'s bytes,
// checksums included; `id` is the IP identification.
std::vector<std::uint8_t> Ipv4UdpPacket(const CaptureRecord& record, std::uint16_t id);

} // namespace capture
