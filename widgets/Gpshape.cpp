#include "Gpshape.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// 8 x 8 tint patterns, one byte per row, leftmost pixel in the high bit.
constexpr std::uint8_t kHalfTint[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
constexpr std::uint8_t kQuarterTint[8] = {0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00};

constexpr double kPi = 3.14159265358979323846;

template <class T>
bool assign(T& field, T value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

bool isSquareVariant(TGPShapeType shape)
{
    return shape == gstSquare || shape == gstRoundSquare || shape == gstCircle;
}

TGPShapeType plainForm(TGPShapeType shape)
{
    switch (shape) {
    case gstSquare: return gstRectangle;
    case gstRoundSquare: return gstRoundRect;
    case gstCircle: return gstEllipse;
    default: return shape;
    }
}

bool patternBit(const std::uint8_t* pattern, int x, int y) { return (pattern[y & 7] >> (7 - (x & 7))) & 1; }

QRect toQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

TColor gradientColor(TColor start, TColor end, int strip)
{
    const int r = GetRValue(start), g = GetGValue(start), b = GetBValue(start);
    return RGB(r + MulDiv(strip, GetRValue(end) - r, 255), g + MulDiv(strip, GetGValue(end) - g, 255),
               b + MulDiv(strip, GetBValue(end) - b, 255));
}

QRegion roundRectRegion(const TRect& r, int corner)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(r.Left, r.Top, r.Width(), r.Height()), corner / 2.0, corner / 2.0);
    return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
}

} // namespace

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = std::int64_t(a) * b;
    const std::int64_t magnitude = (2 * std::llabs(product) + std::llabs(c)) / (2 * std::llabs(c));
    const std::int64_t result = (product < 0) != (c < 0) ? -magnitude : magnitude;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return -1;
    return int(result);
}

std::pair<int, int> GradientStrip(int index, int extent)
{
    return {MulDiv(index, extent, 256), MulDiv(index + 1, extent, 256)};
}

QPolygon PolygonPoints(const TRect& box, int vectors, int startingAngle, int inVectorPercent)
{
    QPolygon points;
    if (vectors < 1)
        return points;
    const int w = box.Width(), h = box.Height();
    const int cx = box.Left + w / 2, cy = box.Top + h / 2;
    const int r = std::min(w / 2, h / 2) - 4;
    for (int i = 0; i <= vectors; ++i) {
        const double angle = (360.0 / vectors * i - startingAngle) * kPi / 180.0;
        const double radius = i % 2 == 0 ? r : r * (100 - inVectorPercent) * 0.01;
        // Ties round to even (2.5 to 2), which places the corners as they always were.
        points << QPoint(cx + int(std::nearbyint(std::cos(angle) * radius)),
                         cy + int(std::nearbyint(std::sin(angle) * radius)));
    }
    return points;
}

// ---- TManyShape

struct TManyShape::Figure {
    std::function<void(const TRect&)> draw; // with the canvas's pen and brush
    std::function<QRegion(const TRect&)> region;
    // The ellipse lays its foreground pattern as a rectangle over the whole
    // control, clipped to the ellipse, rather than as a second ellipse.
    bool foregroundOverControl = false;
};

TManyShape::TManyShape(QWidget* parent) : TControl(parent)
{
    resize(25, 25);
    // The bar's buttons lie over the control and take the mouse themselves.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    FImage.AddChangeListener([this] { ChangedImage(); });
}

// The framework keeps the client alignment in this widget property.
TAlign TManyShape::Align() const { return property("alClient").toBool() ? alClient : alNone; }

void TManyShape::SetAlign(TAlign value)
{
    if (value == alClient)
        AlignClient();
    else
        setProperty("alClient", false);
}

void TManyShape::SetBackColor(TColor value)
{
    if (assign(FBackColor, value))
        repaint();
}

void TManyShape::SetFillDirection(TFillDirection value)
{
    if (assign(FFillDirection, value))
        repaint();
}

void TManyShape::SetForeColor(TColor value)
{
    if (assign(FForeColor, value))
        repaint();
}

void TManyShape::SetGradientToColor(TColor value)
{
    if (assign(FGradientToColor, value))
        repaint();
}

void TManyShape::SetOutlineColor(TColor value)
{
    if (assign(FOutlineColor, value))
        repaint();
}

void TManyShape::SetOutlineStyle(TPenStyle value)
{
    if (assign(FOutlineStyle, value))
        repaint();
}

void TManyShape::SetOutlineWidth(int value)
{
    if (assign(FOutlineWidth, value))
        repaint();
}

void TManyShape::SetPattern(TBrushStyle value)
{
    if (assign(FPattern, value))
        repaint();
}

void TManyShape::SetShadowColor(TColor value)
{
    if (assign(FShadowColor, value))
        repaint();
}

void TManyShape::SetShadowFill(TShadowFill value)
{
    if (assign(FShadowFill, value))
        repaint();
}

void TManyShape::SetSurfaceType(TSurfaceType value)
{
    if (assign(FSurfaceType, value))
        repaint();
}

void TManyShape::SetInVectorPercent(int value)
{
    if (value >= 0 && value <= 100 && assign(FInVectorPercent, value))
        update();
}

void TManyShape::SetRoundPerc(int value)
{
    if (assign(FRoundPerc, value))
        update();
}

void TManyShape::SetShadowDepth(int value)
{
    // A negative depth would push the figure out of the control.
    if (value >= 0 && value <= Width() / 2 && value <= Height() / 2 && assign(FShadowDepth, value))
        update();
}

void TManyShape::SetShadowOrient(TShadowOrient value)
{
    if (value <= soLowerLeft && assign(FShadowOrient, value))
        update();
}

void TManyShape::SetStartingAngle(int value)
{
    if (value >= 0 && value <= 359 && assign(FStartingAngle, value))
        update();
}

void TManyShape::SetVectors(int value)
{
    if (value >= 3 && value <= 100 && assign(FVectors, value))
        update();
}

void TManyShape::SetShape(TGPShapeType value)
{
    if (!assign(FShape, value))
        return;
    // A square cannot follow the parent's proportions.
    if (isSquareVariant(value) && Align() != alNone)
        SetAlign(alNone);
    if (value == gstStar) {
        if (FInVectorPercent == 0)
            SetInVectorPercent(50);
        if (FVectors < 10)
            SetVectors(10);
        if (FStartingAngle != 90)
            SetStartingAngle(90);
    }
    update();
}

void TManyShape::SetImage(const QImage& bitmap)
{
    if (bitmap.isNull())
        FImage.Clear();
    else
        FImage.Assign(bitmap);
}

// ---- painting

void TManyShape::paintEvent(QPaintEvent*)
{
    applyShapeRules();
    QPainter painter(this);
    QImage image = backdrop(painter);
    PaintTo(image);
    painter.drawImage(0, 0, image);
}

// What is already painted beneath the control, the parent and any control
// lying below it, read back from the paint device, so that the transparent
// parts and the tints act on it as they would on the parent's own surface.
// Where it cannot be read (a scaled device) the control starts from nothing.
QImage TManyShape::backdrop(const QPainter& painter) const
{
    const QRect area = painter.deviceTransform().mapRect(rect());
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    QImage image;
    if (device && device->devType() == QInternal::Image && area.size() == size())
        image = static_cast<const QImage*>(device)->copy(area);
    if (image.size() != size()) {
        image = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void TManyShape::applyShapeRules()
{
    if (!isSquareVariant(FShape))
        return;
    if (Align() != alNone)
        FShape = plainForm(FShape);
    else if (Height() < Width())
        SetWidth(Height());
}

void TManyShape::PaintTo(QImage& image)
{
    applyShapeRules();
    if (image.isNull())
        return;
    if (image.depth() != 32)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    canvas_.SetTarget(&image);
    switch (FShape) {
    case gstRectangle:
    case gstSquare: PaintRectangle(); break;
    case gstRoundRect:
    case gstRoundSquare: PaintRoundRectangle(); break;
    case gstEllipse:
    case gstCircle: PaintEllipse(); break;
    case gstDiamond: PaintDiamond(); break;
    case gstStar:
    case gstPolyGon: PaintPolyGon(); break;
    case gstTriangleLeft:
    case gstTriangleRight:
    case gstTriangleUp:
    case gstTriangleDown: PaintTriangle(); break;
    }
    canvas_.SetTarget(nullptr);
}

void TManyShape::GetShadowRects(TRect& main, TRect& shadow) const
{
    const int h = FOutlineWidth / 2;
    const int R = Width() - FOutlineWidth + 1, B = Height() - FOutlineWidth + 1;
    const int D = FShadowDepth;
    main = {h, h, R, B};
    shadow = {};
    switch (FShadowOrient) {
    case soNone:
        break;
    case soLowerRight:
        main = {h, h, R - D, B - D};
        shadow = {h + D, h + D, R, B};
        break;
    case soUpperRight:
        main = {h, h + D, R - D, B};
        shadow = {h + D, h, R, B - D};
        break;
    case soUpperLeft:
        main = {h + D, h + D, R, B};
        shadow = {h, h, R - D, B - D};
        break;
    case soLowerLeft:
        main = {h + D, h, R, B - D};
        shadow = {h, h + D, R - D, B};
        break;
    }
    // A diamond's shadow falls sideways only.
    if (FShape == gstDiamond && FShadowOrient != soNone) {
        const bool toRight = FShadowOrient == soLowerRight || FShadowOrient == soUpperRight;
        main = toRight ? TRect{h, h, R - D, B} : TRect{h + D, h, R, B};
        shadow = toRight ? TRect{h + D, h, R, B} : TRect{h, h, R - D, B};
    }
}

void TManyShape::PaintRectangle()
{
    paintFigure({[this](const TRect& r) { canvas_.Rectangle(r.Left, r.Top, r.Right, r.Bottom); },
                 [](const TRect& r) { return QRegion(toQRect(r)); }});
}

void TManyShape::PaintRoundRectangle()
{
    // In 64 bits and kept within int: RoundPerc takes any value.
    const double exact = double(std::int64_t(std::max(Width(), Height())) * FRoundPerc) * 0.01;
    const int corner = int(std::clamp(exact, -1e9, 1e9));
    paintFigure({[this, corner](const TRect& r) {
                     canvas_.RoundRect(r.Left, r.Top, r.Right, r.Bottom, corner, corner);
                 },
                 [corner](const TRect& r) { return roundRectRegion(r, corner); }});
}

void TManyShape::PaintEllipse()
{
    paintFigure({[this](const TRect& r) { canvas_.Ellipse(r.Left, r.Top, r.Right, r.Bottom); },
                 [](const TRect& r) { return QRegion(toQRect(r), QRegion::Ellipse); }, true});
}

void TManyShape::PaintDiamond()
{
    paintPolygonFigure([](const TRect& r) {
        const int w = r.Width(), h = r.Height();
        return QPolygon({QPoint(r.Left + w / 2, r.Top), QPoint(r.Left + w - 1, r.Top + h / 2),
                         QPoint(r.Left + w / 2, r.Top + h - 1), QPoint(r.Left, r.Top + h / 2)});
    });
}

void TManyShape::PaintPolyGon()
{
    paintPolygonFigure([this](const TRect& r) {
        QPolygon points = SetPointsInPolyGonArray(r);
        points.resize(FVectors); // the extra point is back at the first angle
        return points;
    });
}

void TManyShape::PaintTriangle()
{
    const TGPShapeType shape = FShape;
    paintPolygonFigure([shape](const TRect& r) {
        const int L = r.Left, T = r.Top, w = r.Width(), h = r.Height();
        switch (shape) {
        case gstTriangleLeft:
            return QPolygon({QPoint(L + w - 1, T), QPoint(L + w - 1, T + h - 1), QPoint(L, T + h / 2)});
        case gstTriangleRight:
            return QPolygon({QPoint(L, T), QPoint(L + w - 1, T + h / 2), QPoint(L, T + h - 1)});
        case gstTriangleUp:
            return QPolygon({QPoint(L + w / 2, T), QPoint(L, T + h - 1), QPoint(L + w - 1, T + h - 1)});
        default:
            return QPolygon({QPoint(L, T), QPoint(L + w / 2, T + h - 1), QPoint(L + w - 1, T)});
        }
    });
}

void TManyShape::paintPolygonFigure(const std::function<QPolygon(const TRect&)>& corners)
{
    paintFigure({[this, &corners](const TRect& r) { PolyGonFromWinProcs(corners(r)); },
                 [&corners](const TRect& r) { return QRegion(corners(r), Qt::WindingFill); }});
}

void TManyShape::paintFigure(const Figure& figure)
{
    TRect main, shadow;
    GetShadowRects(main, shadow);
    if (FShadowOrient != soNone)
        paintShadow(figure, shadow);
    paintSurface(figure, main);
    SetPenBrushForOutline();
    figure.draw(main);
}

void TManyShape::paintShadow(const Figure& figure, const TRect& shadow)
{
    SetPenBrushForShadow();
    if (FShadowFill == sfSolid) {
        figure.draw(shadow);
        return;
    }
    const std::uint8_t* pattern = FShadowFill == sf25Percent ? kQuarterTint : kHalfTint;
    drawClipped(figure.region(shadow), [&] { tint(shadow, pattern, FShadowColor); });
}

void TManyShape::paintSurface(const Figure& figure, const TRect& main)
{
    switch (FSurfaceType) {
    case stBrushTransparent:
        SetPenBrushForForeground();
        paintForeground(figure, main);
        break;
    case stBrushOpaque:
        SetPenBrushForBackground();
        figure.draw(main);
        SetPenBrushForForeground();
        paintForeground(figure, main);
        break;
    case stBrushImage:
        SetPenBrushForImage();
        drawClipped(figure.region(main), [this] { FillWithBitmap(); });
        break;
    case stGradientFill:
        SetPenBrushForGradient();
        drawClipped(figure.region(main), [this] { FillWithGradient(); });
        break;
    case stBrush50PercentOpaque:
        drawClipped(figure.region(main), [&] { tint(main, kHalfTint, FBackColor); });
        break;
    case stBrush25PercentOpaque:
        drawClipped(figure.region(main), [&] { tint(main, kQuarterTint, FBackColor); });
        break;
    }
}

void TManyShape::paintForeground(const Figure& figure, const TRect& main)
{
    if (figure.foregroundOverControl)
        drawClipped(figure.region(main), [this] { canvas_.Rectangle(0, 0, Width(), Height()); });
    else
        figure.draw(main);
}

void TManyShape::SetPenBrushForShadow()
{
    canvas_.Brush = TBrush{FShadowColor, bsSolid};
    canvas_.Pen.Color = clBlack;
    canvas_.Pen.Width = 1;
    canvas_.Pen.Style = psSolid;
}

void TManyShape::SetPenBrushForBackground()
{
    canvas_.Brush = TBrush{FBackColor, bsSolid};
    setOutlinePen();
}

void TManyShape::SetPenBrushForForeground()
{
    canvas_.Brush = TBrush{FForeColor, FPattern};
    setOutlinePen();
}

void TManyShape::SetPenBrushForOutline()
{
    canvas_.Brush.Style = bsClear;
    setOutlinePen();
}

void TManyShape::setOutlinePen()
{
    canvas_.Pen.Color = FOutlineColor;
    canvas_.Pen.Width = FOutlineWidth;
    canvas_.Pen.Style = FOutlineStyle;
}

void TManyShape::SetPenBrushForImage() { canvas_.Brush.Style = bsSolid; }

void TManyShape::SetPenBrushForGradient() { canvas_.Brush.Style = bsSolid; }

void TManyShape::FillWithGradient()
{
    const bool reversed = FFillDirection == gdDown || FFillDirection == gdRight;
    const bool acrossRows = FFillDirection == gdUp || FFillDirection == gdDown;
    const TColor start = reversed ? FGradientToColor : FBackColor;
    const TColor end = reversed ? FBackColor : FGradientToColor;
    canvas_.Pen.Style = psSolid;
    canvas_.Pen.Mode = pmCopy;
    for (int i = 0; i < 256; ++i) {
        canvas_.Brush.Color = gradientColor(start, end, i);
        const auto [from, to] = GradientStrip(i, acrossRows ? Height() : Width());
        canvas_.FillRect(acrossRows ? QRect(0, from, Width(), to - from) : QRect(from, 0, to - from, Height()));
    }
}

void TManyShape::FillWithBitmap()
{
    if (FImage.Empty())
        return;
    const QImage& tile = FImage.Bitmap();
    for (int y = 0; y < Height(); y += tile.height())
        for (int x = 0; x < Width(); x += tile.width())
            canvas_.Draw(x, y, tile);
}

// Each pixel whose pattern bit is set keeps only the bits it shares with the
// colour; the others stay as they are. The pattern is anchored at the
// control's corner.
void TManyShape::tint(const TRect& area, const std::uint8_t* pattern, TColor color)
{
    QImage& image = *canvas_.Target();
    const QRgb mask = toQColor(color).rgb(); // alpha all ones: opacity is kept
    const QRect box = toQRect(area).intersected(image.rect());
    for (int y = box.top(); y <= box.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = box.left(); x <= box.right(); ++x)
            if (patternBit(pattern, x, y))
                line[x] &= mask;
    }
}

// The canvas has no clip region, so the drawing goes to a copy of the
// picture and only the clipped part of the copy is taken back.
void TManyShape::drawClipped(const QRegion& clip, const std::function<void()>& draw)
{
    QImage* target = canvas_.Target();
    QImage scratch = target->copy();
    canvas_.SetTarget(&scratch);
    draw();
    canvas_.SetTarget(target);
    QPainter painter(target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setClipRegion(clip);
    painter.drawImage(0, 0, scratch);
}

QPolygon TManyShape::SetPointsInPolyGonArray(const TRect& box) const
{
    return PolygonPoints(box, FVectors, FStartingAngle, FInVectorPercent);
}

void TManyShape::PolyGonFromWinProcs(const QPolygon& points) { canvas_.Polygon(points); }
