#pragma once

#include "capture/LinkCapture.h"
#include "loop/DatagramReceiver.h"

#include <QSocketNotifier>

#include <cstdint>
#include <functional>
#include <set>
#include <string>

namespace capture {

// A LinkCapture on the Qt Core event loop, handing each datagram over as the
// socket receiver does, so the monitor and lint take either alike.
class LinkReceiver {
public:
    using Handler = std::function<void(const loop::ReceivedDatagram&)>;

    // Throws runtime::Exception as LinkCapture does.
    LinkReceiver(const std::string& interfaceName, const std::set<std::uint16_t>& ports,
                 Handler handler);

    std::uint64_t kernelDrops() const { return capture_.drops(); }

private:
    void readable();

    LinkCapture capture_;
    Handler handler_;
    QSocketNotifier notifier_;
};

} // namespace capture
