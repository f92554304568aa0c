#pragma once

#include "node/NodePanel.h"
#include "node/NodeState.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace node {

// "ファイルから": plays the file named by EditFile, one line per tick, the
// line's leading integer times 100. Opens the file on the first tick after it
// was closed. When the file cannot be opened, cannot be read, or has ended
// and CheckLoop is clear, logs "ファイルが開けません", "ファイルが読めません"
// or "ファイル終了", calls `stop` and returns nothing: the tick ends there.
std::optional<std::int32_t> FileValue(NodeState& state, NodePanel& panel,
                                      const std::function<void()>& stop);

} // namespace node
