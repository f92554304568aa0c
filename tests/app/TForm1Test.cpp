#include "app/TForm1.h"
#include "app/TApplication.h"
#include "node/NodeController.h"
#include "transport/SocketEntryTable.h"
#include "widgets/TCSpinEdit.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <cerrno>
#include <string>
#include <vector>

namespace {
// Every datagram the panel tries to send ends here: these tests never send.
std::vector<std::string> sent;
int sendError = 0;

ssize_t recordingSendto(int, const void* buffer, size_t length, int, const sockaddr*, socklen_t)
{
    if (sendError != 0) {
        errno = sendError;
        return -1;
    }
    sent.emplace_back(static_cast<const char*>(buffer), length);
    return static_cast<ssize_t>(length);
}

const QString title = QStringLiteral("セタロメ Ver1.2(降雨)");
} // namespace

class TForm1Test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        transport::SocketEntries().sendto.Set(&recordingSendto);
        TForm1::setLocalAddressHook([] { return std::string("10.9.8.7"); });
    }

    void init()
    {
        sent.clear();
        sendError = 0;
        boxes.clear();
        TApplication::setErrorBoxHook(
            [this](const QString&, const QString& text) { boxes << text; });
        form = new TForm1;
        form->FormCreate();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }
    void cleanup()
    {
        delete form;
        TForm1::setFileDialogHook(nullptr);
        TApplication::setErrorBoxHook(nullptr);
    }

    void startsIdleWithTheLayoutDefaults()
    {
        QCOMPARE(form->windowTitle(), title);
        QCOMPARE(label("LabelNow")->text(), QStringLiteral("停止"));
        QCOMPARE(label("Label7")->text(), QStringLiteral("降雨OFF"));
        QVERIFY(child<QRadioButton>("RadioFix")->isChecked());
        QVERIFY(child<QRadioButton>("RadioGroup1Item1")->isChecked());
        QCOMPARE(child<QLineEdit>("EditIP")->text(), QStringLiteral("10.9.8.7"));
        QCOMPARE(child<QLineEdit>("EditCCM1")->text(), QStringLiteral("WRainfall"));
        QCOMPARE(child<TCSpinEdit>("CSpinPr1")->GetValue(), 29);
        QCOMPARE(child<TCSpinEdit>("CSpinCycle")->GetValue(), 60);
        QVERIFY(child<QPlainTextEdit>("Memo1")->isReadOnly());
        QCOMPARE(form->controller().Timer1().Interval(), 10000u);
        QVERIFY(!form->controller().Timer1().Enabled());
    }

    void loadingTheLayoutCallsNoHandler()
    {
        TForm1 loaded;
        QCOMPARE(loaded.windowTitle(), title);
        QCOMPARE(loaded.findChild<QLabel*>("LabelNow")->text(), QStringLiteral("   "));
        QCOMPARE(loaded.findChild<QLineEdit*>("EditIP")->text(), QStringLiteral("192.168.1.1"));
        QVERIFY(loaded.findChild<QPlainTextEdit*>("Memo1")->toPlainText().isEmpty());
        QCOMPARE(loaded.controller().Timer1().Interval(), 1000u);
    }

    void onlyTheControlsOfTheCheckedModeAcceptInput()
    {
        for (const char* on : {"ButtonStart", "EditCCM1", "CSpinRm1", "RadioFix", "RadioRnd",
                               "ButtonRainOn", "ButtonRainOff", "EditIP"})
            QVERIFY2(child<QWidget>(on)->isEnabled(), on);
        for (const char* off :
             {"ButtonStop", "CSpinCycle", "BtnCycleReset", "EditFile", "BtnOpenFile", "CheckLoop"})
            QVERIFY2(!child<QWidget>(off)->isEnabled(), off);
        QVERIFY(child<TCSpinEdit>("CSpinMax")->isHidden());
        QVERIFY(child<TCSpinEdit>("CSpinMin")->isHidden());

        QTest::mouseClick(child<QRadioButton>("RadioSin"), Qt::LeftButton);
        QVERIFY(child<QWidget>("CSpinCycle")->isEnabled());
        QVERIFY(child<QWidget>("BtnCycleReset")->isEnabled());
        QVERIFY(!child<QWidget>("ButtonRainOn")->isEnabled());
    }

    void layoutFollowsTheDesign()
    {
        QCOMPARE(form->size(), QSize(627, 371));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(child<QPushButton>("ButtonStart")->geometry(), QRect(192, 8, 75, 25));
        QCOMPARE(child<QGroupBox>("GroupBox1")->geometry(), QRect(8, 112, 353, 241));
        QCOMPARE(child<QPlainTextEdit>("Memo1")->geometry(), QRect(368, 160, 233, 193));
        QCOMPARE(child<QCheckBox>("CheckLoop")->geometry(), QRect(16, 192, 329, 17));
        QCOMPARE(child<TCSpinEdit>("CSpinCycle")->geometry(), QRect(200, 112, 41, 21));
    }

    void tabOrderFollowsTheDesign()
    {
        const QStringList design{"Memo1",
                                 "ButtonStart",
                                 "ButtonStop",
                                 "RadioFix",
                                 "RadioSin",
                                 "RadioFile",
                                 "EditFile",
                                 "CheckLoop",
                                 "BtnOpenFile",
                                 "CSpinCycle",
                                 "BtnCycleReset",
                                 "RadioRnd",
                                 "CSpinMax",
                                 "CSpinMin",
                                 "RadioRnd2",
                                 "ButtonRainOn",
                                 "ButtonRainOff",
                                 "EditCCM1",
                                 "CSpinRm1",
                                 "CSpinRe1",
                                 "CSpinOr1",
                                 "CSpinPr1",
                                 "RadioGroup1Item0",
                                 "RadioGroup1Item1",
                                 "RadioGroup1Item2",
                                 "EditIP"};
        QStringList chain;
        QWidget* widget = child<QWidget>("Memo1");
        do {
            if (design.contains(widget->objectName()))
                chain << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget->objectName() != QStringLiteral("Memo1"));
        QCOMPARE(chain, design);
    }

    void japaneseTextUsesAJapaneseGothic()
    {
        const QFontInfo body(label("Label1")->font());
        const QFontInfo large(label("Label2")->font());
        QCOMPARE(body.family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(large.pixelSize(), 16);
        QCOMPARE(body.pixelSize(), 12);
    }

    void captionsStayInsideTheirDesignedBoxes()
    {
        for (const char* name : {"Label2", "Label3", "Label4", "Label5", "Label6", "Label12"}) {
            const QLabel* caption = label(name);
            const int width = QFontMetrics(caption->font()).horizontalAdvance(caption->text());
            QVERIFY2(width <= caption->width() + 1, name);
        }
        QCOMPARE(label("Label4")->geometry(), QRect(232, 48, 44, 16));
    }

    void editBoxesRefuseTextPastTheirLimit()
    {
        auto* ccm = child<QLineEdit>("EditCCM1");
        ccm->clear();
        QTest::keyClicks(ccm, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
        QCOMPARE(ccm->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRS"));
        auto* ip = child<QLineEdit>("EditIP");
        ip->clear();
        QTest::keyClicks(ip, QStringLiteral("255.255.255.255.255.255.255"));
        QCOMPARE(ip->text().size(), 24);
    }

    void spinFieldsLoadTheirLimitsAndValue_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("minValue");
        QTest::addColumn<int>("maxValue");
        QTest::addColumn<int>("value");
        QTest::newRow("room") << "CSpinRm1" << 0 << 127 << 1;
        QTest::newRow("region") << "CSpinRe1" << 0 << 127 << 1;
        QTest::newRow("order") << "CSpinOr1" << 0 << 30000 << 1;
        QTest::newRow("priority") << "CSpinPr1" << 0 << 30 << 29;
        QTest::newRow("maximum") << "CSpinMax" << 0 << 100 << 100;
        QTest::newRow("minimum, unlimited") << "CSpinMin" << 0 << 0 << 0;
        QTest::newRow("cycle") << "CSpinCycle" << 5 << 99999 << 60;
    }
    void spinFieldsLoadTheirLimitsAndValue()
    {
        QFETCH(QString, name);
        QFETCH(int, minValue);
        QFETCH(int, maxValue);
        QFETCH(int, value);
        TForm1 loaded;
        const auto* spin = loaded.findChild<TCSpinEdit*>(name);
        QVERIFY(spin != nullptr);
        QCOMPARE(spin->MinValue(), minValue);
        QCOMPARE(spin->MaxValue(), maxValue);
        QCOMPARE(spin->text(), QString::number(value));
        QCOMPARE(spin->Increment(), 1);
        QVERIFY(spin->EditorEnabled());
    }

    // Designer keeps and orders a custom widget's properties by the base
    // class the layout declares for it.
    void layoutDeclaresTheRealBaseOfItsCustomWidgets()
    {
        QFile layout(QStringLiteral(PANEL_UI_FILE));
        QVERIFY(layout.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&layout);
        QMap<QString, QString> extends;
        QString className;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("class"))
                className = xml.readElementText();
            else if (xml.name() == QLatin1String("extends"))
                extends[className] = xml.readElementText();
        }
        QVERIFY(!xml.hasError());
        QCOMPARE(extends.keys(), QStringList{QStringLiteral("TCSpinEdit")});
        QCOMPARE(extends[QStringLiteral("TCSpinEdit")],
                 QString::fromLatin1(TCSpinEdit::staticMetaObject.superClass()->className()));
    }

    void focusStaysOnTheWindowWhenItsButtonIsDisabled_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("送信開始") << false;
        QTest::newRow("停止") << true;
    }
    // Four presses of Down from "固定値" would reach "ファイルから", which
    // stops transmission.
    void focusStaysOnTheWindowWhenItsButtonIsDisabled()
    {
        QFETCH(bool, stop);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::mouseClick(child<QPushButton>("ButtonStart"), Qt::LeftButton);
        if (stop)
            QTest::mouseClick(child<QPushButton>("ButtonStop"), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), form);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(child<QRadioButton>("RadioFix")->isChecked());
        QCOMPARE(form->controller().Timer1().Enabled(), !stop);
    }

    void startAndStopByClicking()
    {
        QTest::mouseClick(child<QPushButton>("ButtonStart"), Qt::LeftButton);
        QVERIFY(!child<QWidget>("ButtonStart")->isEnabled());
        QVERIFY(!child<QWidget>("EditCCM1")->isEnabled());
        QVERIFY(form->controller().Timer1().Enabled());
        QCOMPARE(lastLogLine(), QStringLiteral("送信開始"));
        QCOMPARE(label("LabelNow")->text(), QStringLiteral("開始"));
        QCOMPARE(form->windowTitle(), title + QStringLiteral("  動作中"));

        QTest::mouseClick(child<QPushButton>("ButtonStop"), Qt::LeftButton);
        QVERIFY(!form->controller().Timer1().Enabled());
        QCOMPARE(lastLogLine(), QStringLiteral("送信停止"));
        QCOMPARE(label("LabelNow")->text(), QStringLiteral("停止"));
        QCOMPARE(form->windowTitle(), title + QStringLiteral("  停止中"));
        QVERIFY(sent.empty());
    }

    void aTickBroadcastsTheMessageOfThePanel()
    {
        QTest::mouseClick(child<QRadioButton>("RadioGroup1Item0"), Qt::LeftButton);
        QCOMPARE(form->controller().Timer1().Interval(), 1000u);
        child<QLineEdit>("EditIP")->setText(QStringLiteral("10.0.0.7"));
        QTest::mouseClick(child<QPushButton>("ButtonStart"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 1u, 15000);
        QCOMPARE(
            sent[0],
            std::string("<?xml version=\"1.0\"?><UECS ver=\"1.00-E10\"><DATA type=\"WRainfall\" "
                        "room=\"1\" region=\"1\" order=\"1\" priority=\"29\">0</DATA>"
                        "<IP>10.0.0.7</IP></UECS>"));
        QVERIFY(lastLogLine().endsWith(QStringLiteral("\t0")));
        QCOMPARE(label("LabelNow")->text(), QStringLiteral("0"));
    }

    void aFailedSendIsALogLineAndTransmissionGoesOn()
    {
        sendError = ENETUNREACH;
        QTest::mouseClick(child<QRadioButton>("RadioGroup1Item0"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>("ButtonStart"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(lastLogLine(), QStringLiteral("送信失敗"), 15000);
        QVERIFY(form->controller().Timer1().Enabled());
        QVERIFY(boxes.isEmpty());
    }

    void rainButtonsShowTheFlag()
    {
        QTest::mouseClick(child<QPushButton>("ButtonRainOn"), Qt::LeftButton);
        QCOMPARE(label("Label7")->text(), QStringLiteral("降雨ON"));
        QTest::mouseClick(child<QPushButton>("ButtonRainOff"), Qt::LeftButton);
        QCOMPARE(label("Label7")->text(), QStringLiteral("降雨OFF"));
    }

    void fileChoiceFillsTheFullPath()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("雨.txt"));
        QTest::mouseClick(child<QRadioButton>("RadioFile"), Qt::LeftButton);
        TForm1::setFileDialogHook([&] { return std::optional<QString>(file); });
        QTest::mouseClick(child<QPushButton>("BtnOpenFile"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>("EditFile")->text(), file);
        QCOMPARE(QDir::currentPath(), dir.path());

        TForm1::setFileDialogHook([] { return std::optional<QString>(); });
        QTest::mouseClick(child<QPushButton>("BtnOpenFile"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>("EditFile")->text(), file);
    }

    // The real dialog, in Japanese, answered by typing a full path into its
    // name box.
    void fileDialogTakesANameThatDoesNotExistYet()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("新しい記録.txt"));
        QTest::mouseClick(child<QRadioButton>("RadioFile"), Qt::LeftButton);
        // The Return key is posted, so that a refusal (the dialog staying
        // open, or a warning box on top of it) shows at the next poll.
        bool typed = false;
        bool refused = false;
        QString caption;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* warning = qobject_cast<QMessageBox*>(modal)) {
                refused = true;
                warning->reject();
                return;
            }
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr)
                return;
            if (typed) {
                refused = true;
                dialog->reject();
                return;
            }
            caption = dialog->windowTitle();
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->setText(file);
            QCoreApplication::postEvent(name, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, {}));
            typed = true;
        });
        poll.start(10);
        QTest::mouseClick(child<QPushButton>("BtnOpenFile"), Qt::LeftButton);
        poll.stop();
        QVERIFY(!refused);
        QCOMPARE(caption, QStringLiteral("開く"));
        QCOMPARE(child<QLineEdit>("EditFile")->text(), file);
        QVERIFY(!QFile::exists(file));
    }

    void ticksKeepComingWhileAModalDialogIsOpen()
    {
        QTemporaryDir dir;
        QFile playback(dir.filePath(QStringLiteral("rain.txt")));
        QVERIFY(playback.open(QIODevice::WriteOnly));
        playback.write("1\n0\n");
        playback.close();
        QTest::mouseClick(child<QRadioButton>("RadioFile"), Qt::LeftButton);
        child<QLineEdit>("EditFile")->setText(playback.fileName());
        child<QCheckBox>("CheckLoop")->setChecked(true);
        QTest::mouseClick(child<QRadioButton>("RadioGroup1Item0"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>("ButtonStart"), Qt::LeftButton);

        // The dialog's own loop runs until a tick has gone out, or gives up.
        std::size_t sentWhileOpen = 0;
        TForm1::setFileDialogHook([&] {
            QEventLoop dialogLoop;
            QTimer poll;
            connect(&poll, &QTimer::timeout, &dialogLoop, [&] {
                if (!sent.empty())
                    dialogLoop.quit();
            });
            poll.start(10);
            QTimer::singleShot(3000, &dialogLoop, &QEventLoop::quit);
            dialogLoop.exec();
            sentWhileOpen = sent.size();
            return std::optional<QString>();
        });
        QTest::mouseClick(child<QPushButton>("BtnOpenFile"), Qt::LeftButton);
        QCOMPARE(sentWhileOpen, 1u);
        QVERIFY(sent[0].find(">1</DATA>") != std::string::npos);
    }

    void logLinesAreCountedAndTrimmedFromTheTop()
    {
        node::NodePanel& panel = *form;
        QCOMPARE(panel.logLineCount(), 0);
        panel.deleteFirstLogLine();
        for (const char* line : {"a", "b", "c"})
            panel.appendLog(line);
        QCOMPARE(panel.logLineCount(), 3);
        panel.deleteFirstLogLine();
        QCOMPARE(panel.logLineCount(), 2);
        QCOMPARE(child<QPlainTextEdit>("Memo1")->toPlainText(), QStringLiteral("b\nc"));
        panel.deleteFirstLogLine();
        panel.deleteFirstLogLine();
        QCOMPARE(panel.logLineCount(), 0);
    }

    void closingWhileTransmittingLogsTheFarewellOnly()
    {
        QTest::mouseClick(child<QPushButton>("ButtonStart"), Qt::LeftButton);
        form->close();
        QCOMPARE(lastLogLine(), QStringLiteral("終了します"));
        QVERIFY(
            !child<QPlainTextEdit>("Memo1")->toPlainText().contains(QStringLiteral("送信停止")));
    }

private:
    template <class W> W* child(const char* name) const
    {
        W* widget = form->findChild<W*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QLabel* label(const char* name) const { return child<QLabel>(name); }
    QString lastLogLine() const
    {
        return child<QPlainTextEdit>("Memo1")->toPlainText().split(u'\n').last();
    }

    TForm1* form = nullptr;
    QStringList boxes;
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TForm1Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "TForm1Test.moc"
