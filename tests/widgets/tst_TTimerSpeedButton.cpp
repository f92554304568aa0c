#include "WidgetTestSupport.h"

#include "widgets/TCSpinButton.h"

#include <QDialog>
#include <QMenu>

// Auto-repeat of the arrows, on a virtual clock that delivers the repeat
// timer's expiries.
class TestTTimerSpeedButton : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clickTimes_data();
    void clickTimes();
    void rightPressStartsTimerButNeverClicks();
    void failingRepeatClickStopsAndReachesNotify();
    void repeatEndsWhenTheArrowLosesTheMouse_data();
    void repeatEndsWhenTheArrowLosesTheMouse();

private:
    void RecordClicks();

    TCSpinButton* pair_ = nullptr;
    std::vector<int> upClicks_;
    std::vector<int> downClicks_;
    RepeatClock* clock_ = nullptr;
};

void TestTTimerSpeedButton::init()
{
    pair_ = new TCSpinButton;
    pair_->SetBounds(0, 0, 15, 40);
    pair_->show();
    pair_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(pair_));
    upClicks_.clear();
    downClicks_.clear();
    CatchingApplication::Instance()->caught.clear();
}

void TestTTimerSpeedButton::cleanup()
{
    delete pair_;
    delete clock_;
    clock_ = nullptr;
}

void TestTTimerSpeedButton::clickTimes_data()
{
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("leaveAt");
    QTest::addColumn<int>("returnAt");
    QTest::addColumn<int>("releaseAt");
    QTest::addColumn<std::vector<int>>("expected");

    const int never = -1;
    QTest::newRow("quick click") << true << never << never << 250 << std::vector<int>{250};
    QTest::newRow("release just before the first repeat")
        << true << never << never << 399 << std::vector<int>{399};
    QTest::newRow("held 950 ms") << false << never << never << 950
                                 << std::vector<int>{400, 500, 600, 700, 800, 900, 950};
    QTest::newRow("dragged off, released outside")
        << true << 450 << never << 900 << std::vector<int>{400};
    QTest::newRow("dragged off and back")
        << false << 450 << 620 << 750 << std::vector<int>{400, 700, 750};
}

// Every click of the chosen arrow is recorded with the time it came at.
void TestTTimerSpeedButton::clickTimes()
{
    QFETCH(bool, up);
    QFETCH(int, leaveAt);
    QFETCH(int, returnAt);
    QFETCH(int, releaseAt);
    QFETCH(std::vector<int>, expected);
    TTimerSpeedButton* arrow = up ? pair_->UpButton() : pair_->DownButton();
    clock_ = new RepeatClock(arrow);
    RecordClicks();
    const QPoint outside(arrow->width() + 20, -20);

    clock_->Press();
    if (leaveAt >= 0) {
        clock_->AdvanceTo(leaveAt);
        clock_->MoveTo(outside);
        QVERIFY(!arrow->IsDown());
    }
    if (returnAt >= 0) {
        clock_->AdvanceTo(returnAt);
        clock_->MoveTo(arrow->rect().center());
        QVERIFY(arrow->IsDown());
    }
    clock_->AdvanceTo(releaseAt);
    clock_->Release(leaveAt >= 0 && returnAt < 0 ? outside : arrow->rect().center());

    QCOMPARE(up ? upClicks_ : downClicks_, expected);
    QVERIFY((up ? downClicks_ : upClicks_).empty());
    QVERIFY(!clock_->Active());
    QVERIFY(!arrow->IsDown());
}

void TestTTimerSpeedButton::rightPressStartsTimerButNeverClicks()
{
    TTimerSpeedButton* arrow = pair_->UpButton();
    clock_ = new RepeatClock(arrow);
    RecordClicks();
    clock_->Press(Qt::RightButton);
    QCOMPARE(clock_->Interval(), TTimerSpeedButton::FirstRepeatDelay);
    clock_->AdvanceTo(1000);
    QCOMPARE(clock_->Interval(), TTimerSpeedButton::RepeatPeriod);
    clock_->Release(arrow->rect().center(), Qt::RightButton);
    QVERIFY(!clock_->Active());
    QVERIFY(upClicks_.empty());
}

// The error leaves the timer event handler and is caught by the
// application's notify(), as the shell's error box would be.
void TestTTimerSpeedButton::failingRepeatClickStopsAndReachesNotify()
{
    TTimerSpeedButton* arrow = pair_->UpButton();
    clock_ = new RepeatClock(arrow);
    int clicks = 0;
    pair_->SetOnUpClick([&clicks](QObject*) {
        if (++clicks == 2)
            throw runtime::Exception("step failed");
    });
    clock_->Press();
    clock_->AdvanceTo(1000);
    QCOMPARE(clicks, 2);
    QVERIFY(!clock_->Active());
    QCOMPARE(CatchingApplication::Instance()->caught, std::vector<std::string>{"step failed"});

    clock_->Release(QPoint(-5, -5));
    clock_->Press();
    QVERIFY(clock_->Active());
    clock_->AdvanceTo(1400);
    clock_->Release();
    QCOMPARE(clicks, 4);
}

namespace {
enum class Loss { Popup, ModalWindow, OtherGrabber, OtherWindowActive, Hidden, Disabled };
}
Q_DECLARE_METATYPE(Loss)

void TestTTimerSpeedButton::repeatEndsWhenTheArrowLosesTheMouse_data()
{
    QTest::addColumn<Loss>("loss");
    QTest::newRow("a popup opens") << Loss::Popup;
    QTest::newRow("a modal window opens") << Loss::ModalWindow;
    QTest::newRow("another widget grabs the mouse") << Loss::OtherGrabber;
    QTest::newRow("another window becomes active") << Loss::OtherWindowActive;
    QTest::newRow("the arrow is hidden") << Loss::Hidden;
    QTest::newRow("the arrow is disabled") << Loss::Disabled;
}

// Held until the first repeat click, then the release goes elsewhere (or
// never comes): no click may follow, whatever happens next.
void TestTTimerSpeedButton::repeatEndsWhenTheArrowLosesTheMouse()
{
    QFETCH(Loss, loss);
    TTimerSpeedButton* arrow = pair_->UpButton();
    clock_ = new RepeatClock(arrow);
    RecordClicks();
    QMenu popup;
    popup.addAction(QStringLiteral("item"));
    QDialog modal;
    modal.setModal(true);
    QWidget other;

    clock_->Press();
    clock_->AdvanceTo(450);
    switch (loss) {
    case Loss::Popup:
        popup.popup(pair_->mapToGlobal(QPoint(0, 0)));
        break;
    case Loss::ModalWindow:
        modal.show();
        QVERIFY(QTest::qWaitForWindowActive(&modal));
        break;
    case Loss::OtherGrabber:
        pair_->DownButton()->grabMouse();
        break;
    case Loss::OtherWindowActive:
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        break;
    case Loss::Hidden:
        pair_->hide();
        break;
    case Loss::Disabled:
        pair_->setEnabled(false);
        break;
    }
    clock_->AdvanceTo(2000);
    QCOMPARE(upClicks_, std::vector<int>{400});
    QVERIFY(!clock_->Active());
    QVERIFY(!arrow->IsDown());
    pair_->DownButton()->releaseMouse();
}

void TestTTimerSpeedButton::RecordClicks()
{
    pair_->SetOnUpClick([this](QObject* sender) {
        QCOMPARE(sender, pair_);
        upClicks_.push_back(clock_->Now());
    });
    pair_->SetOnDownClick([this](QObject* sender) {
        QCOMPARE(sender, pair_);
        downClicks_.push_back(clock_->Now());
    });
}

RAINNODE_WIDGETS_TEST_MAIN(TestTTimerSpeedButton)
#include "tst_TTimerSpeedButton.moc"
