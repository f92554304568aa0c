#pragma once

#include <QObject>

class QSocketNotifier;

namespace loop {

// SIGINT, SIGTERM and SIGHUP as events of the Qt event loop. The signals are
// blocked and read from a signalfd, so a stop runs between handlers, never
// inside a tick, and may do anything a handler may. A closed terminal or a
// dropped ssh session (SIGHUP) stops a run as SIGTERM does, not halfway
// through a write.
class StopSignals : public QObject {
    Q_OBJECT

public:
    // Blocks the three signals in the calling thread. Call it first in main():
    // threads started later inherit the mask, so no thread takes the default
    // action of ending the process.
    static void Block();

    // A new signalfd for the three signals, for a wait of one's own (poll).
    // Throws runtime::Exception when the system gives none.
    static int OpenFd();

    // Throws runtime::Exception when the system gives no signalfd.
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    void received(int signal);

private:
    void readPending();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace loop
