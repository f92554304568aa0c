#include "viewer/MonitorWindow.h"

#include "app/PanelFonts.h"
#include "monitor/RowText.h"
#include "monitor/TerminalText.h"
#include "runtime/Exception.h"
#include "ui_MonitorWindow.h"
#include "viewer/CaptureBrowser.h"
#include "viewer/NodeScanPanel.h"
#include "viewer/OptionsDialog.h"
#include "viewer/RowTableModel.h"
#include "viewer/SeriesChart.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QSortFilterProxyModel>

namespace viewer {

namespace {

// The spans of the combo box, in its order.
constexpr double kSpanSeconds[] = {60, 600, 3600, 6 * 3600, 24 * 3600};

double WallMs()
{
    return double(QDateTime::currentMSecsSinceEpoch());
}

QString TimeText(double ms)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(ms))
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

} // namespace

MonitorWindow::MonitorWindow(ViewerSettings settings, QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::MonitorWindow>()),
      settings_(std::move(settings))
{
    ui_->setupUi(this);
    usePixelFontSizes(this);
    rows_ = new RowTableModel(this);
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(rows_);
    proxy_->setSortRole(RowTableModel::SortRole);
    proxy_->setFilterKeyColumn(-1);
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    ui_->rowTable->setModel(proxy_);
    ui_->rowTable->sortByColumn(monitor::Type, Qt::AscendingOrder);
    ui_->rowTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    chart_ = new SeriesChart(ui_->chartView);
    nodes_ = new NodeScanPanel(ui_->scanButton, ui_->scanLabel, ui_->nodesTree);
    rate_ = new QLabel(this);
    undecodable_ = new QLabel(this);
    drops_ = new QLabel(this);
    for (QLabel* label : {rate_, undecodable_, drops_}) {
        label->setTextFormat(Qt::PlainText);
        statusBar()->addPermanentWidget(label);
    }
    fileQuestion_ = [this](bool forSaving) {
        const QString filter = QStringLiteral("キャプチャ (*.jsonl);;すべて (*)");
        return forSaving ? QFileDialog::getSaveFileName(this, QStringLiteral("記録先"), {}, filter)
                         : QFileDialog::getOpenFileName(this, QStringLiteral("キャプチャを開く"),
                                                        {}, filter);
    };
    ui_->recordButton->setEnabled(false);
    ui_->fileLabel->setText(QStringLiteral("受信停止中"));
    connectControls();
    tick_.setInterval(kRefreshEvery);
    connect(&tick_, &QTimer::timeout, this, &MonitorWindow::refresh);
    tick_.start();
}

MonitorWindow::~MonitorWindow() = default;

void MonitorWindow::connectControls()
{
    connect(ui_->filterEdit, &QLineEdit::textChanged, proxy_,
            &QSortFilterProxyModel::setFilterFixedString);
    connect(ui_->rowTable->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        selectionDirty_ = true;
        refresh();
    });
    connect(ui_->pauseButton, &QToolButton::toggled, this, [this](bool on) {
        chart_->setPaused(on);
        refresh();
    });
    chart_->onPausedByUser([this] { ui_->pauseButton->setChecked(true); });
    connect(ui_->spanCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
        chart_->setSpan(kSpanSeconds[std::clamp(index, 0, 4)]);
        refresh();
    });
    connect(ui_->recordButton, &QToolButton::toggled, this, &MonitorWindow::toggleRecording);
    connect(ui_->openButton, &QPushButton::clicked, this, &MonitorWindow::askForCapture);
    connect(ui_->liveButton, &QPushButton::clicked, this, &MonitorWindow::backToLive);
    connect(ui_->timeSlider, &QSlider::valueChanged, this, &MonitorWindow::seek);
    connect(ui_->optionsButton, &QPushButton::clicked, this, &MonitorWindow::editOptions);
    nodes_->onFinished([this](const NodeScanPanel::Units& units) { applyUnits(units); });
}

void MonitorWindow::startLive()
{
    feed_.reset();
    feed_ = std::make_unique<LiveFeed>(settings_.limits());
    nodes_->setInterface(settings_.interfaceName);
    try {
        feed_->start(settings_.feedOptions());
        statusBar()->clearMessage();
    } catch (const runtime::Exception& e) {
        // The window stays useful for captures without the port.
        feed_.reset();
        statusBar()->showMessage(QStringLiteral("受信できません: ") +
                                 QString::fromStdString(e.Message()));
    }
    if (!browser_) {
        ui_->fileLabel->setText(feed_ ? QStringLiteral("ライブ受信中")
                                      : QStringLiteral("受信停止中"));
        ui_->recordButton->setEnabled(feed_ != nullptr);
    }
    lastReceived_ = 0;
    lastTick_ = std::chrono::steady_clock::now();
}

void MonitorWindow::refresh()
{
    ++refreshes_;
    if (browser_) {
        drawFrom(browser_->model(), browser_->now(), browser_->positionMs());
        showStatus(browser_->model(), 0);
        return;
    }
    if (!feed_)
        return;
    if (const std::string error = feed_->flushRecording(); !error.empty()) {
        ui_->recordButton->setChecked(false);
        ui_->recordLabel->setText(QStringLiteral("記録停止: ") + QString::fromStdString(error));
    }
    feed_->read([this](TrafficModel& traffic, std::uint64_t drops) {
        traffic.trim();
        drawFrom(traffic, monitor::Clock::now(), WallMs());
        showStatus(traffic, drops);
    });
}

void MonitorWindow::drawFrom(const TrafficModel& traffic, monitor::Clock::time_point now,
                             double nowMs)
{
    rows_->refresh(traffic, now);
    if (selectionDirty_) {
        selectionDirty_ = false;
        chart_->show(selectedKeys(), traffic);
    }
    chart_->refresh(traffic, nowMs);
    showFindings(traffic);
}

void MonitorWindow::showStatus(const TrafficModel& traffic, std::uint64_t drops)
{
    undecodable_->setText(QStringLiteral("解読不能 %1").arg(traffic.notDecoded()));
    drops_->setText(QStringLiteral("カーネル破棄 %1").arg(drops));
    if (browser_) {
        rate_->setText(QStringLiteral("%1 / %2 件")
                           .arg(browser_->taken())
                           .arg(browser_->file().records.size()));
        return;
    }
    // Over a second at least: a refresh a click brings between two ticks
    // would make a rate of a few datagrams.
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - lastTick_).count();
    if (seconds < 1.0 && traffic.received() >= lastReceived_)
        return;
    if (traffic.received() >= lastReceived_)
        rate_->setText(QStringLiteral("%1 件/秒")
                           .arg(qRound(double(traffic.received() - lastReceived_) / seconds)));
    lastReceived_ = traffic.received();
    lastTick_ = now;
}

std::vector<monitor::CcmKey> MonitorWindow::selectedKeys() const
{
    std::vector<monitor::CcmKey> keys;
    for (const QModelIndex& index : ui_->rowTable->selectionModel()->selectedRows())
        keys.push_back(rows_->keyAt(proxy_->mapToSource(index).row()));
    return keys;
}

void MonitorWindow::showFindings(const TrafficModel& traffic)
{
    const QModelIndex current = ui_->rowTable->selectionModel()->currentIndex();
    std::optional<FindingsShown> now;
    const std::deque<RowFinding>* findings = nullptr;
    if (current.isValid()) {
        const monitor::CcmKey& key = rows_->keyAt(proxy_->mapToSource(current).row());
        findings = &traffic.findings(key);
        now = FindingsShown{key, findings->size(),
                            findings->empty() ? capture::CaptureTime{} : findings->back().time};
    }
    // Refilled only when it changed, so a scrolled list stays where it is.
    if (now == findingsShown_)
        return;
    findingsShown_ = now;
    ui_->findingsTree->clear();
    if (findings == nullptr)
        return;
    for (const RowFinding& found : *findings)
        ui_->findingsTree->addTopLevelItem(new QTreeWidgetItem(
            QStringList{QString::fromStdString(capture::FormatCaptureTime(found.time)),
                        QString::fromStdString(monitor::Escaped(found.source)),
                        QString::fromStdString(monitor::Escaped(found.finding.code)),
                        QString::fromStdString(monitor::Escaped(found.finding.detail))}));
}

void MonitorWindow::toggleRecording(bool on)
{
    if (!on) {
        try {
            feed_->stopRecording();
        } catch (const runtime::Exception& e) {
            ui_->recordLabel->setText(QString::fromStdString(e.Message()));
            return;
        }
        ui_->recordLabel->setText(ui_->recordLabel->text().replace(QStringLiteral("記録中: "),
                                                                   QStringLiteral("記録済み: ")));
        return;
    }
    const QString path = fileQuestion_(true);
    QString failure;
    if (!path.isEmpty()) {
        try {
            feed_->startRecording(path.toStdString());
            ui_->recordLabel->setText(QStringLiteral("記録中: ") + path);
            return;
        } catch (const runtime::Exception& e) {
            failure = QString::fromStdString(e.Message());
        }
    }
    ui_->recordLabel->setText(failure);
    QSignalBlocker quiet(ui_->recordButton);
    ui_->recordButton->setChecked(false);
}

void MonitorWindow::askForCapture()
{
    const QString path = fileQuestion_(false);
    if (!path.isEmpty())
        openCapture(path);
}

bool MonitorWindow::openCapture(const QString& path)
{
    try {
        browser_ = std::make_unique<CaptureBrowser>(CaptureFile::open(path.toStdString()),
                                                    settings_.limits());
    } catch (const runtime::Exception& e) {
        statusBar()->showMessage(QString::fromStdString(e.Message()));
        return false;
    }
    for (const auto& [key, unit] : units_)
        browser_->setUnit(key, unit);
    for (const std::string& warning : browser_->file().warnings)
        statusBar()->showMessage(QString::fromStdString(monitor::Escaped(warning)));
    ui_->fileLabel->setText(QFileInfo(path).fileName());
    ui_->liveButton->setEnabled(true);
    ui_->recordButton->setEnabled(false);
    ui_->timeSlider->setEnabled(true);
    rows_->clear();
    selectionDirty_ = true;
    {
        QSignalBlocker quiet(ui_->timeSlider);
        ui_->timeSlider->setValue(ui_->timeSlider->maximum());
    }
    seek(ui_->timeSlider->maximum());
    return true;
}

void MonitorWindow::seek(int position)
{
    if (!browser_)
        return;
    const double span = browser_->lastMs() - browser_->firstMs();
    browser_->seek(browser_->firstMs() + span * position / ui_->timeSlider->maximum());
    ui_->timeLabel->setText(TimeText(browser_->positionMs()));
    refresh();
}

void MonitorWindow::backToLive()
{
    browser_.reset();
    rows_->clear();
    selectionDirty_ = true;
    ui_->fileLabel->setText(feed_ ? QStringLiteral("ライブ受信中") : QStringLiteral("受信停止中"));
    ui_->timeLabel->clear();
    ui_->liveButton->setEnabled(false);
    ui_->recordButton->setEnabled(feed_ != nullptr);
    ui_->timeSlider->setEnabled(false);
    refresh();
}

void MonitorWindow::editOptions()
{
    OptionsDialog dialog(settings_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    settings_ = dialog.settings();
    settings_.save();
    ui_->recordButton->setChecked(false);
    if (feed_)
        startLive();
    rows_->clear();
    selectionDirty_ = true;
}

void MonitorWindow::applyUnits(const std::map<monitor::CcmKey, std::string>& units)
{
    for (const auto& [key, unit] : units)
        units_[key] = unit;
    if (feed_)
        feed_->read([&](TrafficModel& traffic, std::uint64_t) {
            for (const auto& [key, unit] : units)
                traffic.setUnit(key, unit);
        });
    if (browser_)
        for (const auto& [key, unit] : units)
            browser_->setUnit(key, unit);
    selectionDirty_ = true;
    refresh();
}

} // namespace viewer
