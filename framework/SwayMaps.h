// Tells which X11 window sway has just mapped: what the program asked for a
// window before then found nothing, and is asked again when it is mapped
// (on a loaded machine that can be seconds after the window was shown).
#pragma once

#include "SwaySocket.h"

#include <QObject>
#include <QWindow>
#include <functional>

class QSocketNotifier;

class SwayMaps : public QObject {
public:
    explicit SwayMaps(std::function<void(WId)> mapped);

private:
    void readEvent();

    SwaySocket socket_;
    QSocketNotifier* notifier_ = nullptr;
    std::function<void(WId)> mapped_;
};
