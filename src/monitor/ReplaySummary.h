#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace monitor {

// What a replay did, told at its end as tcpreplay tells it.
struct ReplaySummary {
    // Handed to the system, or written in a dry run; and their bytes.
    std::uint64_t sent = 0;
    std::uint64_t bytes = 0;
    std::uint64_t failed = 0;
    // Rounds of the capture begun.
    std::size_t rounds = 0;
    // From the start to the end of the replay.
    std::chrono::steady_clock::duration duration{};

    // Datagrams sent a second; unknown when no time passed.
    std::optional<double> rate() const;
};

// "3 datagrams sent (15 bytes), 0 failed, 1 round, in 0.400 s: 7.5 a second";
// "written" for "sent" in a dry run.
std::string ReplaySummaryText(const ReplaySummary& summary, bool dryRun);

// The same as one JSON object on one line: sent, bytes, failed, rounds,
// duration and rate (null when unknown), in seconds, and dry_run as each
// datagram's line has it.
std::string ReplaySummaryJson(const ReplaySummary& summary, bool dryRun);

} // namespace monitor
