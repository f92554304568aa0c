#include "WidgetTestSupport.h"

#include "widgets/TCSpinButton.h"

#include <stdexcept>

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
    QVERIFY(!arrow->AutoRepeatActive());
    QVERIFY(!arrow->IsDown());
}

void TestTTimerSpeedButton::rightPressStartsTimerButNeverClicks()
{
    TTimerSpeedButton* arrow = pair_->UpButton();
    clock_ = new RepeatClock(arrow);
    RecordClicks();
    clock_->Press(Qt::RightButton);
    QVERIFY(arrow->AutoRepeatActive());
    QCOMPARE(arrow->AutoRepeatInterval(), TTimerSpeedButton::FirstRepeatDelay);
    clock_->AdvanceTo(1000);
    QCOMPARE(arrow->AutoRepeatInterval(), TTimerSpeedButton::RepeatPeriod);
    clock_->Release(arrow->rect().center(), Qt::RightButton);
    QVERIFY(!arrow->AutoRepeatActive());
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
    QVERIFY(!arrow->AutoRepeatActive());
    QCOMPARE(CatchingApplication::Instance()->caught, std::vector<std::string>{"step failed"});

    clock_->Release(QPoint(-5, -5));
    clock_->Press();
    QVERIFY(arrow->AutoRepeatActive());
    clock_->AdvanceTo(1400);
    clock_->Release();
    QCOMPARE(clicks, 4);
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
