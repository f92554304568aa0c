#pragma once

#include "runtime/Exception.h"
#include "widgets/Beep.h"
#include "widgets/TTimerSpeedButton.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMouseEvent>
#include <QTimerEvent>
#include <QtTest>

#include <optional>
#include <string>
#include <vector>

// An application whose notify() catches the toolkit's exceptions the way the
// shell does, keeping their messages for the test to check.
class CatchingApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const runtime::Exception& error) {
            caught.push_back(error.Message());
            return true;
        }
    }

    static CatchingApplication* Instance() { return static_cast<CatchingApplication*>(qApp); }

    std::vector<std::string> caught;
};

// Counts the beeps while it lives.
class BeepCounter {
public:
    BeepCounter()
    {
        widgets::SetBeepHook([this] { ++count; });
    }
    ~BeepCounter() { widgets::SetBeepHook({}); }
    BeepCounter(const BeepCounter&) = delete;
    BeepCounter& operator=(const BeepCounter&) = delete;

    int count = 0;
};

// Drives an arrow's repeat timer on a virtual clock: each expiry is delivered
// as the timer event the real timer would send, through the application's
// notify(), at the time the timer's interval says. Timer and interval are
// read from the event dispatcher, where the arrow registered them.
class RepeatClock {
public:
    explicit RepeatClock(TTimerSpeedButton* button) : button_(button) {}

    int Now() const { return now_; }
    bool Active() const { return Timer().has_value(); }
    // The running timer's interval in ms, -1 when none runs.
    int Interval() const
    {
        const auto timer = Timer();
        return timer ? timer->interval : -1;
    }

    void Press(Qt::MouseButton mouseButton = Qt::LeftButton)
    {
        QTest::mousePress(button_, mouseButton, {}, button_->rect().center());
        Schedule();
    }

    void Release(QPoint pos, Qt::MouseButton mouseButton = Qt::LeftButton)
    {
        QTest::mouseRelease(button_, mouseButton, {}, pos);
    }

    void Release() { Release(button_->rect().center()); }

    // Moves the pointer with the left button held, as a drag does.
    void MoveTo(QPoint pos)
    {
        QMouseEvent move(QEvent::MouseMove, pos, button_->mapToGlobal(pos), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(button_, &move);
    }

    void AdvanceTo(int time)
    {
        for (auto timer = Timer(); timer && due_ <= time; timer = Timer()) {
            now_ = due_;
            QTimerEvent expiry(timer->timerId);
            QApplication::sendEvent(button_, &expiry);
            Schedule();
        }
        now_ = time;
    }

private:
    std::optional<QAbstractEventDispatcher::TimerInfo> Timer() const
    {
        const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(button_);
        if (timers.size() > 1)
            qFatal("the arrow runs %d timers", int(timers.size()));
        if (timers.isEmpty())
            return std::nullopt;
        return timers.first();
    }

    void Schedule()
    {
        if (const auto timer = Timer())
            due_ = now_ + timer->interval;
    }

    TTimerSpeedButton* button_;
    int now_ = 0;
    int due_ = 0;
};

// A Qt Test main() running on the catching application.
#define RAINNODE_WIDGETS_TEST_MAIN(TestClass)                                                      \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        CatchingApplication app(argc, argv);                                                       \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
