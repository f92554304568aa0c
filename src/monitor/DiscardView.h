#pragma once

#include "monitor/MonitorView.h"

namespace monitor {

// The monitor with its output going nowhere (standard output on the null
// device, a capture being the point): the counts, key table and capture are
// kept as ever, and no line is made only to be thrown away.
class DiscardView : public MonitorView {
public:
    void datagram(const capture::CaptureRecord&, const Row*, const RowFlags&) override {}
    void refresh(const KeyTable&, const Counts&, Clock::time_point) override {}
    void finish(const KeyTable&, const Counts&, Clock::time_point) override {}
};

} // namespace monitor
