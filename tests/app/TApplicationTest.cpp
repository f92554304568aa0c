#include "app/TApplication.h"

#include "runtime/Exception.h"
#include "widgets/TCSpinEdit.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QWidget>
#include <QtTest>

#include <stdexcept>

namespace {
struct Box {
    QString caption;
    QString text;
};

// A form whose start-up handler fails half-way.
class FailingForm : public QWidget {
public:
    void FormCreate()
    {
        setWindowTitle(QStringLiteral("before"));
        throw runtime::Exception("起動できません");
    }
};
} // namespace

class TApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        boxes.clear();
        TApplication::setErrorBoxHook([this](const QString& caption, const QString& text) {
            boxes.push_back({caption, text});
        });
    }
    void cleanup() { TApplication::setErrorBoxHook(nullptr); }

    void errorBoxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("full stop") << "Package Size Too Big."
                                   << "Package Size Too Big.";
        QTest::newRow("exclamation") << "Stop!"
                                     << "Stop!";
        QTest::newRow("comma is below the full stop") << "a,"
                                                      << "a,";
        QTest::newRow("letter") << "Not found"
                                << "Not found.";
        QTest::newRow("digit") << "Socket Error # 10051"
                               << "Socket Error # 10051.";
        QTest::newRow("question mark") << "Why?"
                                       << "Why?.";
        QTest::newRow("slash is above the full stop") << "a/"
                                                      << "a/.";
        QTest::newRow("japanese") << "タイマーを取得できません"
                                  << "タイマーを取得できません.";
        QTest::newRow("ideographic full stop") << "終了。"
                                               << "終了。.";
    }
    void errorBoxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(TApplication::ErrorBoxText(message), shown);
    }

    void titleFromExecutable_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain") << "/usr/bin/setarome"
                               << "setarome";
        QTest::newRow("lower case after the first") << "/opt/SETAROME"
                                                    << "Setarome";
        QTest::newRow("cut at the first dot") << "/x/Rain.Node.exe"
                                              << "Rain";
        QTest::newRow("first character kept as it is") << "tool"
                                                       << "tool";
        QTest::newRow("one character") << "/bin/x"
                                       << "x";
    }
    void titleFromExecutable()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(TApplication::TitleFromExecutable(path), title);
    }

    void guardShowsTheToolkitsErrors()
    {
        TApplication::Guard([] { throw runtime::EOutOfResources("タイマーを取得できません"); });
        QCOMPARE(boxes.size(), 1u);
        QCOMPARE(boxes[0].text, QStringLiteral("タイマーを取得できません."));
        QCOMPARE(boxes[0].caption,
                 TApplication::TitleFromExecutable(QCoreApplication::applicationFilePath()));
    }

    void abortIsSilent()
    {
        TApplication::Guard([] { throw runtime::EAbort("quiet"); });
        QVERIFY(boxes.empty());
    }

    void foreignExceptionsAreShownToo()
    {
        TApplication::Guard([] { throw std::runtime_error("bad thing"); });
        TApplication::Guard([] { throw 42; });
        QCOMPARE(boxes.size(), 2u);
        QCOMPARE(boxes[0].text, QStringLiteral("bad thing."));
        QCOMPARE(boxes[1].text, QString());
    }

    void exceptionFromAnEventHandlerReachesTheBox()
    {
        // A handler that throws inside the toolkit's own dispatch.
        class Thrower : public QObject {
        protected:
            bool event(QEvent* e) override
            {
                if (e->type() == QEvent::User)
                    throw runtime::Exception("in handler");
                return QObject::event(e);
            }
        } thrower;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QCOMPARE(boxes.size(), 1u);
        QCOMPARE(boxes[0].text, QStringLiteral("in handler."));
    }

    void failedStartUpHandlerIsShownAndStartUpGoesOn()
    {
        FailingForm* form = nullptr;
        TApplication::instance()->CreateForm(form);
        QVERIFY(form != nullptr);
        QCOMPARE(form->windowTitle(), QStringLiteral("before"));
        QCOMPARE(boxes.size(), 1u);
        QCOMPARE(boxes[0].text, QStringLiteral("起動できません."));
    }

    // The real box, found among the top-level windows while it is open.
    void errorBoxIsAStopBoxWithOkAndTheApplicationTitle()
    {
        TApplication::setErrorBoxHook(nullptr);
        struct {
            bool found = false;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QMessageBox::StandardButtons buttons;
            QString title;
            QString text;
        } seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&seen] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(window);
                if (box == nullptr || !box->isVisible())
                    continue;
                seen = {true, box->icon(), box->standardButtons(), box->windowTitle(), box->text()};
                if (QAbstractButton* ok = box->button(QMessageBox::Ok))
                    QTest::mouseClick(ok, Qt::LeftButton);
                else
                    box->reject();
            }
        });
        poll.start(10);
        TApplication::Guard([] { throw runtime::Exception("Socket Error # 10051"); });
        poll.stop();
        QVERIFY(seen.found);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(seen.title, QStringLiteral("Tapplicationtest"));
        QCOMPARE(seen.text, QStringLiteral("Socket Error # 10051."));
    }

    // The spin edit still finds the translated entries it must disable.
    void editMenuIsJapanese()
    {
        TCSpinEdit edit;
        edit.setEditorEnabled(false);
        edit.show();
        const QPoint pos = edit.rect().center();
        QContextMenuEvent request(QContextMenuEvent::Mouse, pos, edit.mapToGlobal(pos));
        QApplication::sendEvent(&edit, &request);
        auto* menu = edit.findChild<QMenu*>();
        QVERIFY(menu != nullptr);
        QStringList disabled;
        for (const QAction* action : menu->actions()) {
            if (!action->isEnabled())
                disabled << action->text().section(u'\t', 0, 0);
        }
        QVERIFY2(disabled.contains(QStringLiteral("貼り付け(&P)")),
                 qPrintable(disabled.join(u'|')));
        QVERIFY2(disabled.contains(QStringLiteral("切り取り(&T)")),
                 qPrintable(disabled.join(u'|')));
    }

private:
    std::vector<Box> boxes;
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TApplicationTest.moc"
