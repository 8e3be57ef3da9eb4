#include "Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include <cstring>
#include <utility>

namespace Glyphs {

namespace {

QImage blank(int width, int height)
{
    QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void smooth(QPainter& p) { p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing); }

QPen roundPen(const QColor& colour, qreal width) { return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// A frame drawn as four bars, so its thickness is exact whatever the pen rules.
void frameRect(QPainter& p, const QRect& r, int thickness, const QColor& colour)
{
    p.fillRect(r.left(), r.top(), r.width(), thickness, colour);
    p.fillRect(r.left(), r.bottom() - thickness + 1, r.width(), thickness, colour);
    p.fillRect(r.left(), r.top(), thickness, r.height(), colour);
    p.fillRect(r.right() - thickness + 1, r.top(), thickness, r.height(), colour);
}

void outlinedPolygon(QPainter& p, const QPolygonF& poly, const QColor& fill, const QColor& edge, qreal edgeWidth = 1)
{
    p.setPen(QPen(edge, edgeWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(fill);
    p.drawPolygon(poly);
}

QFont glyphFont(const QStringList& families, int pixels, bool bold, bool italic)
{
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    // The letters are plain ASCII that the face has: looking up fallback
    // faces for other scripts only costs the start its time.
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoFontMerging));
    return f;
}

QFont sansFont(int pixels, bool bold = true)
{
    return glyphFont({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")}, pixels, bold, false);
}

void drawLetters(QPainter& p, const QRectF& box, const QString& text, const QFont& font, const QColor& colour)
{
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

// A red stroke across the glyph: "none".
void strikeOut(QPainter& p)
{
    p.setPen(roundPen(QColor(220, 0, 0), 2));
    p.drawLine(QPointF(3.5, 14.5), QPointF(14.5, 3.5));
}

// ---- Pen and brush styles

// One character a column, two pixels thick; the gaps are two pixels so the
// patterns stay apart at a glance.
const char* penPattern(TPenStyle style)
{
    switch (style) {
    case psDash: return "####..####..####";
    case psDot: return "##..##..##..##..##";
    case psDashDot: return "######..##..######";
    case psDashDotDot: return "####..##..##..####";
    default: return "##################";
    }
}

void drawPattern(QImage& img, const char* pattern, int top, int thickness, const QColor& colour)
{
    const int length = int(std::strlen(pattern));
    const int left = (img.width() - length) / 2;
    for (int i = 0; i < length; ++i)
        if (pattern[i] == '#')
            for (int t = 0; t < thickness; ++t)
                img.setPixelColor(left + i, top + t, colour);
}

QImage noLine()
{
    QImage img = blank(SpeedSize, SpeedSize);
    const QColor faint(128, 128, 128);
    for (int i = 1; i <= 16; i += 2) {
        img.setPixelColor(i, 1, faint);
        img.setPixelColor(i, 16, faint);
        img.setPixelColor(1, i, faint);
        img.setPixelColor(16, i, faint);
    }
    QPainter p(&img);
    smooth(p);
    strikeOut(p);
    return img;
}

// Whether a hatch of the style covers the pixel. Straight lines repeat every
// three pixels, in line with the frame; diagonals every four, and every six
// when crossed, meeting on a shared pixel, or the crossing reads as a
// checker-board.
bool hatchCovers(TBrushStyle style, int x, int y)
{
    const bool horizontal = y % 3 == 1;
    const bool vertical = x % 3 == 1;
    const auto falling = [&](int period) { return (x - y + SpeedSize + 1) % period == 0; }; // "\"
    const auto rising = [&](int period) { return (x + y) % period == 1; };                  // "/"
    switch (style) {
    case bsHorizontal: return horizontal;
    case bsVertical: return vertical;
    case bsFDiagonal: return falling(4);
    case bsBDiagonal: return rising(4);
    case bsCross: return horizontal || vertical;
    case bsDiagCross: return falling(6) || rising(6);
    default: return false;
    }
}

void fillHatch(QImage& img, TBrushStyle style, const QRect& inside)
{
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            img.setPixelColor(x, y, hatchCovers(style, x, y) ? QColor(Qt::black) : QColor(Qt::white));
}

// ---- Tools

QImage scribbleGlyph()
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    smooth(p);
    QPainterPath path(QPointF(2, 13));
    path.cubicTo(3, 3, 7.5, 2, 7.5, 9);
    path.cubicTo(7.5, 16, 11.5, 16, 12, 9);
    path.cubicTo(12.5, 3, 16, 4, 16, 7);
    p.setPen(roundPen(Qt::black, 2));
    p.drawPath(path);
    return img;
}

QImage lineGlyph()
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    smooth(p);
    p.setPen(roundPen(Qt::black, 2));
    p.drawLine(QPointF(2.5, 15.5), QPointF(15.5, 2.5));
    return img;
}

// The three outlines share one box so only the corners tell them apart.
const QRectF ShapeBox(3, 5, 12, 8);

QImage rectangleGlyph()
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    frameRect(p, QRect(2, 4, 14, 10), 2, Qt::black);
    return img;
}

QImage roundRectGlyph()
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    smooth(p);
    p.setPen(roundPen(Qt::black, 2));
    p.drawRoundedRect(ShapeBox, 3.5, 3.5);
    return img;
}

QImage ellipseGlyph()
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    smooth(p);
    p.setPen(roundPen(Qt::black, 2));
    p.drawEllipse(ShapeBox.adjusted(-1, -1, 1, 1));
    return img;
}

QImage textGlyph()
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    smooth(p);
    drawLetters(p, QRectF(0, 1, 13, 16), QStringLiteral("A"), sansFont(15), Qt::black);
    // The text caret, as an I-beam.
    const QColor caret(0, 0, 200);
    p.fillRect(14, 3, 1, 13, caret);
    p.fillRect(13, 2, 3, 1, caret);
    p.fillRect(13, 16, 3, 1, caret);
    return img;
}

QImage bannerGlyph()
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    smooth(p);
    // A ribbon with swallow-tail ends.
    const QPolygonF ribbon({{0.5, 4.5}, {17.5, 4.5}, {15.5, 8.5}, {17.5, 12.5}, {0.5, 12.5}, {2.5, 8.5}});
    outlinedPolygon(p, ribbon, QColor(255, 235, 120), QColor(150, 90, 0));
    drawLetters(p, QRectF(2, 4, 14, 9), QStringLiteral("abc"), sansFont(8, false), Qt::black);
    return img;
}

// A small right-pointing arrow with a darker underside, like the default stamp.
QPolygonF smallArrow(qreal dy)
{
    return QPolygonF({{1.5, 6.5 + dy}, {8.5, 6.5 + dy}, {8.5, 2.5 + dy}, {16.5, 8.5 + dy}, {8.5, 14.5 + dy}, {8.5, 10.5 + dy},
                      {1.5, 10.5 + dy}});
}

QImage stampGlyph()
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    smooth(p);
    outlinedPolygon(p, smallArrow(1.5), QColor(0, 30, 120), QColor(0, 20, 80));
    outlinedPolygon(p, smallArrow(0), QColor(70, 130, 240), QColor(0, 30, 120));
    return img;
}

// ---- Bit-button pieces

QPainterPath gearOutline(const QPointF& centre, qreal outer, qreal inner, int teeth)
{
    QPolygonF rim;
    const qreal step = 360.0 / teeth;
    for (int i = 0; i < teeth; ++i) {
        const qreal a = i * step;
        for (qreal offset : {-step * 0.38, -step * 0.2, step * 0.2, step * 0.38}) {
            const bool top = offset > -step * 0.3 && offset < step * 0.3;
            const qreal r = top ? outer : inner;
            const qreal rad = qDegreesToRadians(a + offset);
            rim << centre + QPointF(r * qCos(rad), r * qSin(rad));
        }
    }
    QPainterPath path;
    path.addPolygon(rim);
    path.closeSubpath();
    return path;
}

void badge(QPainter& p, const QPointF& centre, qreal radius, const QColor& fill)
{
    p.setPen(QPen(fill.darker(160), 1));
    p.setBrush(fill);
    p.drawEllipse(centre, radius, radius);
}

} // namespace

// ---- Set-up dialog

QImage PenStyle(TPenStyle style)
{
    if (style == psClear)
        return noLine();
    QImage img = blank(SpeedSize, SpeedSize);
    drawPattern(img, penPattern(style), 8, 2, Qt::black);
    return img;
}

QImage BrushStyle(TBrushStyle style)
{
    QImage img = blank(SpeedSize, SpeedSize);
    const QRect inside(2, 2, 14, 14);
    if (style == bsSolid) {
        QPainter(&img).fillRect(inside, QColor(0, 0, 128));
    } else if (style != bsClear) {
        fillHatch(img, style, inside);
    }
    QPainter p(&img);
    frameRect(p, inside.adjusted(-1, -1, 1, 1), 1, Qt::black);
    if (style == bsClear) {
        smooth(p);
        strikeOut(p);
    }
    return img;
}

QImage Colour()
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    const QColor colours[] = {QColor(230, 0, 0), QColor(255, 220, 0), QColor(0, 180, 0), QColor(0, 60, 230)};
    for (int i = 0; i < 4; ++i) {
        const QRect square(1 + (i % 2) * 9, 1 + (i / 2) * 9, 7, 7);
        p.fillRect(square, colours[i]);
        frameRect(p, square, 1, Qt::black);
    }
    return img;
}

QImage Bold()
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    smooth(p);
    drawLetters(p, QRectF(0, 0, SpeedSize, SpeedSize), QStringLiteral("B"), sansFont(16), Qt::black);
    return img;
}

QImage Italic()
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    smooth(p);
    // A serif face, so the slant shows on a single stroke.
    const QFont serif = glyphFont({QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif")}, 17, true, true);
    drawLetters(p, QRectF(0, 0, SpeedSize, SpeedSize), QStringLiteral("I"), serif, Qt::black);
    return img;
}

QImage Underline()
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    smooth(p);
    drawLetters(p, QRectF(0, 0, SpeedSize, 14), QStringLiteral("U"), sansFont(14), Qt::black);
    // Drawn by hand: a font's own underline is too thin at this size.
    p.fillRect(3, 15, 12, 2, Qt::black);
    return img;
}

QImage Highlight(bool on)
{
    QImage img = blank(SpeedSize, SpeedSize);
    QPainter p(&img);
    smooth(p);
    const QColor band = on ? QColor(255, 255, 0) : QColor(215, 210, 160);
    const QColor body = on ? QColor(255, 210, 0) : QColor(190, 185, 150);
    const QColor edge = on ? QColor(110, 80, 0) : QColor(110, 110, 100);
    p.fillRect(1, 11, 8, 5, band);
    // The marker lies at 45 degrees with its chisel tip at the end of the band.
    p.translate(7, 12);
    p.rotate(-45);
    outlinedPolygon(p, QPolygonF({{0, -1.5}, {3, -3}, {3, 3}, {0, 1.5}}), band.darker(130), edge);
    outlinedPolygon(p, QPolygonF({{3, -3}, {12.5, -3}, {12.5, 3}, {3, 3}}), body, edge);
    return img;
}

QImage ToolGlyph(Tool tool)
{
    switch (tool) {
    case Tool::Scribble: return scribbleGlyph();
    case Tool::Line: return lineGlyph();
    case Tool::Rectangle: return rectangleGlyph();
    case Tool::RoundRect: return roundRectGlyph();
    case Tool::Ellipse: return ellipseGlyph();
    case Tool::Text: return textGlyph();
    case Tool::Banner: return bannerGlyph();
    case Tool::Stamp: return stampGlyph();
    }
    return blank(SpeedSize, SpeedSize);
}

// ---- Bit buttons

QImage Capture()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    smooth(p);
    const QColor body(60, 60, 70);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRect(QRectF(4, 2.5, 5, 3));
    p.setPen(QPen(QColor(20, 20, 25), 1));
    p.drawRoundedRect(QRectF(0.5, 4.5, 15, 10), 2, 2);
    p.fillRect(12, 6, 2, 2, QColor(255, 255, 200)); // flash
    badge(p, QPointF(8, 9.5), 3.8, QColor(200, 200, 210));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 40, 90));
    p.drawEllipse(QPointF(8, 9.5), 2.4, 2.4);
    p.setBrush(QColor(180, 210, 255));
    p.drawEllipse(QPointF(7.2, 8.7), 0.8, 0.8);
    return img;
}

QImage ToolBar()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    const QRect bar(0, 4, 16, 8);
    p.fillRect(bar, QColor(200, 200, 200));
    frameRect(p, bar, 1, QColor(50, 50, 60));
    p.fillRect(1, 5, 2, 6, QColor(0, 60, 170)); // grip
    const QColor keys[] = {QColor(220, 0, 0), QColor(0, 150, 0), QColor(0, 60, 230)};
    for (int i = 0; i < 3; ++i) {
        const QRect key(5 + i * 4, 6, 3, 4);
        p.fillRect(key, keys[i]);
    }
    return img;
}

QImage Quit()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    smooth(p);
    for (const auto& [colour, width] : {std::pair{QColor(120, 0, 0), 4.2}, std::pair{QColor(235, 30, 30), 2.4}}) {
        p.setPen(roundPen(colour, width));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
    }
    return img;
}

QImage Clear()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    smooth(p);
    p.setPen(roundPen(QColor(120, 120, 120), 1));
    p.drawLine(QPointF(1.5, 14.5), QPointF(9.5, 14.5)); // the rubbed-out trace
    p.translate(8.5, 7.5);
    p.rotate(-45);
    const QColor edge(60, 40, 50);
    outlinedPolygon(p, QPolygonF(QRectF(-7, -3.5, 6, 7)), QColor(250, 170, 190), edge);
    outlinedPolygon(p, QPolygonF(QRectF(-1, -3.5, 8, 7)), QColor(40, 90, 200), edge);
    return img;
}

QImage Setup()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    smooth(p);
    QPainterPath gear = gearOutline(QPointF(8, 8), 7.6, 5.4, 8);
    gear.addEllipse(QPointF(8, 8), 2.2, 2.2);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(QPen(QColor(50, 50, 60), 1));
    p.setBrush(QColor(160, 165, 175));
    p.drawPath(gear);
    return img;
}

QImage Save()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    const QColor edge(10, 20, 60);
    p.fillRect(1, 1, 14, 14, QColor(40, 70, 170));
    frameRect(p, QRect(1, 1, 14, 14), 1, edge);
    p.fillRect(4, 2, 8, 5, QColor(200, 200, 210)); // shutter
    p.fillRect(9, 3, 2, 3, QColor(40, 70, 170));
    p.fillRect(3, 9, 10, 6, Qt::white); // label
    p.fillRect(4, 11, 8, 1, QColor(150, 150, 160));
    p.fillRect(4, 13, 6, 1, QColor(150, 150, 160));
    return img;
}

QImage Open()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    smooth(p);
    const QColor edge(120, 85, 0);
    outlinedPolygon(p, QPolygonF({{0.5, 2.5}, {5.5, 2.5}, {7, 4}, {13.5, 4}, {13.5, 14.5}, {0.5, 14.5}}), QColor(205, 150, 30), edge);
    outlinedPolygon(p, QPolygonF({{3.5, 7.5}, {15.5, 7.5}, {13, 14.5}, {0.5, 14.5}}), QColor(255, 215, 90), edge);
    return img;
}

QImage Install()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    const QRect picture(0, 1, 13, 11);
    p.fillRect(picture, QColor(160, 210, 255));
    smooth(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 210, 0));
    p.drawEllipse(QPointF(4, 4.5), 1.8, 1.8); // sun
    p.setBrush(QColor(40, 150, 40));
    p.drawPolygon(QPolygonF({{1, 11}, {5, 6}, {8, 9}, {10, 7}, {12, 11}})); // hills
    p.setRenderHint(QPainter::Antialiasing, false);
    frameRect(p, picture, 1, QColor(60, 60, 70));
    smooth(p);
    badge(p, QPointF(11.5, 11.5), 4, QColor(0, 170, 0));
    p.fillRect(9, 11, 5, 1, Qt::white);
    p.fillRect(11, 9, 1, 5, Qt::white);
    return img;
}

QImage Finished()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    smooth(p);
    const QPolygonF tick({{2, 8.5}, {6, 12.5}, {14, 3.5}});
    p.setPen(roundPen(QColor(0, 90, 0), 4.2));
    p.drawPolyline(tick);
    p.setPen(roundPen(QColor(40, 200, 40), 2.4));
    p.drawPolyline(tick);
    return img;
}

QImage Help()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    smooth(p);
    badge(p, QPointF(8, 8), 7.3, QColor(30, 90, 210));
    drawLetters(p, QRectF(0, 0, BitSize, BitSize), QStringLiteral("?"), sansFont(12), Qt::white);
    return img;
}

QImage Stamps()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    smooth(p);
    const QColor edge(60, 30, 10);
    p.fillRect(2, 14, 12, 2, QColor(210, 20, 20)); // the print it leaves
    outlinedPolygon(p, QPolygonF(QRectF(1.5, 9.5, 13, 3)), QColor(110, 60, 25), edge);
    outlinedPolygon(p, QPolygonF(QRectF(6.5, 5.5, 3, 4)), QColor(170, 110, 50), edge);
    badge(p, QPointF(8, 3.5), 2.8, QColor(190, 120, 55));
    return img;
}

QImage Options()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    smooth(p);
    for (int row = 0; row < 3; ++row) {
        const int top = 1 + row * 5;
        p.fillRect(7, top + 2, row == 1 ? 6 : 9, 2, QColor(60, 60, 70));
        if (row < 2) {
            p.setPen(roundPen(QColor(0, 150, 0), 1.8));
            p.drawPolyline(QPolygonF({{1.0, top + 2.0}, {2.5, top + 3.5}, {5.0, top + 0.0}}));
        } else {
            p.setPen(QPen(QColor(60, 60, 70), 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(1.5, top + 0.5, 4, 4));
        }
    }
    return img;
}

QImage About()
{
    QImage img = blank(BitSize, BitSize);
    QPainter p(&img);
    smooth(p);
    p.setPen(QPen(QColor(30, 90, 210), 1.4));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 7, 7);
    const QFont serif = glyphFont({QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif")}, 12, true, false);
    drawLetters(p, QRectF(0, 0, BitSize, BitSize), QStringLiteral("i"), serif, QColor(30, 90, 210));
    return img;
}

// ---- Program icon

namespace {

void drawMonitor(QPainter& p)
{
    p.setPen(QPen(QColor(25, 25, 30), 1));
    p.setBrush(QColor(70, 70, 80));
    p.drawRoundedRect(QRectF(2.5, 4.5, 42, 32), 3, 3);
    QLinearGradient glass(0, 8, 0, 33);
    glass.setColorAt(0, QColor(200, 230, 255));
    glass.setColorAt(1, QColor(110, 170, 230));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawRect(QRectF(6, 8, 35, 25));
    p.setBrush(QColor(70, 70, 80));
    p.drawRect(QRectF(20, 36.5, 7, 5));
    p.drawRoundedRect(QRectF(13, 41, 21, 4), 1.5, 1.5);
}

void drawMarkOnScreen(QPainter& p)
{
    QPainterPath mark(QPointF(9, 27));
    mark.cubicTo(12, 18, 15, 18, 16, 24);
    mark.cubicTo(17, 31, 20, 31, 21.5, 26);
    p.setPen(roundPen(QColor(220, 0, 0), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
}

// A pencil from the top right down to its point on the screen.
void drawPen(QPainter& p, const QPointF& tip)
{
    p.save();
    p.translate(tip);
    p.rotate(-45);
    const QColor edge(60, 40, 10);
    outlinedPolygon(p, QPolygonF({{0, 0}, {8, -4}, {8, 4}}), QColor(245, 215, 165), edge);
    outlinedPolygon(p, QPolygonF({{0, 0}, {2.6, -1.3}, {2.6, 1.3}}), QColor(40, 40, 40), QColor(40, 40, 40));
    outlinedPolygon(p, QPolygonF(QRectF(8, -4, 16, 8)), QColor(250, 185, 0), edge);
    p.fillRect(QRectF(8.5, -1.2, 15, 1), QColor(215, 140, 0));
    outlinedPolygon(p, QPolygonF(QRectF(24, -4, 3, 8)), QColor(190, 190, 200), edge);
    outlinedPolygon(p, QPolygonF(QRectF(27, -4, 4, 8)), QColor(240, 120, 140), edge);
    p.restore();
}

} // namespace

QImage AppIcon(int size)
{
    QImage img = blank(size, size);
    QPainter p(&img);
    smooth(p);
    // Drawn on a 48-unit grid; the desktop's icon sizes are the same drawing scaled.
    p.scale(size / 48.0, size / 48.0);
    drawMonitor(p);
    drawMarkOnScreen(p);
    drawPen(p, QPointF(21.5, 26));
    return img;
}

} // namespace Glyphs
