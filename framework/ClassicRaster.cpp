#include "ClassicRaster.h"

#include <algorithm>
#include <array>
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

// The columns lo..hi of one row.
struct Interval {
    int lo, hi;
    bool empty() const { return lo > hi; }
    void add(const Interval& o)
    {
        lo = std::min(lo, o.lo);
        hi = std::max(hi, o.hi);
    }
};

constexpr Interval None{INT_MAX, INT_MIN + 1};

// The body of a wide segment: a parallelogram whose long sides are the
// segment moved by whole pixels to either side, the near side by half the
// pen's width rounded, the far side a whole width, rounded away from the
// path, beyond it. Measured on the classic pixels, it is always built from
// the upper end (the left one when level), and holds the pixel centres on
// its left and upper edges but not those on its right and lower ones.
class Body {
public:
    Body(QPoint a, QPoint b, int width)
    {
        if (b.y() < a.y() || (b.y() == a.y() && b.x() < a.x()))
            std::swap(a, b);
        corners_.fill(a);
        if (a == b)
            return;
        const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
        const double px = (b.y() - a.y()) / length, py = (a.x() - b.x()) / length;
        constexpr double Slack = 1e-9; // so that exact values are not rounded up
        auto nearest = [](double v) { return int(std::floor(v + 0.5 + Slack)); };
        auto away = [](double v) { return int(std::copysign(std::ceil(std::abs(v) - Slack), v)); };
        const QPoint near(nearest(-px * width / 2), nearest(-py * width / 2));
        const QPoint far = near + QPoint(away(px * width), away(py * width));
        corners_ = {a + near, b + near, b + far, a + far};
    }

    Interval row(int y) const
    {
        Interval run = None;
        for (size_t i = 0; i < corners_.size(); ++i) {
            QPoint p = corners_[i], q = corners_[(i + 1) % corners_.size()];
            if (p.y() > q.y())
                std::swap(p, q);
            if (y < p.y() || y >= q.y())
                continue;
            // The first pixel centre at or right of the edge.
            const long long dy = q.y() - p.y();
            const int x = p.x() - floorDiv(-(long long)(y - p.y()) * (q.x() - p.x()), dy);
            run.add({x, x});
        }
        // A row through a corner alone has no pixel in it.
        return run.empty() || run.hi - 1 < run.lo ? None : Interval{run.lo, run.hi - 1};
    }

private:
    std::array<QPoint, 4> corners_;
};

struct Piece {
    int y;
    Interval x;
};

// Hands out the union of the pieces, row by row, as separate runs.
void merge(std::vector<Piece>& pieces, const RunSink& sink)
{
    std::sort(pieces.begin(), pieces.end(),
              [](const Piece& l, const Piece& r) { return l.y != r.y ? l.y < r.y : l.x.lo < r.x.lo; });
    for (size_t i = 0; i < pieces.size();) {
        const int y = pieces[i].y;
        Interval run = pieces[i++].x;
        while (i < pieces.size() && pieces[i].y == y && pieces[i].x.lo <= run.hi + 1)
            run.hi = std::max(run.hi, pieces[i++].x.hi);
        sink(y, run.lo, run.hi);
    }
}

} // namespace

// The rows of a round dot of a pen's width on pixel 0, 0: the ellipse on
// the w x w box, which covers -w/2 .. (w-1)/2.
struct Dot {
    int top;
    std::vector<Interval> rows;

    // The dot's pixels in row y when it sits on c.
    Interval at(QPoint c, int y) const
    {
        const int d = y - c.y() - top;
        return d >= 0 && d < int(rows.size()) ? Interval{c.x() + rows[size_t(d)].lo, c.x() + rows[size_t(d)].hi}
                                              : None;
    }
};

Dot dot(int width)
{
    const int top = -(width / 2);
    Dot d{top, {}};
    for (const EllipseRow& row : ellipseRows(QRect(QPoint(top, top), QPoint(top + width, top + width))))
        d.rows.push_back({row.outerLeft, row.outerRight});
    return d;
}

void widePath(const std::vector<QPoint>& points, int width, bool closed, const RunSink& sink)
{
    if (points.empty())
        return;
    // Each segment's body, with a round dot on each point; a level pen
    // covers y - w/2 .. y + (w-1)/2 across its path.
    const Dot round = dot(width);
    const int reach = width / 2 + 2; // the far side may round out by one more
    const size_t n = points.size();
    // Each segment with its two round ends is convex: one run a row.
    std::vector<Piece> pieces;
    const size_t segments = n == 1 ? 1 : (closed ? n : n - 1);
    for (size_t i = 0; i < segments; ++i) {
        const QPoint a = points[i], b = points[(i + 1) % n];
        const Body body(a, b, width);
        for (int y = std::min(a.y(), b.y()) - reach; y <= std::max(a.y(), b.y()) + reach; ++y) {
            Interval part = round.at(a, y);
            part.add(round.at(b, y));
            part.add(body.row(y));
            if (!part.empty())
                pieces.push_back({y, part});
        }
    }
    if (segments == 1) { // already in order
        for (const Piece& p : pieces)
            sink(p.y, p.x.lo, p.x.hi);
        return;
    }
    merge(pieces, sink);
}

BoxSides wideBoxSides(int l, int t, int r, int b, int width)
{
    const Dot round = dot(width);
    const int lo = -(width / 2), hi = (width - 1) / 2;
    // Below the top corners' dots and the top edge, above the bottom ones.
    const int top = std::max({t, t + hi + 1, t + round.top + int(round.rows.size())});
    const int bottom = std::min({b - 1, b + lo - 1, b + round.top - 1});
    if (top > bottom || r + lo <= l + hi + 1)
        return {};
    return {QRect(QPoint(l + lo, top), QPoint(l + hi, bottom)), QRect(QPoint(r + lo, top), QPoint(r + hi, bottom))};
}

void wideBox(int l, int t, int r, int b, int width, const RunSink& sink, int skipTop, int skipBottom)
{
    const Dot round = dot(width);
    const int lo = -(width / 2), hi = (width - 1) / 2;
    for (int y = t + lo; y <= b + hi; ++y) {
        if (y == skipTop)
            y = skipBottom + 1;
        Interval parts[8];
        int n = 0;
        for (const QPoint c : {QPoint(l, t), QPoint(r, t), QPoint(l, b), QPoint(r, b)})
            if (const Interval corner = round.at(c, y); !corner.empty())
                parts[n++] = corner;
        if ((y >= t + lo && y <= t + hi) || (y >= b + lo && y <= b + hi))
            parts[n++] = {l, r};
        if (y >= t && y < b) {
            parts[n++] = {l + lo, l + hi};
            parts[n++] = {r + lo, r + hi};
        }
        for (int i = 1; i < n; ++i) // a handful: sorted in place
            for (int j = i; j > 0 && parts[j].lo < parts[j - 1].lo; --j)
                std::swap(parts[j], parts[j - 1]);
        for (int i = 0; i < n;) {
            Interval run = parts[i++];
            while (i < n && parts[i].lo <= run.hi + 1)
                run.hi = std::max(run.hi, parts[i++].hi);
            sink(y, run.lo, run.hi);
        }
    }
}

// Visits the outline a run of one row at a time, in the order walkOutline
// gives: visit(y, from, to) from one end of the run to the other.
template <typename Visit>
void walkRuns(const std::vector<EllipseRow>& rows, Visit&& visit)
{
    if (rows.empty())
        return;
    auto across = [](const EllipseRow& e) { return e.innerLeft > e.innerRight; };
    const int middle = int(rows.size() - 1) / 2, last = int(rows.size()) - 1;
    for (int i = middle; i >= 0; --i) { // up the right side, leftwards along the top
        const EllipseRow& e = rows[size_t(i)];
        visit(e.y, e.outerRight, across(e) ? e.outerLeft : e.innerRight + 1);
    }
    for (int i = 0; i <= middle; ++i) // down the left side
        if (!across(rows[size_t(i)]))
            visit(rows[size_t(i)].y, rows[size_t(i)].innerLeft - 1, rows[size_t(i)].outerLeft);
    for (int i = middle + 1; i <= last; ++i) { // on down, rightwards along the bottom
        const EllipseRow& e = rows[size_t(i)];
        visit(e.y, e.outerLeft, across(e) ? e.outerRight : e.innerLeft - 1);
    }
    for (int i = last; i > middle; --i) // and up the right side to the start
        if (!across(rows[size_t(i)]))
            visit(rows[size_t(i)].y, rows[size_t(i)].innerRight + 1, rows[size_t(i)].outerRight);
}

namespace {

// What a wide pen covers round a thin outline, row by row from `top`: a run
// along the left side and one along the right.
struct OutlineSides {
    int top;
    std::vector<Interval> left, right;
};

// A round dot on every pixel of the outline. The outline is one connected
// curve on each side, so the dots of each side's pixels join into one run.
void addDots(const std::vector<EllipseRow>& rows, const Dot& round, OutlineSides& sides)
{
    const int size = int(round.rows.size());
    for (int i = 0; i <= rows.back().y - rows.front().y; ++i) {
        const EllipseRow& e = rows[size_t(i)];
        const bool across = e.innerLeft > e.innerRight;
        for (int d = 0; d < size; ++d) {
            const Interval& dotRow = round.rows[size_t(d)];
            const size_t y = size_t(e.y + round.top + d - sides.top);
            sides.left[y].add({e.outerLeft + dotRow.lo, (across ? e.outerRight : e.innerLeft - 1) + dotRow.hi});
            if (!across)
                sides.right[y].add({e.innerRight + 1 + dotRow.lo, e.outerRight + dotRow.hi});
        }
    }
}

// The body of a wide segment on one diagonal step from 0, 0 to `to`, row by
// row from the upper pixel (offset by -top), leaving out the rows the dot of
// either end already covers.
std::vector<Piece> diagonalBody(QPoint to, int width, const Dot& round, int reach, int top)
{
    const Body body(QPoint(0, 0), to, width);
    auto inside = [](const Interval& r, const Interval& d) { return !d.empty() && d.lo <= r.lo && r.hi <= d.hi; };
    std::vector<Piece> pieces;
    for (int dy = -reach; dy <= reach; ++dy)
        if (const Interval r = body.row(dy); !r.empty() && !inside(r, round.at({0, 0}, dy)) && !inside(r, round.at(to, dy)))
            pieces.push_back({dy - top, r});
    return pieces;
}

// A wide segment's body on every diagonal step of the walk round the
// outline; a level or upright step adds nothing to the dots.
void addDiagonalSteps(const std::vector<EllipseRow>& rows, int width, const Dot& round, int reach,
                      OutlineSides& sides)
{
    const std::vector<Piece> downRight = diagonalBody(QPoint(1, 1), width, round, reach, sides.top);
    const std::vector<Piece> downLeft = diagonalBody(QPoint(-1, 1), width, round, reach, sides.top);
    const int middle = (rows.front().outerLeft + rows.front().outerRight) / 2;
    auto step = [&](QPoint from, QPoint to) {
        if (std::abs(to.x() - from.x()) != 1 || std::abs(to.y() - from.y()) != 1)
            return;
        const QPoint upper = from.y() < to.y() ? from : to, lower = from.y() < to.y() ? to : from;
        std::vector<Interval>& side = upper.x() <= middle ? sides.left : sides.right;
        for (const Piece& p : lower.x() > upper.x() ? downRight : downLeft)
            side[size_t(upper.y() + p.y)].add({upper.x() + p.x.lo, upper.x() + p.x.hi});
    };
    // Within a run the steps are level: only the joins between runs count.
    // The path closes on its first run; a middle row shared by the upper and
    // lower halves is walked again from its inner end.
    QPoint previous, start, startInner;
    bool started = false;
    walkRuns(rows, [&](int y, int from, int to) {
        if (started) {
            step(previous, QPoint(from, y));
        } else {
            start = QPoint(from, y);
            startInner = QPoint(to, y);
        }
        previous = QPoint(to, y);
        started = true;
    });
    step(previous, rows.size() % 2 ? startInner : start);
}

// Each row's runs, the two sides as one where they meet.
void handOut(OutlineSides& sides, const RunSink& sink)
{
    for (size_t i = 0; i < sides.left.size(); ++i) {
        const int y = sides.top + int(i);
        Interval &left = sides.left[i], &right = sides.right[i];
        if (!right.empty() && right.lo <= left.hi + 1) {
            left.add(right);
            right = None;
        }
        if (!left.empty())
            sink(y, left.lo, left.hi);
        if (!right.empty())
            sink(y, right.lo, right.hi);
    }
}

} // namespace

void wideOutline(const std::vector<EllipseRow>& rows, int width, const RunSink& sink)
{
    if (rows.empty())
        return;
    // The pen walks the thin outline as a closed path through each of its
    // pixels: a round dot on every pixel, and a wide segment's body on every
    // diagonal step.
    const Dot round = dot(width);
    const int reach = width / 2 + 2;
    const size_t span = size_t(rows.back().y - rows.front().y + 1 + 2 * reach);
    OutlineSides sides{rows.front().y - reach, std::vector<Interval>(span, None), std::vector<Interval>(span, None)};
    addDots(rows, round, sides);
    addDiagonalSteps(rows, width, round, reach, sides);
    handOut(sides, sink);
}

namespace {

// The offset of an ellipse's curve squared, v^2, at offset t across.
double alongSquared(double t, double radius, double other)
{
    return radius <= 0 ? 0.0 : std::max(0.0, other * other - t * t * (other * other) / (radius * radius));
}

// Between the offsets t0 <= v < t1 either side of the curve, t1 gives the
// smaller |F| when v^2 > (t0^2 + t1^2) / 2. (v - base > -1, so truncation
// floors it.)
int nearestOffset(double vSquared, double base)
{
    const int below = int(std::sqrt(vSquared) - base);
    const double t0 = base + below, t1 = t0 + 1;
    return vSquared > (t0 * t0 + t1 * t1) / 2 ? below + 1 : below;
}

} // namespace

std::vector<EllipseRow> ellipseRows(const QRect& box)
{
    // In one quarter, the outline takes in each column and in each row the
    // pixel where (x/a)^2 + (y/b)^2 - 1 is nearest zero (of the two either
    // side of the curve; an exact tie goes to the centre); mirrored into the
    // other quarters, and filled between. On flat curves this differs from
    // the pixel nearest the curve.
    const int w = box.width() - 1, h = box.height() - 1; // the box holds R and B
    const double a = (w - 1) / 2.0, b = (h - 1) / 2.0;
    const double baseX = w % 2 ? 0 : 0.5, baseY = h % 2 ? 0 : 0.5;
    const int columns = int(a - baseX) + 1, rows = int(b - baseY) + 1;
    std::vector<int> lo(size_t(rows), columns), hi(size_t(rows), -1);
    auto plot = [&](int k, int j) {
        lo[size_t(j)] = std::min(lo[size_t(j)], k);
        hi[size_t(j)] = std::max(hi[size_t(j)], k);
    };
    for (int k = 0; k < columns; ++k)
        plot(k, std::min(rows - 1, nearestOffset(alongSquared(baseX + k, a, b), baseY)));
    for (int j = 0; j < rows; ++j)
        plot(std::min(columns - 1, nearestOffset(alongSquared(baseY + j, b, a), baseX)), j);
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
    walkRuns(rows, [&](int y, int from, int to) {
        for (int x = from, step = to < from ? -1 : 1; x != to + step; x += step)
            visit(x, y);
    });
}

} // namespace classic
