#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace report {

// What a test run decided, as every report form (text, JSON lines, JUnit XML,
// HTML) reads it. Times are seconds from the start of the scenario's run.

enum class Outcome { Pass, Fail, Undecided };

// The datagram that decided an expectation, or why none did.
struct Evidence {
    // When the deciding datagram arrived (kernel time), or when the window
    // closed without one.
    double seconds = 0;
    // "10.1.0.2:16520"; empty when no datagram decided it.
    std::string source;
    // The datagram's text as the wire carried it (escape before showing), or
    // for no datagram: "nothing matching arrived" with the last value seen.
    std::string text;
    // Whether `text` is a datagram (true) or an explanation (false).
    bool isDatagram = false;
    // What about the datagram decided it, for people: "value 100", or the
    // lint finding "attribute-order: ..."; empty when `text` says it all.
    std::string note;
};

struct SeriesPoint {
    double seconds = 0;
    double value = 0;
};

// The values of one CCM over the run, for a chart.
struct Series {
    // "WRainfall.mIC room 1 region 1 order 1"
    std::string label;
    // A CCM the station sent (stimulus) rather than one the expectation watched.
    bool stimulus = false;
    std::vector<SeriesPoint> points;
    // Its unit for the chart's value axis ("C", "%"); empty when it has none.
    std::string unit;
};

struct ExpectationResult {
    std::string name;
    // The condition as the scenario states it: "value = 0", "below 5",
    // "between 10 and 20", "silent", "lint clean".
    std::string condition;
    // "within", "always" or "never".
    std::string mode;
    Outcome outcome = Outcome::Undecided;
    // When the verdict was reached.
    double decidedSeconds = 0;
    // The shaded spans of its chart: from `after`, the `within` window's end,
    // and the `holds` span once the condition first held.
    double afterSeconds = 0;
    std::optional<double> withinEndSeconds;
    std::optional<double> holdsStartSeconds;
    std::optional<double> holdsEndSeconds;
    Evidence evidence;
    // The watched CCM first, then the stimulus CCMs.
    std::vector<Series> series;
    // Source line in the scenario file, for messages.
    int line = 0;
};

struct ScenarioResult {
    // The scenario file as named on the command line.
    std::string file;
    // Its `name`, or the file's base name.
    std::string name;
    std::chrono::system_clock::time_point started;
    double durationSeconds = 0;
    std::vector<ExpectationResult> expectations;
};

} // namespace report
