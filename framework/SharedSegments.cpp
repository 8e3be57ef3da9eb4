#include "SharedSegments.h"

#include <utility>

void SegmentReturns::give(const Segment& s)
{
    std::lock_guard<std::mutex> lock(mutex_);
    returned_.push_back(s);
}

std::vector<Segment> SegmentReturns::takeAll()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(returned_, {});
}

SegmentReturns& segmentReturns()
{
    static auto* returns = new SegmentReturns; // images may outlive every other object
    return *returns;
}
