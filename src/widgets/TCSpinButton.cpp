#include "widgets/TCSpinButton.h"

#include "widgets/TTimerSpeedButton.h"

#include <QKeyEvent>

#include <algorithm>

namespace {

// The built-in arrows, shipped as resources of this library.
QPixmap BuiltInGlyph(const char* path)
{
    return QPixmap(QString::fromLatin1(path), "XPM");
}

bool HasTabStop(const QWidget* widget)
{
    return (widget->focusPolicy() & Qt::TabFocus) != 0;
}

bool CanFocus(const QWidget* widget)
{
    return widget->isEnabled() && widget->isVisible();
}

} // namespace

TCSpinButton::TCSpinButton(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    upButton_ = CreateButton(QStringLiteral("UpButton"));
    downButton_ = CreateButton(QStringLiteral("DownButton"));
    SetUpGlyph(QPixmap());
    SetDownGlyph(QPixmap());
    SetBounds(x(), y(), 20, 25);
    activeButton_ = upButton_;
}

QPixmap TCSpinButton::GetUpGlyph() const
{
    return upButton_->Glyph();
}

QPixmap TCSpinButton::GetDownGlyph() const
{
    return downButton_->Glyph();
}

void TCSpinButton::SetUpGlyph(const QPixmap& glyph)
{
    upButton_->SetGlyph(glyph.isNull() ? BuiltInGlyph(":/widgets/SpinUp") : glyph);
}

void TCSpinButton::SetDownGlyph(const QPixmap& glyph)
{
    downButton_->SetGlyph(glyph.isNull() ? BuiltInGlyph(":/widgets/SpinDown") : glyph);
}

void TCSpinButton::SetBounds(int left, int top, int width, int height)
{
    AdjustSize(width, height);
    setGeometry(left, top, width, height);
}

TTimerSpeedButton* TCSpinButton::CreateButton(const QString& name)
{
    auto* button = new TTimerSpeedButton(this);
    button->setObjectName(name);
    button->SetOnClick([this](TTimerSpeedButton* sender) { BtnClick(sender); });
    button->SetOnMouseDown([this](TTimerSpeedButton* sender, Qt::MouseButton pressed) {
        BtnMouseDown(sender, pressed);
    });
    button->SetButtonFlags(button->ButtonFlags() | TTimerSpeedButton::ButtonFlag::AllowRepeat);
    button->show();
    return button;
}

// The arrows split the height; the lower one starts on the upper one's last
// row, so the two share one pixel row.
void TCSpinButton::AdjustSize(int& width, int height)
{
    if (upButton_ == nullptr)
        return;
    width = std::max(width, MinWidth);
    upButton_->setGeometry(0, 0, width, height / 2);
    const int upHeight = upButton_->height();
    downButton_->setGeometry(0, upHeight - 1, width, height - upHeight + 1);
}

void TCSpinButton::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    int newWidth = width();
    AdjustSize(newWidth, height());
    if (newWidth != width())
        resize(newWidth, height());
}

void TCSpinButton::BtnClick(TTimerSpeedButton* sender)
{
    if (sender == upButton_) {
        if (onUpClick_)
            onUpClick_(this);
    } else if (onDownClick_) {
        onDownClick_(this);
    }
}

void TCSpinButton::BtnMouseDown(TTimerSpeedButton* sender, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    SetFocusBtn(sender);
    QWidget* control = focusControl_;
    if (control != nullptr && HasTabStop(control) && CanFocus(control) && !control->hasFocus()) {
        control->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (TakesFocus() && !hasFocus())
        setFocus(Qt::OtherFocusReason);
}

void TCSpinButton::SetFocusBtn(TTimerSpeedButton* button)
{
    if (!TakesFocus() || button == activeButton_)
        return;
    ShowFocusFrame(activeButton_, false);
    activeButton_ = button;
    if (hasFocus())
        ShowFocusFrame(activeButton_, true);
}

void TCSpinButton::ShowFocusFrame(TTimerSpeedButton* button, bool show)
{
    button->SetButtonFlags(
        button->ButtonFlags().setFlag(TTimerSpeedButton::ButtonFlag::ShowFocusFrame, show));
}

bool TCSpinButton::TakesFocus() const
{
    return HasTabStop(this) && CanFocus(this);
}

void TCSpinButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        SetFocusBtn(upButton_);
        upButton_->Click();
        break;
    case Qt::Key_Down:
        SetFocusBtn(downButton_);
        downButton_->Click();
        break;
    case Qt::Key_Space:
        activeButton_->Click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TCSpinButton::focusInEvent(QFocusEvent* event)
{
    ShowFocusFrame(activeButton_, true);
    QWidget::focusInEvent(event);
}

void TCSpinButton::focusOutEvent(QFocusEvent* event)
{
    ShowFocusFrame(activeButton_, false);
    QWidget::focusOutEvent(event);
}
