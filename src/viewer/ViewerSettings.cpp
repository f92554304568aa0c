#include "viewer/ViewerSettings.h"

#include "monitor/ListenPorts.h"

#include <QSettings>

#include <algorithm>

namespace viewer {

namespace {

QSettings Store()
{
    return QSettings(QStringLiteral("setarome"), QStringLiteral("setarome-monitor"));
}

} // namespace

ViewerSettings ViewerSettings::load()
{
    const QSettings store = Store();
    ViewerSettings settings;
    const int port = store.value("receive/dataPort", settings.dataPort).toInt();
    // A file edited by hand gets the default for what is out of range.
    if (port >= 1 && port <= 65535)
        settings.dataPort = std::uint16_t(port);
    settings.scanPorts = store.value("receive/scanPorts", settings.scanPorts).toBool();
    settings.interfaceName = store.value("receive/interface").toString().toStdString();
    settings.receiveBufferKiB = std::clamp(
        store.value("receive/bufferKiB", settings.receiveBufferKiB).toInt(), 0, 1024 * 1024);
    settings.historyLength = std::clamp(
        store.value("chart/historyLength", settings.historyLength).toInt(), 100, 1'000'000);
    return settings;
}

void ViewerSettings::save() const
{
    QSettings store = Store();
    store.setValue("receive/dataPort", dataPort);
    store.setValue("receive/scanPorts", scanPorts);
    store.setValue("receive/interface", QString::fromStdString(interfaceName));
    store.setValue("receive/bufferKiB", receiveBufferKiB);
    store.setValue("chart/historyLength", historyLength);
}

FeedOptions ViewerSettings::feedOptions() const
{
    return {monitor::ListenPorts(dataPort, scanPorts), interfaceName, receiveBufferKiB * 1024};
}

TrafficLimits ViewerSettings::limits() const
{
    TrafficLimits limits;
    limits.historyLength = std::size_t(historyLength);
    return limits;
}

} // namespace viewer
