#pragma once

#include <cstdint>
#include <string>

namespace capture {

struct CaptureFiles {
    std::string path;
    // Rotate before a record would take the file past this size; 0: never.
    std::uint64_t maxBytes = 0;
    // Rotated files kept: FILE.1 (the newest) to FILE.keep.
    int keep = 5;
};

// Renames FILE to FILE.1, FILE.1 to FILE.2 ... up to FILE.keep (the oldest
// goes), or removes FILE when none are kept. Throws runtime::Exception naming
// the file that could not be moved.
void RotateFiles(const CaptureFiles& files);

} // namespace capture
