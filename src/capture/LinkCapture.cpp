#include "capture/LinkCapture.h"

#include "capture/LinkLayer.h"
#include "runtime/Exception.h"

#include <pcap/pcap.h>

#include <exception>

namespace capture {

namespace {

// As the monitor's socket buffer: room for bursts of a large segment.
constexpr int kBufferBytes = 16 * 1024 * 1024;

struct Dispatch {
    pcap_t* pcap;
    PacketDecoder& decoder;
    const std::function<void(CaptureRecord&&)>& record;
    // No exception may cross libpcap's C frames: kept, and thrown after.
    std::exception_ptr error;
};

void OnPacket(u_char* user, const pcap_pkthdr* header, const u_char* bytes)
{
    auto& dispatch = *reinterpret_cast<Dispatch*>(user);
    const std::chrono::microseconds time =
        std::chrono::seconds(header->ts.tv_sec) + std::chrono::microseconds(header->ts.tv_usec);
    if (dispatch.error)
        return;
    try {
        if (std::optional<CaptureRecord> record =
                dispatch.decoder.take({bytes, header->caplen}, time))
            dispatch.record(std::move(*record));
    } catch (...) {
        dispatch.error = std::current_exception();
        pcap_breakloop(dispatch.pcap);
    }
}

} // namespace

std::string LinkFilter(const std::set<std::uint16_t>& ports)
{
    std::string filter = "ip and ((udp and (";
    bool first = true;
    for (const std::uint16_t port : ports) {
        filter += (first ? "dst port " : " or dst port ") + std::to_string(port);
        first = false;
    }
    return filter + ")) or (udp and ip[6:2] & 0x1fff != 0))";
}

LinkCapture::LinkCapture(const std::string& interfaceName, const std::set<std::uint16_t>& ports)
    : name_(interfaceName.empty() ? "any" : interfaceName)
{
    char error[PCAP_ERRBUF_SIZE] = "";
    pcap_ = pcap_create(name_.c_str(), error);
    if (pcap_ == nullptr)
        throw runtime::Exception(name_ + ": " + error);
    // Each datagram as it arrives, not when a buffer fills.
    pcap_set_immediate_mode(pcap_, 1);
    pcap_set_snaplen(pcap_, 65535);
    pcap_set_buffer_size(pcap_, kBufferBytes);
    pcap_set_tstamp_precision(pcap_, PCAP_TSTAMP_PRECISION_MICRO);
    const int activated = pcap_activate(pcap_);
    if (activated == PCAP_ERROR_PERM_DENIED)
        fail("capturing on the link needs CAP_NET_RAW (run as root, or grant it: setcap "
             "cap_net_raw+ep PROGRAM)");
    if (activated < 0)
        fail(pcap_geterr(pcap_));
    const int linkType = pcap_datalink(pcap_);
    if (!SupportedLinkType(linkType))
        fail(LinkTypeName(linkType) + " is not a link type read here");
    bpf_program program{};
    if (pcap_compile(pcap_, &program, LinkFilter(ports).c_str(), 1, PCAP_NETMASK_UNKNOWN) != 0)
        fail(pcap_geterr(pcap_));
    const int filtered = pcap_setfilter(pcap_, &program);
    pcap_freecode(&program);
    if (filtered != 0 || pcap_setnonblock(pcap_, 1, error) != 0)
        fail(filtered != 0 ? pcap_geterr(pcap_) : error);
    fd_ = pcap_get_selectable_fd(pcap_);
    if (fd_ < 0)
        fail("no descriptor to wait on");
    // Its receivers decode each datagram as they do a socket's.
    decoder_.emplace(linkType, ports, PacketDecoder::Messages::left);
}

LinkCapture::~LinkCapture()
{
    if (pcap_ != nullptr)
        pcap_close(pcap_);
}

void LinkCapture::fail(const std::string& what)
{
    pcap_close(pcap_);
    pcap_ = nullptr;
    throw runtime::Exception(name_ + ": " + what);
}

void LinkCapture::take(const std::function<void(CaptureRecord&&)>& record, int limit)
{
    Dispatch dispatch{pcap_, *decoder_, record, nullptr};
    const int result = pcap_dispatch(pcap_, limit, &OnPacket, reinterpret_cast<u_char*>(&dispatch));
    if (dispatch.error)
        std::rethrow_exception(dispatch.error);
    if (result < 0)
        throw runtime::Exception(name_ + ": " + pcap_geterr(pcap_));
}

std::uint64_t LinkCapture::drops() const
{
    pcap_stat stats{};
    return pcap_stats(pcap_, &stats) == 0 ? stats.ps_drop : 0;
}

} // namespace capture
