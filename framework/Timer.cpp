#include "Timer.h"

TTimer::TTimer(QObject* owner, int interval, bool enabled) : QObject(owner)
{
    timer_.setInterval(interval);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        fireNotify(OnTimer, this);
    });
    SetEnabled(enabled);
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled)
        timer_.start();
    else
        timer_.stop();
}
