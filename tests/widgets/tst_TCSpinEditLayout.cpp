#include "WidgetTestSupport.h"

#include "widgets/TCSpinButton.h"
#include "widgets/TCSpinEdit.h"

#include <QStyle>
#include <QStyleOptionFrame>

// Height rule of the spin edit and the place of its arrow pair.
class TestTCSpinEditLayout : public QObject {
    Q_OBJECT

private slots:
    void minHeightRule_data();
    void minHeightRule();
    void growsToMinHeight();
    void pairSitsInsideTheRightEdge_data();
    void pairSitsInsideTheRightEdge();
    void pairAndArrowsAreNamedChildren();
};

namespace {

QFont PanelFont()
{
    QFont font;
    font.setPixelSize(12);
    return font;
}

} // namespace

void TestTCSpinEditLayout::minHeightRule_data()
{
    QTest::addColumn<int>("fontHeight");
    QTest::addColumn<int>("systemFontHeight");
    QTest::addColumn<int>("expected");

    QTest::newRow("panel font") << 12 << 16 << 21;
    QTest::newRow("system font smaller") << 16 << 12 << 25;
    QTest::newRow("same heights") << 16 << 16 << 26;
    QTest::newRow("small font") << 8 << 16 << 16;
}

void TestTCSpinEditLayout::minHeightRule()
{
    QFETCH(int, fontHeight);
    QFETCH(int, systemFontHeight);
    QFETCH(int, expected);
    QCOMPARE(TCSpinEdit::MinHeightFor(fontHeight, systemFontHeight), expected);
}

void TestTCSpinEditLayout::growsToMinHeight()
{
    QWidget window;
    auto* edit = new TCSpinEdit(&window);
    edit->setFont(PanelFont());
    // 12 + 12 div 4 + 4 + 2 with the 12-pixel system font of the test platform.
    QCOMPARE(edit->GetMinHeight(), 21);
    edit->setGeometry(184, 48, 41, 10);
    window.show();
    QCOMPARE(edit->geometry(), QRect(184, 48, 41, 21));
    edit->resize(60, 30);
    QCOMPARE(edit->size(), QSize(60, 30));
}

void TestTCSpinEditLayout::pairSitsInsideTheRightEdge_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("room field") << QSize(41, 21);
    QTest::newRow("order field") << QSize(65, 21);
    QTest::newRow("tall field") << QSize(57, 40);
}

void TestTCSpinEditLayout::pairSitsInsideTheRightEdge()
{
    QFETCH(QSize, size);
    QWidget window;
    auto* edit = new TCSpinEdit(&window);
    edit->setFont(PanelFont());
    edit->setGeometry(QRect(QPoint(8, 8), size));
    window.show();
    QStyleOptionFrame option;
    option.initFrom(edit);
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const TCSpinButton* pair = edit->Button();

    QCOMPARE(pair->geometry(),
             QRect(size.width() - frame - 16, frame, 15, size.height() - 2 * frame - 1));
    QCOMPARE(pair->UpButton()->height(), pair->height() / 2);
    // The text stops left of the pair.
    QVERIFY(edit->textMargins().right() >= pair->width() + 1);
}

void TestTCSpinEditLayout::pairAndArrowsAreNamedChildren()
{
    TCSpinEdit edit;
    auto* pair = edit.findChild<TCSpinButton*>("SpinButton");
    QCOMPARE(pair, edit.Button());
    QCOMPARE(pair->FocusControl(), &edit);
    QCOMPARE(pair->focusPolicy(), Qt::NoFocus);
    QCOMPARE(edit.findChild<TTimerSpeedButton*>("UpButton"), pair->UpButton());
    QCOMPARE(edit.findChild<TTimerSpeedButton*>("DownButton"), pair->DownButton());
}

RAINNODE_WIDGETS_TEST_MAIN(TestTCSpinEditLayout)
#include "tst_TCSpinEditLayout.moc"
