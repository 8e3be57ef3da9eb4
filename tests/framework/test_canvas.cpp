// The canvas draws with raster operations and the classic geometry rules.
#include "Canvas.h"

#include <QImage>
#include <QRandomGenerator>
#include <QtTest>

namespace {

QImage noise(int w, int h, quint32 seed)
{
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, 0xFF000000u | (random.generate() & 0xFFFFFFu));
    return image;
}

QImage filled(int w, int h, TColor c)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(toQColor(c));
    return image;
}

TColor at(const QImage& image, int x, int y) { return fromPixel(image.pixel(x, y)); }

} // namespace

class TestCanvas : public QObject {
    Q_OBJECT

private slots:
    void penModesActOnEachPixel_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("expected");
        const TColor d = RGB(0x12, 0xF0, 0x5A), p = RGB(0x33, 0x0F, 0xC6);
        QTest::newRow("copy") << int(pmCopy) << int(p);
        QTest::newRow("mask") << int(pmMask) << int(d & p);
        QTest::newRow("not") << int(pmNot) << int(~d & 0xFFFFFF);
        QTest::newRow("notxor") << int(pmNotXor) << int(~(p ^ d) & 0xFFFFFF);
    }

    void penModesActOnEachPixel()
    {
        QFETCH(int, mode);
        QFETCH(int, expected);
        QImage image = filled(20, 20, RGB(0x12, 0xF0, 0x5A));
        TCanvas canvas(&image);
        canvas.Pen.Color = RGB(0x33, 0x0F, 0xC6);
        canvas.Pen.Mode = TPenMode(mode);
        canvas.MoveTo(2, 10);
        canvas.LineTo(18, 10);
        QCOMPARE(at(image, 10, 10), TColor(expected));
        QCOMPARE(at(image, 10, 5), RGB(0x12, 0xF0, 0x5A));
    }

    // A rubber band is erased by drawing it again: every pixel must come back,
    // whatever the figure, the pen width, the pen style and the fill.
    void rubberBandDrawnTwiceRestoresEveryPixel()
    {
        const QImage original = noise(120, 90, 7);
        using Draw = std::function<void(TCanvas&)>;
        const QList<QPair<const char*, Draw>> figures = {
            {"line", [](TCanvas& c) { c.MoveTo(5, 80); c.LineTo(110, 7); }},
            {"rectangle", [](TCanvas& c) { c.Rectangle(100, 70, 10, 12); }},
            {"ellipse", [](TCanvas& c) { c.Ellipse(10, 12, 100, 70); }},
            {"roundrect", [](TCanvas& c) { c.RoundRect(10, 12, 100, 70, -45, -29); }},
            {"star", [](TCanvas& c) { c.Polygon(QPolygon({{60, 5}, {95, 85}, {8, 35}, {112, 35}, {25, 85}})); }},
        };
        for (int width : {1, 2, 5, 21}) {
            for (TBrushStyle brush : {bsSolid, bsClear, bsCross, bsDiagCross}) {
                for (const auto& figure : figures) {
                    QImage image = original;
                    TCanvas canvas(&image);
                    canvas.Pen = TPen{clRed, width, width == 1 ? psDash : psSolid, pmNotXor};
                    canvas.Brush = TBrush{clBlue, brush};
                    figure.second(canvas);
                    QVERIFY2(image != original, figure.first);
                    figure.second(canvas);
                    QVERIFY2(image == original, qPrintable(QStringLiteral("%1 width %2 brush %3")
                                                               .arg(figure.first).arg(width).arg(int(brush))));
                }
            }
        }
    }

    // The outline goes back to the first point; a part the outline crosses
    // twice is outside by the even-odd rule.
    void polygonIsClosedAndFilledEvenOdd()
    {
        QImage image = filled(120, 90, clWhite);
        TCanvas canvas(&image);
        canvas.Pen = TPen{clRed, 1, psSolid, pmCopy};
        canvas.Brush = TBrush{clBlue, bsSolid};
        const QRect touched = canvas.Polygon(QPolygon({{60, 5}, {95, 85}, {8, 35}, {112, 35}, {25, 85}}));
        QVERIFY(touched.contains(QRect(8, 5, 105, 81)));
        for (QPoint corner : {QPoint(60, 5), QPoint(95, 85), QPoint(8, 35), QPoint(112, 35), QPoint(25, 85)})
            QCOMPARE(at(image, corner.x(), corner.y()), clRed);
        QCOMPARE(at(image, 20, 40), clBlue); // a point of the star
        QCOMPARE(at(image, 60, 50), clWhite); // the middle, inside twice
        QCOMPARE(at(image, 60, 80), clWhite); // between two points
    }

    // An inverting pen changes each pixel of a figure once, where parts of
    // it overlap too: it inverts exactly what a black pen covers.
    void invertingPenCoversWhatACopyingPenCovers()
    {
        using Draw = std::function<void(TCanvas&)>;
        const QList<Draw> figures = {
            [](TCanvas& c) { c.Rectangle(100, 70, 10, 12); },
            [](TCanvas& c) { c.Rectangle(40, 10, 62, 80); }, // the wide pen's sides meet
            [](TCanvas& c) { c.Ellipse(15, 14, 60, 50); },
            [](TCanvas& c) { c.MoveTo(5, 80); c.LineTo(110, 7); },
        };
        for (int width : {1, 2, 5, 21}) {
            for (TBrushStyle brush : {bsSolid, bsClear}) {
                for (int figure = 0; figure < figures.size(); ++figure) {
                    QImage copied = filled(120, 90, clWhite), inverted = copied;
                    for (auto [image, mode] : {std::pair{&copied, pmCopy}, std::pair{&inverted, pmNot}}) {
                        TCanvas canvas(image);
                        canvas.Pen = TPen{clBlack, width, psSolid, mode};
                        canvas.Brush = TBrush{clBlack, brush};
                        figures[figure](canvas);
                    }
                    QVERIFY2(inverted == copied, qPrintable(QStringLiteral("figure %1 width %2 brush %3")
                                                                .arg(figure).arg(width).arg(int(brush))));
                }
            }
        }
    }

    void thinLineLeavesItsEndPixel()
    {
        QImage image = filled(30, 10, clWhite);
        TCanvas canvas(&image);
        canvas.Pen.Color = clBlack;
        canvas.MoveTo(2, 5);
        canvas.LineTo(20, 5);
        QCOMPARE(at(image, 2, 5), clBlack);
        QCOMPARE(at(image, 19, 5), clBlack);
        QCOMPARE(at(image, 20, 5), clWhite);
    }

    // A wide line is the same band of pixels whichever end the drag began at,
    // at any slope; its far side rounds outwards, never onto the path.
    void wideLineIsTheSameWhicheverWayItIsDrawn()
    {
        const QList<QLine> lines = {{20, 30, 140, 90}, {60, 10, 90, 110}, {80, 60, 10, 85},
                                    {-20, 100, 180, 20}, {80, 60, 120, 100}, {20, 60, 140, 60}};
        for (int width : {2, 3, 5, 8, 15}) {
            for (const QLine& line : lines) {
                QImage forward = filled(160, 120, clWhite), backward = forward;
                TCanvas a(&forward), b(&backward);
                a.Pen.Width = b.Pen.Width = width;
                a.MoveTo(line.x1(), line.y1());
                a.LineTo(line.x2(), line.y2());
                b.MoveTo(line.x2(), line.y2());
                b.LineTo(line.x1(), line.y1());
                QVERIFY2(forward == backward, qPrintable(QStringLiteral("width %1 from %2,%3").arg(width)
                                                             .arg(line.x1()).arg(line.y1())));
                const QPoint middle = (line.p1() + line.p2()) / 2;
                QCOMPARE(at(forward, middle.x(), middle.y()), clBlack);
            }
        }
    }

    void rectangleCoversLeftTopButNotRightBottom()
    {
        QImage image = filled(30, 30, clWhite);
        TCanvas canvas(&image);
        canvas.Pen.Color = clBlack;
        canvas.Brush = TBrush{clRed, bsSolid};
        canvas.Rectangle(5, 5, 15, 12);
        QCOMPARE(at(image, 5, 5), clBlack);
        QCOMPARE(at(image, 14, 11), clBlack);
        QCOMPARE(at(image, 15, 11), clWhite);
        QCOMPARE(at(image, 14, 12), clWhite);
        QCOMPARE(at(image, 10, 8), clRed);
    }

    void roundRectIsTheSameWhicheverWayItIsDragged()
    {
        QImage forward = filled(80, 60, clWhite), backward = forward;
        TCanvas a(&forward), b(&backward);
        a.Pen.Color = b.Pen.Color = clBlack;
        // As the surface does it: the corner is half the box, signed by the drag.
        a.RoundRect(10, 10, 70, 50, (10 - 70) / 2, (10 - 50) / 2);
        b.RoundRect(70, 50, 10, 10, (70 - 10) / 2, (50 - 10) / 2);
        QCOMPARE(forward, backward);
        QCOMPARE(at(forward, 10, 10), clWhite); // the corner is rounded off
    }

    void hatchedBrushLeavesGapsAndClearBrushFillsNothing()
    {
        for (int figure = 0; figure < 3; ++figure) {
            QImage image = filled(60, 60, clWhite);
            TCanvas canvas(&image);
            canvas.Pen.Color = clRed;
            canvas.Brush = TBrush{clBlue, bsCross};
            if (figure == 0) canvas.Rectangle(0, 0, 60, 60);
            if (figure == 1) canvas.Ellipse(0, 0, 60, 60);
            if (figure == 2) canvas.RoundRect(0, 0, 60, 60, 30, 30);
            int blue = 0, white = 0, other = 0;
            for (int y = 20; y < 40; ++y)
                for (int x = 20; x < 40; ++x)
                    (at(image, x, y) == clBlue ? blue : at(image, x, y) == clWhite ? white : other) += 1;
            QVERIFY(blue > 40);
            QCOMPARE(other, 0); // the gaps keep what was there
        }

        QImage empty = filled(60, 60, clWhite);
        TCanvas clear(&empty);
        clear.Pen.Color = clBlack;
        clear.Brush = TBrush{clBlue, bsClear};
        clear.Rectangle(0, 0, 60, 60);
        QCOMPARE(at(empty, 30, 30), clWhite);
        QCOMPARE(at(empty, 0, 30), clBlack);
    }

    void textIsOpaqueOnlyOverASolidBrush()
    {
        QImage image = filled(200, 60, clWhite);
        TCanvas canvas(&image);
        canvas.Font.Color = clBlack;
        canvas.Font.Size = 20;
        canvas.Brush = TBrush{clYellow, bsSolid};
        canvas.Pen.Mode = pmNotXor; // text ignores the pen mode
        const QRect r = canvas.TextOut(5, 5, QStringLiteral("Mark"));
        QVERIFY(r.contains(5, 5));
        QCOMPARE(at(image, 5, 5), clYellow);
        canvas.Brush.Style = bsClear;
        canvas.TextOut(5, 35, QStringLiteral("Mark"));
        QCOMPARE(at(image, 5, 35), clWhite);
        bool black = false;
        for (int x = 5; x < 60 && !black; ++x)
            for (int y = 35; y < 58 && !black; ++y)
                black = at(image, x, y) == clBlack;
        QVERIFY(black);
    }

    // The window repaints only what a drawing call reported: every changed
    // pixel must lie inside it, or the screen would keep stale pixels.
    void reportedAreaCoversEveryChangedPixel()
    {
        QRandomGenerator random(99);
        for (int round = 0; round < 300; ++round) {
            QImage image = noise(300, 220, round);
            const QImage before = image;
            TCanvas canvas(&image);
            QRegion reported;
            canvas.OnChange = [&](const QRegion& r) { reported += r; };
            canvas.Pen = TPen{clRed, 1 + int(random.bounded(25)), psSolid, pmNotXor};
            canvas.Brush = TBrush{clBlue, random.bounded(2) ? bsClear : bsSolid};
            const int x1 = random.bounded(300), y1 = random.bounded(220);
            const int x2 = random.bounded(300), y2 = random.bounded(220);
            switch (round % 4) {
            case 0: canvas.Rectangle(x1, y1, x2, y2); break;
            case 1: canvas.Ellipse(x1, y1, x2, y2); break;
            case 2: canvas.RoundRect(x1, y1, x2, y2, (x1 - x2) / 2, (y1 - y2) / 2); break;
            case 3: canvas.MoveTo(x1, y1); canvas.LineTo(x2, y2); break;
            }
            for (int y = 0; y < 220; ++y)
                for (int x = 0; x < 300; ++x)
                    if (image.pixel(x, y) != before.pixel(x, y))
                        QVERIFY2(reported.contains(QPoint(x, y)),
                                 qPrintable(QStringLiteral("round %1 at %2,%3").arg(round).arg(x).arg(y)));
        }
    }

    void largeOutlineReportsLittleMoreThanItsEdge()
    {
        QImage image = filled(2000, 1500, clWhite);
        TCanvas canvas(&image);
        QRegion reported;
        canvas.OnChange = [&](const QRegion& r) { reported = r; };
        canvas.Pen.Width = 3;
        canvas.Brush.Style = bsClear;
        auto area = [&] {
            qint64 pixels = 0;
            for (const QRect& r : reported)
                pixels += qint64(r.width()) * r.height();
            return pixels;
        };
        canvas.Ellipse(10, 10, 1990, 1490);
        QVERIFY(area() < qint64(2000) * 1500 / 8);
        // A rubber band repaints strips no wider than its pen and a margin.
        canvas.Rectangle(10, 10, 1990, 1490);
        QVERIFY(area() < 2 * (1980 + 1480) * (canvas.Pen.Width + 7));
    }

    void drawingReportsOnlyTheTouchedRectangle()
    {
        QImage image = filled(400, 300, clWhite);
        TCanvas canvas(&image);
        QList<QRect> reported;
        canvas.OnChange = [&](const QRegion& r) { reported << r.boundingRect(); };
        canvas.Pen.Width = 4;
        canvas.Rectangle(100, 100, 150, 140);
        QCOMPARE(reported.size(), 1);
        QVERIFY(reported[0].contains(QRect(100, 100, 50, 40)));
        QVERIFY(reported[0].width() <= 62 && reported[0].height() <= 52);
        canvas.MoveTo(10, 10);
        canvas.LineTo(10, 10); // a click with a wide pen leaves a round dot
        QCOMPARE(reported.size(), 2);
        QVERIFY(reported[1].contains(QRect(8, 8, 4, 4)));
        QCOMPARE(at(image, 9, 9), clBlack);
        canvas.Pen.Width = 1;
        canvas.LineTo(10, 10); // a thin pen leaves out its end: nothing drawn, nothing reported
        QCOMPARE(reported.size(), 2);
    }
};

QTEST_MAIN(TestCanvas)
#include "test_canvas.moc"
