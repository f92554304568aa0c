#pragma once

#include "station/Scenario.h"

#include <memory>

namespace node {
class RandomSequence;
}

namespace station {

// A CCM's value over time. Time is generator time in seconds since the
// generator started. `step` is true when a new sample is due (a periodic
// send, or every second for a CCM sent on change): the sources that move
// per send (square, random, walk, a values file) move only then, as the
// rain node's move once per tick. Random draws come from the station's one
// sequence, so a run is reproducible.
class Generator {
public:
    virtual ~Generator() = default;
    virtual double value(double t, bool step, node::RandomSequence& random) = 0;
};

// `current` is the CCM's value when the generator starts (a ramp with no
// `from` starts there).
std::unique_ptr<Generator> MakeGenerator(const GeneratorSettings& settings, double current);

} // namespace station
