#include "ClassicRaster.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace classic {

bool Dashes::next()
{
    if (solid())
        return true;
    const bool on = part_ % 2 == 0;
    if (++done_ == lengths_[part_]) {
        done_ = 0;
        part_ = (part_ + 1) % lengths_.size();
    }
    return on;
}

namespace {

// floor(n / d) for d > 0.
int floorDiv(long long n, long long d) { return int(n >= 0 ? n / d : -((-n + d - 1) / d)); }

} // namespace

void thinLine(QPoint from, QPoint to, Dashes& dashes, const RunSink& pen, const RunSink& gap)
{
    const int dx = to.x() - from.x(), dy = to.y() - from.y();
    const bool alongX = std::abs(dx) >= std::abs(dy);
    const int steps = alongX ? std::abs(dx) : std::abs(dy);
    const int major = alongX ? dx : dy, minor = alongX ? dy : dx;
    for (int i = 0; i < steps; ++i) {
        // The pixel nearest the ideal line; an exact tie goes to the smaller
        // coordinate: ceil(i * minor / |major| - 1/2).
        const long long twice = 2LL * i * minor - std::abs(major);
        const int off = -floorDiv(-twice, 2LL * std::abs(major));
        const int step = major > 0 ? i : -i;
        const int x = from.x() + (alongX ? step : off), y = from.y() + (alongX ? off : step);
        (dashes.next() ? pen : gap)(y, x, x);
    }
}

namespace {

struct Interval {
    double lo, hi;
    bool empty() const { return lo > hi; }
};

// The x range of row y within distance sqrt(r2) of the segment a-b.
Interval capsuleRow(double y, QPointF a, QPointF b, double r2)
{
    Interval out{1e300, -1e300};
    auto disc = [&](QPointF c) {
        const double h = r2 - (y - c.y()) * (y - c.y());
        if (h > 0) {
            const double s = std::sqrt(h);
            out.lo = std::min(out.lo, c.x() - s);
            out.hi = std::max(out.hi, c.x() + s);
        }
    };
    disc(a);
    disc(b);
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (length == 0)
        return out;
    // The band of the segment: the projection on it within 0..length and
    // the distance across it within r.
    const double ux = d.x() / length, uy = d.y() / length, r = std::sqrt(r2);
    Interval band{-1e300, 1e300};
    auto within = [&](double k, double c, double lo, double hi) {
        // lo < k * x + c < hi
        if (k == 0) {
            if (!(lo < c && c < hi))
                band = {1, 0};
            return;
        }
        double x1 = (lo - c) / k, x2 = (hi - c) / k;
        if (x1 > x2)
            std::swap(x1, x2);
        band.lo = std::max(band.lo, x1);
        band.hi = std::min(band.hi, x2);
    };
    within(ux, (y - a.y()) * uy - a.x() * ux, 0, length);
    within(-uy, (y - a.y()) * ux + a.x() * uy, -r, r);
    if (!band.empty()) {
        out.lo = std::min(out.lo, band.lo);
        out.hi = std::max(out.hi, band.hi);
    }
    return out;
}

} // namespace

void widePath(const std::vector<QPoint>& points, int width, bool closed, const RunSink& sink)
{
    if (points.empty())
        return;
    // A pen of even width lies half a pixel up and left of the path, so that
    // it covers y - w/2 .. y + (w-1)/2; a pixel belongs to it when its centre
    // is nearer the path than sqrt(w*w - 1) / 2.
    const double shift = width % 2 == 0 ? -0.5 : 0;
    const double r2 = (double(width) * width - 1) / 4;
    std::vector<std::pair<QPointF, QPointF>> segments;
    for (size_t i = 0; i + 1 < points.size() || (closed && i < points.size()); ++i) {
        const QPointF a = QPointF(points[i]) + QPointF(shift, shift);
        const QPointF b = QPointF(points[(i + 1) % points.size()]) + QPointF(shift, shift);
        segments.emplace_back(a, b);
    }
    if (segments.empty())
        segments.emplace_back(QPointF(points[0]) + QPointF(shift, shift), QPointF(points[0]) + QPointF(shift, shift));
    int top = INT_MAX, bottom = INT_MIN;
    for (const QPoint& p : points) {
        top = std::min(top, p.y() - width / 2 - 1);
        bottom = std::max(bottom, p.y() + width / 2 + 1);
    }
    std::vector<Interval> row;
    for (int y = top; y <= bottom; ++y) {
        row.clear();
        for (const auto& [a, b] : segments) {
            const Interval i = capsuleRow(y, a, b, r2);
            // Pixel centres strictly inside.
            const Interval px{std::floor(i.lo) + 1, std::ceil(i.hi) - 1};
            if (!i.empty() && !px.empty())
                row.push_back(px);
        }
        std::sort(row.begin(), row.end(), [](const Interval& l, const Interval& r) { return l.lo < r.lo; });
        for (size_t i = 0; i < row.size();) {
            Interval run = row[i++];
            while (i < row.size() && row[i].lo <= run.hi + 1)
                run.hi = std::max(run.hi, row[i++].hi);
            sink(y, int(run.lo), int(run.hi));
        }
    }
}

} // namespace classic
