#pragma once

#include "transport/TIdComponent.h"
#include "transport/TIdSocketHandle.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QSocketNotifier;

namespace loop {

// One datagram as it arrived; `bytes` is valid during the handler call only.
struct ReceivedDatagram {
    std::string_view bytes;
    // The datagram was longer than 65535 bytes could hold (never for UDP/IPv4).
    bool truncated = false;
    std::string sourceIp;
    // The same address as a number, in host order.
    std::uint32_t sourceAddress = 0;
    std::uint16_t sourcePort = 0;
    // The port it arrived on.
    std::uint16_t localPort = 0;
    // When the kernel took it in (SO_TIMESTAMPNS), not when it was read.
    std::chrono::system_clock::time_point received;
    // The same moment on the monotonic clock, for ages and intervals that a
    // step of the wall clock must not upset.
    std::chrono::steady_clock::time_point arrived;
    // The interface it came in on (IP_PKTINFO): for a request to one of
    // this host's own addresses, that address's interface. 0 when unknown.
    int interfaceIndex = 0;
    // The address it was sent to (IP_PKTINFO's ipi_addr: a broadcast or one
    // of this host's), in host order; 0 when unknown.
    std::uint32_t destinationAddress = 0;
};

// A kernel receive time on the monotonic clock: `steadyNow` less the
// datagram's wait in the socket as the wall clock tells it, kept within
// 0..10 s in case the wall clock stepped while it waited.
std::chrono::steady_clock::time_point
ArrivalOnSteadyClock(std::chrono::system_clock::time_point received,
                     std::chrono::system_clock::time_point wallNow,
                     std::chrono::steady_clock::time_point steadyNow);

struct ReceiverOptions {
    // 0: an ephemeral port (a scanner's own socket).
    std::uint16_t port = 16520;
    // Empty: every interface.
    std::string interfaceName;
    // SO_RCVBUF in bytes; 0 keeps the system's default. SO_RCVBUFFORCE is
    // tried first when running as root.
    int receiveBuffer = 0;
    // Whether sendTo may send to a broadcast address (a scanner's first
    // request); a responder's replies are unicast only.
    bool broadcast = false;
    // Whether other users' sockets may bind the port too (SO_REUSEADDR).
    // Without it the kernel shares the port only with the same user's
    // SO_REUSEPORT sockets, so no other user can take unicast requests.
    bool shareWithOtherUsers = true;
};

// A UDP socket on 0.0.0.0:port with address and port reuse, so it receives
// beside any other receiver on the machine (broadcasts reach every one that
// shares the port),
// read on the Qt Core event loop through a socket notifier. Each wake-up
// reads the queued datagrams many to a system call (recvmmsg), a bounded
// number, so timers and signals keep their turn. A datagram that finds the
// socket idle is handed on at once; once a wake-up has emptied the socket,
// the next read comes kGatherInterval later, so a steady trickle costs one
// wake-up per interval rather than one per datagram, at the price of at most
// that much added latency. The handler must not throw.
class DatagramReceiver : public QObject {
public:
    using Handler = std::function<void(const ReceivedDatagram&)>;
    static constexpr std::chrono::milliseconds kGatherInterval{10};

    // Throws transport::EIdSocketError when the socket cannot be opened,
    // bound or tied to the interface.
    DatagramReceiver(const ReceiverOptions& options, Handler handler, QObject* parent = nullptr);
    ~DatagramReceiver() override;

    std::uint16_t localPort() const;
    // What the kernel granted (it reports twice the asked size).
    int receiveBufferSize() const;
    // Datagrams the kernel dropped for want of buffer since binding (SO_RXQ_OVFL).
    std::uint64_t kernelDrops() const;
    // Hands on every datagram waiting in the socket now, at once: a stop
    // calls it, so that nothing that arrived while the receiver gathered is
    // left unread.
    void readQueued();
    // One unicast datagram from this socket, so it leaves from the bound
    // port. Throws transport::EIdSocketError on failure.
    void sendTo(const std::string& ip, std::uint16_t port, std::string_view bytes);

private:
    struct Slot;

    void readPending();
    // One recvmmsg, each datagram handed on; how many it read, 0 when none.
    int readBatch();
    // The datagram of `length` bytes in `slot`, in one piece: in place, or
    // joined with what went on into the spill area.
    std::string_view bytesOf(const Slot& slot, std::size_t length);
    void applyReceiveBuffer(int bytes);

    // Keeps the shared socket stack alive as long as the handle.
    transport::TIdComponent user_;
    transport::TIdSocketHandle handle_;
    Handler handler_;
    // Room for a full batch of the largest datagrams: the slots, and the
    // spill areas that only a long datagram touches.
    std::unique_ptr<char[]> slotBytes_;
    std::unique_ptr<char[]> spills_;
    // A long datagram made whole again.
    std::string joined_;
    std::vector<Slot> slots_;
    std::vector<mmsghdr> messages_;
    QSocketNotifier* notifier_ = nullptr;
    // A child, so that it moves with the receiver to another thread.
    QTimer gather_{this};
    std::uint64_t drops_ = 0;
};

} // namespace loop
