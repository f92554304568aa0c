// The real panel through a long run: 100 000 ticks as fast as the thread
// allows, while the source, the interval and the playback file change along
// the way. The process must not grow and the log must stay trimmed.
//
// Timer1 cannot tick faster than once a second, so the run calls its handler
// itself, as the timer event does, and repaints the panel every few hundred
// ticks.
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "node/NodeController.h"
#include "node/NodeLog.h"
#include "transport/SocketEntryTable.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

#include <fstream>
#include <malloc.h>
#include <map>
#include <sched.h>
#include <unistd.h>

namespace {

constexpr int kTicks = 100'000;
constexpr int kWarmUpTicks = 1000;
// Short enough that the warm-up passes through every source and every
// playback case below at least once.
constexpr int kTicksPerPhase = 40;
constexpr int kTicksPerPaint = 500;
constexpr long kAllowedGrowth = 1L << 20;
constexpr int kLogLines = node::kMaxLogLines;

constexpr const char* kModeButtons[] = {"RadioFix", "RadioSin", "RadioRnd", "RadioRnd2",
                                        "RadioFile"};
constexpr const char* kIntervalButtons[] = {"RadioGroup1Item0", "RadioGroup1Item1",
                                            "RadioGroup1Item2"};
constexpr int kFileMode = 4;

// What happens to the playback file during a file phase.
enum class FileCase { Looping, Ending, Appended, Truncated, Deleted };
constexpr int kFileCases = 5;

std::size_t datagrams = 0;

// Counts what the panel sends; nothing leaves the process.
ssize_t countingSendto(int, const void*, size_t length, int, const sockaddr*, socklen_t)
{
    ++datagrams;
    return static_cast<ssize_t>(length);
}

// Resident memory, with freed heap given back first so that only what is
// still in use counts.
long residentBytes()
{
    ::malloc_trim(0);
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer holds freed memory back on purpose; it finds leaks itself.
constexpr bool kMemoryIsMeasurable = false;
#else
constexpr bool kMemoryIsMeasurable = true;
#endif

} // namespace

class PanelLongRunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        transport::SocketEntries().sendto.Set(&countingSendto);
        TForm1::setLocalAddressHook([] { return std::string("10.9.8.7"); });
        TApplication::setErrorBoxHook([this](const QString&, const QString&) { ++errorBoxes; });
        QVERIFY(dir.isValid());
    }

    void ticksLeaveMemoryAndLogBounded()
    {
        TForm1 panel;
        form = &panel;
        panel.FormCreate();
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QElapsedTimer clock;
        clock.start();

        long warmedUp = 0;
        for (int tickNumber = 0; tickNumber < kTicks; ++tickNumber) {
            if (tickNumber % kTicksPerPhase == 0) {
                QCoreApplication::sendPostedEvents();
                beginPhase(tickNumber / kTicksPerPhase);
            }
            if (tickNumber % kTicksPerPaint == 0)
                paint();
            duringPhase(tickNumber / kTicksPerPhase, tickNumber % kTicksPerPhase);
            tick();
            if (tickNumber + 1 == kWarmUpTicks) {
                paint();
                warmedUp = residentBytes();
            }
        }
        paint();
        const long growth = residentBytes() - warmedUp;
        qInfo("%d ticks (%d ran to their end) in %lld ms; resident %ld KiB after the warm-up, "
              "grown by %ld KiB since; at most %d log lines",
              kTicks, completedTicks, static_cast<long long>(clock.elapsed()), warmedUp / 1024,
              growth / 1024, mostLogLines);

        QCOMPARE(errorBoxes, 0);
        QVERIFY(completedTicks > kTicks / 2);
        QCOMPARE(ticksNotSendingOnce, 0);
        QCOMPARE(overfullAfterTick, 0);
        QVERIFY2(mostLogLines <= kLogLines, qPrintable(QString::number(mostLogLines)));
        QCOMPARE(appendedPlaybackStops, 0);
        QCOMPARE(truncatedReplayMisses, 0);
        QCOMPARE(deletedFileUnnoticed, 0);
        if (kMemoryIsMeasurable) {
            QVERIFY2(growth < kAllowedGrowth, qPrintable(QString::number(growth)));
        }
    }

private:
    void beginPhase(int phase)
    {
        if (child<QAbstractButton>("ButtonStop")->isEnabled())
            click("ButtonStop");
        const int mode = phase % 5;
        click(kModeButtons[mode]);
        if (mode == 0)
            click(phase % 2 == 0 ? "ButtonRainOn" : "ButtonRainOff");
        if (mode == 1)
            click("BtnCycleReset");
        fileCase = mode == kFileMode ? FileCase((phase / 5) % kFileCases) : FileCase::Looping;
        if (mode == kFileMode)
            choosePlayback(phase);
        click("ButtonStart");
        // A new interval restarts the running timer.
        click(kIntervalButtons[phase % 3]);
    }

    // A fresh file each file phase, one of two names in turn, chosen as the
    // operator does.
    void choosePlayback(int phase)
    {
        playback = dir.filePath(phase / 5 % 2 == 0 ? QStringLiteral("rain.txt")
                                                   : QStringLiteral("雨量.txt"));
        static const std::map<FileCase, QByteArray> kContent{
            {FileCase::Looping, "1\n0\n1\n1\n0\n"},
            {FileCase::Ending, "1\n0\n1\n"},
            {FileCase::Appended, "0\n"},
            {FileCase::Truncated, "1\n1\n1\n1\n1\n1\n"},
            {FileCase::Deleted, "1\n0\n"}};
        write(kContent.at(fileCase), QIODevice::WriteOnly | QIODevice::Truncate);
        TForm1::setFileDialogHook([this] { return std::optional<QString>(playback); });
        click("BtnOpenFile");
        auto* loop = child<QCheckBox>("CheckLoop");
        if (loop->isChecked() != (fileCase != FileCase::Ending && fileCase != FileCase::Appended))
            QTest::mouseClick(loop, Qt::LeftButton);
    }

    // Changes the file while it plays, and checks what the panel made of the
    // previous change.
    void duringPhase(int phase, int tickInPhase)
    {
        if (phase % 5 != kFileMode)
            return;
        switch (fileCase) {
        case FileCase::Appended:
            write("1\n", QIODevice::Append);
            break;
        case FileCase::Truncated:
            if (tickInPhase == 10)
                QFile::resize(playback, 0);
            if (tickInPhase == 20)
                write("1\n0\n", QIODevice::Append);
            if (tickInPhase == 21 && label("LabelNow") != QStringLiteral("1"))
                ++truncatedReplayMisses; // the reader rewound to the new first line
            break;
        case FileCase::Deleted:
            // Playing goes on from the open file; a new start cannot open it.
            if (tickInPhase == 10)
                QFile::remove(playback);
            if (tickInPhase == 20) {
                click("ButtonStop");
                click("ButtonStart");
            }
            if (tickInPhase == 21) {
                if (logLine(1) != QStringLiteral("ファイルが開けません"))
                    ++deletedFileUnnoticed;
                write("1\n0\n", QIODevice::WriteOnly);
            }
            break;
        default:
            break;
        }
    }

    // One tick as Timer1 runs it; transmission that a tick stopped is
    // started again, as an operator would.
    void tick()
    {
        if (!form->controller().Timer1().Enabled())
            click("ButtonStart");
        const std::size_t sentBefore = datagrams;
        TApplication::Guard([this] { form->controller().Timer1Timer(); });
        const bool completed = form->controller().Timer1().Enabled();
        const int lines = form->logLineCount();
        mostLogLines = std::max(mostLogLines, lines);
        if (datagrams - sentBefore != (completed ? 1u : 0u))
            ++ticksNotSendingOnce;
        if (!completed) {
            if (fileCase == FileCase::Appended)
                ++appendedPlaybackStops;
            return;
        }
        ++completedTicks;
        if (lines > kLogLines)
            ++overfullAfterTick;
    }

    void paint()
    {
        QCoreApplication::sendPostedEvents();
        form->repaint();
    }

    void write(const QByteArray& bytes, QIODevice::OpenMode mode)
    {
        QFile file(playback);
        if (!file.open(mode) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(playback));
    }

    // A click on a disabled control would silently leave out a step of the run.
    void click(const char* name)
    {
        auto* button = child<QAbstractButton>(name);
        if (!button->isEnabled())
            qFatal("%s is disabled", name);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    // The log line `back` lines above the last one.
    QString logLine(int back) const
    {
        QTextBlock block = child<QPlainTextEdit>("Memo1")->document()->lastBlock();
        for (int i = 0; i < back; ++i)
            block = block.previous();
        return block.text();
    }
    template <class W> W* child(const char* name) const
    {
        W* widget = form->findChild<W*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }

    QTemporaryDir dir;
    TForm1* form = nullptr;
    QString playback;
    FileCase fileCase = FileCase::Looping;
    int errorBoxes = 0;
    int completedTicks = 0;
    int ticksNotSendingOnce = 0;
    int overfullAfterTick = 0;
    int mostLogLines = 0;
    int appendedPlaybackStops = 0;
    int truncatedReplayMisses = 0;
    int deletedFileUnnoticed = 0;
};

int main(int argc, char** argv)
{
    // The panel resolves the host name at start-up and sends on every tick.
    // In a network namespace of its own (root only; it ends with the process)
    // nothing can reach the machine's network even past the sendto stub.
    if (::unshare(CLONE_NEWNET) != 0)
        qInfo("not in a network namespace of its own; only the sendto stub keeps sends in");
    TApplication app(argc, argv);
    PanelLongRunTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PanelLongRunTest.moc"
