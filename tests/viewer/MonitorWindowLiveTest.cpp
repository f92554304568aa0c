#include "viewer/MonitorWindow.h"

#include "viewer/NodeScanPanel.h"
#include "viewer/RowTableModel.h"
#include "viewer/SeriesChart.h"

#include <QChart>
#include <QFileInfo>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using viewer::MonitorWindow;

namespace {

// Generous: a loaded machine may take seconds to start the station.
constexpr int kPatience = 20'000;

} // namespace

// Run by monitor_window_namespace.sh inside the receiving namespace, beside a
// station of one node (cnd, WAirTemp 21.5 C and WRainfall 1, each second)
// whose address is in SETAROME_STATION.
class MonitorWindowLiveTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyCcmShowsWithItsValueAndInterval();
    void aScanListsTheNodeAndFillsTheUnits();
    void aSelectedRowIsChartedLive();
    void whatWasRecordedOpensAsACapture();
    void cleanupTestCase();

private:
    QString cell(const QString& type, int column) const;

    std::unique_ptr<MonitorWindow> window_;
};

void MonitorWindowLiveTest::initTestCase()
{
    QVERIFY(qEnvironmentVariableIsSet("SETAROME_STATION"));
    window_ = std::make_unique<MonitorWindow>(viewer::ViewerSettings{});
    window_->show();
    window_->startLive();
    QVERIFY2(window_->statusBar()->currentMessage().isEmpty(),
             qPrintable(window_->statusBar()->currentMessage()));
}

void MonitorWindowLiveTest::cleanupTestCase()
{
    window_.reset();
}

QString MonitorWindowLiveTest::cell(const QString& type, int column) const
{
    const QSortFilterProxyModel& shown = window_->shownRows();
    for (int row = 0; row < shown.rowCount(); ++row)
        if (shown.index(row, monitor::Type).data().toString() == type)
            return shown.index(row, column).data().toString();
    return {};
}

void MonitorWindowLiveTest::everyCcmShowsWithItsValueAndInterval()
{
    QTRY_COMPARE_WITH_TIMEOUT(window_->shownRows().rowCount(), 3, kPatience);
    QCOMPARE(cell("WAirTemp", monitor::Value), QString("21.5"));
    QCOMPARE(cell("WRainfall", monitor::Value), QString("1"));
    QCOMPARE(cell("cnd", monitor::Value), QString("0"));
    QCOMPARE(cell("WAirTemp", monitor::Source), qEnvironmentVariable("SETAROME_STATION"));
    for (const char* type : {"WAirTemp", "WRainfall", "cnd"})
        QTRY_COMPARE_WITH_TIMEOUT(cell(type, monitor::Interval), QString("1.0s"), kPatience);
    // Its <IP> is its address and it is alone: no flag.
    QCOMPARE(cell("WAirTemp", monitor::Flags), QString());
}

void MonitorWindowLiveTest::aScanListsTheNodeAndFillsTheUnits()
{
    window_->nodes().setTarget(qEnvironmentVariable("SETAROME_STATION").toStdString());
    QTest::mouseClick(window_->findChild<QPushButton*>("scanButton"), Qt::LeftButton);
    auto* tree = window_->findChild<QTreeWidget*>("nodesTree");
    QTRY_COMPARE_WITH_TIMEOUT(tree->topLevelItemCount(), 1, kPatience);
    QTreeWidgetItem* node = tree->topLevelItem(0);
    QCOMPARE(node->text(0), QString("rooftop"));
    QCOMPARE(node->text(1), QString("ACME"));
    QCOMPARE(node->childCount(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(cell("WAirTemp", monitor::Value), QString("21.5 C"), kPatience);
}

void MonitorWindowLiveTest::aSelectedRowIsChartedLive()
{
    auto* table = window_->findChild<QTableView*>("rowTable");
    for (int row = 0; row < window_->shownRows().rowCount(); ++row)
        if (window_->shownRows().index(row, monitor::Type).data() == "WAirTemp")
            table->selectRow(row);
    QLineSeries* line = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((line = window_->seriesChart().series({"WAirTemp", 1, 1, 1})),
                             kPatience);
    const int before = int(line->count());
    QTRY_VERIFY_WITH_TIMEOUT(line->count() > before, kPatience);
    for (const QPointF& point : line->points())
        QCOMPARE(point.y(), 21.5);
}

void MonitorWindowLiveTest::whatWasRecordedOpensAsACapture()
{
    const QString path = qEnvironmentVariable("SETAROME_WORK") + "/recorded.jsonl";
    window_->setFileQuestion([&](bool forSaving) { return forSaving ? path : QString(); });
    auto* record = window_->findChild<QToolButton*>("recordButton");
    record->click();
    QVERIFY(record->isChecked());
    QVERIFY(window_->findChild<QLabel*>("recordLabel")->text().endsWith(path));
    // Each second brings three datagrams; a flush comes with each refresh.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path).size() > 0, kPatience);
    record->click();
    QVERIFY(window_->openCapture(path));
    QVERIFY(window_->shownRows().rowCount() > 0);
    // The units the scan told hold for the capture too.
    for (int row = 0; row < window_->shownRows().rowCount(); ++row)
        QVERIFY(QStringList({"0", "1", "21.5 C"})
                    .contains(window_->shownRows().index(row, monitor::Value).data().toString()));
}

QTEST_MAIN(MonitorWindowLiveTest)
#include "MonitorWindowLiveTest.moc"
