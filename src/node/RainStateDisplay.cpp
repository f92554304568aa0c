#include "node/RainStateDisplay.h"

namespace node {

void FormPaint(const NodeState& state, NodePanel& panel)
{
    panel.setLabelCaption(Control::Label7, state.rainFlag ? "降雨ON" : "降雨OFF");
}

} // namespace node
