#pragma once

#include "capture/CaptureRecord.h"
#include "viewer/LiveFeed.h"
#include "viewer/ViewerSettings.h"

#include <QMainWindow>
#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QSortFilterProxyModel;

namespace Ui {
class MonitorWindow;
}

namespace viewer {

class CaptureBrowser;
class NodeScanPanel;
class RowTableModel;
class SeriesChart;

// The monitor window: the table of every CCM heard, the chart of the
// selected ones, their findings, the nodes a scan found, and a capture to
// browse instead of the live traffic. A shell over the feed, the browser and
// the models; it only moves what they hold onto the screen, a few times a
// second.
class MonitorWindow : public QMainWindow {
public:
    static constexpr std::chrono::milliseconds kRefreshEvery{250};

    // Answers a file question: the path, or empty for none.
    using FileQuestion = std::function<QString(bool forSaving)>;

    // Receives nothing until startLive().
    explicit MonitorWindow(ViewerSettings settings, QWidget* parent = nullptr);
    ~MonitorWindow() override;

    // Replaces the file dialogs, for tests.
    void setFileQuestion(FileQuestion question) { fileQuestion_ = std::move(question); }

    // Shows a capture instead of the live traffic; false when it cannot be
    // read (the reason is in the status bar).
    bool openCapture(const QString& path);
    void backToLive();
    // Listens as the settings say, closing what listened before; a port that
    // cannot be bound is told in the status bar.
    void startLive();
    // Redraws now rather than at the next tick.
    void refresh();

    NodeScanPanel& nodes() const { return *nodes_; }
    SeriesChart& seriesChart() const { return *chart_; }
    RowTableModel& rows() const { return *rows_; }
    QSortFilterProxyModel& shownRows() const { return *proxy_; }
    // Refreshes drawn since the window opened.
    std::uint64_t refreshes() const { return refreshes_; }

private:
    void connectControls();
    void drawFrom(const TrafficModel& traffic, monitor::Clock::time_point now, double nowMs);
    void showStatus(const TrafficModel& traffic, std::uint64_t drops);
    void selectionChanged();
    void showFindings(const TrafficModel& traffic);
    void toggleRecording(bool on);
    void askForCapture();
    void seek(int position);
    void editOptions();
    void applyUnits(const std::map<monitor::CcmKey, std::string>& units);
    std::vector<monitor::CcmKey> selectedKeys() const;

    std::unique_ptr<Ui::MonitorWindow> ui_;
    ViewerSettings settings_;
    std::unique_ptr<LiveFeed> feed_;
    std::unique_ptr<CaptureBrowser> browser_;
    RowTableModel* rows_;
    QSortFilterProxyModel* proxy_;
    SeriesChart* chart_;
    NodeScanPanel* nodes_;
    QLabel* rate_;
    QLabel* undecodable_;
    QLabel* drops_;
    QTimer tick_;
    FileQuestion fileQuestion_;
    bool selectionDirty_ = false;
    std::uint64_t lastReceived_ = 0;
    std::chrono::steady_clock::time_point lastTick_;
    std::uint64_t refreshes_ = 0;
    // What the findings list shows: its row, how many and the latest.
    struct FindingsShown {
        monitor::CcmKey key;
        std::size_t count = 0;
        capture::CaptureTime latest;

        bool operator==(const FindingsShown&) const = default;
    };
    std::optional<FindingsShown> findingsShown_;
    // What scans told, for captures opened later too.
    std::map<monitor::CcmKey, std::string> units_;
};

} // namespace viewer
