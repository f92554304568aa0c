#pragma once

#include "capture/RecordSink.h"
#include "ccm/LiteralReceiver.h"
#include "monitor/KeyFilter.h"
#include "monitor/KeyTable.h"
#include "monitor/MonitorView.h"
#include "monitor/SenderEncodings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace monitor {

// One datagram as the socket gave it.
struct Datagram {
    std::string_view bytes;
    std::string source;
    std::uint16_t sourcePort = 0;
    // The local port it arrived on.
    std::uint16_t port = 0;
    // When it arrived: on the wall clock for the capture and the display, on
    // the monotonic clock for the key table.
    std::chrono::system_clock::time_point received;
    Clock::time_point arrived;
    // The address it was sent to; empty when not known.
    std::string destination;
};

// What the monitor does with each datagram: decode it, capture it (every
// one, whatever the filter), and, when the filter admits it, enter a data
// message in the key table and show it.
class Monitor {
public:
    // `capture` may be null. With a literal `receiver`, each data message is
    // also judged for one, and its row flagged when it would be dropped.
    Monitor(std::size_t maxKeys, KeyFilter filter, MonitorView& view, capture::RecordSink* capture,
            ccm::ReceiverProfile receiver = ccm::ReceiverProfile::Tolerant);

    // Throws runtime::Exception when the capture cannot be written.
    void take(const Datagram& datagram);

    const KeyTable& table() const { return table_; }
    const Counts& counts() const { return counts_; }

private:
    KeyTable table_;
    KeyFilter filter_;
    MonitorView& view_;
    capture::RecordSink* capture_;
    ccm::ReceiverProfile receiver_;
    SenderEncodings encodings_;
    Counts counts_;
};

} // namespace monitor
