#pragma once

#include "node/Control.h"

#include <cstdint>
#include <optional>
#include <string>

namespace node {

// Everything the tick and the handlers read from and write to the operator
// panel, and nothing more. The Qt window implements it; tests use an
// in-memory panel. All texts are UTF-8.
class NodePanel {
public:
    virtual ~NodePanel() = default;

    // The spin field's value getter: the number in the field's text, limits
    // not applied; an unreadable text is rewritten to the field's lower limit,
    // which is returned. Never fails.
    virtual std::int32_t spinValue(Control spin) = 0;
    // Text of EditCCM1, EditIP or EditFile.
    virtual std::string text(Control edit) const = 0;
    virtual void setText(Control edit, const std::string& text) = 0;
    // Radio buttons and CheckLoop.
    virtual bool isChecked(Control button) const = 0;
    // Item index of RadioGroup1 (-1 when nothing is selected).
    virtual int intervalIndex() const = 0;

    virtual void setEnabled(Control control, bool enabled) = 0;
    // Caption of LabelNow or Label7.
    virtual void setLabelCaption(Control label, const std::string& caption) = 0;

    virtual std::string windowCaption() const = 0;
    virtual void setWindowCaption(const std::string& caption) = 0;

    // The log: a list of lines.
    virtual void appendLog(const std::string& line) = 0;
    virtual int logLineCount() const = 0;
    virtual void deleteFirstLogLine() = 0;

    // The file-open dialog: the chosen file's full path, or nothing when the
    // operator cancels.
    virtual std::optional<std::string> chooseFile() = 0;
};

} // namespace node
