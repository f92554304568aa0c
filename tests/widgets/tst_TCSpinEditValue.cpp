#include "WidgetTestSupport.h"

#include "widgets/TCSpinEdit.h"

#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

// Reading, writing, limiting and stepping the value of a spin edit.
class TestTCSpinEditValue : public QObject {
    Q_OBJECT

private slots:
    void newFieldReadsZero();
    void reading_data();
    void reading();
    void unreadableTextIsKeptWhileOperatorEdits();
    void checkValue_data();
    void checkValue();
    void uiPropertiesLimitAStoredValue();
    void stepping_data();
    void stepping();
    void readOnlyStepOnlyBeeps();
    void derivedStepsAreTheOnesTheArrowsCall();
};

namespace {

void SetLimits(TCSpinEdit& edit, int minValue, int maxValue)
{
    edit.setMinValue(minValue);
    edit.setMaxValue(maxValue);
}

} // namespace

void TestTCSpinEditValue::newFieldReadsZero()
{
    TCSpinEdit edit;
    QCOMPARE(edit.text(), QStringLiteral("0"));
    QCOMPARE(edit.GetValue(), 0);
}

void TestTCSpinEditValue::reading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("textAfter");

    // The reader never limits; only an unreadable text is rewritten.
    QTest::newRow("above the limit") << "128" << 0 << 128 << "128";
    QTest::newRow("below the limit") << "-5" << 5 << -5 << "-5";
    QTest::newRow("hexadecimal") << "$10" << 0 << 16 << "$10";
    QTest::newRow("emptied cycle field") << "" << 5 << 5 << "5";
    QTest::newRow("emptied room field") << "" << 0 << 0 << "0";
    QTest::newRow("trailing blank") << "12 " << 5 << 5 << "5";
}

void TestTCSpinEditValue::reading()
{
    QFETCH(QString, text);
    QFETCH(int, minValue);
    QFETCH(int, expected);
    QFETCH(QString, textAfter);
    for (bool enabled : {true, false}) {
        TCSpinEdit edit;
        SetLimits(edit, minValue, 127);
        edit.setEnabled(enabled);
        edit.setText(text);
        QCOMPARE(edit.GetValue(), expected);
        QCOMPARE(edit.text(), textAfter);
    }
}

// A periodic read must not rewrite what the operator is typing: the text
// stays until the focus leaves, which corrects it.
void TestTCSpinEditValue::unreadableTextIsKeptWhileOperatorEdits()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new TCSpinEdit;
    auto* other = new QLineEdit;
    layout->addWidget(edit);
    layout->addWidget(other);
    SetLimits(*edit, 5, 99999);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QString());

    QCOMPARE(edit->GetValue(), 5);
    QCOMPARE(edit->text(), QString());

    other->setFocus(Qt::TabFocusReason);
    QCOMPARE(edit->text(), QStringLiteral("5"));
}

void TestTCSpinEditValue::checkValue_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");

    QTest::newRow("0/0 is unlimited") << 0 << 0 << -123456 << -123456;
    QTest::newRow("equal limits are no limits") << 7 << 7 << 1000 << 1000;
    QTest::newRow("inside") << 0 << 127 << 64 << 64;
    QTest::newRow("at lower") << 0 << 127 << 0 << 0;
    QTest::newRow("at upper") << 0 << 127 << 127 << 127;
    QTest::newRow("below") << 5 << 99999 << -5 << 5;
    QTest::newRow("above") << 0 << 127 << 128 << 127;
    QTest::newRow("min above max, below min") << 10 << 3 << 2 << 10;
    QTest::newRow("min above max, between") << 10 << 3 << 5 << 10;
    QTest::newRow("min above max, above min") << 10 << 3 << 50 << 3;
}

void TestTCSpinEditValue::checkValue()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, value);
    QFETCH(int, expected);
    TCSpinEdit edit;
    SetLimits(edit, minValue, maxValue);
    QCOMPARE(edit.CheckValue(value), expected);
    edit.SetValue(value);
    QCOMPARE(edit.text(), QString::number(expected));
}

// The .ui sets the limits before the value, through the property setters.
void TestTCSpinEditValue::uiPropertiesLimitAStoredValue()
{
    TCSpinEdit edit;
    QVERIFY(edit.setProperty("minValue", 5));
    QVERIFY(edit.setProperty("maxValue", 99999));
    QVERIFY(edit.setProperty("increment", 10));
    QVERIFY(edit.setProperty("editorEnabled", false));
    QVERIFY(edit.setProperty("value", 1));
    QCOMPARE(edit.text(), QStringLiteral("5"));
    QCOMPARE(edit.property("value").toInt(), 5);
    QCOMPARE(edit.Increment(), 10);
    QVERIFY(!edit.EditorEnabled());
}

void TestTCSpinEditValue::stepping_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("increment");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("expected");

    QTest::newRow("up") << 0 << 127 << 1 << "5" << true << "6";
    QTest::newRow("down") << 0 << 127 << 1 << "5" << false << "4";
    QTest::newRow("up at upper limit") << 0 << 127 << 1 << "127" << true << "127";
    QTest::newRow("down at lower limit") << 0 << 127 << 1 << "0" << false << "0";
    QTest::newRow("up from unreadable") << 0 << 127 << 1 << "abc" << true << "1";
    QTest::newRow("down from unreadable") << 5 << 99999 << 1 << "" << false << "5";
    QTest::newRow("increment") << 0 << 100 << 25 << "80" << true << "100";
    QTest::newRow("out of range text is limited") << 0 << 127 << 1 << "500" << false << "127";
    QTest::newRow("wraps before limiting, up")
        << 0 << 0 << 1 << "2147483647" << true << "-2147483648";
    QTest::newRow("wraps before limiting, down")
        << 0 << 0 << 1 << "-2147483648" << false << "2147483647";
    QTest::newRow("wrap then limit") << -10 << 10 << 2 << "2147483647" << true << "-10";
}

void TestTCSpinEditValue::stepping()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, increment);
    QFETCH(QString, text);
    QFETCH(bool, up);
    QFETCH(QString, expected);
    TCSpinEdit edit;
    SetLimits(edit, minValue, maxValue);
    edit.setIncrement(increment);
    edit.setEditorEnabled(false);
    edit.setText(text);
    if (up)
        edit.UpClick(&edit);
    else
        edit.DownClick(&edit);
    QCOMPARE(edit.text(), expected);
}

void TestTCSpinEditValue::readOnlyStepOnlyBeeps()
{
    BeepCounter beeps;
    TCSpinEdit edit;
    edit.setReadOnly(true);
    edit.setText("abc");
    edit.UpClick(&edit);
    edit.DownClick(&edit);
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Down);
    QCOMPARE(beeps.count, 4);
    QCOMPARE(edit.text(), QStringLiteral("abc"));
}

namespace {

class DoublingSpinEdit : public TCSpinEdit {
public:
    void UpClick(QObject*) override { SetValue(GetValue() * 2); }
};

} // namespace

void TestTCSpinEditValue::derivedStepsAreTheOnesTheArrowsCall()
{
    DoublingSpinEdit edit;
    edit.SetValue(3);
    auto* up = edit.findChild<TTimerSpeedButton*>("UpButton");
    QVERIFY(up != nullptr);
    up->Click();
    QCOMPARE(edit.text(), QStringLiteral("6"));
}

RAINNODE_WIDGETS_TEST_MAIN(TestTCSpinEditValue)
#include "tst_TCSpinEditValue.moc"
