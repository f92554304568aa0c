#pragma once

#include "node/NodePanel.h"

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>

// An in-memory operator panel with the panel's defaults, for driving the node
// logic without a display. Spin values are plain numbers here (no text to
// rewrite), which is what the node sees of a field holding a valid number.
class MemoryPanel : public node::NodePanel {
public:
    using Control = node::Control;

    std::map<Control, std::int32_t> spins{
        {Control::CSpinRm1, 1},    {Control::CSpinRe1, 1}, {Control::CSpinOr1, 1},
        {Control::CSpinPr1, 29},   {Control::CSpinMax, 100}, {Control::CSpinMin, 0},
        {Control::CSpinCycle, 60},
    };
    std::map<Control, std::string> texts{
        {Control::EditCCM1, "WRainfall"}, {Control::EditIP, "192.168.1.1"}, {Control::EditFile, ""}};
    std::set<Control> checked{Control::RadioFix};
    std::map<Control, bool> enabled;
    std::map<Control, std::string> labels{{Control::LabelNow, "   "}, {Control::Label7, "降雨OFF"}};
    int interval = 1;
    std::string caption = "セタロメ Ver1.2(降雨)";
    std::deque<std::string> log;
    // The next answer of the file dialog; each call consumes it.
    std::optional<std::string> nextChosenFile;
    int fileDialogCount = 0;

    // Checks one of the five mode buttons and unchecks the others.
    void checkMode(Control radio)
    {
        for (Control c : {Control::RadioFix, Control::RadioSin, Control::RadioRnd, Control::RadioRnd2,
                          Control::RadioFile})
            checked.erase(c);
        checked.insert(radio);
    }

    std::int32_t spinValue(Control spin) override { return spins.at(spin); }
    std::string text(Control edit) const override { return texts.at(edit); }
    void setText(Control edit, const std::string& text) override { texts[edit] = text; }
    bool isChecked(Control button) const override { return checked.count(button) != 0; }
    int intervalIndex() const override { return interval; }
    void setEnabled(Control control, bool on) override { enabled[control] = on; }
    void setLabelCaption(Control label, const std::string& text) override { labels[label] = text; }
    std::string windowCaption() const override { return caption; }
    void setWindowCaption(const std::string& text) override { caption = text; }
    void appendLog(const std::string& line) override { log.push_back(line); }
    int logLineCount() const override { return static_cast<int>(log.size()); }
    void deleteFirstLogLine() override
    {
        if (!log.empty())
            log.pop_front();
    }
    std::optional<std::string> chooseFile() override
    {
        ++fileDialogCount;
        return std::exchange(nextChosenFile, std::nullopt);
    }
};
