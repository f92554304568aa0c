#include "widgets/TTimerSpeedButton.h"

#include <QApplication>
#include <QBitmap>
#include <QEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <qdrawutil.h>

TTimerSpeedButton::TTimerSpeedButton(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTimerSpeedButton::SetButtonFlags(TButtonFlags flags)
{
    if (flags == buttonFlags_)
        return;
    buttonFlags_ = flags;
    update();
}

void TTimerSpeedButton::SetGlyph(const QPixmap& glyph)
{
    glyph_ = glyph;
    drawnGlyph_ = glyph;
    if (!glyph.isNull()) {
        const QColor transparent = glyph.toImage().pixelColor(0, glyph.height() - 1);
        drawnGlyph_.setMask(glyph.createMaskFromColor(transparent, Qt::MaskInColor));
    }
    update();
}

void TTimerSpeedButton::Click()
{
    if (onClick_)
        onClick_(this);
}

void TTimerSpeedButton::TimerExpired()
{
    if (!HoldsMouse()) {
        EndHold();
        return;
    }
    autoRepeatTimer_.start(RepeatPeriod, this);
    if (!down_)
        return;
    try {
        Click();
    } catch (...) {
        // A failing click ends the repeat; the error itself belongs to the
        // application's error handling, so it travels on.
        autoRepeatTimer_.stop();
        throw;
    }
}

// The release of a press comes back to the arrow only while nothing stands
// in between: a popup or another modal window takes the mouse input for
// itself, and an explicit grab of another widget takes every mouse event.
bool TTimerSpeedButton::HoldsMouse() const
{
    const QWidget* grabber = QWidget::mouseGrabber();
    const QWidget* modal = QApplication::activeModalWidget();
    return held_ && (grabber == nullptr || grabber == this) &&
           QApplication::activePopupWidget() == nullptr && (modal == nullptr || modal == window());
}

void TTimerSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QBrush face = palette().brush(QPalette::Button);
    qDrawWinButton(&painter, rect(), palette(), down_, &face);
    if (!drawnGlyph_.isNull()) {
        QPixmap pixmap = drawnGlyph_;
        if (!isEnabled()) {
            QStyleOption option;
            option.initFrom(this);
            pixmap = style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
        }
        // Centred, and pushed one pixel right and down while pressed.
        const int shift = down_ ? 1 : 0;
        painter.drawPixmap((width() - pixmap.width()) / 2 + shift,
                           (height() - pixmap.height()) / 2 + shift, pixmap);
    }
    if (buttonFlags_.testFlag(ButtonFlag::ShowFocusFrame))
        PaintFocusFrame(painter);
}

void TTimerSpeedButton::PaintFocusFrame(QPainter& painter)
{
    QRect frame = rect().adjusted(3, 3, -3, -3);
    if (down_)
        frame.translate(1, 1);
    QPen pen(palette().color(QPalette::ButtonText), 0, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}

void TTimerSpeedButton::mousePressEvent(QMouseEvent* event)
{
    if (onMouseDown_)
        onMouseDown_(this, event->button());
    held_ = true;
    if (event->button() == Qt::LeftButton) {
        tracking_ = true;
        SetDown(true);
    }
    // Any button starts the timer; only the pressed state lets it click.
    if (buttonFlags_.testFlag(ButtonFlag::AllowRepeat))
        StartRepeat();
}

void TTimerSpeedButton::mouseMoveEvent(QMouseEvent* event)
{
    if (tracking_)
        SetDown(rect().contains(event->position().toPoint()));
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool clicks = tracking_ && event->button() == Qt::LeftButton &&
                        rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        EndTracking();
    held_ = false;
    // Stopped before the click, so a failing click leaves no timer running.
    autoRepeatTimer_.stop();
    if (clicks)
        Click();
}

void TTimerSpeedButton::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == autoRepeatTimer_.timerId())
        TimerExpired();
    else
        QWidget::timerEvent(event);
}

bool TTimerSpeedButton::event(QEvent* event)
{
    // Another window became active: the mouse input went with it.
    if (event->type() == QEvent::WindowDeactivate)
        EndHold();
    return QWidget::event(event);
}

void TTimerSpeedButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        EndHold();
    QWidget::changeEvent(event);
}

void TTimerSpeedButton::hideEvent(QHideEvent* event)
{
    EndHold();
    QWidget::hideEvent(event);
}

void TTimerSpeedButton::SetDown(bool down)
{
    if (down == down_)
        return;
    down_ = down;
    update();
}

void TTimerSpeedButton::StartRepeat()
{
    autoRepeatTimer_.start(FirstRepeatDelay, this);
}

void TTimerSpeedButton::EndTracking()
{
    tracking_ = false;
    SetDown(false);
}

void TTimerSpeedButton::EndHold()
{
    held_ = false;
    EndTracking();
    autoRepeatTimer_.stop();
}
