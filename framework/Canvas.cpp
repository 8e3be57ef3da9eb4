#include "Canvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <array>
#include <cmath>
#include <cstring>

namespace {

constexpr int BandHeight = 24;

// Half the width of a rounded box at a vertical distance dy from its centre;
// a and b are its half sizes, rx and ry its corner radii (an ellipse has
// rx = a and ry = b, a rectangle 0 and 0).
double halfExtent(double dy, double a, double b, double rx, double ry)
{
    if (dy > b)
        return -1;
    const double intoCorner = dy - (b - ry);
    if (intoCorner <= 0 || ry <= 0)
        return a;
    const double t = intoCorner / ry;
    return (a - rx) + rx * std::sqrt(qMax(0.0, 1 - t * t));
}

} // namespace

Qt::PenStyle qtPenStyle(TPenStyle style)
{
    switch (style) {
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    case psSolid: break;
    }
    return Qt::SolidLine;
}

Qt::BrushStyle qtBrushStyle(TBrushStyle style)
{
    switch (style) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    case bsSolid: break;
    }
    return Qt::SolidPattern;
}

void TFont::SetHeight(int height)
{
    const int pixels = height < 0 ? -height : height;
    Size = (pixels * 72 + 48) / 96;
}

int TFont::PixelHeight() const { return (Size * 96 + 36) / 72; }

namespace {

// The faces the forms name, by the metric-compatible faces installed here;
// the old dialog face gets a narrow sans so captions fit their places.
void substituteClassicFaces()
{
    static const bool done = [] {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
        return true;
    }();
    Q_UNUSED(done);
}

} // namespace

QFont TFont::toQFont() const
{
    substituteClassicFaces();
    QFont f(Name);
    f.setPixelSize(qMax(1, PixelHeight()));
    f.setBold(Style & fsBold);
    f.setItalic(Style & fsItalic);
    f.setUnderline(Style & fsUnderline);
    f.setStrikeOut(Style & fsStrikeOut);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QRect normalisedBox(int x1, int y1, int x2, int y2)
{
    return QRect(QPoint(qMin(x1, x2), qMin(y1, y2)), QPoint(qMax(x1, x2), qMax(y1, y2)));
}

bool TCanvas::begin(QPainter& painter, bool withBrush) const
{
    if (!target_ || target_->isNull())
        return false;
    painter.begin(target_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Opaque colours cover what is beneath; a hatch leaves its gaps alone.
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withBrush ? QBrush(toQColor(Brush.Color), qtBrushStyle(Brush.Style)) : QBrush(Qt::NoBrush));
    return true;
}

QRect TCanvas::touched(const QRect& figure, int pad) const
{
    return figure.adjusted(-pad, -pad, pad, pad).intersected(target_ ? target_->rect() : QRect());
}

QRect TCanvas::report(const QRect& rect)
{
    if (!rect.isEmpty() && OnChange)
        OnChange(rect);
    return rect;
}

QRegion TCanvas::outlineArea(const QRect& box, int cornerX, int cornerY) const
{
    const QRect all = touched(box, figurePadding());
    if (Brush.Style != bsClear)
        return all;
    if (cornerX == 0 && cornerY == 0)
        return boxOutlineArea(box, all);
    // Every pixel the pen paints lies within pad of the figure's path, so a
    // band of rows is touched only between the path's widest extent over the
    // rows within pad of it and its narrowest extent over the same rows.
    const double pad = curvePadding();
    const double a = box.width() / 2.0, b = box.height() / 2.0;
    const double cx = box.x() + a, cy = box.y() + b;
    std::vector<QRect> bands;
    auto band = [&](const QRect& r) {
        const QRect clipped = r.intersected(all);
        if (!clipped.isEmpty())
            bands.push_back(clipped);
    };
    for (int top = all.top(); top <= all.bottom(); top += BandHeight) {
        const int bottom = qMin(all.bottom(), top + BandHeight - 1);
        const double dTop = std::abs(top - cy), dBottom = std::abs(bottom + 1 - cy);
        const double nearest = (top <= cy && cy <= bottom + 1) ? 0 : qMin(dTop, dBottom);
        const double farthest = qMax(dTop, dBottom);
        const double widest = halfExtent(qMax(0.0, nearest - pad), a, b, cornerX, cornerY);
        if (widest < 0)
            continue;
        const double outer = widest + pad;
        const double inner = farthest + pad < b ? halfExtent(farthest + pad, a, b, cornerX, cornerY) - pad : 0;
        if (inner <= 1) {
            band(QRect(QPoint(int(cx - outer), top), QPoint(int(cx + outer) + 1, bottom)));
        } else {
            band(QRect(QPoint(int(cx - outer), top), QPoint(int(cx - inner) + 1, bottom)));
            band(QRect(QPoint(int(cx + inner) - 1, top), QPoint(int(cx + outer) + 1, bottom)));
        }
    }
    QRegion region;
    if (!bands.empty())
        region.setRects(bands.data(), int(bands.size()));
    return region;
}

QRegion TCanvas::boxOutlineArea(const QRect& box, const QRect& all) const
{
    // The pen runs along the box's last pixels; every pixel it paints lies
    // within half its width of them (one more for the odd pixel), so the
    // area is four strips round the edges.
    const int pad = edgePadding();
    const int l = box.left(), t = box.top(), r = box.right() - 1, b = box.bottom() - 1;
    if (t + pad + 1 > b - pad - 1 || l + pad >= r - pad)
        return all; // the strips would meet: the whole box
    const QRect strips[] = {
        QRect(QPoint(l - pad, t - pad), QPoint(r + pad, t + pad)),
        QRect(QPoint(l - pad, t + pad + 1), QPoint(l + pad, b - pad - 1)),
        QRect(QPoint(r - pad, t + pad + 1), QPoint(r + pad, b - pad - 1)),
        QRect(QPoint(l - pad, b - pad), QPoint(r + pad, b + pad)),
    };
    std::vector<QRect> shown;
    for (const QRect& strip : strips)
        if (const QRect clipped = strip.intersected(all); !clipped.isEmpty())
            shown.push_back(clipped);
    QRegion region;
    if (!shown.empty())
        region.setRects(shown.data(), int(shown.size()));
    return region;
}

QRegion TCanvas::lineArea(QPoint from, QPoint to) const
{
    const int length = qMax(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
    if (length <= 2 * BandHeight)
        return touched(QRect(from, to).normalized(), figurePadding());
    // A long slanting line: one small box per stretch of it.
    const int pieces = (length + BandHeight - 1) / BandHeight;
    QRegion region;
    QPoint start = from;
    for (int i = 1; i <= pieces; ++i) {
        const QPoint end = from + (to - from) * i / pieces;
        region += touched(QRect(start, end).normalized(), figurePadding() + 1);
        start = end;
    }
    return region;
}

namespace {

// Pen and brush marks in the coverage mask; a gap of a styled pen over a
// solid brush is painted in the brush colour.
constexpr quint8 PenMark = 3;
constexpr quint8 BrushMark = 2;
constexpr quint8 GapMark = 1;

// Calls paint with the raster operation of the pen mode, a function of the
// destination and source pixels, so that the pixel loop is compiled once
// per mode rather than choosing the mode at every pixel.
template <typename Paint>
void withRasterOp(TPenMode mode, Paint&& paint)
{
    switch (mode) {
    case pmNot: return paint([](quint32 d, quint32) { return ~d | 0xFF000000u; });
    case pmMask: return paint([](quint32 d, quint32 c) { return (d & c) | 0xFF000000u; });
    case pmNotXor: return paint([](quint32 d, quint32 c) { return ~(c ^ d) | 0xFF000000u; });
    case pmCopy: break;
    }
    paint([](quint32, quint32 c) { return c; });
}

// The classic pattern lengths of the styled pens, on and off in turn.
std::vector<int> dashLengths(TPenStyle style)
{
    switch (style) {
    case psDash: return {18, 6};
    case psDot: return {3, 3};
    case psDashDot: return {9, 6, 3, 6};
    case psDashDotDot: return {9, 3, 3, 3, 3, 3};
    case psSolid:
    case psClear: break;
    }
    return {};
}

// One 8 x 8 tile of a hatch, aligned to the bitmap's origin: true where the
// hatch line is.
std::array<bool, 64> hatchTile(TBrushStyle style)
{
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(Qt::white);
    QPainter painter(&tile);
    painter.fillRect(tile.rect(), QBrush(Qt::black, qtBrushStyle(style)));
    painter.end();
    std::array<bool, 64> bits{};
    for (int i = 0; i < 64; ++i)
        bits[size_t(i)] = tile.pixel(i % 8, i / 8) == qRgb(0, 0, 0);
    return bits;
}

// Most runs in the mask are a few pixels long (the sides of a rubber band,
// a pen's width): eight bytes a store, with no call.
void fillMask(quint8* at, int count, quint8 value)
{
    if (count < 8) {
        for (int i = 0; i < count; ++i)
            at[i] = value;
        return;
    }
    const quint64 eight = 0x0101010101010101ull * value;
    for (int i = 0; i + 8 < count; i += 8)
        memcpy(at + i, &eight, sizeof eight);
    memcpy(at + count - 8, &eight, sizeof eight);
}

} // namespace

bool TCanvas::thinPen() const { return Pen.Width <= 1; }

void TCanvas::mark(int y, int x0, int x1, quint8 value)
{
    // Marks beyond the area are never read; beyond the bounds they have no place.
    if (y < maskBounds_.top() || y > maskBounds_.bottom())
        return;
    x0 = qMax(x0, maskBounds_.left());
    x1 = qMin(x1, maskBounds_.right());
    if (x0 <= x1)
        fillMask(maskRow(y) + x0, x1 - x0 + 1, value);
}

classic::RunSink TCanvas::marker(quint8 value)
{
    return [this, value](int y, int x0, int x1) { mark(y, x0, x1, value); };
}

void TCanvas::markPath(const std::vector<QPoint>& points, bool closed)
{
    if (Pen.Style == psClear)
        return;
    if (!thinPen()) {
        // Wide styled pens draw solid.
        classic::widePath(points, Pen.Width, closed, marker(PenMark));
        return;
    }
    // The pattern runs on from one side to the next; its gaps take the
    // brush colour over a solid brush and are left alone otherwise.
    classic::Dashes dashes(dashLengths(Pen.Style));
    const auto pen = marker(PenMark);
    const auto gap = Brush.Style == bsSolid ? marker(GapMark) : classic::RunSink([](int, int, int) {});
    const size_t n = points.size();
    for (size_t i = 0; i + 1 < n || (closed && i < n); ++i)
        classic::thinLine(points[i], points[(i + 1) % n], dashes, pen, gap);
}

QRect TCanvas::drawFigure(const QRegion& area, const std::function<void()>& markFigure)
{
    if (!target_ || target_->isNull() || area.isEmpty())
        return QRect();
    // The figure is marked in a coverage mask first, so that every pixel is
    // painted once with the pen mode, whatever parts of the figure overlap.
    maskBounds_ = area.boundingRect();
    const size_t size = size_t(maskBounds_.width()) * size_t(maskBounds_.height());
    if (mask_.size() < size)
        mask_.resize(size);
    for (const QRect& r : area)
        for (int y = r.top(); y <= r.bottom(); ++y)
            fillMask(maskRow(y) + r.left(), r.width(), 0);
    markFigure();
    applyRasterOp(area);
    if (OnChange)
        OnChange(area);
    return area.boundingRect();
}

QRect TCanvas::paintRuns(const QRegion& area, const std::function<void(const classic::RunSink&)>& emitRuns,
                         std::initializer_list<QRect> blocks)
{
    if (!target_ || target_->isNull() || area.isEmpty())
        return QRect();
    const QRect bounds = area.boundingRect();
    const quint32 pen = toQColor(Pen.Color).rgb();
    uchar* const targetBits = target_->bits();
    const qsizetype targetStride = target_->bytesPerLine();
    withRasterOp(Pen.Mode, [&](auto rasterOp) {
        const auto paint = [&](int y, int x0, int x1) {
            if (y < bounds.top() || y > bounds.bottom())
                return;
            auto* const pixels = reinterpret_cast<quint32*>(targetBits + y * targetStride);
            for (int x = qMax(x0, bounds.left()), end = qMin(x1, bounds.right()); x <= end; ++x)
                pixels[x] = rasterOp(pixels[x], pen);
        };
        // Whole blocks row by row here, without a call through the sink for each.
        for (const QRect& block : blocks)
            for (int y = block.top(); y <= block.bottom(); ++y)
                paint(y, block.left(), block.right());
        emitRuns(paint);
    });
    if (OnChange)
        OnChange(area);
    return bounds;
}

void TCanvas::applyRasterOp(const QRegion& area)
{
    const quint32 pen = toQColor(Pen.Color).rgb();
    const quint32 brush = toQColor(Brush.Color).rgb();
    const bool hatched = Brush.Style != bsSolid && Brush.Style != bsClear;
    const std::array<bool, 64> hatch = hatched ? hatchTile(Brush.Style) : std::array<bool, 64>{};
    // Row addresses from the start of each bitmap: scanLine() would check
    // the bitmap is not shared on every row.
    uchar* const targetBits = target_->bits();
    const qsizetype targetStride = target_->bytesPerLine();
    withRasterOp(Pen.Mode, [&](auto rasterOp) {
        for (const QRect& r : area) {
            const int left = r.left(), end = r.right() + 1;
            for (int y = r.top(); y <= r.bottom(); ++y) {
                const quint8* const marks = maskRow(y);
                auto* const pixels = reinterpret_cast<quint32*>(targetBits + y * targetStride);
                const bool* const hatchRow = hatch.data() + 8 * (y & 7);
                for (int x = left; x < end;) {
                    // Most of an area is bare: eight unmarked pixels are passed at once.
                    const int stop = qMin(x + 8, end);
                    if (stop - x == 8) {
                        quint64 eight;
                        memcpy(&eight, marks + x, sizeof eight);
                        if (!eight) {
                            x = stop;
                            continue;
                        }
                    }
                    for (; x < stop; ++x) {
                        const quint8 mark = marks[x];
                        if (!mark || (mark == BrushMark && hatched && !hatchRow[x & 7]))
                            continue;
                        pixels[x] = rasterOp(pixels[x], mark == PenMark ? pen : brush);
                    }
                }
            }
        }
    });
}

QRect TCanvas::LineTo(int x, int y)
{
    const QPoint from = PenPos;
    PenPos = QPoint(x, y);
    // A thin pen leaves out the end point, so a line to where it starts
    // paints nothing; a wide pen paints a round dot there.
    if ((from == PenPos && thinPen()) || Pen.Style == psClear)
        return QRect();
    const QPoint to = PenPos;
    return drawFigure(lineArea(from, to), [&] { markPath({from, to}, false); });
}

QRect TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    const QRect box = normalisedBox(x1, y1, x2, y2);
    if (box.width() < 2 || box.height() < 2)
        return QRect();
    // (L, T, R, B) covers L <= x < R and T <= y < B: the pen runs along the
    // box's last pixels, starting at the top right and going anticlockwise.
    const int l = box.left(), t = box.top(), r = box.right() - 1, b = box.bottom() - 1;
    // A wide pen's box gives each pixel in one run of one row, so with no
    // brush nothing overlaps and the runs are painted as they come.
    if (Brush.Style == bsClear && !thinPen() && Pen.Style != psClear) {
        const classic::BoxSides sides = classic::wideBoxSides(l, t, r, b, Pen.Width);
        const int skipTop = sides.left.isEmpty() ? 1 : sides.left.top();
        const int skipBottom = sides.left.isEmpty() ? 0 : sides.left.bottom();
        return paintRuns(outlineArea(box, 0, 0), [&](const classic::RunSink& pen) {
            classic::wideBox(l, t, r, b, Pen.Width, pen, skipTop, skipBottom);
        }, {sides.left, sides.right});
    }
    return drawFigure(outlineArea(box, 0, 0), [&] {
        // Without a pen the brush fills the outline's place too; a thin pen's
        // outline is the pen's alone, so that a styled pen's gaps over a hatch
        // show the picture on every side.
        const int inset = Pen.Style == psClear ? 0 : 1;
        if (Brush.Style != bsClear)
            for (int y = t + inset; y < b; ++y)
                mark(y, l + inset, r - 1, BrushMark);
        if (thinPen() || Pen.Style == psClear)
            markPath({{r, t}, {l, t}, {l, b}, {r, b}}, true);
        else
            classic::wideBox(l, t, r, b, Pen.Width, marker(PenMark));
    });
}

void TCanvas::markRounded(const QRect& box, int cornerWidth, int cornerHeight)
{
    auto rows = [&](const QRect& b) { return classic::roundRectRows(b, cornerWidth, cornerHeight); };
    const bool pen = Pen.Style != psClear, brush = Brush.Style != bsClear;
    if (!pen) {
        // Without a pen the brush fills the outline's place too.
        if (brush)
            for (const classic::EllipseRow& row : rows(box))
                mark(row.y, row.outerLeft, row.outerRight, BrushMark);
        return;
    }
    if (thinPen() && Pen.Style != psSolid) {
        const std::vector<classic::EllipseRow> outline = rows(box);
        for (const classic::EllipseRow& row : outline)
            if (brush)
                mark(row.y, row.innerLeft, row.innerRight, BrushMark);
        classic::Dashes dashes(dashLengths(Pen.Style));
        const bool opaque = Brush.Style == bsSolid;
        classic::walkOutline(outline, [&](int x, int y) {
            if (dashes.next())
                mark(y, x, x, PenMark);
            else if (opaque)
                mark(y, x, x, GapMark);
        });
        return;
    }
    if (thinPen()) {
        for (const classic::EllipseRow& row : rows(box)) {
            if (brush)
                mark(row.y, row.innerLeft, row.innerRight, BrushMark);
            mark(row.y, row.outerLeft, row.innerLeft - 1, PenMark);
            mark(row.y, row.innerRight + 1, row.outerRight, PenMark);
        }
        return;
    }
    // A wide pen follows the thin outline pixel by pixel.
    const std::vector<classic::EllipseRow> outline = rows(box);
    for (const classic::EllipseRow& row : outline)
        if (brush)
            mark(row.y, row.innerLeft, row.innerRight, BrushMark);
    classic::wideOutline(outline, Pen.Width, marker(PenMark));
}

QRect TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    const QRect box = normalisedBox(x1, y1, x2, y2);
    if (box.width() < 2 || box.height() < 2)
        return QRect();
    return drawFigure(outlineArea(box, box.width() / 2, box.height() / 2), [&] { markRounded(box, box.width() - 1, box.height() - 1); });
}

QRect TCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight)
{
    const QRect box = normalisedBox(x1, y1, x2, y2);
    if (box.width() < 2 || box.height() < 2)
        return QRect();
    const int rx = qAbs(cornerWidth) / 2, ry = qAbs(cornerHeight) / 2;
    return drawFigure(outlineArea(box, rx, ry), [&] { markRounded(box, cornerWidth, cornerHeight); });
}

void TCanvas::markPolygonInside(const QPolygon& points)
{
    // The pixels whose centres lie inside, as the painter fills them aliased,
    // marked row by row in runs.
    QImage inside(maskBounds_.size(), QImage::Format_Grayscale8);
    inside.fill(0);
    QPainter painter(&inside);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.translate(-maskBounds_.topLeft());
    painter.drawPolygon(points, Qt::OddEvenFill);
    painter.end();
    for (int row = 0; row < inside.height(); ++row) {
        const uchar* line = inside.constScanLine(row);
        for (int x = 0; x < inside.width();) {
            if (!line[x]) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < inside.width() && line[x])
                ++x;
            mark(maskBounds_.top() + row, maskBounds_.left() + start, maskBounds_.left() + x - 1, BrushMark);
        }
    }
}

QRect TCanvas::Polygon(const QPolygon& points)
{
    if (points.size() < 2)
        return QRect();
    const std::vector<QPoint> corners(points.begin(), points.end());
    return drawFigure(touched(points.boundingRect(), figurePadding()), [&] {
        if (Brush.Style != bsClear)
            markPolygonInside(points);
        markPath(corners, true);
    });
}

QRect TCanvas::FillRect(const QRect& rect)
{
    QPainter painter;
    if (rect.isEmpty() || !begin(painter, true))
        return QRect();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(rect, painter.brush());
    painter.end();
    return report(touched(rect, 0));
}

QSize TCanvas::TextExtent(const QString& text) const
{
    const QFontMetrics metrics(Font.toQFont());
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

QRect TCanvas::TextOut(int x, int y, const QString& text)
{
    QPainter painter;
    if (text.isEmpty() || !begin(painter, false))
        return QRect();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QRect box(QPoint(x, y), TextExtent(text));
    if (Brush.Style == bsSolid)
        painter.fillRect(box, toQColor(Brush.Color));
    painter.setFont(Font.toQFont());
    painter.setPen(toQColor(Font.Color));
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine, text);
    painter.end();
    PenPos = QPoint(x + box.width(), y);
    return report(touched(box.adjusted(-2, 0, 2, 0), 1));
}

QRect TCanvas::Draw(int x, int y, const QImage& image)
{
    QPainter painter;
    if (image.isNull() || !begin(painter, false))
        return QRect();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(x, y), image);
    painter.end();
    return report(touched(QRect(QPoint(x, y), image.size()), 0));
}

QRect TCanvas::CopyRect(const QRect& dest, const QImage& source, const QRect& sourceRect)
{
    QPainter painter;
    if (source.isNull() || dest.isEmpty() || !begin(painter, false))
        return QRect();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(dest, source, sourceRect);
    painter.end();
    return report(touched(dest, 0));
}
