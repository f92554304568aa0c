#include "WidgetTestSupport.h"

#include "widgets/TCSpinButton.h"

#include <QLineEdit>
#include <QVBoxLayout>

// The arrow pair: its sizes, click routing, focus hand-over, keyboard and
// focus frame, and its glyphs.
class TestTCSpinButton : public QObject {
    Q_OBJECT

private slots:
    void constructionSizes();
    void sizing_data();
    void sizing();
    void pressHandsFocusToFocusControl();
    void keyboardAndFocusFrameOfAStandalonePair();
    void builtInGlyphs_data();
    void builtInGlyphs();
    void glyphDrawnWithBottomLeftColourTransparent();
    void noneRestoresBuiltInGlyph();
};

void TestTCSpinButton::constructionSizes()
{
    TCSpinButton pair;
    QCOMPARE(pair.size(), QSize(20, 25));
    QCOMPARE(pair.UpButton()->geometry(), QRect(0, 0, 20, 12));
    QCOMPARE(pair.DownButton()->geometry(), QRect(0, 11, 20, 14));
    QCOMPARE(pair.ActiveButton(), pair.UpButton());
    QCOMPARE(pair.focusPolicy(), Qt::NoFocus);
}

void TestTCSpinButton::sizing_data()
{
    QTest::addColumn<bool>("throughSetBounds");
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("up");
    QTest::addColumn<QRect>("down");

    for (bool setBounds : {true, false}) {
        const char* how = setBounds ? "SetBounds" : "resize";
        QTest::addRow("%s, narrow is widened", how) << setBounds << QSize(10, 17) << QSize(15, 17)
                                                    << QRect(0, 0, 15, 8) << QRect(0, 7, 15, 10);
        QTest::addRow("%s, even height shares a row", how)
            << setBounds << QSize(15, 16) << QSize(15, 16) << QRect(0, 0, 15, 8)
            << QRect(0, 7, 15, 9);
    }
}

void TestTCSpinButton::sizing()
{
    QFETCH(bool, throughSetBounds);
    QFETCH(QSize, requested);
    QFETCH(QSize, size);
    QFETCH(QRect, up);
    QFETCH(QRect, down);
    QWidget window;
    auto* pair = new TCSpinButton(&window);
    window.show();
    if (throughSetBounds)
        pair->SetBounds(3, 4, requested.width(), requested.height());
    else
        pair->setGeometry(QRect(QPoint(3, 4), requested));
    QCOMPARE(pair->geometry(), QRect(QPoint(3, 4), size));
    QCOMPARE(pair->UpButton()->geometry(), up);
    QCOMPARE(pair->DownButton()->geometry(), down);
}

void TestTCSpinButton::pressHandsFocusToFocusControl()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* target = new QLineEdit;
    auto* other = new QLineEdit;
    auto* pair = new TCSpinButton;
    layout->addWidget(target);
    layout->addWidget(other);
    layout->addWidget(pair);
    pair->SetFocusControl(target);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();

    QTest::mousePress(pair->DownButton(), Qt::LeftButton);
    QVERIFY(target->hasFocus());
    QTest::mouseRelease(pair->DownButton(), Qt::LeftButton);

    // Without a tab stop the pair neither takes the focus nor moves its frame.
    other->setFocus();
    pair->SetFocusControl(nullptr);
    QTest::mouseClick(pair->DownButton(), Qt::LeftButton);
    QVERIFY(other->hasFocus());
    QCOMPARE(pair->ActiveButton(), pair->UpButton());
}

void TestTCSpinButton::keyboardAndFocusFrameOfAStandalonePair()
{
    using Flag = TTimerSpeedButton::ButtonFlag;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit;
    auto* pair = new TCSpinButton;
    pair->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(other);
    layout->addWidget(pair);
    QString clicks;
    pair->SetOnUpClick([&clicks](QObject*) { clicks += 'u'; });
    pair->SetOnDownClick([&clicks](QObject*) { clicks += 'd'; });
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const auto framed = [](TTimerSpeedButton* arrow) {
        return arrow->ButtonFlags().testFlag(Flag::ShowFocusFrame);
    };

    other->setFocus();
    QTest::keyClick(other, Qt::Key_Tab);
    QVERIFY(pair->hasFocus());
    QVERIFY(framed(pair->UpButton()));
    QVERIFY(!framed(pair->DownButton()));

    QTest::keyClick(pair, Qt::Key_Down);
    QVERIFY(framed(pair->DownButton()));
    QVERIFY(!framed(pair->UpButton()));
    QTest::keyClick(pair, Qt::Key_Space);
    QTest::keyClick(pair, Qt::Key_Up);
    QTest::keyClick(pair, Qt::Key_Space);
    QTest::keyClick(pair, Qt::Key_A);
    QCOMPARE(clicks, QStringLiteral("dduu"));

    // A press on an arrow makes it the framed one.
    QTest::mouseClick(pair->DownButton(), Qt::LeftButton);
    QCOMPARE(pair->ActiveButton(), pair->DownButton());
    QVERIFY(framed(pair->DownButton()));

    QTest::keyClick(pair, Qt::Key_Tab);
    QVERIFY(!pair->hasFocus());
    QVERIFY(!framed(pair->UpButton()));
    QVERIFY(!framed(pair->DownButton()));
}

void TestTCSpinButton::builtInGlyphs_data()
{
    QTest::addColumn<bool>("up");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("SPINUP") << true << QStringList{".........", "....#....", "...###...",
                                                   "..#####..", ".#######.", "........."};
    QTest::newRow("SPINDOWN") << false << QStringList{".........", ".#######.", "..#####..",
                                                      "...###...", "....#....", "........."};
}

// The resources are linked in with the library: no initialisation call.
void TestTCSpinButton::builtInGlyphs()
{
    QFETCH(bool, up);
    QFETCH(QStringList, rows);
    TCSpinButton pair;
    const QImage glyph = (up ? pair.GetUpGlyph() : pair.GetDownGlyph()).toImage();
    QCOMPARE(glyph.size(), QSize(9, 6));
    for (int y = 0; y < glyph.height(); ++y) {
        QString row;
        for (int x = 0; x < glyph.width(); ++x) {
            const QRgb pixel = glyph.pixel(x, y) | 0xFF000000u;
            QVERIFY2(pixel == qRgb(0, 0, 0) || pixel == qRgb(128, 128, 0),
                     qPrintable(QString::number(pixel, 16)));
            row += pixel == qRgb(0, 0, 0) ? u'#' : u'.';
        }
        QCOMPARE(row, rows[y]);
    }
}

void TestTCSpinButton::glyphDrawnWithBottomLeftColourTransparent()
{
    TCSpinButton pair;
    pair.SetBounds(0, 0, 15, 40);
    QPalette palette = pair.palette();
    palette.setColor(QPalette::Button, Qt::white);
    pair.setPalette(palette);
    const QImage drawn = pair.UpButton()->grab().toImage();
    int black = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb pixel = drawn.pixel(x, y) | 0xFF000000u;
            QVERIFY(pixel != qRgb(128, 128, 0));
            black += pixel == qRgb(0, 0, 0) ? 1 : 0;
        }
    }
    // The arrow's 16 black pixels, plus the bevel's dark outer edges.
    QVERIFY(black >= 16);
}

void TestTCSpinButton::noneRestoresBuiltInGlyph()
{
    TCSpinButton pair;
    const QImage builtIn = pair.GetDownGlyph().toImage();
    QPixmap custom(5, 5);
    custom.fill(Qt::red);
    pair.SetDownGlyph(custom);
    QCOMPARE(pair.GetDownGlyph().toImage(), custom.toImage());
    QCOMPARE(pair.GetUpGlyph().size(), QSize(9, 6));
    pair.SetDownGlyph(QPixmap());
    QCOMPARE(pair.GetDownGlyph().toImage(), builtIn);
}

RAINNODE_WIDGETS_TEST_MAIN(TestTCSpinButton)
#include "tst_TCSpinButton.moc"
