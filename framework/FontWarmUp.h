// Reads the font configuration and its caches on a thread of its own, at
// idle priority: on a free core it is ready by the first text measured, and
// on a busy machine it takes no time from the start-up on the way to the
// first window.
#pragma once

#include <atomic>
#include <thread>

class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;
    // Returns once the configuration is loaded: by the thread, or here when
    // the thread has not got to it yet.
    void Wait();

private:
    std::atomic<bool> loaded_{false};
    std::thread loader_;
};
