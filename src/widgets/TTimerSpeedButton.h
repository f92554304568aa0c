#pragma once

#include <QBasicTimer>
#include <QFlags>
#include <QPixmap>
#include <QWidget>

#include <functional>

// A flat push button showing one glyph that clicks once when released over
// it and, while held down with the left button, clicks on its own: first
// FirstRepeatDelay after the press, then every RepeatPeriod.
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

    // The repeat timer, exposed so that tests can drive its expiries.
    int AutoRepeatTimerId() const { return autoRepeatTimer_.timerId(); }
    bool AutoRepeatActive() const { return autoRepeatTimer_.isActive(); }
    int AutoRepeatInterval() const { return repeatInterval_; }
    void TimerExpired();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SetDown(bool down);
    void StartRepeat();
    void EndTracking();
    void PaintFocusFrame(QPainter& painter);

    QBasicTimer autoRepeatTimer_;
    int repeatInterval_ = 0;
    TButtonFlags buttonFlags_;
    QPixmap glyph_;
    QPixmap drawnGlyph_;
    TNotifyEvent onClick_;
    TMouseEvent onMouseDown_;
    bool down_ = false;
    bool tracking_ = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TTimerSpeedButton::TButtonFlags)
