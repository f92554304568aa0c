#pragma once

#include "monitor/MonitorView.h"

#include <cstdio>

namespace monitor {

// The monitor on a pipe or in a file: one line per datagram as it arrives,
// as aligned text or as one JSON object. Lines are buffered and flushed at
// each refresh, so that tens of thousands a second cost few writes.
class LineView : public MonitorView {
public:
    LineView(std::FILE* out, bool json);

    void datagram(const capture::CaptureRecord& record, const Row* row,
                  const RowFlags& flags) override;
    void refresh(const KeyTable& table, const Counts& counts, Clock::time_point now) override;
    void finish(const KeyTable& table, const Counts& counts, Clock::time_point now) override;

private:
    std::string textLine(const capture::CaptureRecord& record, const Row* row,
                         const RowFlags& flags) const;
    std::string jsonLine(const capture::CaptureRecord& record, const Row* row,
                         const RowFlags& flags) const;

    std::FILE* out_;
    bool json_;
    bool headerWritten_ = false;
};

} // namespace monitor
