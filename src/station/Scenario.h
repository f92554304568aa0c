#pragma once

#include "station/Level.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace station {

// A row of a played file: the value and, for a timed file, the generator
// time in seconds from which it holds.
struct PlaybackRow {
    double at = 0;
    double value = 0;
};

// How a CCM's value moves. Only the fields of `kind` are used.
struct GeneratorSettings {
    enum class Kind { Constant, Square, Random, Walk, Sine, Ramp, Playback };
    Kind kind = Kind::Constant;
    // constant: value; square and walk: low and high
    double value = 0;
    double low = 0;
    double high = 1;
    // square: sends per cycle, high in the first half
    std::int32_t cycle = 60;
    // random: whole numbers from min to max; sine: its range
    double min = 0;
    double max = 1;
    // sine: seconds per period and the seconds it is ahead
    double period = 86400;
    double phase = 0;
    // ramp: from (nothing: the value when it starts), to, over seconds
    std::optional<double> from;
    double to = 0;
    double duration = 60;
    bool repeat = false;
    // playback: rows in order; timed rows play by time, others one per send
    std::vector<PlaybackRow> rows;
    bool timed = false;
    bool loop = false;
};

struct CcmSettings {
    std::string type;
    std::int32_t room = 1;
    std::int32_t region = 1;
    std::int32_t order = 1;
    std::int32_t priority = 29;
    Level level;
    std::int32_t cast = 0;
    std::string unit;
    GeneratorSettings generator;
    // Half the width of a uniform jitter added to each sample; 0: none.
    double noise = 0;
    std::optional<double> clampMin;
    std::optional<double> clampMax;
};

// A device the controller under test drives: it follows the value of its
// command CCM at `rate` units a second within min..max, and reports where it
// is as its state CCM, one of its node's CCMs (`stateIndex` in `ccms`).
struct ActuatorSettings {
    std::string commandType;
    std::int32_t commandRoom = 1;
    std::int32_t commandRegion = 1;
    std::int32_t commandOrder = 1;
    std::size_t stateIndex = 0;
    double min = 0;
    double max = 100;
    double rate = 1;
    double initial = 0;
};

struct NodeSettings {
    // An IPv4 address text, or "auto": the address this host sends from.
    std::string address = "auto";
    // Copies with consecutive addresses (see CopyAddress).
    std::int32_t repeat = 1;
    // "FILE:LINE:COLUMN" of `repeat`, for the check of the copies' addresses
    // that can only be made once "auto" is known.
    std::string repeatPlace;
    // The defaults of its CCMs, and the room and region of its "cnd".
    std::int32_t room = 1;
    std::int32_t region = 1;
    // Whether it sends its condition CCM, "cnd", every second.
    bool condition = true;
    // Whether it answers NODESCAN, CCMSCAN and SEARCH, and what it says in
    // its NODE reply; nothing: the defaults (discovery/Identity.h). Copies
    // share them, but for the MAC, which counts up as the address does.
    bool answerScans = true;
    std::optional<std::string> name;
    std::optional<std::string> vendor;
    std::optional<std::string> uecsId;
    std::optional<std::string> mac;
    std::vector<CcmSettings> ccms;
    std::vector<ActuatorSettings> actuators;
};

// At `at` seconds of generator time, the CCMs of `type` (narrowed by room,
// region and order when given) take a value or a new generator.
struct EventSettings {
    // A fault injected into the actuators whose state CCM the event names,
    // instead of a value: stuck stops it moving, slow gives it `rate`,
    // ignore stops it obeying, silent stops its reports, recover ends all.
    enum class Fault { None, Stuck, Slow, Ignore, Silent, Recover };
    // What expectations call it by in `after`; nothing: unnamed.
    std::optional<std::string> name;
    Fault fault = Fault::None;
    double rate = 0;
    double at = 0;
    std::string type;
    std::optional<std::int32_t> room;
    std::optional<std::int32_t> region;
    std::optional<std::int32_t> order;
    std::optional<double> value;
    std::optional<GeneratorSettings> generator;
};

// Which datagrams an expectation watches; nothing: any.
struct SelectorSettings {
    // Empty only for a lint expectation narrowed by `from` alone.
    std::string type;
    std::optional<std::int32_t> room;
    std::optional<std::int32_t> region;
    std::optional<std::int32_t> order;
    // The source address text.
    std::optional<std::string> from;
};

// What the controller under test must do: a condition on the values of the
// selected CCM, judged in one of three modes from `after` on.
struct ExpectSettings {
    enum class Mode { Within, Always, Never };
    enum class Test { Value, Below, Above, Between, Silent, LintClean };
    std::string name;
    // Where it starts in the file, for messages.
    std::uint32_t line = 0;
    SelectorSettings selector;
    // Seconds from the start, and the event's name when it was given as one.
    double after = 0;
    std::string afterEvent;
    Mode mode = Mode::Within;
    // Within: the window after `after`; nothing: until the end of the run.
    std::optional<double> within;
    // Within: how long the condition must then go on holding.
    double holds = 0;
    Test test = Test::Value;
    // Value: low; Below: high; Above: low; Between: low..high.
    double low = 0;
    double high = 0;
};

struct Scenario {
    // Nothing: the file's base name.
    std::optional<std::string> name;
    // How long a test run lasts at most, in seconds; nothing: kDefaultTestSeconds.
    std::optional<double> duration;
    // Nothing: the sequence the window starts with.
    std::optional<std::uint32_t> seed;
    std::vector<NodeSettings> nodes;
    // In order of time.
    std::vector<EventSettings> events;
    // In the order of the file.
    std::vector<ExpectSettings> expectations;
};

inline constexpr double kDefaultTestSeconds = 300;

// The node's condition CCM, "cnd": 0 (normal) every second, in the node's
// room and region.
CcmSettings ConditionCcm(const NodeSettings& node);

// Whether the event names this CCM.
bool EventMatches(const EventSettings& event, const CcmSettings& ccm);

} // namespace station
