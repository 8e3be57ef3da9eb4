// Runs OnTimer every interval while enabled.
#pragma once

#include "ControlEvents.h"

#include <QObject>
#include <QTimer>

class TTimer : public QObject {
public:
    TTimer(QObject* owner, int interval, bool enabled);
    TNotifyEvent OnTimer;
    bool Enabled() const { return timer_.isActive(); }
    void SetEnabled(bool enabled);
    int Interval() const { return timer_.interval(); }

private:
    QTimer timer_;
};
