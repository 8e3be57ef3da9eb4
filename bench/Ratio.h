// Prints how many times faster one way of doing a job is than another,
// timed in the same run on the same machine.
#pragma once

#include <QElapsedTimer>
#include <cstdio>

template <class Slow, class Fast>
void printRatio(const char* what, Slow slow, Fast fast, int rounds)
{
    auto timed = [rounds](auto job) {
        job(); // warm up
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < rounds; ++i)
            job();
        return double(clock.nsecsElapsed()) / rounds / 1000.0;
    };
    const double slowUs = timed(slow), fastUs = timed(fast);
    std::printf("%s: %.1f us against %.1f us, %.1f times faster\n", what, fastUs, slowUs, slowUs / fastUs);
}
