#include "loop/DatagramReceiver.h"

#include "transport/StackRegistry.h"
#include "transport/TIdStack.h"

#include <QSocketNotifier>

#include <algorithm>
#include <array>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>

namespace loop {

namespace {

// The largest UDP payload over IPv4 is 65507 bytes; one more tells a
// truncation apart.
constexpr std::size_t kBufferBytes = 65536;
// Each datagram's first bytes land in a slot of this size, the slots side by
// side; only a longer one goes on into its slot's own spill area. Whole
// 64 KiB buffers a slot would start every datagram 64 KiB from the last,
// in the same few cache sets, and each batch would evict the one before.
constexpr std::size_t kSlotBytes = 2048;
constexpr std::size_t kSpillBytes = kBufferBytes - kSlotBytes;
// Datagrams per system call, and calls per wake-up before the event loop
// gets its turn back.
constexpr unsigned kPerCall = 32;
constexpr int kCallsPerWake = 8;

void SetFlag(transport::TIdSocketHandle& handle, int name)
{
    const int on = 1;
    handle.SetOption(SOL_SOCKET, name, &on, sizeof on);
}

std::chrono::system_clock::time_point FromTimespec(const timespec& time)
{
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec)));
}

// Room for the timestamp, the drop count and the arrival interface.
constexpr std::size_t kControlBytes = CMSG_SPACE(sizeof(timespec)) +
                                      CMSG_SPACE(sizeof(std::uint32_t)) +
                                      CMSG_SPACE(sizeof(in_pktinfo));

// What the kernel said about the datagram beside its bytes.
void ReadControl(msghdr& message, ReceivedDatagram& datagram, std::uint64_t& drops)
{
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(header), sizeof info);
            datagram.interfaceIndex = info.ipi_ifindex;
            datagram.destinationAddress = ntohl(info.ipi_addr.s_addr);
        } else if (header->cmsg_level != SOL_SOCKET) {
            continue;
        } else if (header->cmsg_type == SCM_TIMESTAMPNS) {
            timespec time{};
            std::memcpy(&time, CMSG_DATA(header), sizeof time);
            datagram.received = FromTimespec(time);
        } else if (header->cmsg_type == SO_RXQ_OVFL) {
            std::uint32_t dropped = 0;
            std::memcpy(&dropped, CMSG_DATA(header), sizeof dropped);
            drops = dropped;
        }
    }
}

} // namespace

struct DatagramReceiver::Slot {
    sockaddr_in from;
    // The slot's bytes, then its spill area.
    std::array<iovec, 2> data;
    alignas(cmsghdr) std::array<char, kControlBytes> control;
};

std::chrono::steady_clock::time_point
ArrivalOnSteadyClock(std::chrono::system_clock::time_point received,
                     std::chrono::system_clock::time_point wallNow,
                     std::chrono::steady_clock::time_point steadyNow)
{
    constexpr std::chrono::system_clock::duration kLongestWait = std::chrono::seconds(10);
    const auto waited =
        std::clamp(wallNow - received, std::chrono::system_clock::duration::zero(), kLongestWait);
    return steadyNow - std::chrono::duration_cast<std::chrono::steady_clock::duration>(waited);
}

DatagramReceiver::DatagramReceiver(const ReceiverOptions& options, Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), slotBytes_(new char[kPerCall * kSlotBytes]),
      spills_(new char[kPerCall * kSpillBytes]), slots_(kPerCall), messages_(kPerCall)
{
    joined_.reserve(kBufferBytes);
    handle_.OpenSocket(SOCK_DGRAM, IPPROTO_UDP);
    // Both reuse options: other receivers on the machine may have set either,
    // and every socket on the port still gets each broadcast.
    if (options.shareWithOtherUsers)
        SetFlag(handle_, SO_REUSEADDR);
    SetFlag(handle_, SO_REUSEPORT);
    SetFlag(handle_, SO_TIMESTAMPNS);
    SetFlag(handle_, SO_RXQ_OVFL);
    const int on = 1;
    handle_.SetOption(IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    if (options.broadcast)
        SetFlag(handle_, SO_BROADCAST);
    if (options.receiveBuffer > 0)
        applyReceiveBuffer(options.receiveBuffer);
    if (!options.interfaceName.empty())
        handle_.SetOption(SOL_SOCKET, SO_BINDTODEVICE, options.interfaceName.c_str(),
                          static_cast<socklen_t>(options.interfaceName.size() + 1));
    handle_.SetIP("0.0.0.0");
    handle_.SetPort(options.port);
    handle_.Bind();
    notifier_ = new QSocketNotifier(handle_.Socket(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &DatagramReceiver::readPending);
    gather_.setSingleShot(true);
    gather_.setInterval(kGatherInterval);
    gather_.setTimerType(Qt::PreciseTimer);
    connect(&gather_, &QTimer::timeout, this, &DatagramReceiver::readPending);
}

DatagramReceiver::~DatagramReceiver() = default;

void DatagramReceiver::applyReceiveBuffer(int bytes)
{
    // The forced form passes net.core.rmem_max, which a receiver that must
    // keep up with a whole station needs; it is for privileged processes.
    try {
        handle_.SetOption(SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes);
    } catch (const std::exception&) {
        handle_.SetOption(SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }
}

std::uint16_t DatagramReceiver::localPort() const
{
    return static_cast<std::uint16_t>(handle_.Port());
}

int DatagramReceiver::receiveBufferSize() const
{
    int size = 0;
    socklen_t length = sizeof size;
    transport::SharedStack()->SockGetOption(handle_.Socket(), SOL_SOCKET, SO_RCVBUF, &size, length);
    return size;
}

std::uint64_t DatagramReceiver::kernelDrops() const
{
    return drops_;
}

void DatagramReceiver::sendTo(const std::string& ip, std::uint16_t port, std::string_view bytes)
{
    handle_.SendDatagram(ip, port, bytes.data(), bytes.size());
}

void DatagramReceiver::readPending()
{
    int read = 0;
    bool emptied = false;
    for (int call = 0; call < kCallsPerWake && !emptied; ++call) {
        const int count = readBatch();
        read += count;
        emptied = count < static_cast<int>(kPerCall);
    }
    // After a wake-up that found datagrams and emptied the socket, the next
    // ones are gathered for a short while; an idle socket, or one with more
    // waiting, is watched again at once.
    const bool gather = emptied && read > 0;
    notifier_->setEnabled(!gather);
    if (gather)
        gather_.start();
}

void DatagramReceiver::readQueued()
{
    // Bounded, should a flood refill the socket as fast as it is read: more
    // calls than a 16 MiB buffer holds datagrams.
    constexpr int kMostCalls = 4096;
    for (int call = 0; call < kMostCalls; ++call) {
        if (readBatch() < static_cast<int>(kPerCall))
            return;
    }
}

std::string_view DatagramReceiver::bytesOf(const Slot& slot, std::size_t length)
{
    const auto* first = static_cast<const char*>(slot.data[0].iov_base);
    if (length <= kSlotBytes)
        return {first, length};
    joined_.assign(first, kSlotBytes);
    joined_.append(static_cast<const char*>(slot.data[1].iov_base), length - kSlotBytes);
    return joined_;
}

int DatagramReceiver::readBatch()
{
    for (unsigned i = 0; i < kPerCall; ++i) {
        Slot& slot = slots_[i];
        slot.data[0] = iovec{slotBytes_.get() + i * kSlotBytes, kSlotBytes};
        slot.data[1] = iovec{spills_.get() + i * kSpillBytes, kSpillBytes};
        msghdr& message = messages_[i].msg_hdr;
        message = msghdr{};
        message.msg_name = &slot.from;
        message.msg_namelen = sizeof slot.from;
        message.msg_iov = slot.data.data();
        message.msg_iovlen = slot.data.size();
        message.msg_control = slot.control.data();
        message.msg_controllen = slot.control.size();
    }
    transport::TIdStack& stack = *transport::SharedStack();
    const int count =
        stack.SockRecvMany(handle_.Socket(), messages_.data(), kPerCall, MSG_DONTWAIT | MSG_TRUNC);
    // Nothing left is the usual end; after any other error of the system's
    // the next wake-up tries again.
    if (count <= 0)
        return 0;
    const auto wallNow = std::chrono::system_clock::now();
    const auto steadyNow = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        msghdr& message = messages_[i].msg_hdr;
        const sockaddr_in& from = slots_[i].from;
        ReceivedDatagram datagram;
        datagram.received = wallNow;
        ReadControl(message, datagram, drops_);
        datagram.arrived = ArrivalOnSteadyClock(datagram.received, wallNow, steadyNow);
        const std::size_t length = messages_[i].msg_len;
        datagram.truncated = length > kBufferBytes;
        datagram.bytes = bytesOf(slots_[i], std::min(length, kBufferBytes));
        transport::IPv4Bytes address{};
        std::memcpy(address.data(), &from.sin_addr, address.size());
        datagram.sourceIp = stack.AddressToText(address);
        datagram.sourceAddress = ntohl(from.sin_addr.s_addr);
        datagram.sourcePort = stack.SockNetToHost16(from.sin_port);
        datagram.localPort = localPort();
        handler_(datagram);
    }
    return count;
}

} // namespace loop
