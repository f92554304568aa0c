#include "loop/QtTimerService.h"
#include "app/TApplication.h"

#include "runtime/Exception.h"

#include <QtTest>

#include <limits>

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
        QTRY_VERIFY(fired);
    }

    void waitsAreRoundedUpAndAtMostADay_data()
    {
        QTest::addColumn<qint64>("remainingNs");
        QTest::addColumn<qint64>("waitMs");
        const qint64 day = 86'400'000;
        QTest::newRow("past") << qint64(-5'000'000'000) << qint64(0);
        QTest::newRow("now") << qint64(0) << qint64(0);
        QTest::newRow("a nanosecond") << qint64(1) << qint64(1);
        QTest::newRow("1.5 ms") << qint64(1'500'000) << qint64(2);
        QTest::newRow("a day less 1 ns") << day * 1'000'000 - 1 << day;
        QTest::newRow("2^31 ms") << (qint64(1) << 31) * 1'000'000 << day;
        QTest::newRow("2^32 ms and 3 s") << ((qint64(1) << 32) + 3000) * 1'000'000 << day;
        QTest::newRow("the longest duration") << std::numeric_limits<qint64>::max() << day;
    }

    void waitsAreRoundedUpAndAtMostADay()
    {
        QFETCH(qint64, remainingNs);
        QFETCH(qint64, waitMs);
        QCOMPARE(QtTimerService::WaitTowards(nanoseconds(remainingNs), QtTimerService::kLongestWait)
                     .count(),
                 waitMs);
    }

    // A deadline beyond what a Qt timer holds is reached in bounded waits,
    // each checked against the clock: it fires once the clock reaches it,
    // never before. The test's clock moves only when the test moves it.
    void aFarDeadlineIsReachedInBoundedWaits_data()
    {
        QTest::addColumn<qint64>("aheadMs");
        QTest::newRow("2^31 ms") << (qint64(1) << 31);
        QTest::newRow("2^32 ms and 3 s") << (qint64(1) << 32) + 3000;
        QTest::newRow("a year") << qint64(366) * 86'400'000;
    }

    void aFarDeadlineIsReachedInBoundedWaits()
    {
        QFETCH(qint64, aheadMs);
        steady_clock::time_point clock{hours(1)};
        int reads = 0;
        QtTimerService service(
            [&] {
                ++reads;
                return clock;
            },
            milliseconds(2));
        int fired = 0;
        const auto deadline = clock + milliseconds(aheadMs);
        QVERIFY(service.arm(deadline, [&] { ++fired; }));
        QTRY_VERIFY(reads >= 5);
        QCOMPARE(fired, 0);
        clock = deadline - nanoseconds(1);
        const int before = reads;
        QTRY_VERIFY(reads >= before + 3);
        QCOMPARE(fired, 0);
        clock = deadline;
        QTRY_COMPARE(fired, 1);
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
