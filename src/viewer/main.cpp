// setarome-monitor: watches the CCMs of a segment, live or from a capture.

#include "app/PanelFonts.h"
#include "app/ToolkitStartup.h"
#include "viewer/MonitorWindow.h"
#include "viewer/ViewerSettings.h"

#include <QApplication>
#include <QStatusBar>

#include <cstdio>
#include <string>

namespace {

const char* const kUsage =
    "usage: setarome-monitor [CAPTURE]\n"
    "Watches the CCMs on UDP 16520 (and the scan ports) in a window, or browses a capture.\n";

} // namespace

int main(int argc, char** argv)
{
    // Usage is settled before the toolkit starts, so --help needs no display.
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && first == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc > 2 || (argc == 2 && first.starts_with('-'))) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    QApplication application(holdToolkitStartupMessages(argc), argv);
    releaseToolkitStartupMessages();
    QApplication::setApplicationName(QStringLiteral("setarome-monitor"));
    installPanelFontSubstitutes();
    viewer::MonitorWindow window(viewer::ViewerSettings::load());
    if (argc == 2 && !window.openCapture(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "setarome-monitor: %s\n",
                     qPrintable(window.statusBar()->currentMessage()));
        return 2;
    }
    window.startLive();
    window.show();
    return QApplication::exec();
}
