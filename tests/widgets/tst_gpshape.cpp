// The shape control: what it paints, pixel by pixel, and which property
// values it takes.
#include "Gpshape.h"

#include <QScreen>
#include <QtTest>

namespace {

TColor at(const QImage& image, int x, int y) { return fromPixel(image.pixel(x, y)); }

QImage filled(int w, int h, TColor c)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(toQColor(c));
    return image;
}

QImage noise(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 37 + y, y * 53 + x, x * y * 11));
    return image;
}

QImage painted(TManyShape& shape)
{
    QImage image = filled(shape.width(), shape.height(), clWhite);
    shape.PaintTo(image);
    return image;
}

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestGpShape : public QObject {
    Q_OBJECT

private slots:
    void newControlHasItsDefaults()
    {
        TManyShape s;
        QCOMPARE(s.size(), QSize(25, 25));
        QVERIFY(s.BackColor() == clWhite && s.ForeColor() == clBlack && s.OutlineColor() == clBlack);
        QVERIFY(s.SurfaceType() == stBrushOpaque && s.Pattern() == bsClear && s.Shape() == gstRectangle);
        QVERIFY(s.Vectors() == 10 && s.InVectorPercent() == 50 && s.StartingAngle() == 90);
        QVERIFY(s.RoundPerc() == 25 && s.ShadowDepth() == 5 && s.ShadowOrient() == soNone);
        QVERIFY(s.OutlineWidth() == 1 && s.Align() == alNone && s.Image().isNull());
        QVERIFY(s.testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    void valuesOutOfRangeAreIgnored()
    {
        TManyShape shape;
        shape.resize(41, 30);
        for (int v : {2, 101, 3, 100, 0})
            shape.SetVectors(v);
        QCOMPARE(shape.Vectors(), 100);
        for (int v : {360, -1, 0, 359, 400})
            shape.SetStartingAngle(v);
        QCOMPARE(shape.StartingAngle(), 359);
        for (int v : {101, -1, 0})
            shape.SetInVectorPercent(v);
        QCOMPARE(shape.InVectorPercent(), 0);
        shape.SetShadowOrient(soUpperLeft);
        shape.SetShadowOrient(TShadowOrient(5));
        QCOMPARE(shape.ShadowOrient(), soUpperLeft);
        shape.SetShadowDepth(16); // half the height, 15, is the tighter bound
        shape.SetShadowDepth(-1);
        QCOMPARE(shape.ShadowDepth(), 5);
        shape.SetShadowDepth(15);
        QCOMPARE(shape.ShadowDepth(), 15);
    }

    void shapeChoiceAdjustsRelatedProperties()
    {
        TManyShape star;
        star.SetInVectorPercent(0);
        star.SetVectors(5);
        star.SetStartingAngle(45);
        star.SetShape(gstStar);
        QVERIFY(star.InVectorPercent() == 50 && star.Vectors() == 10 && star.StartingAngle() == 90);

        QWidget bar;
        bar.resize(200, 43);
        TManyShape circle(&bar);
        circle.AlignClient();
        circle.SetShape(gstCircle);
        QCOMPARE(circle.Align(), alNone);
        bar.resize(300, 43);
        QCOMPARE(circle.width(), 200);

        TManyShape loose;
        loose.resize(40, 30);
        loose.SetShape(gstCircle);
        QCOMPARE(loose.width(), 40);
        painted(loose);
        QCOMPARE(loose.size(), QSize(30, 30));

        // Aligned, a square variant is drawn as its plain form instead.
        TManyShape square(&bar);
        square.SetShape(gstRoundSquare);
        square.SetAlign(alClient);
        painted(square);
        QCOMPARE(square.Shape(), gstRoundRect);
        QCOMPARE(square.width(), 300);
    }

    void shadowRects()
    {
        struct Case {
            TGPShapeType shape;
            TShadowOrient orient;
            int outline;
            TRect main, shadow;
        };
        const Case cases[] = {
            {gstRectangle, soNone, 1, {0, 0, 60, 40}, {}},
            {gstRectangle, soNone, 3, {1, 1, 58, 38}, {}},
            {gstRectangle, soLowerRight, 1, {0, 0, 55, 35}, {5, 5, 60, 40}},
            {gstEllipse, soUpperRight, 1, {0, 5, 55, 40}, {5, 0, 60, 35}},
            {gstRectangle, soUpperLeft, 1, {5, 5, 60, 40}, {0, 0, 55, 35}},
            {gstStar, soLowerLeft, 1, {5, 0, 60, 35}, {0, 5, 55, 40}},
            {gstDiamond, soUpperRight, 1, {0, 0, 55, 40}, {5, 0, 60, 40}},
            {gstDiamond, soLowerLeft, 1, {5, 0, 60, 40}, {0, 0, 55, 40}},
            {gstDiamond, soNone, 1, {0, 0, 60, 40}, {}},
        };
        for (const Case& c : cases) {
            TManyShape shape;
            shape.resize(60, 40);
            shape.SetShape(c.shape);
            shape.SetShadowOrient(c.orient);
            shape.SetOutlineWidth(c.outline);
            TRect main, shadow;
            shape.GetShadowRects(main, shadow);
            QVERIFY2(main == c.main && shadow == c.shadow, qPrintable(QString("case %1").arg(&c - cases)));
        }
    }

    // MulDiv rounds halves away from zero; at 43 rows most strips are empty.
    void gradientStrips()
    {
        QVERIFY(MulDiv(1, 1, 2) == 1 && MulDiv(-1, 1, 2) == -1 && MulDiv(5, 1, -2) == -3);
        QVERIFY(MulDiv(8, -128, 255) == -4 && MulDiv(100000, 300000, 200000) == 150000);
        QVERIFY(MulDiv(1, 1, 0) == -1 && MulDiv(1 << 30, 4, 1) == -1);
        int empty = 0, next = 0;
        for (int i = 0; i < 256; ++i) {
            const auto [from, to] = GradientStrip(i, 43);
            QCOMPARE(from, next);
            empty += from == to;
            next = to;
        }
        QVERIFY(next == 43 && empty == 213);
        for (int i : {0, 1, 254, 255})
            QCOMPARE(GradientStrip(i, 43).first, GradientStrip(i, 43).second);
        QCOMPARE(GradientStrip(2, 43), std::make_pair(0, 1));
        QCOMPARE(GradientStrip(8, 43), std::make_pair(1, 2));
        QCOMPARE(GradientStrip(247, 43), std::make_pair(41, 42));
        QCOMPARE(GradientStrip(253, 43), std::make_pair(42, 43));
    }

    // The bar's background: the back colour fades to black along the
    // direction, inside a one-pixel black outline.
    void gradientBackground()
    {
        struct Case {
            TColor back;
            TFillDirection direction;
            QSize size;
            QPoint near, far; // one pixel in from the start and from the end
            TColor nearColour, farColour;
        };
        const Case cases[] = {
            {clBlue, gdUp, {1271, 43}, {600, 1}, {600, 41}, RGB(0, 0, 247), RGB(0, 0, 8)},
            {clMaroon, gdUp, {1271, 43}, {1, 1}, {1269, 41}, RGB(124, 0, 0), RGB(4, 0, 0)},
            {clBlue, gdDown, {1271, 43}, {1269, 1}, {1, 41}, RGB(0, 0, 8), RGB(0, 0, 247)},
            {clBlue, gdLeft, {43, 20}, {1, 10}, {41, 10}, RGB(0, 0, 247), RGB(0, 0, 8)},
            {clBlue, gdRight, {43, 20}, {1, 10}, {41, 10}, RGB(0, 0, 8), RGB(0, 0, 247)},
        };
        for (const Case& c : cases) {
            TManyShape shape;
            shape.resize(c.size);
            shape.SetSurfaceType(stGradientFill);
            shape.SetFillDirection(c.direction);
            shape.SetGradientToColor(clBlack);
            shape.SetOutlineColor(clBlack);
            shape.SetBackColor(c.back);
            const QImage image = painted(shape);
            QCOMPARE(at(image, c.near.x(), c.near.y()), c.nearColour);
            QCOMPARE(at(image, c.far.x(), c.far.y()), c.farColour);
            const int W = c.size.width(), H = c.size.height();
            for (int x = 0; x < W; ++x)
                QVERIFY(at(image, x, 0) == clBlack && at(image, x, H - 1) == clBlack);
            for (int y = 0; y < H; ++y)
                QVERIFY(at(image, 0, y) == clBlack && at(image, W - 1, y) == clBlack);
        }
    }

    // A tint keeps, on the pattern's pixels only, the bits of whatever the
    // picture held that the colour has.
    void tintsMaskThePatternPixels()
    {
        const TColor c = RGB(0x0F, 0xF0, 0x3C);
        for (bool shadow : {false, true})
            for (bool quarter : {false, true}) {
                TManyShape shape;
                shape.resize(30, 20);
                shape.SetOutlineStyle(psClear);
                if (shadow) {
                    shape.SetShadowOrient(soLowerRight);
                    shape.SetShadowFill(quarter ? sf25Percent : sf50Percent);
                    shape.SetShadowColor(c);
                    shape.SetSurfaceType(stBrushTransparent);
                } else {
                    shape.SetSurfaceType(quarter ? stBrush25PercentOpaque : stBrush50PercentOpaque);
                    shape.SetBackColor(c);
                }
                const QImage before = noise(30, 20);
                QImage image = before;
                shape.PaintTo(image);
                const QRect area = shadow ? QRect(5, 5, 25, 15) : QRect(0, 0, 30, 20);
                for (int y = 0; y < 20; ++y)
                    for (int x = 0; x < 30; ++x) {
                        const bool bit = quarter ? x % 2 == 0 && y % 2 == 0 : (x + y) % 2 == 0;
                        const TColor old = at(before, x, y);
                        QCOMPARE(at(image, x, y), area.contains(x, y) && bit ? (old & c) : old);
                    }
            }
    }

    void everySurfaceOfAnEllipseStaysInside()
    {
        const std::pair<TSurfaceType, TColor> cases[] = {
            {stBrushTransparent, clWhite}, {stBrushOpaque, clRed}, {stBrushImage, clLime},
            {stGradientFill, RGB(124, 0, 0)}, {stBrush50PercentOpaque, clRed}, {stBrush25PercentOpaque, clRed}};
        for (const auto& [surface, centre] : cases) {
            TManyShape shape;
            shape.resize(40, 40);
            shape.SetShape(gstEllipse);
            shape.SetBackColor(clRed);
            shape.SetImage(filled(4, 4, clLime));
            shape.SetSurfaceType(surface);
            const QImage image = painted(shape);
            QCOMPARE(at(image, 20, 20), centre);
            for (QPoint p : {QPoint(0, 0), QPoint(39, 0), QPoint(2, 37), QPoint(39, 39)})
                QCOMPARE(at(image, p.x(), p.y()), clWhite);
        }
    }

    void everyShapeFillsItsFigureOnly()
    {
        const std::pair<TGPShapeType, QPoint> cases[] = {
            {gstRoundRect, {0, 0}},        {gstRoundSquare, {59, 59}},     {gstCircle, {0, 59}},
            {gstDiamond, {5, 5}},          {gstStar, {42, 14}},            {gstPolyGon, {3, 30}},
            {gstTriangleLeft, {2, 2}},     {gstTriangleRight, {57, 2}},    {gstTriangleUp, {2, 2}},
            {gstTriangleDown, {2, 57}}};
        for (const auto& [figure, outside] : cases) {
            TManyShape shape;
            shape.resize(60, 60);
            shape.SetShape(figure);
            shape.SetBackColor(clRed);
            const QImage image = painted(shape);
            QVERIFY2(at(image, 30, 30) == clRed && at(image, outside.x(), outside.y()) == clWhite,
                     qPrintable(QString("shape %1").arg(figure)));
        }
    }

    void polygonCorners()
    {
        // Inner radius 2.5 straight below and above the centre: ties go to even.
        QCOMPARE(PolygonPoints(TRect{0, 0, 18, 18}, 4, 0, 50),
                 QPolygon({QPoint(14, 9), QPoint(9, 11), QPoint(4, 9), QPoint(9, 7), QPoint(14, 9)}));

        const QPolygon star = PolygonPoints(TRect{0, 0, 100, 100}, 5, 90, 0);
        QCOMPARE(star.size(), 6);
        QCOMPARE(star[0], QPoint(50, 4));
        for (const QPoint& p : star)
            QVERIFY(qAbs(QLineF(QPointF(50, 50), p).length() - 46) < 1);
    }

    void imageTilesFromTheCorner()
    {
        const QImage tile = noise(3, 2);
        TManyShape shape;
        shape.resize(10, 7);
        shape.SetOutlineStyle(psClear);
        shape.SetSurfaceType(stBrushImage);
        shape.SetImage(tile);
        const QImage image = painted(shape);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 10; ++x)
                QCOMPARE(at(image, x, y), at(tile, x % 3, y % 2));
        shape.SetImage(QImage());
        QCOMPARE(painted(shape), filled(10, 7, clWhite));
    }

    // The look repaints at once, a second equal value not at all; the
    // geometry waits for the next paint cycle.
    void lookRepaintsAtOnceGeometryWaits()
    {
        QWidget bar;
        bar.resize(200, 43);
        TManyShape s(&bar);
        s.AlignClient();
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        PaintCounter counter;
        s.installEventFilter(&counter);
        const std::function<void()> look[] = {
            [&] { s.SetBackColor(clMaroon); },     [&] { s.SetFillDirection(gdLeft); },
            [&] { s.SetForeColor(clRed); },        [&] { s.SetGradientToColor(clRed); },
            [&] { s.SetOutlineColor(clRed); },     [&] { s.SetOutlineStyle(psDot); },
            [&] { s.SetOutlineWidth(2); },         [&] { s.SetPattern(bsCross); },
            [&] { s.SetShadowColor(clRed); },      [&] { s.SetShadowFill(sf25Percent); },
            [&] { s.SetSurfaceType(stGradientFill); }};
        for (const auto& set : look) {
            const int before = counter.paints;
            set();
            set();
            QCOMPARE(counter.paints, before + 1);
        }
        const int before = counter.paints;
        s.SetInVectorPercent(10), s.SetRoundPerc(40), s.SetShadowDepth(3), s.SetShadowOrient(soUpperLeft);
        s.SetShape(gstDiamond), s.SetStartingAngle(10), s.SetVectors(20);
        QCOMPARE(counter.paints, before);
        QTRY_COMPARE(counter.paints, before + 1);
    }

    // Tints and transparent parts act on what the parent and the controls
    // below show, whether the bar is on screen or rendered into a picture.
    void parentAndLowerControlsShowThrough()
    {
        const TColor parent = RGB(0xFF, 0x80, 0x33), below = RGB(0x66, 0xCC, 0xFF), c = RGB(0x0F, 0xF0, 0xF0);
        for (bool onScreen : {false, true}) {
            QWidget bar(nullptr, Qt::FramelessWindowHint);
            bar.resize(20, 10);
            QPalette palette = bar.palette();
            palette.setColor(QPalette::Window, toQColor(parent));
            bar.setPalette(palette);
            TManyShape lower(&bar);
            lower.setGeometry(0, 0, 10, 10);
            lower.SetOutlineStyle(psClear);
            lower.SetBackColor(below);
            TManyShape shape(&bar);
            shape.AlignClient();
            shape.SetOutlineStyle(psClear);
            shape.SetSurfaceType(stBrush50PercentOpaque);
            shape.SetBackColor(c);
            if (onScreen) {
                bar.show();
                QVERIFY(QTest::qWaitForWindowExposed(&bar));
            }
            const QImage shown = onScreen ? bar.screen()->grabWindow(bar.winId()).toImage() : bar.grab().toImage();
            QVERIFY(at(shown, 4, 4) == (below & c) && at(shown, 5, 4) == below);
            QVERIFY(at(shown, 14, 4) == (parent & c) && at(shown, 15, 4) == parent);
        }
    }
};

QTEST_MAIN(TestGpShape)
#include "tst_gpshape.moc"
