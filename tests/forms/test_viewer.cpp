// The annotation surface turns pointer input into figures drawn straight
// into the snapshot, scaled to the picture.
#include "FormsFixture.h"

#include <QtTest>

namespace {

QImage plain(int w, int h, QRgb colour = qRgb(255, 255, 255))
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TColor pixel(int x, int y) { return fromPixel(fViewer->Image1->Picture.Bitmap().pixel(x, y)); }

int pixelsOf(TColor colour)
{
    const QImage& image = fViewer->Image1->Picture.Bitmap();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += fromPixel(image.pixel(x, y)) == colour;
    return count;
}

} // namespace

class TestViewer : public QObject {
    Q_OBJECT
    std::unique_ptr<Forms> forms;

    void showPicture(const QImage& picture, int surfaceHeight = 768)
    {
        fViewer->setGeometry(0, 0, 1024, surfaceHeight);
        fViewer->Image1->Picture.Assign(picture);
        fViewer->Hide();
        fViewer->Show();
    }

    void drag(QPoint from, QList<QPoint> path, TMouseButton button = mbLeft)
    {
        const TShiftState held = button == mbLeft ? ssLeft : ssRight;
        fViewer->FormMouseDown(fViewer, button, held, from.x(), from.y());
        for (const QPoint& p : path)
            fViewer->FormMouseMove(fViewer, held, p.x(), p.y());
        fViewer->FormMouseUp(fViewer, button, 0, path.last().x(), path.last().y());
    }

private slots:
    void init()
    {
        forms = std::make_unique<Forms>();
        forms->start();
    }
    void cleanup() { forms.reset(); }

    void scaleFollowsTheCapturesHeight()
    {
        showPicture(plain(1024, 768));
        QCOMPARE(fViewer->OffsetXY, 10);
        QVERIFY(fMain->sbtnIcon->Visible() && fMain->btnText2->Visible() && fMain->Image1->Visible());

        showPicture(plain(1024, 769));
        QCOMPARE(fViewer->OffsetXY, 10); // 7690 / 768 truncates
        QVERIFY(!fMain->sbtnIcon->Visible() && !fMain->btnText2->Visible() && !fMain->Image1->Visible());

        showPicture(plain(1600, 1200));
        QCOMPARE(fViewer->OffsetXY, 15);
        showPicture(plain(1024, 768)); // withdrawn for good
        QVERIFY(!fMain->sbtnIcon->Visible());
    }

    void pointerPositionsAreScaledToTheBitmap()
    {
        showPicture(plain(1600, 1200));
        fMain->btnRectangleClick(nullptr);
        fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, 100, 101);
        QCOMPARE(fViewer->Origin, QPoint(150, 151));
        fViewer->FormMouseMove(fViewer, 0, 11, 11);
        QCOMPARE(QPoint(fViewer->mouseX, fViewer->mouseY), QPoint(16, 16));
    }

    void scribbleCommitsEachSegment()
    {
        showPicture(plain(400, 300));
        fMain->btnScribbleClick(nullptr);
        fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, 10, 10);
        fViewer->FormMouseMove(fViewer, ssLeft, 100, 10);
        QCOMPARE(pixel(50, 10), clAqua);
        fViewer->FormMouseMove(fViewer, ssLeft, 100, 100);
        QCOMPARE(pixel(50, 10), clAqua); // stays: segments are committed
        QCOMPARE(pixel(100, 50), clAqua);
        fViewer->FormMouseUp(fViewer, mbLeft, 0, 100, 100);
        QVERIFY(!fViewer->Drawing);
    }

    void rubberBandLeavesOnlyTheFinalFigure()
    {
        const QImage clean = screenPicture(600, 400);
        showPicture(clean);
        fMain->btnRectangleClick(nullptr);
        fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, 50, 50);
        for (int i = 1; i <= 20; ++i)
            fViewer->FormMouseMove(fViewer, ssLeft, 50 + i * 20, 50 + i * 12);
        // Take the band back to where it started: every pixel is as before.
        fViewer->FormMouseMove(fViewer, ssLeft, 50, 50);
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), clean);
        fViewer->FormMouseMove(fViewer, ssLeft, 200, 150);
        fViewer->FormMouseUp(fViewer, mbLeft, 0, 200, 150);
        QCOMPARE(pixel(120, 50), clLime);  // the final outline, in copy mode
        QCOMPARE(pixel(120, 100), fromPixel(clean.pixel(120, 100)));
        QCOMPARE(pixel(400, 300), fromPixel(clean.pixel(400, 300)));
    }

    void rightButtonDragsDrawToo()
    {
        showPicture(plain(400, 300));
        fMain->btnLineClick(nullptr);
        drag({20, 20}, {{100, 20}, {200, 20}}, mbRight);
        QCOMPARE(pixel(150, 20), clAqua);
    }

    void highlighterMasksAndLocksToTheAnchorsRow()
    {
        showPicture(plain(400, 300, qRgb(200, 100, 50)));
        fMain->btnLineClick(nullptr);
        fSetup->Highlight->SetDown(true);
        fSetup->HighlightClick(fSetup->Highlight);
        QVERIFY(fViewer->Marker && fViewer->HLock);
        fSetup->shapePen->SetPenColor(clYellow);
        fMain->SetParameters();
        drag({20, 100}, {{150, 180}, {300, 250}});
        // Masked with yellow: red and green stay, blue goes; all on row 100.
        QCOMPARE(pixel(200, 100), RGB(200, 100, 0));
        QCOMPARE(pixel(200, 250), RGB(200, 100, 50));
        QCOMPARE(pixel(100, 100), RGB(200, 100, 0)); // the widest span stays
    }

    void textIsPlacedAtThePressAndReleaseChangesNothing()
    {
        showPicture(plain(400, 300));
        fMain->eText->SetText(QStringLiteral("Note"));
        fMain->btnTextClick(nullptr);
        fViewer->Canvas().Font.Color = clRed;
        fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, 100, 100);
        QCOMPARE(fViewer->Origin, QPoint(100, 100 - fViewer->Canvas().Font.Size));
        const int red = pixelsOf(clRed);
        QVERIFY(red > 10);
        const QImage placed = fViewer->Image1->Picture.Bitmap();
        fViewer->FormMouseMove(fViewer, ssLeft, 200, 200);
        fViewer->FormMouseUp(fViewer, mbLeft, 0, 250, 250);
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), placed);
    }

    void draggedTextLeavesATrailAtThePreviousPosition()
    {
        showPicture(plain(800, 400));
        fMain->eText->SetText(QStringLiteral("X"));
        fMain->btnTextClick(nullptr);
        fViewer->Canvas().Font.Color = clRed;
        fViewer->DragText = true;
        fViewer->DragPauseMax = 1;
        fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, 100, 100);
        const int one = pixelsOf(clRed);
        fViewer->FormMouseMove(fViewer, ssLeft, 300, 100); // copy at the previous position
        fViewer->FormMouseMove(fViewer, ssLeft, 500, 100);
        QCOMPARE(fViewer->MovePt, QPoint(300, 100 - fViewer->Canvas().Font.Size));
        fViewer->FormMouseMove(fViewer, ssLeft, 700, 100);
        QVERIFY(pixelsOf(clRed) >= 3 * one);
    }

    void pressAndReleaseAtOnePointDrawsAtThatPoint()
    {
        const QImage clean = plain(200, 200);
        showPicture(clean);
        fMain->btnEllipseClick(nullptr);
        drag({50, 50}, {{50, 50}});
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), clean); // a figure of no size
        QVERIFY(!fViewer->Drawing);
    }

    void moveWithoutAButtonOnlyTracksThePointer()
    {
        const QImage clean = plain(200, 200);
        showPicture(clean);
        fMain->btnScribbleClick(nullptr);
        fViewer->FormMouseMove(fViewer, 0, 120, 80);
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), clean);
        QCOMPARE(QPoint(fViewer->mouseX, fViewer->mouseY), QPoint(120, 80));
    }

    void smallPictureIsStretchedButDrawnAtPointerCoordinates()
    {
        showPicture(plain(320, 240));
        QCOMPARE(fViewer->OffsetXY, 10);
        fMain->btnLineClick(nullptr);
        drag({10, 10}, {{300, 10}});
        QCOMPARE(pixel(200, 10), clAqua);
    }
};

QTEST_MAIN(TestViewer)
#include "test_viewer.moc"
