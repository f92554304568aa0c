#pragma once

#include "node/PlaybackFile.h"
#include "node/RandomSequence.h"

#include <cstdint>
#include <string>

namespace node {

// The node's state, owned by the panel for the life of the program. The
// settings are never copied here: the tick and the handlers read them from
// the panel at the moment of use.
struct NodeState {
    // Position inside the periodic source's cycle.
    std::int32_t periodCounter = 0;
    // Ticks since the random 2 walk last switched.
    std::int32_t switchCounter = 0;
    // Open while the file source plays; opened lazily by the first file tick.
    PlaybackFile playbackFile;
    // The window caption at creation; the idle/running suffixes go after it.
    std::string savedTitle;
    bool rainFlag = false;
    RandomSequence random;
};

} // namespace node
