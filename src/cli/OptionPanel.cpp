#include "cli/OptionPanel.h"

#include <utility>

namespace cli {

using node::Control;

namespace {
// The hidden bounds of the random source, at the panel's values.
constexpr std::int32_t kRandomMax = 100;
constexpr std::int32_t kRandomMin = 0;
} // namespace

OptionPanel::OptionPanel(NodeOptions options, LogLine log)
    : options_(std::move(options)), log_(std::move(log))
{
}

std::int32_t OptionPanel::spinValue(Control spin)
{
    switch (spin) {
    case Control::CSpinRm1:
        return options_.room;
    case Control::CSpinRe1:
        return options_.region;
    case Control::CSpinOr1:
        return options_.order;
    case Control::CSpinPr1:
        return options_.priority;
    case Control::CSpinMax:
        return kRandomMax;
    case Control::CSpinMin:
        return kRandomMin;
    case Control::CSpinCycle:
        return options_.cycle;
    default:
        return 0;
    }
}

std::string OptionPanel::text(Control edit) const
{
    switch (edit) {
    case Control::EditCCM1:
        return options_.type;
    case Control::EditIP:
        return ipText_;
    case Control::EditFile:
        return options_.file;
    default:
        return {};
    }
}

// The controller writes only the address, once, at start-up.
void OptionPanel::setText(Control edit, const std::string& text)
{
    if (edit == Control::EditIP)
        ipText_ = text;
}

bool OptionPanel::isChecked(Control button) const
{
    switch (button) {
    case Control::RadioFix:
        return options_.source == "fixed";
    case Control::RadioSin:
        return options_.source == "periodic";
    case Control::RadioRnd:
        return options_.source == "random";
    case Control::RadioRnd2:
        return options_.source == "random2";
    case Control::RadioFile:
        return options_.source == "file";
    case Control::CheckLoop:
        return options_.loop;
    default:
        return false;
    }
}

int OptionPanel::intervalIndex() const
{
    switch (options_.interval) {
    case 1:
        return 0;
    case 60:
        return 2;
    default:
        return 1;
    }
}

void OptionPanel::appendLog(const std::string& line)
{
    ++logLines_;
    log_(line);
}

} // namespace cli
