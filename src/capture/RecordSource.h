#pragma once

#include "capture/CaptureRecord.h"
#include "runtime/Exception.h"

#include <cstddef>
#include <optional>
#include <string>

namespace capture {

// An input that cannot be read, or a refused line or record: "FILE: what"
// or "FILE:N: what", in the form editors jump to.
class CaptureError : public runtime::Exception {
public:
    using Exception::Exception;
};

// A capture read record by record, whatever its format, so that a file of
// any size streams through in little memory.
class RecordSource {
public:
    struct Entry {
        // The line (JSON lines) or the record (pcap, pcapng) it came from.
        std::size_t number = 0;
        std::optional<CaptureRecord> record;
        // Otherwise why it is refused.
        std::string error;
        // Refused, and the last line without its line break: a write cut
        // short (a full disk), to pass over rather than refuse the file for.
        bool torn = false;
    };

    // What a packet capture held besides the datagrams taken.
    struct Skipped {
        // Not IPv4 UDP to one of the ports asked for.
        std::size_t other = 0;
        // Cut short by the capture's snapshot length, or inconsistent.
        std::size_t damaged = 0;
        // Fragments of datagrams that never came whole.
        std::size_t fragments = 0;
    };

    virtual ~RecordSource() = default;

    // The next record or refused entry; nothing at the end. Throws
    // CaptureError when reading fails, loop::InputStopped on a stop signal.
    virtual std::optional<Entry> next() = 0;
    // What messages call the input: the path, or "-".
    virtual const std::string& name() const = 0;
    // A regular file named by its path, which a second source can read again.
    virtual bool rereadable() const = 0;
    virtual Skipped skipped() const { return {}; }
};

} // namespace capture
