#include "node/NodeLog.h"

namespace node {

void AppendLog(NodePanel& panel, const std::string& line)
{
    panel.appendLog(line);
    while (panel.logLineCount() > kMaxLogLines)
        panel.deleteFirstLogLine();
}

} // namespace node
