// setarome-monitor: watches the CCMs of a segment, live or from a capture.

#include "app/PanelFonts.h"
#include "app/ToolkitStartup.h"
#include "viewer/MonitorWindow.h"
#include "viewer/ViewerSettings.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(holdToolkitStartupMessages(argc), argv);
    releaseToolkitStartupMessages();
    QApplication::setApplicationName(QStringLiteral("setarome-monitor"));
    installPanelFontSubstitutes();
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() > 1 || (arguments.size() == 1 && arguments[0].startsWith('-'))) {
        std::fputs("usage: setarome-monitor [CAPTURE]\n", stderr);
        return 2;
    }
    viewer::MonitorWindow window(viewer::ViewerSettings::load());
    window.startLive();
    if (!arguments.isEmpty() && !window.openCapture(arguments[0]))
        return 2;
    window.show();
    return QApplication::exec();
}
