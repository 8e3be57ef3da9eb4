// A shape control: one of thirteen figures, filled with one of six surfaces,
// with an optional drop shadow and an outline. The control bar uses one as its
// gradient background. It paints only its own widget and lets the mouse
// through to the controls that lie over it.
#pragma once

#include "Canvas.h"
#include "Controls.h"
#include "Picture.h"
#include "Types.h"

#include <QPolygon>
#include <cstdint>
#include <functional>
#include <utility>

class QPainter;

enum TSurfaceType : std::uint8_t {
    stBrushTransparent,
    stBrushOpaque,
    stBrushImage,
    stGradientFill,
    stBrush50PercentOpaque,
    stBrush25PercentOpaque
};

enum TGPShapeType : std::uint8_t {
    gstRectangle,
    gstSquare,
    gstRoundRect,
    gstRoundSquare,
    gstEllipse,
    gstCircle,
    gstDiamond,
    gstStar,
    gstPolyGon,
    gstTriangleLeft,
    gstTriangleRight,
    gstTriangleUp,
    gstTriangleDown
};

enum TFillDirection : std::uint8_t { gdUp, gdDown, gdLeft, gdRight };
enum TShadowOrient : std::uint8_t { soNone, soLowerRight, soUpperRight, soUpperLeft, soLowerLeft };
enum TShadowFill : std::uint8_t { sfSolid, sf25Percent, sf50Percent };
enum TAlign : std::uint8_t { alNone, alClient };

// A rectangle in the classic convention: Left <= x < Right, Top <= y < Bottom.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect& o) const
    {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
};

// a * b / c with a 64-bit intermediate, rounded to nearest with halves away
// from zero; -1 when c is 0 or the result does not fit.
int MulDiv(int a, int b, int c);
// The first and one-past-last row (or column) of gradient strip `index`
// (0..255) across `extent` pixels; equal values mean the strip is empty.
std::pair<int, int> GradientStrip(int index, int extent);
// The vectors + 1 corners of a regular polygon or star centred in `box`,
// alternately on the outer radius and `inVectorPercent` closer to the centre.
QPolygon PolygonPoints(const TRect& box, int vectors, int startingAngle, int inVectorPercent);

class TManyShape : public TControl<QWidget> {
public:
    explicit TManyShape(QWidget* parent = nullptr);

    TAlign Align() const;
    void SetAlign(TAlign value);

    TColor BackColor() const { return FBackColor; }
    TFillDirection FillDirection() const { return FFillDirection; }
    TColor ForeColor() const { return FForeColor; }
    TColor GradientToColor() const { return FGradientToColor; }
    const QImage& Image() const { return FImage.Bitmap(); }
    int InVectorPercent() const { return FInVectorPercent; }
    TColor OutlineColor() const { return FOutlineColor; }
    TPenStyle OutlineStyle() const { return FOutlineStyle; }
    int OutlineWidth() const { return FOutlineWidth; }
    TBrushStyle Pattern() const { return FPattern; }
    int RoundPerc() const { return FRoundPerc; }
    TColor ShadowColor() const { return FShadowColor; }
    int ShadowDepth() const { return FShadowDepth; }
    TShadowOrient ShadowOrient() const { return FShadowOrient; }
    TShadowFill ShadowFill() const { return FShadowFill; }
    TGPShapeType Shape() const { return FShape; }
    int StartingAngle() const { return FStartingAngle; }
    TSurfaceType SurfaceType() const { return FSurfaceType; }
    int Vectors() const { return FVectors; }

    // These repaint at once.
    void SetBackColor(TColor value);
    void SetFillDirection(TFillDirection value);
    void SetForeColor(TColor value);
    void SetGradientToColor(TColor value);
    void SetOutlineColor(TColor value);
    void SetOutlineStyle(TPenStyle value);
    void SetOutlineWidth(int value);
    void SetPattern(TBrushStyle value);
    void SetShadowColor(TColor value);
    void SetShadowFill(TShadowFill value);
    void SetSurfaceType(TSurfaceType value);

    // These leave the drawing to the next paint cycle; values out of range
    // are ignored.
    void SetInVectorPercent(int value);        // 0..100
    void SetRoundPerc(int value);
    void SetShadowDepth(int value);            // 0 to half the width and half the height
    void SetShadowOrient(TShadowOrient value); // soNone..soLowerLeft
    // A square variant stops following the parent; a star gets its inner
    // corners, at least 10 vectors and the upright angle.
    void SetShape(TGPShapeType value);
    void SetStartingAngle(int value);          // 0..359
    void SetVectors(int value);                // 3..100

    // A null image empties the tile picture.
    void SetImage(const QImage& bitmap);

    // Draws the control over `image` (at least the control's size) as it
    // would appear over what the image already holds. May change Shape and
    // the width first, as a paint of the control does.
    void PaintTo(QImage& image);
    // The figure's rectangle and its shadow's, in the control's coordinates.
    void GetShadowRects(TRect& main, TRect& shadow) const;

protected:
    // Called whenever Qt needs the control drawn.
    void paintEvent(QPaintEvent* event) override;

private:
    struct Figure;

    void ChangedImage() { update(); }
    void applyShapeRules();
    QImage backdrop(const QPainter& painter) const;

    void PaintRectangle();
    void PaintRoundRectangle();
    void PaintEllipse();
    void PaintDiamond();
    void PaintPolyGon();
    void PaintTriangle();
    void paintPolygonFigure(const std::function<QPolygon(const TRect&)>& corners);
    void paintFigure(const Figure& figure);
    void paintShadow(const Figure& figure, const TRect& shadow);
    void paintSurface(const Figure& figure, const TRect& main);
    void paintForeground(const Figure& figure, const TRect& main);

    void SetPenBrushForShadow();
    void SetPenBrushForBackground();
    void SetPenBrushForForeground();
    void SetPenBrushForOutline();
    void SetPenBrushForImage();
    void SetPenBrushForGradient();
    void setOutlinePen();

    void FillWithGradient();
    void FillWithBitmap();
    void tint(const TRect& area, const std::uint8_t* pattern, TColor color);
    void drawClipped(const QRegion& clip, const std::function<void()>& draw);
    QPolygon SetPointsInPolyGonArray(const TRect& box) const;
    void PolyGonFromWinProcs(const QPolygon& points);

    TColor FBackColor = clWhite;
    TFillDirection FFillDirection = gdUp;
    TColor FForeColor = clBlack;
    TColor FGradientToColor = clBlack;
    TPicture FImage;
    int FInVectorPercent = 50;
    TColor FOutlineColor = clBlack;
    TPenStyle FOutlineStyle = psSolid;
    int FOutlineWidth = 1;
    TBrushStyle FPattern = bsClear;
    int FRoundPerc = 25;
    TColor FShadowColor = clBlack;
    int FShadowDepth = 5;
    TShadowOrient FShadowOrient = soNone;
    TGPShapeType FShape = gstRectangle;
    int FStartingAngle = 90;
    TSurfaceType FSurfaceType = stBrushOpaque;
    int FVectors = 10;
    TShadowFill FShadowFill = sfSolid;

    // Keeps pen and brush between paints, as the presets rely on.
    TCanvas canvas_;
};
