#pragma once

#include "station/Station.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace cli {

// What the station prints. As text: in a dry run each datagram's bytes on a
// line of their own, else nothing per datagram (a station may send tens of
// thousands a second); failures go to standard error, the first few in full
// and then a count at the end. As JSON Lines: one object per datagram
// ({"time", "ip", "type", "value", "unit", "message", "sent", and "error" or
// "dry_run"}).
class StationOutput {
public:
    StationOutput(bool json, std::FILE* out = stdout, std::FILE* errors = stderr);

    void notSent(const station::Outgoing& outgoing, const std::string& payload);
    void sent(const station::Outgoing& outgoing);
    void sendFailed(const station::Outgoing& outgoing, const std::string& error);
    // Periodic sends skipped after a stall. The first stall is told at once
    // in one line (an object {"time", "skipped", "late"} with --json); later
    // ones are only counted, and the total told at the end if it grew.
    void skipped(std::int64_t sends, std::chrono::steady_clock::duration late);
    // The count of failures not shown one by one, if any, and of skipped sends.
    void finish();
    std::int64_t failures() const { return failures_; }

private:
    void writeJson(const station::Outgoing& outgoing, const std::optional<std::string>& error,
                   bool dryRun);
    void writeLine(const std::string& line);

    bool json_;
    std::FILE* out_;
    std::FILE* errors_;
    std::int64_t failures_ = 0;
    std::int64_t skippedTold_ = 0;
    std::int64_t skipped_ = 0;
};

} // namespace cli
