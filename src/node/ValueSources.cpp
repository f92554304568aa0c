#include "node/ValueSources.h"

namespace node {

namespace {
constexpr std::int32_t kRaining = 100;
constexpr std::int32_t kDry = 0;
// The random 2 walk draws its switching chance out of this many.
constexpr std::int32_t kSwitchScale = 3000;
} // namespace

std::int32_t FixedValue(const NodeState& state)
{
    return state.rainFlag ? kRaining : kDry;
}

std::int32_t PeriodicValue(const NodeState& state, NodePanel& panel)
{
    const std::int32_t cycle = panel.spinValue(Control::CSpinCycle);
    return cycle / 2 > state.periodCounter ? kRaining : kDry;
}

std::int32_t RandomValue(NodeState& state, NodePanel& panel)
{
    std::int32_t lower = panel.spinValue(Control::CSpinMin);
    std::int32_t upper = panel.spinValue(Control::CSpinMax);
    if (upper < lower) {
        lower = panel.spinValue(Control::CSpinMax);
        upper = panel.spinValue(Control::CSpinMin);
    }
    // The span is computed in 64 bits: CSpinMin has no limits, and bounds that
    // far apart would overflow 32 bits (the full range even wraps the span to
    // 0). In 64 bits the value always lies within the bounds.
    const std::int64_t span = std::int64_t{upper} - lower + 1;
    return static_cast<std::int32_t>(lower + state.random.next() % span);
}

std::int32_t Random2Value(NodeState& state)
{
    const std::int32_t r = state.random.next() % kSwitchScale;
    std::int32_t value;
    if (r < state.switchCounter) {
        value = state.rainFlag ? kDry : kRaining;
        state.switchCounter = 0;
    } else {
        value = state.rainFlag ? kRaining : kDry;
        // Bounded by kSwitchScale: from there on every draw switches.
        ++state.switchCounter;
    }
    if (state.switchCounter < 0)
        state.switchCounter = 0;
    return value;
}

} // namespace node
