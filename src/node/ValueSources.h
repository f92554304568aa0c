#pragma once

#include "node/NodePanel.h"
#include "node/NodeState.h"

#include <cstdint>

namespace node {

// The four sources that always yield a rain value (100 raining, 0 dry). Each
// reads its settings from the panel at the moment of use.

// "固定値": 100 while the rain flag is set, else 0.
std::int32_t FixedValue(const NodeState& state);

// "一定周期": a square wave over CSpinCycle ticks, raining in the first half.
// The tick has already advanced the period counter.
std::int32_t PeriodicValue(const NodeState& state, NodePanel& panel);

// "乱数": uniform between CSpinMin and CSpinMax (either order).
std::int32_t RandomValue(NodeState& state, NodePanel& panel);

// "乱数2(擬似ゆらぎ)": a walk that switches the rain flag with a chance that
// grows with the ticks since the last switch.
std::int32_t Random2Value(NodeState& state);

} // namespace node
