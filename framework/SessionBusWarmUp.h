// Connects to the session bus on a thread of its own while the application
// connects to the display: the accessibility bridge, which the bar's first
// caption starts, then finds the connection made instead of waiting for it
// (and, without a bus address, for the bus launcher) on the way to the map.
#pragma once

#include <thread>

class SessionBusWarmUp {
public:
    SessionBusWarmUp();
    ~SessionBusWarmUp();
    SessionBusWarmUp(const SessionBusWarmUp&) = delete;
    SessionBusWarmUp& operator=(const SessionBusWarmUp&) = delete;

private:
    std::thread connector_;
};
