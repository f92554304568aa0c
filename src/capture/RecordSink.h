#pragma once

#include "capture/CaptureRecord.h"

namespace capture {

// Where a capture's records go, whatever the file format. Every failure
// throws runtime::Exception naming the file and the system's reason; the
// sink is then of no further use.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void write(const CaptureRecord& record) = 0;
    // The owner calls it at least every second.
    virtual void flush() = 0;
};

} // namespace capture
