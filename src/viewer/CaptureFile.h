#pragma once

#include "monitor/CaptureRecord.h"

#include <cstddef>
#include <string>
#include <vector>

namespace viewer {

// A capture read whole for browsing: its records in file order, at most
// kMaxRecords of them (a few hundred MB at most), and what was passed over. The one place the window
// opens a capture, so another format needs a change here only.
struct CaptureFile {
    static constexpr std::size_t kMaxRecords = 500'000;

    std::vector<monitor::CaptureRecord> records;
    // Lines refused ("FILE:LINE: what"), at most a few, and a note when the
    // file held more records than are kept.
    std::vector<std::string> warnings;

    // Throws monitor::CaptureError when the file cannot be opened or read.
    static CaptureFile open(const std::string& path);
};

} // namespace viewer
