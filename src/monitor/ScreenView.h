#pragma once

#include "monitor/MonitorView.h"

#include <cstdio>
#include <string>

namespace monitor {

// The monitor on a terminal: the whole table redrawn in place on the
// alternate screen at each refresh, the rows in key order as many as fit.
// At the end the normal screen comes back and the final table is printed
// there whole, so it stays in the scrollback.
class ScreenView : public MonitorView {
public:
    // `header`: what the first line says the monitor listens to.
    ScreenView(std::FILE* out, bool colour, std::string header);
    ~ScreenView() override;

    void datagram(const capture::CaptureRecord& record, const Row* row,
                  const RowFlags& flags) override;
    void refresh(const KeyTable& table, const Counts& counts, Clock::time_point now) override;
    void finish(const KeyTable& table, const Counts& counts, Clock::time_point now) override;

    // The frame: status lines, titles and rows, at most `lines` lines of
    // `columns` columns, each ending in "clear to the end of the line".
    std::string frame(const KeyTable& table, const Counts& counts, Clock::time_point now,
                      std::size_t lines, std::size_t columns) const;

private:
    std::string rowLine(const Row& row, const RowFlags& flags, Clock::time_point now,
                        std::size_t columns) const;
    void leaveScreen();

    std::FILE* out_;
    bool colour_;
    std::string header_;
    bool onAlternateScreen_ = false;
};

} // namespace monitor
