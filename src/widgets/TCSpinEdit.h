#pragma once

#include <QLineEdit>

#include <cstdint>

class TCSpinButton;

// A one-line edit holding a whole number as text, with an up/down arrow pair
// inside its right edge. The text is the only store of the number: Value is
// converted on every read and written back as decimal text on every write.
// Writes are limited to MinValue..MaxValue (no limit when the two are equal),
// the arrows and the Up/Down keys step by Increment, typed characters pass a
// filter, and an out-of-range number is corrected when the focus leaves.
//
// The properties below are the ones a .ui file sets; the setters named in Qt
// style are what uic calls.
class TCSpinEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(int minValue READ MinValue WRITE setMinValue)
    Q_PROPERTY(int maxValue READ MaxValue WRITE setMaxValue)
    Q_PROPERTY(int increment READ Increment WRITE setIncrement)
    Q_PROPERTY(bool editorEnabled READ EditorEnabled WRITE setEditorEnabled)
    Q_PROPERTY(int value READ GetValue WRITE setValue STORED false)

public:
    explicit TCSpinEdit(QWidget* parent = nullptr);

    std::int32_t MinValue() const { return minValue_; }
    void setMinValue(std::int32_t value) { minValue_ = value; }
    std::int32_t MaxValue() const { return maxValue_; }
    void setMaxValue(std::int32_t value) { maxValue_ = value; }
    std::int32_t Increment() const { return increment_; }
    void setIncrement(std::int32_t value) { increment_ = value; }
    bool EditorEnabled() const { return editorEnabled_; }
    void setEditorEnabled(bool enabled) { editorEnabled_ = enabled; }

    // The number in the text, never limited. An unreadable text reads as
    // MinValue and is rewritten to it, unless the operator is editing the
    // field: then the text is left alone until the focus leaves.
    std::int32_t GetValue();
    // Writes the decimal form of CheckValue(value).
    void SetValue(std::int32_t value);
    void setValue(int value) { SetValue(value); }
    std::int32_t CheckValue(std::int32_t value) const;

    virtual bool IsValidChar(QChar key) const;
    virtual void UpClick(QObject* sender);
    virtual void DownClick(QObject* sender);

    // The smallest height at which the text fits.
    int GetMinHeight() const;
    static int MinHeightFor(int fontHeight, int systemFontHeight);

    TCSpinButton* Button() const { return button_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;

private:
    std::int32_t ReadValue(bool rewriteUnreadable);
    void Step(int sign);
    bool KeyPress(const QKeyEvent* event) const;
    bool IsValidText(const QString& text) const;
    bool EditsAllowed() const;
    bool HoldsPanelFocus() const;
    void PlaceButton();
    void SetEditRect();

    std::int32_t minValue_ = 0;
    std::int32_t maxValue_ = 0;
    std::int32_t increment_ = 1;
    TCSpinButton* button_ = nullptr;
    bool editorEnabled_ = true;
};
