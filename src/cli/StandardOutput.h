#pragma once

namespace cli {

// Writes to standard output that fail end the run, as in the GNU core
// utilities. A reader that went away (EPIPE: `| head`) ends it quietly; any
// other failure (a full disk) is reported once at the end, with exit status 1.
// SIGPIPE is ignored for this (see main), so a closed pipe is an error of the
// write, not the end of the process.

// 0 while every write to standard output has reached the system; otherwise
// the errno of the first failure, kept. Call it right after the writes, so
// that errno still tells about a failure in the writer's own flush.
int StandardOutputError();

// The program's exit status once standard output is flushed: `status`, or 1
// when a write failed for another reason than a closed reader, with the
// system's reason on standard error.
int FinishStandardOutput(int status);

// Whether `fd` is the null device, which takes every write and keeps
// nothing: what would only be written there need not be made.
bool IsNullDevice(int fd);

} // namespace cli
