#pragma once

#include "capture/PacketDecoder.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>

struct pcap;

namespace capture {

// Every UDP datagram to `ports` on a link, seen through libpcap rather than
// a socket: broadcast and unicast, incoming and outgoing, including those
// the system hands to another program's socket, and taking none from it.
// Needs CAP_NET_RAW. Non-blocking: the owner waits for fd() to be readable
// and then calls take(). Its records are not decoded as CCM messages: their
// receivers decode each datagram as they do a socket's.
class LinkCapture {
public:
    // `interfaceName` empty: every interface ("any"). Throws
    // runtime::Exception with the reason, saying so when the privilege is
    // missing.
    LinkCapture(const std::string& interfaceName, const std::set<std::uint16_t>& ports);
    ~LinkCapture();
    LinkCapture(const LinkCapture&) = delete;
    LinkCapture& operator=(const LinkCapture&) = delete;

    int fd() const { return fd_; }
    // Hands every record waiting to `record`, at most `limit` of them.
    // Throws runtime::Exception when reading fails.
    void take(const std::function<void(CaptureRecord&&)>& record, int limit = 1000);
    RecordSource::Skipped skipped() const { return decoder_->skipped(); }
    // Packets the kernel dropped for want of buffer.
    std::uint64_t drops() const;

private:
    [[noreturn]] void fail(const std::string& what);

    std::string name_;
    pcap* pcap_ = nullptr;
    int fd_ = -1;
    std::optional<PacketDecoder> decoder_;
};

// The filter for datagrams to the ports, IPv4 fragments included (a later
// fragment carries no port).
std::string LinkFilter(const std::set<std::uint16_t>& ports);

} // namespace capture
