// Shared memory segments attached to the X server, which a grab is written
// into. The images made from one hand it back when the last of them goes,
// and the next grab of the same size takes it again: a new segment costs
// more in page faults, on both sides, than the grab itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

struct Segment {
    void* memory = nullptr;
    size_t bytes = 0;
    uint32_t id = 0; // the server's name for it
};

// Images go on any thread; the grabber takes the segments back on its own.
class SegmentReturns {
public:
    void give(const Segment& s);
    std::vector<Segment> takeAll();

private:
    std::mutex mutex_;
    std::vector<Segment> returned_;
};

// The one place segments come back to; it outlives every other object, as
// images may.
SegmentReturns& segmentReturns();
