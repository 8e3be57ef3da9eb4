// Draws the default stamp, a blue three-dimensional arrow pointing right, and
// writes it as a 375x276 bitmap with an 8-bit colour table. White is the
// stamp's transparent colour, so it appears only as background: the arrow is
// given a hard silhouette and no arrow pixel may map to pure white.
//
//   make_arrow [output.bmp]     (default: 3dArrow-rt.bmp)

#include <QColor>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <map>
#include <vector>

namespace {

constexpr int Width = 375;
constexpr int Height = 276;
constexpr int Margin = 12; // white all round, checked after writing
constexpr QRgb White = 0xFFFFFFFF;

// How far the arrow's thickness shows, down and to the right of the top face.
const QPointF Depth(16, 22);

// Where the light comes from: up and to the left for the top face; the sides
// catch it from the right, so the head's slope stands apart from the
// shaft's underside.
const QPointF Light(-0.45, -0.89);
const QPointF SideLight(1, 0);

// Clockwise on screen, starting at the top of the tail.
QPolygonF topFace()
{
    return QPolygonF({{18, 90}, {200, 90}, {200, 20}, {342, 126}, {200, 232}, {200, 162}, {18, 162}});
}

// Outward normal of the edge a->b on a clockwise polygon, of unit length.
QPointF outwardNormal(const QPointF& a, const QPointF& b)
{
    const QPointF e = b - a;
    const qreal length = qSqrt(e.x() * e.x() + e.y() * e.y());
    return QPointF(e.y() / length, -e.x() / length);
}

qreal dot(const QPointF& a, const QPointF& b) { return a.x() * b.x() + a.y() * b.y(); }

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

const QColor Outline(0, 18, 70);

// The faces along the edges that turn towards the viewer's side of the depth.
void drawSides(QPainter& p, const QPolygonF& face)
{
    const QColor shadow(0, 15, 70);
    const QColor lit(40, 100, 215);
    for (int i = 0; i < face.size(); ++i) {
        const QPointF a = face[i];
        const QPointF b = face[(i + 1) % face.size()];
        const QPointF n = outwardNormal(a, b);
        if (dot(n, Depth) <= 0)
            continue;
        const QColor base = mix(shadow, lit, (dot(n, SideLight) + 1) / 2);
        // Slightly darker further from the top face.
        QLinearGradient shade(a, a + Depth);
        shade.setColorAt(0, base.lighter(115));
        shade.setColorAt(1, base.darker(125));
        p.setPen(QPen(Outline, 2, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        p.setBrush(shade);
        p.drawPolygon(QPolygonF({a, b, b + Depth, a + Depth}));
    }
}

void drawTopFace(QPainter& p, const QPolygonF& face)
{
    const QRectF box = face.boundingRect();
    QLinearGradient shade(box.topLeft(), box.bottomRight());
    shade.setColorAt(0, QColor(150, 195, 255));
    shade.setColorAt(0.55, QColor(70, 130, 240));
    shade.setColorAt(1, QColor(35, 85, 215));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPolygon(face);
}

// A soft sheen just inside the edges that face the light.
void drawBevel(QPainter& p, const QPolygonF& face)
{
    QPainterPath clip;
    clip.addPolygon(face);
    p.save();
    p.setClipPath(clip);
    for (int i = 0; i < face.size(); ++i) {
        const QPointF a = face[i];
        const QPointF b = face[(i + 1) % face.size()];
        const QPointF n = outwardNormal(a, b);
        if (dot(n, Light) <= 0.2)
            continue;
        const QPointF inset = -n * 3.5;
        p.setPen(QPen(QColor(225, 240, 255, 170), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a + inset, b + inset);
    }
    p.restore();
    p.setPen(QPen(Outline, 2, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(face);
}

QImage drawArrow()
{
    QImage art(Width, Height, QImage::Format_ARGB32);
    art.fill(Qt::transparent);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);
    const QPolygonF face = topFace();
    drawSides(p, face);
    drawTopFace(p, face);
    drawBevel(p, face);
    return art;
}

// Pixels half or more covered become solid arrow, the rest white, so the
// stamp has no pale fringe where white would have blended in.
QImage onWhite(const QImage& art)
{
    QImage out(art.size(), QImage::Format_RGB32);
    for (int y = 0; y < art.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(art.constScanLine(y));
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < art.width(); ++x)
            line[x] = qAlpha(in[x]) >= 128 ? (in[x] | 0xFF000000) : White;
    }
    return out;
}

// ---- Colour reduction: median cut over the arrow's colours.

struct Entry {
    QRgb colour;
    int count;
};

int channel(QRgb c, int which) { return which == 0 ? qRed(c) : which == 1 ? qGreen(c) : qBlue(c); }

int widestChannel(const std::vector<Entry>& box, int* range)
{
    int best = 0;
    *range = -1;
    for (int which = 0; which < 3; ++which) {
        int lo = 255, hi = 0;
        for (const Entry& e : box) {
            lo = std::min(lo, channel(e.colour, which));
            hi = std::max(hi, channel(e.colour, which));
        }
        if (hi - lo > *range)
            *range = hi - lo, best = which;
    }
    return best;
}

// Splits the box with the widest spread at its weighted median.
bool splitWidest(std::vector<std::vector<Entry>>& boxes)
{
    int chosen = -1, chosenRange = 0, chosenChannel = 0;
    for (int i = 0; i < int(boxes.size()); ++i) {
        int range;
        const int which = widestChannel(boxes[i], &range);
        if (boxes[i].size() > 1 && range > chosenRange)
            chosen = i, chosenRange = range, chosenChannel = which;
    }
    if (chosen < 0)
        return false;
    std::vector<Entry>& box = boxes[chosen];
    std::sort(box.begin(), box.end(), [&](const Entry& a, const Entry& b) {
        return channel(a.colour, chosenChannel) < channel(b.colour, chosenChannel);
    });
    long total = 0;
    for (const Entry& e : box)
        total += e.count;
    long running = 0;
    size_t cut = 1;
    for (; cut < box.size() - 1; ++cut) {
        running += box[cut - 1].count;
        if (running * 2 >= total)
            break;
    }
    boxes.emplace_back(box.begin() + cut, box.end());
    boxes[chosen].resize(cut);
    return true;
}

QRgb averageOf(const std::vector<Entry>& box)
{
    double r = 0, g = 0, b = 0, n = 0;
    for (const Entry& e : box) {
        r += qRed(e.colour) * double(e.count);
        g += qGreen(e.colour) * double(e.count);
        b += qBlue(e.colour) * double(e.count);
        n += e.count;
    }
    const QRgb mean = qRgb(int(r / n + 0.5), int(g / n + 0.5), int(b / n + 0.5));
    return mean == White ? qRgb(254, 254, 254) : mean;
}

// Index 0 is white; the arrow's colours share the other 255.
QVector<QRgb> makePalette(const std::map<QRgb, int>& histogram)
{
    std::vector<std::vector<Entry>> boxes(1);
    for (const auto& [colour, count] : histogram)
        boxes[0].push_back({colour, count});
    while (boxes.size() < 255 && splitWidest(boxes)) {
    }
    QVector<QRgb> palette{White};
    for (const auto& box : boxes)
        if (!box.empty())
            palette.push_back(averageOf(box));
    return palette;
}

int nearest(const QVector<QRgb>& palette, QRgb c)
{
    int best = 1, bestDistance = INT_MAX;
    for (int i = 1; i < palette.size(); ++i) {
        const int dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]), db = qBlue(c) - qBlue(palette[i]);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance)
            bestDistance = d, best = i;
    }
    return best;
}

QImage toIndexed(const QImage& rgb)
{
    std::map<QRgb, int> histogram;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            if (rgb.pixel(x, y) != White)
                ++histogram[rgb.pixel(x, y)];
    const QVector<QRgb> palette = makePalette(histogram);
    std::map<QRgb, int> index{{White, 0}};
    for (const auto& entry : histogram)
        index[entry.first] = nearest(palette, entry.first);

    QImage out(rgb.size(), QImage::Format_Indexed8);
    out.setColorTable(palette);
    for (int y = 0; y < rgb.height(); ++y) {
        uchar* line = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            line[x] = uchar(index[rgb.pixel(x, y)]);
    }
    return out;
}

// ---- Checks on the written file

int littleEndian(const QByteArray& bytes, int at, int size)
{
    int value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | uchar(bytes[at + i]);
    return value;
}

bool borderIsWhite(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const bool nearEdge = x < Margin || y < Margin || x >= img.width() - Margin || y >= img.height() - Margin;
            if (nearEdge && img.pixel(x, y) != White)
                return false;
        }
    return true;
}

bool check(bool ok, const char* what)
{
    if (!ok)
        std::fprintf(stderr, "make_arrow: %s\n", what);
    return ok;
}

bool verify(const QString& path)
{
    QFile file(path);
    if (!check(file.open(QIODevice::ReadOnly), "cannot read the written file"))
        return false;
    const QByteArray bytes = file.readAll();
    const QImage back(path, "BMP");
    return check(bytes.size() > 54 && bytes.startsWith("BM"), "not a bitmap file")
        && check(littleEndian(bytes, 18, 4) == Width && littleEndian(bytes, 22, 4) == Height, "wrong size")
        && check(littleEndian(bytes, 28, 2) == 8, "not 8 bits per pixel")
        && check(littleEndian(bytes, 46, 4) <= 256, "colour table larger than 256")
        && check(!back.isNull() && back.pixel(0, Height - 1) == White, "bottom-left pixel is not white")
        && check(borderIsWhite(back), "the arrow reaches into the border");
}

} // namespace

int main(int argc, char** argv)
{
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("3dArrow-rt.bmp");
    const QImage indexed = toIndexed(onWhite(drawArrow()));
    if (!check(indexed.save(path, "BMP"), "cannot write the file") || !verify(path))
        return 1;
    std::printf("%s: %dx%d, %d colours\n", qPrintable(path), indexed.width(), indexed.height(), int(indexed.colorCount()));
    return 0;
}
