#include "WidgetTestSupport.h"

#include "widgets/TCSpinEdit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QVBoxLayout>

// What the operator's keys, clicks and clipboard do to a spin edit.
class TestTCSpinEditInput : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void characterFilter_data();
    void characterFilter();
    void inputMethodCommit_data();
    void inputMethodCommit();
    void asksInputMethodsForPlainDigits();
    void arrowKeysStep();
    void contextMenuDuringAHoldEndsTheRepeat();
    void selectAllOnEntry();
    void exitAppliesTheLimits_data();
    void exitAppliesTheLimits();
    void windowSwitchIsNoExit();
    void clipboard_data();
    void clipboard();
    void contextMenuOffersNoPasteWhenNotEditable_data();
    void contextMenuOffersNoPasteWhenNotEditable();

private:
    QWidget* window_ = nullptr;
    TCSpinEdit* edit_ = nullptr;
    QLineEdit* other_ = nullptr;
};

void TestTCSpinEditInput::init()
{
    window_ = new QWidget;
    auto* layout = new QVBoxLayout(window_);
    edit_ = new TCSpinEdit;
    edit_->setObjectName("edit");
    other_ = new QLineEdit;
    layout->addWidget(edit_);
    layout->addWidget(other_);
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
}

void TestTCSpinEditInput::cleanup()
{
    delete window_;
}

void TestTCSpinEditInput::characterFilter_data()
{
    QTest::addColumn<bool>("editorEnabled");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("beeps");

    // Every row types into "78" with the cursor between the digits.
    struct Row {
        const char* name;
        Qt::Key key;
        const char* typed;
        const char* whenEnabled;
        const char* whenDisabled;
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    };
    const Row rows[] = {
        {"digit 5", Qt::Key_5, "5", "758", nullptr},
        {"digit 0", Qt::Key_0, "0", "708", "708"},
        {"digit 1", Qt::Key_1, "1", "718", "718"},
        {"plus", Qt::Key_Plus, "+", "7+8", "7+8"},
        {"minus", Qt::Key_Minus, "-", "7-8", "7-8"},
        {"full stop", Qt::Key_Period, ".", "7.8", nullptr},
        {"comma", Qt::Key_Comma, ",", "7,8", "7,8"},
        {"space", Qt::Key_Space, " ", "7 8", "7 8"},
        {"dollar", Qt::Key_Dollar, "$", "7$8", "7$8"},
        {"letter", Qt::Key_A, "a", nullptr, nullptr},
        {"capital X", Qt::Key_X, "X", nullptr, nullptr},
        {"colon", Qt::Key_Colon, ":", nullptr, nullptr},
        {"tilde", Qt::Key_AsciiTilde, "~", nullptr, nullptr},
        {"return", Qt::Key_Return, "\r", nullptr, nullptr},
        {"keypad enter", Qt::Key_Enter, "\r", nullptr, nullptr},
        {"backspace", Qt::Key_Backspace, "\b", "8", nullptr},
        {"delete is not filtered", Qt::Key_Delete, "\x7f", "7", "7"},
        {"escape", Qt::Key_Escape, "\x1b", "78", "78"},
        {"hiragana", Qt::Key(0x3042), "\xe3\x81\x82",
         "7\xe3\x81\x82"
         "8",
         "7\xe3\x81\x82"
         "8"},
        {"fullwidth digit", Qt::Key_unknown, "\xef\xbc\x95",
         "7\xef\xbc\x95"
         "8",
         "7\xef\xbc\x95"
         "8"},
        // The line edit inserts the text of an Alt combination.
        {"alt+letter", Qt::Key_A, "a", nullptr, nullptr, Qt::AltModifier},
        {"alt+digit 5", Qt::Key_5, "5", "758", nullptr, Qt::AltModifier},
        {"alt+digit 1", Qt::Key_1, "1", "718", "718", Qt::AltModifier},
    };
    for (const Row& row : rows) {
        for (bool enabled : {true, false}) {
            const char* result = enabled ? row.whenEnabled : row.whenDisabled;
            QTest::addRow("%s, editor %s", row.name, enabled ? "enabled" : "disabled")
                << enabled << int(row.key) << row.modifiers << QString::fromUtf8(row.typed)
                << QString::fromUtf8(result ? result : "78") << (result ? 0 : 1);
        }
    }
}

void TestTCSpinEditInput::characterFilter()
{
    QFETCH(bool, editorEnabled);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(int, beeps);
    BeepCounter beepCounter;
    edit_->setEditorEnabled(editorEnabled);
    edit_->setText("78");
    edit_->setFocus();
    edit_->setCursorPosition(1);

    QKeyEvent press(QEvent::KeyPress, key, modifiers, typed);
    QApplication::sendEvent(edit_, &press);

    QCOMPARE(edit_->text(), expected);
    QCOMPARE(beepCounter.count, beeps);
}

void TestTCSpinEditInput::inputMethodCommit_data()
{
    QTest::addColumn<bool>("editorEnabled");
    QTest::addColumn<QString>("commit");
    QTest::addColumn<QString>("expected");

    // Every row commits into "78" with the cursor between the digits.
    QTest::newRow("digit") << true << "5"
                           << "758";
    QTest::newRow("digit, editor disabled") << false << "5"
                                            << "78";
    QTest::newRow("zero, editor disabled") << false << "0"
                                           << "708";
    QTest::newRow("letters") << true << "ab"
                             << "78";
    QTest::newRow("digits and a letter") << true << "12a"
                                         << "78";
    QTest::newRow("hiragana") << true << QStringLiteral("あ") << QStringLiteral("7あ8");
}

void TestTCSpinEditInput::inputMethodCommit()
{
    QFETCH(bool, editorEnabled);
    QFETCH(QString, commit);
    QFETCH(QString, expected);
    BeepCounter beepCounter;
    edit_->setEditorEnabled(editorEnabled);
    edit_->setText("78");
    edit_->setFocus();
    edit_->setCursorPosition(1);

    QInputMethodEvent composing(QStringLiteral("x"), {});
    QApplication::sendEvent(edit_, &composing);
    QInputMethodEvent committed;
    committed.setCommitString(commit);
    QApplication::sendEvent(edit_, &committed);

    QCOMPARE(edit_->text(), expected);
    QCOMPARE(beepCounter.count, expected == QStringLiteral("78") ? 1 : 0);
}

// Full-width digits from an input method would read as unreadable text.
void TestTCSpinEditInput::asksInputMethodsForPlainDigits()
{
    edit_->setFocus();
    const auto hints = Qt::InputMethodHints(edit_->inputMethodQuery(Qt::ImHints).toInt());
    QVERIFY(hints.testFlag(Qt::ImhDigitsOnly));
}

void TestTCSpinEditInput::arrowKeysStep()
{
    edit_->setMinValue(0);
    edit_->setMaxValue(127);
    edit_->setEditorEnabled(false);
    edit_->SetValue(125);
    edit_->setFocus();
    QTest::keyClick(edit_, Qt::Key_Up);
    QCOMPARE(edit_->text(), QStringLiteral("126"));
    // The keyboard's own repeat of a held key steps on every press.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
    for (int i = 0; i < 3; ++i)
        QApplication::sendEvent(edit_, &repeat);
    QCOMPARE(edit_->text(), QStringLiteral("127"));
    QTest::keyClick(edit_, Qt::Key_Down);
    QCOMPARE(edit_->text(), QStringLiteral("126"));
}

// A right press on a held arrow opens the field's context menu, which then
// takes the left button's release: the arrow must stop stepping all the same.
void TestTCSpinEditInput::contextMenuDuringAHoldEndsTheRepeat()
{
    edit_->setMinValue(0);
    edit_->setMaxValue(127);
    edit_->SetValue(10);
    auto* up = edit_->findChild<TTimerSpeedButton*>("UpButton");
    RepeatClock clock(up);
    clock.Press();
    clock.AdvanceTo(450);
    QCOMPARE(edit_->text(), QStringLiteral("11"));

    const QPoint pos = up->rect().center();
    QTest::mousePress(up, Qt::RightButton, {}, pos);
    QContextMenuEvent request(QContextMenuEvent::Mouse, pos, up->mapToGlobal(pos));
    QApplication::sendEvent(up, &request);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu != nullptr);
    QTest::mouseRelease(menu, Qt::LeftButton, {}, QPoint(-10, -10));
    clock.AdvanceTo(3000);
    menu->close();
    QCOMPARE(edit_->text(), QStringLiteral("11"));
    QVERIFY(!clock.Active());
}

void TestTCSpinEditInput::selectAllOnEntry()
{
    edit_->SetValue(42);
    other_->setFocus();
    QTest::keyClick(other_, Qt::Key_Tab);
    QVERIFY(edit_->hasFocus());
    QCOMPARE(edit_->selectedText(), QStringLiteral("42"));

    other_->setFocus();
    QTest::mouseClick(edit_, Qt::LeftButton, {}, QPoint(4, edit_->height() / 2));
    QVERIFY(edit_->hasFocus());
    QVERIFY(!edit_->hasSelectedText());

    other_->setFocus();
    auto* up = edit_->findChild<TTimerSpeedButton*>("UpButton");
    QTest::mousePress(up, Qt::LeftButton, {}, up->rect().center());
    QVERIFY(edit_->hasFocus());
    QCOMPARE(edit_->selectedText(), QStringLiteral("42"));
    QTest::mouseRelease(up, Qt::LeftButton, {}, up->rect().center());
    QCOMPARE(edit_->text(), QStringLiteral("43"));
}

void TestTCSpinEditInput::exitAppliesTheLimits_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("whileFocused");
    QTest::addColumn<QString>("expected");

    QTest::newRow("above") << 0 << 127 << "128" << 128 << "127";
    QTest::newRow("below") << 5 << 99999 << "-5" << -5 << "5";
    QTest::newRow("unreadable") << 5 << 99999 << "" << 5 << "5";
    QTest::newRow("readable in range is kept") << 0 << 127 << " 12" << 12 << " 12";
    QTest::newRow("hexadecimal in range is kept") << 0 << 127 << "$10" << 16 << "$10";
    QTest::newRow("unlimited") << 0 << 0 << "-70000" << -70000 << "-70000";
}

void TestTCSpinEditInput::exitAppliesTheLimits()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(QString, text);
    QFETCH(int, whileFocused);
    QFETCH(QString, expected);
    edit_->setMinValue(minValue);
    edit_->setMaxValue(maxValue);
    edit_->setFocus();
    edit_->setText(text);
    QCOMPARE(edit_->GetValue(), whileFocused);
    QTest::keyClick(edit_, Qt::Key_Tab);
    QVERIFY(other_->hasFocus());
    QCOMPARE(edit_->text(), expected);
}

void TestTCSpinEditInput::windowSwitchIsNoExit()
{
    edit_->setMinValue(0);
    edit_->setMaxValue(127);
    edit_->setFocus();
    edit_->setText("128");
    QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(edit_, &deactivated);
    QCOMPARE(edit_->text(), QStringLiteral("128"));
}

void TestTCSpinEditInput::clipboard_data()
{
    QTest::addColumn<bool>("editorEnabled");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("editable");

    QTest::newRow("editable") << true << false << true;
    QTest::newRow("editor disabled") << false << false << false;
    QTest::newRow("read-only") << true << true << false;
}

// Paste and cut work only in an editable field; a pasted text is not
// filtered, the next read judges it.
void TestTCSpinEditInput::clipboard()
{
    QFETCH(bool, editorEnabled);
    QFETCH(bool, readOnly);
    QFETCH(bool, editable);
    edit_->setEditorEnabled(editorEnabled);
    edit_->setReadOnly(readOnly);
    edit_->setText("12");
    edit_->setFocus();
    QClipboard* clipboard = QGuiApplication::clipboard();

    clipboard->setText("abc");
    edit_->selectAll();
    QTest::keyClick(edit_, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit_->text(), editable ? QStringLiteral("abc") : QStringLiteral("12"));

    clipboard->setText("unchanged");
    edit_->selectAll();
    QTest::keyClick(edit_, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(edit_->text(), editable ? QString() : QStringLiteral("12"));
    QCOMPARE(clipboard->text(), editable ? QStringLiteral("abc") : QStringLiteral("unchanged"));
}

void TestTCSpinEditInput::contextMenuOffersNoPasteWhenNotEditable_data()
{
    QTest::addColumn<bool>("shortcutsShown");
    QTest::newRow("shortcuts shown") << true;
    QTest::newRow("shortcuts hidden") << false;
}

void TestTCSpinEditInput::contextMenuOffersNoPasteWhenNotEditable()
{
    QFETCH(bool, shortcutsShown);
    QCoreApplication::setAttribute(Qt::AA_DontShowShortcutsInContextMenus, !shortcutsShown);
    QGuiApplication::clipboard()->setText("5");
    for (bool editorEnabled : {true, false}) {
        edit_->setEditorEnabled(editorEnabled);
        edit_->setText("12");
        edit_->selectAll();
        const QPoint pos = edit_->rect().center();
        QContextMenuEvent request(QContextMenuEvent::Mouse, pos, edit_->mapToGlobal(pos));
        QApplication::sendEvent(edit_, &request);
        auto* menu = edit_->findChild<QMenu*>();
        QVERIFY(menu != nullptr);
        // By the name newer Qt versions give, or by the caption.
        const auto entry = [menu](const char* name, const char* caption) -> QAction* {
            for (QAction* action : menu->actions()) {
                if (action->objectName() == QLatin1String(name) ||
                    action->text().section(u'\t', 0, 0).remove(u'&') == QLatin1String(caption))
                    return action;
            }
            return nullptr;
        };
        QAction* paste = entry("edit-paste", "Paste");
        QAction* cut = entry("edit-cut", "Cut");
        QAction* copy = entry("edit-copy", "Copy");
        QVERIFY(paste && cut && copy);
        QCOMPARE(paste->isEnabled(), editorEnabled);
        QCOMPARE(cut->isEnabled(), editorEnabled);
        QVERIFY(copy->isEnabled());
        delete menu;
    }
    QCoreApplication::setAttribute(Qt::AA_DontShowShortcutsInContextMenus, false);
}

RAINNODE_WIDGETS_TEST_MAIN(TestTCSpinEditInput)
#include "tst_TCSpinEditInput.moc"
