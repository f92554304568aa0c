#pragma once

#include "capture/CaptureRecord.h"
#include "monitor/KeyTable.h"

#include <cstdint>

namespace monitor {

struct Counts {
    std::uint64_t received = 0;
    std::uint64_t notDecoded = 0;
    // Admitted by the filters and shown; --count counts these.
    std::uint64_t shown = 0;
    // Dropped by the kernel for want of receive buffer.
    std::uint64_t kernelDrops = 0;
};

// Where the monitor shows what it hears.
class MonitorView {
public:
    virtual ~MonitorView() = default;

    // A datagram that passed the filter; `row` is its CCM's row when it is a
    // data message, else null.
    virtual void datagram(const capture::CaptureRecord& record, const Row* row,
                          const RowFlags& flags) = 0;
    // A few times a second.
    virtual void refresh(const KeyTable& table, const Counts& counts, Clock::time_point now) = 0;
    // Once, as the monitor ends.
    virtual void finish(const KeyTable& table, const Counts& counts, Clock::time_point now) = 0;
};

} // namespace monitor
