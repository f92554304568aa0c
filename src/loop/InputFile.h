#pragma once

#include "runtime/Exception.h"

#include <cstddef>
#include <string>

namespace loop {

// A read gave way to SIGINT, SIGTERM or SIGHUP: the run is to end. The signal
// stays pending, so a StopSignals made later still hears it.
class InputStopped : public runtime::Exception {
public:
    InputStopped() : Exception("stopped by a signal") {}
};

// A file read to its end, block by block, that gives way to a stop signal
// (see StopSignals): each read waits for data or for a signal, whichever
// comes first, so a pipe that never writes or a line that never ends cannot
// hold the program past a stop. Only a regular file or a pipe (a socket
// standing for one) is read: a device such as /dev/zero never ends.
class InputFile {
public:
    // "-" reads standard input. Throws runtime::Exception "PATH: reason" when
    // the file cannot be opened or is of another kind.
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // A regular file named by its path can be opened and read again; a pipe
    // or standard input cannot.
    bool rereadable() const { return rereadable_; }

    // At most `size` bytes into `buffer`; 0 at the end. Throws InputStopped
    // when a stop signal is pending, runtime::Exception when reading fails.
    std::size_t read(char* buffer, std::size_t size);

private:
    // Closes both descriptors: at the end, or when the constructor throws.
    void release();
    [[noreturn]] void fail(int error) const;

    std::string path_;
    int fd_ = -1;
    int signals_ = -1;
    bool rereadable_ = false;
};

} // namespace loop
