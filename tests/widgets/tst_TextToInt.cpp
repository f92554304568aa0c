#include "widgets/TextToInt.h"

#include <QtTest>

#include <optional>

// The runtime's text-to-integer rules that the spin edit reads its text by.
class TestTextToInt : public QObject {
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
    void refuses_data();
    void refuses();
};

void TestTextToInt::reads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("leading blanks") << "   12" << 12;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("minus sign") << "-5" << -5;
    QTest::newRow("leading zeros") << "000123" << 123;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << (-2147483647 - 1);
    QTest::newRow("dollar hex") << "$10" << 16;
    QTest::newRow("x hex") << "x1f" << 31;
    QTest::newRow("0x hex") << "0x10" << 16;
    QTest::newRow("0X hex mixed case") << "0XaB" << 171;
    QTest::newRow("hex pattern is two's complement") << "$FFFFFFFF" << -1;
    QTest::newRow("hex top bit") << "$80000000" << (-2147483647 - 1);
    QTest::newRow("hex ignores minus") << "-$10" << 16;
    QTest::newRow("hex ignores plus") << "+0x10" << 16;
    QTest::newRow("hex leading zeros beyond eight digits") << "$000000001" << 1;
}

void TestTextToInt::reads()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    const std::optional<std::int32_t> value = widgets::TextToInt(text);
    QVERIFY(value.has_value());
    QCOMPARE(*value, expected);
}

void TestTextToInt::refuses_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("lone minus") << "-";
    QTest::newRow("two signs") << "--5";
    QTest::newRow("sign then blank") << "- 5";
    QTest::newRow("trailing blank") << "12 ";
    QTest::newRow("decimal separator") << "1.5";
    QTest::newRow("letters after") << "12abc";
    QTest::newRow("tab is no blank") << "\t12";
    QTest::newRow("above range") << "2147483648";
    QTest::newRow("below range") << "-2147483649";
    QTest::newRow("lone dollar") << "$";
    QTest::newRow("lone 0x") << "0x";
    QTest::newRow("hex above 32 bits") << "$100000000";
    QTest::newRow("bad hex digit") << "$1G";
    QTest::newRow("fullwidth digit") << QString::fromUtf8("\xef\xbc\x91");
}

void TestTextToInt::refuses()
{
    QFETCH(QString, text);
    QVERIFY(!widgets::TextToInt(text).has_value());
}

QTEST_APPLESS_MAIN(TestTextToInt)
#include "tst_TextToInt.moc"
