#pragma once

#include "cli/NodeOptions.h"
#include "node/NodePanel.h"

#include <functional>
#include <string>

namespace cli {

// The node panel without a window: its settings come from the options and
// its log lines go to `log` as they are appended. What only a window shows
// (enabled states, captions) has no reader and is dropped.
class OptionPanel : public node::NodePanel {
public:
    using LogLine = std::function<void(const std::string&)>;

    OptionPanel(NodeOptions options, LogLine log);

    std::int32_t spinValue(node::Control spin) override;
    std::string text(node::Control edit) const override;
    void setText(node::Control edit, const std::string& text) override;
    bool isChecked(node::Control button) const override;
    int intervalIndex() const override;
    void setEnabled(node::Control, bool) override {}
    void setLabelCaption(node::Control, const std::string&) override {}
    std::string windowCaption() const override { return caption_; }
    void setWindowCaption(const std::string& caption) override { caption_ = caption; }
    void appendLog(const std::string& line) override;
    int logLineCount() const override { return logLines_; }
    void deleteFirstLogLine() override { --logLines_; }
    std::optional<std::string> chooseFile() override { return std::nullopt; }

private:
    NodeOptions options_;
    std::string ipText_;
    std::string caption_ = "セタロメ Ver1.2(降雨)";
    LogLine log_;
    int logLines_ = 0;
};

} // namespace cli
