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
    void add(const Interval& o)
    {
        lo = std::min(lo, o.lo);
        hi = std::max(hi, o.hi);
    }
};

constexpr Interval None{1e300, -1e300};

// The pixels of row y inside the band of half width r along a-b; a centre on
// the band's left or top edge is in, on its right or bottom edge out.
Interval bandRow(int y, QPointF a, QPointF b, double r)
{
    constexpr double Bias = 1e-7;
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (length == 0)
        return None;
    const double ux = d.x() / length, uy = d.y() / length, row = y + 2 * Bias - a.y();
    Interval band{-1e300, 1e300};
    // lo < k * x + c < hi, for x measured from a.
    auto within = [&](double k, double c, double lo, double hi) {
        if (k == 0) {
            if (!(lo < c && c < hi))
                band = None;
            return;
        }
        double x1 = (lo - c) / k, x2 = (hi - c) / k;
        if (x1 > x2)
            std::swap(x1, x2);
        band.lo = std::max(band.lo, x1);
        band.hi = std::min(band.hi, x2);
    };
    within(ux, row * uy, 0, length);
    within(-uy, row * ux, -r, r);
    if (band.empty())
        return None;
    const double lo = a.x() + band.lo - Bias, hi = a.x() + band.hi - Bias;
    return {std::floor(lo) + 1, std::ceil(hi) - 1};
}

// Hands out the union of a row's pixel intervals as separate runs.
void mergeRow(std::vector<Interval>& row, int y, const RunSink& sink)
{
    std::sort(row.begin(), row.end(), [](const Interval& l, const Interval& r) { return l.lo < r.lo; });
    for (size_t i = 0; i < row.size();) {
        Interval run = row[i++];
        while (i < row.size() && row[i].lo <= run.hi + 1)
            run.hi = std::max(run.hi, row[i++].hi);
        if (!run.empty())
            sink(y, int(run.lo), int(run.hi));
    }
}

} // namespace

// The rows of a round dot of a pen's width on pixel 0, 0: the ellipse on
// the w x w box, which covers -w/2 .. (w-1)/2.
struct Dot {
    int top;
    std::vector<Interval> rows;
};

Dot dot(int width)
{
    const int top = -(width / 2);
    Dot d{top, {}};
    for (const EllipseRow& row : ellipseRows(QRect(QPoint(top, top), QPoint(top + width, top + width))))
        d.rows.push_back({double(row.outerLeft), double(row.outerRight)});
    return d;
}

void widePath(const std::vector<QPoint>& points, int width, bool closed, const RunSink& sink)
{
    if (points.empty())
        return;
    // A pen covers y - w/2 .. y + (w-1)/2 across its path: its sides lie half
    // the width off the path, with a round dot on each point.
    const Dot round = dot(width);
    const int reach = width / 2 + 1;
    const size_t n = points.size();
    int top = INT_MAX, bottom = INT_MIN;
    for (const QPoint& p : points) {
        top = std::min(top, p.y() - reach);
        bottom = std::max(bottom, p.y() + reach);
    }
    // Each row collects the parts of the segments within reach of it.
    std::vector<std::vector<Interval>> rows(size_t(bottom - top + 1));
    for (size_t i = 0; i < n; ++i) {
        const QPoint a = points[i];
        const bool segment = i + 1 < n || (closed && n > 1);
        const QPoint b = segment ? points[(i + 1) % n] : a;
        for (int y = std::min(a.y(), b.y()) - reach; y <= std::max(a.y(), b.y()) + reach; ++y) {
            const int d = y - a.y() - round.top;
            Interval part = d >= 0 && d < int(round.rows.size())
                                ? Interval{a.x() + round.rows[size_t(d)].lo, a.x() + round.rows[size_t(d)].hi}
                                : None;
            if (segment)
                part.add(bandRow(y, a, b, width / 2.0));
            if (!part.empty())
                rows[size_t(y - top)].push_back(part);
        }
    }
    for (size_t i = 0; i < rows.size(); ++i)
        mergeRow(rows[i], top + int(i), sink);
}

std::vector<EllipseRow> ellipseRows(const QRect& box)
{
    // In one quarter, the outline is the pixel nearest the curve in each
    // column and in each row (an exact tie goes to the centre); mirrored
    // into the other quarters, and filled between.
    const int w = box.width() - 1, h = box.height() - 1; // the box holds R and B
    const double a = (w - 1) / 2.0, b = (h - 1) / 2.0;
    const double baseX = w % 2 ? 0 : 0.5, baseY = h % 2 ? 0 : 0.5;
    const int columns = int(a - baseX) + 1, rows = int(b - baseY) + 1;
    auto nearest = [](double v, double base) { return std::max(0, int(std::ceil(v - base - 0.5))); };
    auto along = [](double t, double radius, double other) {
        return radius <= 0 ? 0.0 : other * std::sqrt(std::max(0.0, 1 - (t / radius) * (t / radius)));
    };
    std::vector<int> lo(size_t(rows), columns), hi(size_t(rows), -1);
    auto plot = [&](int k, int j) {
        lo[size_t(j)] = std::min(lo[size_t(j)], k);
        hi[size_t(j)] = std::max(hi[size_t(j)], k);
    };
    for (int k = 0; k < columns; ++k)
        plot(k, std::min(rows - 1, nearest(along(baseX + k, a, b), baseY)));
    for (int j = 0; j < rows; ++j)
        plot(std::min(columns - 1, nearest(along(baseY + j, b, a), baseX)), j);
    // Quarter offsets to pixels: column k lies at centreX +- (baseX + k).
    const int leftOfCentre = box.left() + (w - 1) / 2, rightOfCentre = box.left() + w / 2;
    const int aboveCentre = box.top() + (h - 1) / 2, belowCentre = box.top() + h / 2;
    std::vector<EllipseRow> out;
    out.reserve(size_t(2 * rows));
    auto addRow = [&](int y, int j) {
        out.push_back({y, leftOfCentre - hi[size_t(j)], leftOfCentre - lo[size_t(j)] + 1,
                       rightOfCentre + lo[size_t(j)] - 1, rightOfCentre + hi[size_t(j)]});
    };
    for (int j = rows - 1; j >= 0; --j)
        addRow(aboveCentre - j, j);
    for (int j = (h % 2 ? 1 : 0); j < rows; ++j)
        addRow(belowCentre + j, j);
    return out;
}

std::vector<EllipseRow> roundRectRows(const QRect& box, int cornerWidth, int cornerHeight)
{
    const int w = box.width() - 1, h = box.height() - 1;
    const int cw = std::min(std::abs(cornerWidth), w), ch = std::min(std::abs(cornerHeight), h);
    if (cw < 2 || ch < 2) {
        std::vector<EllipseRow> rows;
        for (int y = box.top(); y < box.top() + h; ++y) {
            const bool edge = y == box.top() || y == box.top() + h - 1;
            rows.push_back({y, box.left(), edge ? box.left() + w : box.left() + 1,
                            edge ? box.left() - 1 : box.left() + w - 2, box.left() + w - 1});
        }
        return rows;
    }
    const std::vector<EllipseRow> corner = ellipseRows(QRect(0, 0, cw + 1, ch + 1));
    const int l = box.left(), t = box.top(), r = box.left() + w, b = box.top() + h;
    std::vector<EllipseRow> rows;
    auto fromCorner = [&](int y, const EllipseRow& e) {
        const int right = r - cw + e.outerRight;
        if (e.innerLeft > e.innerRight) // a row of the outline all across
            rows.push_back({y, l + e.outerLeft, right + 1, right, right});
        else
            rows.push_back({y, l + e.outerLeft, l + e.innerLeft, r - cw + e.innerRight, r - cw + e.outerRight});
    };
    for (int y = t; y <= t + (ch - 1) / 2; ++y)
        fromCorner(y, corner[size_t(y - t)]);
    for (int y = t + (ch - 1) / 2 + 1; y < b - ch + ch / 2; ++y)
        rows.push_back({y, l, l + 1, r - 2, r - 1});
    for (int y = std::max(b - ch + ch / 2, t + (ch - 1) / 2 + 1); y < b; ++y)
        fromCorner(y, corner[size_t(y - (b - ch))]);
    return rows;
}

void walkOutline(const std::vector<EllipseRow>& rows, const std::function<void(int x, int y)>& visit)
{
    if (rows.empty())
        return;
    auto across = [](const EllipseRow& e) { return e.innerLeft > e.innerRight; };
    auto leftward = [&](int y, int from, int to) {
        for (int x = from; x >= to; --x)
            visit(x, y);
    };
    auto rightward = [&](int y, int from, int to) {
        for (int x = from; x <= to; ++x)
            visit(x, y);
    };
    const int middle = int(rows.size() - 1) / 2, last = int(rows.size()) - 1;
    for (int i = middle; i >= 0; --i) { // up the right side, leftwards along the top
        const EllipseRow& e = rows[size_t(i)];
        leftward(e.y, e.outerRight, across(e) ? e.outerLeft : e.innerRight + 1);
    }
    for (int i = 0; i <= middle; ++i) // down the left side
        if (!across(rows[size_t(i)]))
            leftward(rows[size_t(i)].y, rows[size_t(i)].innerLeft - 1, rows[size_t(i)].outerLeft);
    for (int i = middle + 1; i <= last; ++i) { // on down, rightwards along the bottom
        const EllipseRow& e = rows[size_t(i)];
        rightward(e.y, e.outerLeft, across(e) ? e.outerRight : e.innerLeft - 1);
    }
    for (int i = last; i > middle; --i) // and up the right side to the start
        if (!across(rows[size_t(i)]))
            rightward(rows[size_t(i)].y, rows[size_t(i)].innerRight + 1, rows[size_t(i)].outerRight);
}

} // namespace classic
