#pragma once

#include <QObject>

class QSocketNotifier;

namespace loop {

// SIGINT and SIGTERM as events of the Qt event loop. The signals are blocked
// and read from a signalfd, so a stop runs between handlers, never inside a
// tick, and may do anything a handler may.
class StopSignals : public QObject {
    Q_OBJECT

public:
    // Blocks both signals in the calling thread. Call it first in main():
    // threads started later inherit the mask, so no thread takes the default
    // action of ending the process.
    static void Block();

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
