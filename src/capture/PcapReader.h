#pragma once

#include "capture/PacketDecoder.h"
#include "capture/RecordSource.h"
#include "loop/InputFile.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>
#include <string>

struct pcap;

namespace capture {

// A pcap or pcapng file (what tcpdump, dumpcap and Wireshark write) read
// through libpcap, one packet at a time: the UDP datagrams over IPv4 to
// `ports` become records, fragments joined first; everything else is
// counted and passed over, and nothing cut short is passed on. A damaged
// file is refused at its record number.
class PcapReader : public RecordSource {
public:
    // Reads `input`, whose first bytes `head` were already read from it to
    // tell its format. Throws CaptureError when libpcap refuses the file or
    // its link type is not one of LinkLayer's.
    PcapReader(std::string name, std::unique_ptr<loop::InputFile> input, std::string head,
               std::set<std::uint16_t> ports);
    ~PcapReader() override;
    PcapReader(const PcapReader&) = delete;
    PcapReader& operator=(const PcapReader&) = delete;

    std::optional<Entry> next() override;
    const std::string& name() const override { return name_; }
    bool rereadable() const override { return input_->rereadable(); }
    Skipped skipped() const override;

private:
    // The C stream libpcap reads, over `input_`.
    static ssize_t readCookie(void* cookie, char* into, std::size_t size);
    void closeAll();

    std::string name_;
    std::unique_ptr<loop::InputFile> input_;
    std::string head_;
    // Set by readCookie: the read that libpcap saw fail.
    bool stopped_ = false;
    std::string readError_;
    std::FILE* stream_ = nullptr;
    pcap* pcap_ = nullptr;
    std::size_t number_ = 0;
    bool ended_ = false;
    std::optional<PacketDecoder> decoder_;
};

} // namespace capture
