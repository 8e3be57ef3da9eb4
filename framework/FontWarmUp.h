// Reads the font configuration and its caches on a thread of its own while
// the application connects to the display: the first text measured then
// finds it ready instead of paying for it on the way to the first window.
#pragma once

#include <thread>

class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp() { Wait(); }
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;
    // Returns once the configuration is loaded.
    void Wait();

private:
    std::thread loader_;
};
