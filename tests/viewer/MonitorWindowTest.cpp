#include "viewer/MonitorWindow.h"

#include "CaptureLines.h"
#include "viewer/RowTableModel.h"
#include "viewer/SeriesChart.h"
#include "viewer/ZoomChartView.h"

#include <QChart>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QSlider>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QValueAxis>
#include <QWheelEvent>
#include <QtTest>

using viewer::MonitorWindow;
using viewer::RowTableModel;
using viewertest::Data;
using viewertest::Record;

namespace {

constexpr const char* kSource = "10.0.0.1";

} // namespace

// The window over captures, on the offscreen platform: nothing here listens
// on a network.
class MonitorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void theSliderMovesTheCapturesTime();
    void flagsShowInColour_data();
    void flagsShowInColour();
    void selectedRowsAreChartedWithTheirPointsOnAnAxisPerUnit();
    void aHostileDatagramIsShownEscaped();
    void wireTextsOnTheChartAreNotMarkup();
    void theMouseZoomsAndPansTimeAndPauses();
    void theFilterNarrowsTheTableAsYouType();
    void numbersSortAsNumbers();
    void anUnreadableCaptureIsToldAndTheWindowGoesOn();

private:
    QString capture(const std::vector<capture::CaptureRecord>& records);
    // The row of the table (as shown) whose type is `type`, or -1.
    int shownRow(const QString& type) const;
    QString cell(const QString& type, int column) const;
    QVariant background(const QString& type) const;

    QTemporaryDir dir_;
    std::unique_ptr<MonitorWindow> window_;
};

void MonitorWindowTest::init()
{
    window_ = std::make_unique<MonitorWindow>(viewer::ViewerSettings{});
    window_->show();
}

void MonitorWindowTest::cleanup()
{
    window_.reset();
}

QString MonitorWindowTest::capture(const std::vector<capture::CaptureRecord>& records)
{
    static int made = 0;
    const QString path = dir_.filePath(QStringLiteral("capture%1.jsonl").arg(++made));
    viewertest::WriteCapture(path.toStdString(), records);
    return path;
}

int MonitorWindowTest::shownRow(const QString& type) const
{
    const QSortFilterProxyModel& shown = window_->shownRows();
    for (int row = 0; row < shown.rowCount(); ++row)
        if (shown.index(row, monitor::Type).data().toString() == type)
            return row;
    return -1;
}

QString MonitorWindowTest::cell(const QString& type, int column) const
{
    const int row = shownRow(type);
    return row < 0 ? QString() : window_->shownRows().index(row, column).data().toString();
}

QVariant MonitorWindowTest::background(const QString& type) const
{
    return window_->shownRows().index(shownRow(type), 0).data(Qt::BackgroundRole);
}

void MonitorWindowTest::theSliderMovesTheCapturesTime()
{
    QVERIFY(
        window_->openCapture(capture({Record(0, kSource, Data("WAirTemp", 1, "10", kSource)),
                                      Record(10, kSource, Data("WAirTemp", 1, "20", kSource)),
                                      Record(15, kSource, Data("WRainfall", 1, "1", kSource)),
                                      Record(20, kSource, Data("WAirTemp", 1, "30", kSource))})));
    auto* slider = window_->findChild<QSlider*>("timeSlider");
    auto* time = window_->findChild<QLabel*>("timeLabel");
    QVERIFY(slider->isEnabled());
    QCOMPARE(window_->shownRows().rowCount(), 2);
    QCOMPARE(cell("WAirTemp", monitor::Value), QString("30"));
    QCOMPARE(cell("WAirTemp", monitor::Interval), QString("10.0s"));
    QCOMPARE(cell("WAirTemp", monitor::Datagrams), QString("3"));
    QCOMPARE(window_->shownRows().headerData(monitor::Datagrams, Qt::Horizontal).toString(),
             QString("受信数"));
    const QString atEnd = time->text();

    slider->setValue(0);
    QCOMPARE(window_->shownRows().rowCount(), 1);
    QCOMPARE(cell("WAirTemp", monitor::Value), QString("10"));
    QVERIFY(time->text() != atEnd);

    slider->setValue(slider->maximum() / 2); // 10 s in
    QCOMPARE(cell("WAirTemp", monitor::Value), QString("20"));
    QCOMPARE(shownRow("WRainfall"), -1);
    QTest::keyClick(slider, Qt::Key_End);
    QCOMPARE(cell("WAirTemp", monitor::Value), QString("30"));
    QCOMPARE(time->text(), atEnd);
}

void MonitorWindowTest::flagsShowInColour_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QColor>("early");
    QTest::addColumn<QColor>("late");
    // Sent each second from 0 to 8 s, and at 20 s the capture ends.
    QTest::newRow("clean") << "Clean" << QColor() << QColor();
    QTest::newRow("stale once silent for three intervals")
        << "Quiet" << QColor() << RowTableModel::kStale;
    QTest::newRow("mismatched <IP>")
        << "Elsewhere" << RowTableModel::kMismatch << RowTableModel::kMismatch;
    QTest::newRow("two senders, one priority")
        << "Twice" << RowTableModel::kConflict << RowTableModel::kConflict;
}

void MonitorWindowTest::flagsShowInColour()
{
    QFETCH(QString, type);
    QFETCH(QColor, early);
    QFETCH(QColor, late);
    std::vector<capture::CaptureRecord> records;
    for (int second = 0; second <= 20; ++second) {
        records.push_back(Record(second, kSource, Data("Clean", 1, "1", kSource)));
        if (second <= 8)
            records.push_back(Record(second, kSource, Data("Quiet", 1, "1", kSource)));
        records.push_back(Record(second, kSource, Data("Elsewhere", 1, "1", "10.0.0.9")));
        records.push_back(Record(second, kSource, Data("Twice", 1, "1", kSource)));
        records.push_back(Record(second, "10.0.0.2", Data("Twice", 1, "2", "10.0.0.2")));
    }
    QVERIFY(window_->openCapture(capture(records)));
    auto* slider = window_->findChild<QSlider*>("timeSlider");
    slider->setValue(slider->maximum() * 8 / 20);
    QCOMPARE(background(type).value<QColor>(), early);
    slider->setValue(slider->maximum());
    QCOMPARE(background(type).value<QColor>(), late);
}

void MonitorWindowTest::selectedRowsAreChartedWithTheirPointsOnAnAxisPerUnit()
{
    QVERIFY(window_->openCapture(
        capture({Record(0, kSource, viewertest::ScanReply("InAirTemp", "S", "C")),
                 Record(1, kSource, Data("InAirTemp", 1, "21.5", kSource)),
                 Record(1, kSource, Data("InRain", 1, "0", kSource)),
                 Record(2, kSource, Data("InAirTemp", 1, "22.5", kSource)),
                 Record(3, kSource, Data("InRain", 1, "1", kSource)),
                 Record(4, kSource, Data("Other", 1, "7", kSource))})));
    QCOMPARE(cell("InAirTemp", monitor::Value), QString("22.5 C"));
    auto* table = window_->findChild<QTableView*>("rowTable");
    const auto clickRow = [&](const QString& type, Qt::KeyboardModifiers modifiers) {
        const QRect rect = table->visualRect(window_->shownRows().index(shownRow(type), 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, modifiers, rect.center());
    };
    clickRow("InAirTemp", Qt::NoModifier);
    clickRow("InRain", Qt::ControlModifier);
    window_->refresh();

    viewer::SeriesChart& chart = window_->seriesChart();
    QCOMPARE(chart.chart()->series().size(), 2);
    QLineSeries* temperature = chart.series({"InAirTemp", 1, 1, 1});
    QLineSeries* rain = chart.series({"InRain", 1, 1, 1});
    QVERIFY(temperature && rain);
    const double t0 = double(viewertest::At(0).instant.time_since_epoch().count()) / 1000.0;
    QCOMPARE(temperature->points(), (QList<QPointF>{{t0 + 1000, 21.5}, {t0 + 2000, 22.5}}));
    QCOMPARE(rain->points(), (QList<QPointF>{{t0 + 1000, 0}, {t0 + 3000, 1}}));
    const auto axes = chart.chart()->axes(Qt::Vertical);
    QCOMPARE(axes.size(), 2);
    QStringList titles;
    for (QAbstractAxis* axis : axes)
        titles << axis->titleText();
    titles.sort();
    QCOMPARE(titles, (QStringList{"(単位なし)", "C"}));
    // Qt Charts hides an axis it lays out while no line uses it, for good:
    // the time axis drawn in the empty chart must show once lines come.
    QApplication::processEvents();
    bool timeShown = false;
    for (const QGraphicsItem* item : chart.chart()->scene()->items())
        if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(item))
            timeShown = timeShown || (text->toPlainText() == "時刻" && text->isVisible());
    QVERIFY(timeShown);

    clickRow("Other", Qt::NoModifier);
    window_->refresh();
    QCOMPARE(chart.chart()->series().size(), 1);
    QCOMPARE(chart.chart()->axes(Qt::Vertical).size(), 1);
}

void MonitorWindowTest::aHostileDatagramIsShownEscaped()
{
    // Markup, a right-to-left override, a CSI that terminals obey as ESC [
    // and DEL in the value and the <IP> text: shown as escapes, never obeyed.
    QVERIFY(window_->openCapture(capture({Record(0, kSource,
                                                 Data("Hostile", 1,
                                                      "&lt;b&gt;x\xe2\x80\xae\xc2\x9b"
                                                      "2J\x7f\t",
                                                      "10.0.0.1\xc2\x9b"
                                                      "31m"))})));
    QCOMPARE(cell("Hostile", monitor::Value), QString(R"(<b>x\u202e\u009b2J\x7f\t)"));
    QCOMPARE(cell("Hostile", monitor::Ip), QString(R"(10.0.0.1\u009b31m)"));
    auto* table = window_->findChild<QTableView*>("rowTable");
    table->selectRow(shownRow("Hostile"));
    window_->refresh();
    auto* findings = window_->findChild<QTreeWidget*>("findingsTree");
    QVERIFY(findings->topLevelItemCount() >= 1);
    bool escaped = false;
    for (int i = 0; i < findings->topLevelItemCount(); ++i) {
        const QString detail = findings->topLevelItem(i)->text(3);
        QVERIFY2(!detail.contains(QChar(0x9b)) && !detail.contains(QChar(0x202e)),
                 qPrintable(detail));
        escaped = escaped || detail.contains(R"(\u202e)");
    }
    QVERIFY(escaped);
}

// Qt Charts draws legends and axis titles as rich text: a type or unit from
// the wire must show as written, not as markup.
void MonitorWindowTest::wireTextsOnTheChartAreNotMarkup()
{
    QVERIFY(window_->openCapture(
        capture({Record(0, kSource, viewertest::ScanReply("&lt;i&gt;T", "S", "&lt;b&gt;C")),
                 Record(1, kSource, Data("&lt;i&gt;T", 1, "1", kSource))})));
    window_->findChild<QTableView*>("rowTable")->selectRow(0);
    window_->refresh();
    QApplication::processEvents();
    QStringList shown;
    for (const QGraphicsItem* item : window_->seriesChart().chart()->scene()->items())
        if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(item))
            shown << text->toPlainText();
    QVERIFY2(shown.contains("<i>T 1-1-1"), qPrintable(shown.join('|')));
    QVERIFY2(shown.contains("<b>C"), qPrintable(shown.join('|')));
}

void MonitorWindowTest::theMouseZoomsAndPansTimeAndPauses()
{
    std::vector<capture::CaptureRecord> records;
    for (int second = 0; second <= 60; ++second)
        records.push_back(Record(second, kSource, Data("WAirTemp", 1, "1", kSource)));
    QVERIFY(window_->openCapture(capture(records)));
    window_->findChild<QTableView*>("rowTable")->selectRow(0);
    window_->refresh();
    QAbstractAxis* time = window_->seriesChart().chart()->axes(Qt::Horizontal).value(0);
    QVERIFY(time);
    const auto span = [&] {
        const auto* axis = static_cast<QDateTimeAxis*>(time);
        return axis->min().msecsTo(axis->max());
    };
    QCOMPARE(span(), 60'000);
    auto* spans = window_->findChild<QComboBox*>("spanCombo");
    spans->setCurrentIndex(1);
    QCOMPARE(span(), 600'000);
    spans->setCurrentIndex(0);
    QCOMPARE(span(), 60'000);
    auto* view = window_->findChild<viewer::ZoomChartView*>("chartView");
    const QPointF middle = window_->seriesChart().chart()->plotArea().center();
    QWheelEvent wheel(middle, view->mapToGlobal(middle), {}, {0, 240}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    QVERIFY(window_->findChild<QToolButton*>("pauseButton")->isChecked());
    QVERIFY2(span() < 45'000, qPrintable(QString::number(span())));
    // Paused: the next refresh keeps the engineer's view.
    const qint64 zoomed = span();
    window_->refresh();
    QCOMPARE(span(), zoomed);

    // A span drawn with the right button: zoomed to about its width.
    const QRectF area = window_->seriesChart().chart()->plotArea();
    const QPoint from(int(area.left() + area.width() * 0.25), int(area.center().y()));
    const QPoint to(int(area.left() + area.width() * 0.5), int(area.center().y()));
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, from);
    QTest::mouseMove(view->viewport(), to);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, to);
    QVERIFY2(span() < zoomed * 0.4 && span() > zoomed * 0.1,
             qPrintable(QString::number(span()) + " of " + QString::number(zoomed)));

    // A drag with the left button moves time and keeps the span.
    const auto* axis = static_cast<QDateTimeAxis*>(time);
    const QDateTime before = axis->min();
    const qint64 width = span();
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, to);
    QTest::mouseMove(view->viewport(), from);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, from);
    QVERIFY(axis->min() > before);
    QVERIFY(qAbs(span() - width) <= 1);
}

void MonitorWindowTest::theFilterNarrowsTheTableAsYouType()
{
    QVERIFY(window_->openCapture(
        capture({Record(0, kSource, Data("WAirTemp", 1, "1", kSource)),
                 Record(0, kSource, Data("WRainfall", 1, "0", kSource)),
                 Record(0, "10.0.0.7", Data("InAirTemp", 2, "5", "10.0.0.7"))})));
    auto* filter = window_->findChild<QLineEdit*>("filterEdit");
    QTest::keyClicks(filter, "airt");
    QCOMPARE(window_->shownRows().rowCount(), 2);
    QTest::keyClicks(filter, "emp 2");
    QCOMPARE(window_->shownRows().rowCount(), 0);
    filter->clear();
    QTest::keyClicks(filter, "10.0.0.7");
    QCOMPARE(window_->shownRows().rowCount(), 1);
    QCOMPARE(cell("InAirTemp", monitor::Room), QString("2"));
}

void MonitorWindowTest::numbersSortAsNumbers()
{
    QVERIFY(window_->openCapture(capture({Record(0, kSource, Data("A", 10, "-2.5", kSource)),
                                          Record(0, kSource, Data("B", 9, "10", kSource)),
                                          Record(0, kSource, Data("C", 100, "9", kSource))})));
    auto* table = window_->findChild<QTableView*>("rowTable");
    const auto column = [&](int sortedBy) {
        table->sortByColumn(sortedBy, Qt::AscendingOrder);
        QStringList types;
        for (int row = 0; row < window_->shownRows().rowCount(); ++row)
            types << window_->shownRows().index(row, monitor::Type).data().toString();
        return types.join("");
    };
    QCOMPARE(column(monitor::Room), QString("BAC"));
    QCOMPARE(column(monitor::Value), QString("ACB"));
}

void MonitorWindowTest::anUnreadableCaptureIsToldAndTheWindowGoesOn()
{
    QVERIFY(!window_->openCapture(dir_.filePath("missing.jsonl")));
    QVERIFY(window_->statusBar()->currentMessage().contains("missing.jsonl"));
    QVERIFY(window_->openCapture(capture({Record(0, kSource, Data("WAirTemp", 1, "1", kSource))})));
    QCOMPARE(window_->shownRows().rowCount(), 1);
}

QTEST_MAIN(MonitorWindowTest)
#include "MonitorWindowTest.moc"
