#pragma once

#include <QBasicTimer>
#include <QFlags>
#include <QPixmap>
#include <QWidget>

#include <functional>

// A flat push button showing one glyph that clicks once when released over
// it and, while held down with the left button, clicks on its own: first
// FirstRepeatDelay after the press, then every RepeatPeriod. The repeat ends
// as soon as the arrow no longer holds the mouse, even when the release went
// elsewhere (a popup, a modal window or another grabber took it).
//
// Click handlers are plain callbacks, not signals, so that an exception from
// a click leaves through the mouse or timer event handler to the
// application's notify(), where the shell reports it.
class TTimerSpeedButton : public QWidget {
    Q_OBJECT

public:
    enum class ButtonFlag { ShowFocusFrame = 0x1, AllowRepeat = 0x2 };
    Q_DECLARE_FLAGS(TButtonFlags, ButtonFlag)

    using TNotifyEvent = std::function<void(TTimerSpeedButton* sender)>;
    using TMouseEvent = std::function<void(TTimerSpeedButton* sender, Qt::MouseButton button)>;

    static constexpr int FirstRepeatDelay = 400;
    static constexpr int RepeatPeriod = 100;

    explicit TTimerSpeedButton(QWidget* parent = nullptr);

    TButtonFlags ButtonFlags() const { return buttonFlags_; }
    void SetButtonFlags(TButtonFlags flags);

    QPixmap Glyph() const { return glyph_; }
    // The glyph is drawn with the colour of its bottom-left pixel transparent.
    void SetGlyph(const QPixmap& glyph);

    void SetOnClick(TNotifyEvent handler) { onClick_ = std::move(handler); }
    // Raised by a press of any mouse button before the pressed state is set.
    void SetOnMouseDown(TMouseEvent handler) { onMouseDown_ = std::move(handler); }

    // Pressed state: held with the left button and the pointer over it.
    bool IsDown() const { return down_; }
    // Delivers one click to the OnClick handler.
    void Click();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void TimerExpired();
    bool HoldsMouse() const;
    void SetDown(bool down);
    void StartRepeat();
    void EndTracking();
    void EndHold();
    void PaintFocusFrame(QPainter& painter);

    QBasicTimer autoRepeatTimer_;
    TButtonFlags buttonFlags_;
    QPixmap glyph_;
    QPixmap drawnGlyph_;
    TNotifyEvent onClick_;
    TMouseEvent onMouseDown_;
    bool down_ = false;
    // A left press is being tracked: the pressed look follows the pointer.
    bool tracking_ = false;
    // Some button went down on the arrow and its release has not come yet.
    bool held_ = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TTimerSpeedButton::TButtonFlags)
