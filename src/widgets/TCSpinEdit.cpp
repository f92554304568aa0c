#include "widgets/TCSpinEdit.h"

#include "widgets/Beep.h"
#include "widgets/TCSpinButton.h"
#include "widgets/TextToInt.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace {

// The native edit's 1-pixel border, counted four times in the minimum height.
constexpr int BorderHeight = 1;

// The characters a key press types, as the native edit would receive them:
// Backspace and Enter as their control codes, Ctrl+letter as its control
// code. Delete types nothing, like the cursor and function keys, and is never
// filtered. Alt does not stop a character: the line edit inserts it.
QString TypedText(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
        return QStringLiteral("\b");
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("\r");
    case Qt::Key_Delete:
        return {};
    default:
        break;
    }
    const QString text = event->text();
    if (event->modifiers().testFlag(Qt::ControlModifier) && text.size() == 1 &&
        text[0].unicode() < 128 && text[0].isLetter())
        return QString(QChar(text[0].unicode() & 0x1F));
    return text;
}

// Qt names the standard context menu's entries after their theme icons from
// 6.5 on; before that they are known by Qt's own caption, translated, with
// the shortcut text that may follow a tab left aside.
bool IsMenuAction(const QAction* action, const char* name, const char* caption)
{
    return action->objectName() == QLatin1String(name) ||
           action->text().section(u'\t', 0, 0) == QLineEdit::tr(caption);
}

QChar DecimalSeparator()
{
    const QString separator = QLocale().decimalPoint();
    return separator.size() == 1 ? separator[0] : QChar(u'.');
}

// value + sign * step in 32-bit two's-complement arithmetic, wrapping at the
// ends of the range as the native integers do.
std::int32_t WrappingStep(std::int32_t value, std::int32_t step, int sign)
{
    const auto a = static_cast<std::uint32_t>(value);
    const auto b = static_cast<std::uint32_t>(step);
    return static_cast<std::int32_t>(sign > 0 ? a + b : a - b);
}

} // namespace

TCSpinEdit::TCSpinEdit(QWidget* parent) : QLineEdit(parent)
{
    button_ = new TCSpinButton(this);
    button_->setObjectName(QStringLiteral("SpinButton"));
    button_->SetBounds(0, 0, 15, 17);
    button_->setCursor(Qt::ArrowCursor);
    button_->SetFocusControl(this);
    // Virtual calls, so a derived field's steps are the ones the arrows make.
    button_->SetOnUpClick([this](QObject* sender) { UpClick(sender); });
    button_->SetOnDownClick([this](QObject* sender) { DownClick(sender); });
    setText(QStringLiteral("0"));
    // Input methods then offer plain digits, not full-width ones.
    setInputMethodHints(Qt::ImhDigitsOnly);
}

std::int32_t TCSpinEdit::GetValue()
{
    return ReadValue(!HoldsPanelFocus());
}

std::int32_t TCSpinEdit::ReadValue(bool rewriteUnreadable)
{
    if (const auto value = widgets::TextToInt(text()))
        return *value;
    if (rewriteUnreadable)
        setText(QString::number(minValue_));
    return minValue_;
}

void TCSpinEdit::SetValue(std::int32_t value)
{
    setText(QString::number(CheckValue(value)));
}

std::int32_t TCSpinEdit::CheckValue(std::int32_t value) const
{
    if (maxValue_ == minValue_)
        return value;
    if (value < minValue_)
        return minValue_;
    if (value > maxValue_)
        return maxValue_;
    return value;
}

bool TCSpinEdit::IsValidChar(QChar key) const
{
    // The rules are those of 8-bit character codes taken as signed: every
    // non-ASCII character stands for the codes 128..255, which count as
    // negative and so pass the "below 50" rule.
    const int code = key.unicode() < 128 ? key.unicode() : -1;
    const bool accepted = key == DecimalSeparator() || key == u'+' || key == u'-' ||
                          (key >= u'0' && key <= u'9') || (code < 50 && code != 13);
    if (!accepted)
        return false;
    return editorEnabled_ || (code < 50 && code != 8 && code != 46);
}

void TCSpinEdit::UpClick(QObject*)
{
    Step(+1);
}

void TCSpinEdit::DownClick(QObject*)
{
    Step(-1);
}

void TCSpinEdit::Step(int sign)
{
    if (isReadOnly()) {
        widgets::Beep();
        return;
    }
    // An unreadable text steps from MinValue, so it is rewritten regardless
    // of the focus.
    SetValue(WrappingStep(ReadValue(true), increment_, sign));
}

int TCSpinEdit::GetMinHeight() const
{
    const int fontHeight = QFontInfo(font()).pixelSize();
    const int systemHeight =
        QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).pixelSize();
    return MinHeightFor(fontHeight, systemHeight);
}

int TCSpinEdit::MinHeightFor(int fontHeight, int systemFontHeight)
{
    const int smaller = std::min(fontHeight, systemFontHeight);
    return fontHeight + smaller / 4 + 4 * BorderHeight + 2;
}

void TCSpinEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up)
        UpClick(this);
    else if (event->key() == Qt::Key_Down)
        DownClick(this);
    if (!KeyPress(event)) {
        widgets::Beep();
        event->accept();
        return;
    }
    if (!EditsAllowed() &&
        (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut))) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool TCSpinEdit::KeyPress(const QKeyEvent* event) const
{
    return IsValidText(TypedText(event));
}

bool TCSpinEdit::IsValidText(const QString& text) const
{
    return std::all_of(text.begin(), text.end(), [this](QChar c) { return IsValidChar(c); });
}

// Text committed by an input method is typed text too: it passes the same
// filter, and a refused commit is dropped while the composition goes on.
void TCSpinEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (IsValidText(event->commitString())) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    widgets::Beep();
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&composing);
}

bool TCSpinEdit::EditsAllowed() const
{
    return editorEnabled_ && !isReadOnly();
}

// The operator is editing the field while it holds the panel's focus, even
// when another application is active for the moment.
bool TCSpinEdit::HoldsPanelFocus() const
{
    return window()->focusWidget() == this;
}

void TCSpinEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Entry by Tab or by a press on an arrow selects the whole number; a
    // press into the text places the cursor right after this, which clears
    // the selection again.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        selectAll();
}

void TCSpinEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Switching to another window or opening the context menu is no exit.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    const std::int32_t value = ReadValue(true);
    if (CheckValue(value) != value)
        SetValue(value);
}

void TCSpinEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    const int minHeight = GetMinHeight();
    if (height() < minHeight) {
        // The new size comes back as a further resize event.
        resize(width(), minHeight);
        return;
    }
    PlaceButton();
}

// The pair sits one pixel inside the frame's right and bottom edges, the
// text area ends left of it.
void TCSpinEdit::PlaceButton()
{
    if (button_ == nullptr)
        return;
    QStyleOptionFrame option;
    initStyleOption(&option);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    const int pairWidth = button_->width();
    button_->SetBounds(width() - frame - pairWidth - 1, frame, pairWidth, height() - 2 * frame - 1);
    SetEditRect();
}

void TCSpinEdit::SetEditRect()
{
    setTextMargins(0, 0, button_->width() + 2, 0);
}

void TCSpinEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    if (!EditsAllowed()) {
        for (QAction* action : menu->actions()) {
            if (IsMenuAction(action, "edit-cut", "Cu&t") ||
                IsMenuAction(action, "edit-paste", "&Paste"))
                action->setEnabled(false);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TCSpinEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // A middle click pastes the X11 selection.
    if (event->button() == Qt::MiddleButton && !EditsAllowed()) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TCSpinEdit::dragEnterEvent(QDragEnterEvent* event)
{
    // A drop is a paste by other means.
    if (!EditsAllowed()) {
        event->ignore();
        return;
    }
    QLineEdit::dragEnterEvent(event);
}
