// The monitor window under load: runs the real window on the live traffic
// for a while, charts the first rows, and measures what the engineer feels:
// redraws a second, how long a click waits, CPU time and peak memory. With
// SETAROME_SCAN set to a station's address it scans that station first (for
// the units); with SCREENSHOT it saves the window as it ends.
//   monitor_window_bench SECONDS PORT CHARTED [SCREENSHOT.png]

#include "viewer/MonitorWindow.h"
#include "viewer/NodeScanPanel.h"
#include "viewer/ViewerSettings.h"

#include <QApplication>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long PeakRssKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::size_t(p * double(values.size() - 1))];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 4) {
        std::fputs("usage: monitor_window_bench SECONDS PORT CHARTED [SCREENSHOT.png]\n", stderr);
        return 2;
    }
    const int seconds = std::atoi(argv[1]);
    const int charted = std::atoi(argv[3]);
    viewer::ViewerSettings settings;
    settings.dataPort = std::uint16_t(std::atoi(argv[2]));
    settings.scanPorts = false;
    viewer::MonitorWindow window(settings);
    window.resize(1280, 800);
    window.show();
    window.startLive();
    auto* table = window.findChild<QTableView*>("rowTable");
    auto* tabs = window.findChild<QTabWidget*>("tabs");
    if (qEnvironmentVariableIsSet("SETAROME_SCAN")) {
        window.nodes().setTarget(qEnvironmentVariable("SETAROME_SCAN").toStdString());
        window.nodes().start();
    }

    // Chart the first rows once they are there.
    QTimer select;
    QObject::connect(&select, &QTimer::timeout, [&] {
        if (window.shownRows().rowCount() < charted)
            return;
        table->setSelectionMode(QAbstractItemView::MultiSelection);
        for (int row = 0; row < charted; ++row)
            table->selectRow(row);
        select.stop();
    });
    select.start(100);

    // A click every 100 ms from outside the window's thread, as the window
    // system delivers one: the wait is the time until the window handled it.
    std::vector<double> waits;
    std::atomic<bool> running{true};
    std::thread clicker([&] {
        while (running) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const Clock::time_point posted = Clock::now();
            QMetaObject::invokeMethod(tabs, [&, posted] {
                // To the findings and back: both tabs are laid out and painted.
                tabs->setCurrentIndex(1);
                tabs->repaint();
                tabs->setCurrentIndex(0);
                tabs->repaint();
                waits.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - posted).count());
            });
        }
    });

    // Measured from the third second, once the station sends, to the end of
    // its sending.
    double cpu0 = 0, cpu = 0;
    std::uint64_t refreshes0 = 0, refreshes = 0;
    QStringList status;
    QTimer::singleShot(2000, [&] {
        cpu0 = CpuSeconds();
        refreshes0 = window.refreshes();
    });
    QTimer::singleShot(seconds * 1000, [&] {
        cpu = CpuSeconds() - cpu0;
        refreshes = window.refreshes() - refreshes0;
        for (const QLabel* label : window.statusBar()->findChildren<QLabel*>())
            status << label->text();
        if (argc > 4)
            window.grab().save(argv[4]);
        QApplication::quit();
    });
    QApplication::exec();
    running = false;
    clicker.join();
    const double span = seconds - 2;
    std::printf("redraws %.1f/s, click wait median %.1f ms, p99 %.1f ms, max %.1f ms (%zu clicks), "
                "CPU %.0f%% of a core, peak RSS %ld MiB\n",
                double(refreshes) / span, Percentile(waits, 0.5), Percentile(waits, 0.99),
                Percentile(waits, 1.0), waits.size(), cpu / span * 100, PeakRssKiB() / 1024);
    std::printf("status bar: %s\n", qPrintable(status.join(QStringLiteral(", "))));
    return 0;
}
