// A canvas over a picture's bitmap that keeps pen, brush, font and pen
// position between calls, and draws with the classic desktop rules: a
// rectangle (L, T, R, B) covers L <= x < R and T <= y < B, a line does not
// paint its end pixel, and the pen mode is a raster operation on the pixels.
// Every drawing call returns the rectangle it touched and reports it through
// OnChange, so a window showing the bitmap repaints that rectangle only.
#pragma once

#include "ClassicRaster.h"
#include "Types.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QRegion>
#include <vector>
#include <functional>

class QPainter;

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

struct TFont {
    QString Name = QStringLiteral("Arial");
    int Size = 10; // points
    TColor Color = clBlack;
    TFontStyles Style = 0;

    // The classic negative height: the character height in pixels at 96 dpi.
    void SetHeight(int height);
    int PixelHeight() const;
    QFont toQFont() const;
    bool operator==(const TFont& o) const
    {
        return Name == o.Name && Size == o.Size && Color == o.Color && Style == o.Style;
    }
};

class TCanvas {
public:
    explicit TCanvas(QImage* target = nullptr) : target_(target) {}

    void SetTarget(QImage* target) { target_ = target; }
    QImage* Target() const { return target_; }

    TPen Pen;
    TBrush Brush;
    TFont Font;
    QPoint PenPos;
    // Called once per drawing call with the bitmap area it touched.
    std::function<void(const QRegion&)> OnChange;

    void MoveTo(int x, int y) { PenPos = QPoint(x, y); }
    QRect LineTo(int x, int y);
    QRect Rectangle(int x1, int y1, int x2, int y2);
    QRect Ellipse(int x1, int y1, int x2, int y2);
    // Rounded rectangle whose corner ellipse is cornerWidth x cornerHeight.
    QRect RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
    // A closed figure through the points: the brush fills what lies inside
    // by the even-odd rule, the pen runs from each point to the next and back
    // to the first.
    QRect Polygon(const QPolygon& points);
    // Fills with the brush only, no outline, in copy mode.
    QRect FillRect(const QRect& rect);
    // Text with its top-left corner at (x, y), in the font colour; over a box
    // of the brush colour when the brush is solid, transparent otherwise.
    QRect TextOut(int x, int y, const QString& text);
    QSize TextExtent(const QString& text) const;
    // Copies an image unscaled with its top-left corner at (x, y).
    QRect Draw(int x, int y, const QImage& image);
    // Copies the source rectangle of an image, stretched, onto dest.
    QRect CopyRect(const QRect& dest, const QImage& source, const QRect& sourceRect);

private:
    // Opens a painter on the bitmap, without a pen, with the brush if asked.
    bool begin(QPainter& painter, bool withBrush) const;
    QRect touched(const QRect& figure, int pad) const;
    QRect report(const QRect& rect);
    // The area an outlined figure touches: with a clear interior, thin bands
    // along its outline, so a large rubber band repaints only its edge.
    QRegion outlineArea(const QRect& box, int cornerX, int cornerY) const;
    QRegion boxOutlineArea(const QRect& box, const QRect& all) const;
    QRegion lineArea(QPoint from, QPoint to) const;
    // Marks a figure in the coverage mask, within area, and paints the marked
    // pixels with the pen mode.
    QRect drawFigure(const QRegion& area, const std::function<void()>& markFigure);
    // Paints runs of the pen straight into the bitmap, within area, for a
    // figure whose runs never overlap one another.
    QRect paintRuns(const QRegion& area, const std::function<void(const classic::RunSink&)>& emitRuns,
                    std::initializer_list<QRect> blocks = {});
    bool thinPen() const;
    void mark(int y, int x0, int x1, quint8 value);
    classic::RunSink marker(quint8 value);
    // The pen along a path of pixel centres, styled or wide.
    void markPath(const std::vector<QPoint>& points, bool closed);
    // An ellipse, or a box with rounded corners, with pen and brush.
    void markRounded(const QRect& box, int cornerWidth, int cornerHeight);
    void markPolygonInside(const QPolygon& points);
    void applyRasterOp(const QRegion& area);
    // How far from a figure's path the pixels it changes may lie, reckoned
    // three ways. Round the box of any figure: half the pen and a margin for
    // the rasteriser rounding outwards.
    int figurePadding() const { return Pen.Width / 2 + 3; }
    // Along the bands of a curved outline: the same to the half pixel, and
    // no pen at all for a clear one.
    double curvePadding() const { return (Pen.Style == psClear ? 0 : Pen.Width) / 2.0 + 3; }
    // Along the strips of a box outline, which runs on whole pixels: half
    // the pen and the odd pixel.
    int edgePadding() const { return (Pen.Style == psClear ? 0 : Pen.Width / 2) + 1; }

    QImage* target_ = nullptr;
    // Coverage of the figure being drawn, one byte a pixel (pen, brush, gap
    // or nothing) over the bounds of the area it may touch; the buffer is
    // kept from one figure to the next, so a rubber band allocates nothing.
    std::vector<quint8> mask_;
    QRect maskBounds_;
    quint8* maskRow(int y) { return mask_.data() + qsizetype(y - maskBounds_.top()) * maskBounds_.width() - maskBounds_.left(); }
};

// The Qt styles that draw the classic pen and brush styles.
Qt::PenStyle qtPenStyle(TPenStyle style);
Qt::BrushStyle qtBrushStyle(TBrushStyle style);

// The corner points of a drag as one normalised rectangle in the classic
// (L, T, R, B) convention, however the drag went.
QRect normalisedBox(int x1, int y1, int x2, int y2);
