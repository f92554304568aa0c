#include "loop/QtTimerService.h"
#include "app/TApplication.h"

#include "runtime/Exception.h"

#include <QtTest>

using namespace std::chrono;

class QtTimerServiceTest : public QObject {
    Q_OBJECT

private slots:
    void firesOnceNoEarlierThanItsDeadline()
    {
        QtTimerService service;
        int fired = 0;
        steady_clock::time_point firedAt;
        const auto deadline = service.now() + milliseconds(30);
        QVERIFY(service.arm(deadline, [&] {
            ++fired;
            firedAt = service.now();
        }));
        QTRY_COMPARE(fired, 1);
        QVERIFY(firedAt >= deadline);
        QTest::qWait(60);
        QCOMPARE(fired, 1);
    }

    void aPastDeadlineFiresAtOnce()
    {
        QtTimerService service;
        bool fired = false;
        QVERIFY(service.arm(service.now() - seconds(5), [&] { fired = true; }));
        QTRY_VERIFY_WITH_TIMEOUT(fired, 200);
    }

    void disarmAndReArmReplaceTheWakeUp()
    {
        QtTimerService service;
        int first = 0;
        int second = 0;
        QVERIFY(service.arm(service.now() + milliseconds(20), [&] { ++first; }));
        service.disarm();
        QVERIFY(service.arm(service.now() + milliseconds(20), [&] { ++first; }));
        QVERIFY(service.arm(service.now() + milliseconds(20), [&] { ++second; }));
        QTRY_COMPARE(second, 1);
        QTest::qWait(50);
        QCOMPARE(first, 0);
    }

    void aFailingHandlerGoesToTheErrorBox()
    {
        QStringList boxes;
        TApplication::setErrorBoxHook([&](const QString&, const QString& text) { boxes << text; });
        QtTimerService service;
        QVERIFY(service.arm(service.now(), [] { throw runtime::Exception("tick failed"); }));
        QTRY_COMPARE(boxes, QStringList{QStringLiteral("tick failed.")});
        TApplication::setErrorBoxHook(nullptr);
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    QtTimerServiceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QtTimerServiceTest.moc"
