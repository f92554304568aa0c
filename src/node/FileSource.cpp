#include "node/FileSource.h"

#include "node/LeadingInteger.h"
#include "node/NodeLog.h"

#include <string_view>

namespace node {

std::optional<std::int32_t> FileValue(NodeState& state, NodePanel& panel,
                                      const std::function<void()>& stop)
{
    const auto stopWith = [&](const char* logLine) {
        AppendLog(panel, logLine);
        stop();
        return std::nullopt;
    };
    PlaybackFile& file = state.playbackFile;
    if (!file.isOpen() && !file.open(panel.text(Control::EditFile)))
        return stopWith("ファイルが開けません");
    // A fresh buffer each tick: when even the read after a rewind finds no
    // line (an empty file played in a loop), the line is empty and gives 0.
    PlaybackFile::Line line;
    if (!file.readLine(line)) {
        // A read error is no end: looping over it would send 0 for ever.
        if (file.failed())
            return stopWith("ファイルが読めません");
        if (!panel.isChecked(Control::CheckLoop))
            return stopWith("ファイル終了");
        file.rewind();
        if (!file.readLine(line) && file.failed())
            return stopWith("ファイルが読めません");
    }
    const std::int32_t number =
        ParseLeadingInteger(std::string_view(line.bytes.data(), line.length));
    // Times 100 with the 32-bit wrap-around, done in unsigned arithmetic.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number) * 100u);
}

} // namespace node
