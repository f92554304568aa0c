#pragma once

#include "node/TimerService.h"

#include <QObject>

// The node's timer on the Qt event loop: one precise single-shot system timer
// per armed deadline. Timer events are dispatched by every running loop,
// modal dialogs' loops included, so ticks keep coming while a dialog is open.
class QtTimerService : public QObject, public node::TimerService {
    Q_OBJECT

public:
    explicit QtTimerService(QObject* parent = nullptr);
    ~QtTimerService() override;

    std::chrono::steady_clock::time_point now() const override;
    bool arm(std::chrono::steady_clock::time_point deadline, std::function<void()> fire) override;
    void disarm() override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    int timerId_ = 0;
    std::function<void()> fire_;
};
