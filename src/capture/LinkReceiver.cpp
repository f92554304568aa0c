#include "capture/LinkReceiver.h"

#include "ccm/Ipv4Text.h"

namespace capture {

LinkReceiver::LinkReceiver(const std::string& interfaceName, const std::set<std::uint16_t>& ports,
                           Handler handler)
    : capture_(interfaceName, ports), handler_(std::move(handler)),
      notifier_(capture_.fd(), QSocketNotifier::Read)
{
    QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { readable(); });
}

void LinkReceiver::readable()
{
    capture_.take([this](CaptureRecord&& record) {
        loop::ReceivedDatagram datagram;
        datagram.bytes = record.bytes;
        datagram.sourceIp = record.sourceIp;
        datagram.sourceAddress = ccm::ParseIpv4(record.sourceIp).value_or(0);
        datagram.sourcePort = record.sourcePort;
        datagram.localPort = record.port;
        datagram.destinationAddress = ccm::ParseIpv4(record.destinationIp).value_or(0);
        datagram.received = std::chrono::system_clock::time_point(record.time.instant);
        // The kernel's time of capture, on the monotonic clock as a socket's.
        datagram.arrived = loop::ArrivalOnSteadyClock(
            datagram.received, std::chrono::system_clock::now(), std::chrono::steady_clock::now());
        handler_(datagram);
    });
}

} // namespace capture
