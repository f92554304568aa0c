#include "node/FileSource.h"

#include "node/LeadingInteger.h"

#include <string_view>

namespace node {

std::optional<std::int32_t> FileValue(NodeState& state, NodePanel& panel,
                                      const std::function<void()>& stop)
{
    PlaybackFile& file = state.playbackFile;
    if (!file.isOpen() && !file.open(panel.text(Control::EditFile))) {
        panel.appendLog("ファイルが開けません");
        stop();
        return std::nullopt;
    }
    // A fresh buffer each tick: when even the read after a rewind finds no
    // line (an empty file played in a loop), the line is empty and gives 0.
    PlaybackFile::Line line;
    if (!file.readLine(line) && file.atEnd()) {
        if (!panel.isChecked(Control::CheckLoop)) {
            panel.appendLog("ファイル終了");
            stop();
            return std::nullopt;
        }
        file.rewind();
        file.readLine(line);
    }
    const std::int32_t number =
        ParseLeadingInteger(std::string_view(line.bytes.data(), line.length));
    // Times 100 with the 32-bit wrap-around, done in unsigned arithmetic.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number) * 100u);
}

} // namespace node
