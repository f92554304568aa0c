#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>

class TTimerSpeedButton;

// Two arrow buttons, up above down, that report their clicks (including the
// auto-repeat clicks of a held arrow) as OnUpClick and OnDownClick with the
// pair as sender. A press on an arrow hands the input focus to FocusControl.
// A pair that takes the focus itself (a tab stop) marks its active arrow with
// a dotted frame and answers the Up, Down and Space keys.
class TCSpinButton : public QWidget {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    static constexpr int MinWidth = 15;

    explicit TCSpinButton(QWidget* parent = nullptr);

    QPixmap GetUpGlyph() const;
    QPixmap GetDownGlyph() const;
    // A null pixmap ("none") restores the built-in arrow.
    void SetUpGlyph(const QPixmap& glyph);
    void SetDownGlyph(const QPixmap& glyph);

    QWidget* FocusControl() const { return focusControl_; }
    void SetFocusControl(QWidget* control) { focusControl_ = control; }

    void SetOnUpClick(TNotifyEvent handler) { onUpClick_ = std::move(handler); }
    void SetOnDownClick(TNotifyEvent handler) { onDownClick_ = std::move(handler); }

    TTimerSpeedButton* UpButton() const { return upButton_; }
    TTimerSpeedButton* DownButton() const { return downButton_; }
    TTimerSpeedButton* ActiveButton() const { return activeButton_; }

    // Widens the pair to MinWidth if needed and lays out the arrows.
    void SetBounds(int left, int top, int width, int height);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TTimerSpeedButton* CreateButton(const QString& name);
    void AdjustSize(int& width, int height);
    void BtnClick(TTimerSpeedButton* sender);
    void BtnMouseDown(TTimerSpeedButton* sender, Qt::MouseButton button);
    void SetFocusBtn(TTimerSpeedButton* button);
    void ShowFocusFrame(TTimerSpeedButton* button, bool show);
    bool TakesFocus() const;

    TTimerSpeedButton* upButton_ = nullptr;
    TTimerSpeedButton* downButton_ = nullptr;
    TTimerSpeedButton* activeButton_ = nullptr;
    QPointer<QWidget> focusControl_;
    TNotifyEvent onUpClick_;
    TNotifyEvent onDownClick_;
};
