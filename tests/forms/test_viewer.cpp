// The annotation surface turns pointer input into figures drawn straight
// into the snapshot, scaled to the picture.
#include "FormsFixture.h"
#include "History.h"

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

    // One step of a history scenario; k numbers the step, so marks land apart.
    void perform(QChar op, int k)
    {
        const int x = 40 + 60 * k;
        switch (op.unicode()) {
        case 'R': fMain->btnRectangleClick(nullptr); drag({x, 60}, {{x + 150, 200}, {x + 250, 240}}); break;
        case 'L': fMain->btnLineClick(nullptr); drag({x, 300}, {{x + 200, 420}}); break;
        case 'S': fMain->btnScribbleClick(nullptr); drag({x, 500}, {{x + 80, 560}, {x + 160, 520}}); break;
        case 'T': // a text placed with its whole drag trail
            startTextTrail(x);
            fViewer->FormMouseUp(fViewer, mbLeft, 0, x + 200, 650);
            break;
        case 'K': fViewer->Canvas().Draw(x, 100, stampPicture()); break; // as the stamp window prints
        case 'C': fMain->btnEraseClick(fMain->btnErase); break;
        case 'O': fViewer->Image1->Picture.Assign(screenPicture(800, 600)); break; // as Open loads a file
        case 'P': // a new capture of another screen
            forms->services->screen->picture = screenPicture().mirrored(true, false);
            fMain->btnSnapShotClick(fMain->btnSnapShot);
            fMain->btnSnapShotClick(fMain->btnSnapShot);
            break;
        case 'u': fViewer->Undo(); break;
        case 'r': fViewer->Redo(); break;
        case 'x': // Escape in the middle of a rubber band, then the release
            fMain->btnRectangleClick(nullptr);
            fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, x, 80);
            fViewer->FormMouseMove(fViewer, ssLeft, x + 300, 300);
            QVERIFY(fViewer->CancelStroke());
            fViewer->FormMouseMove(fViewer, ssLeft, x + 320, 320);
            fViewer->FormMouseUp(fViewer, mbLeft, 0, x + 320, 320);
            break;
        case 'X': // Escape while a text is dragged
            startTextTrail(x);
            QVERIFY(fViewer->CancelStroke());
            fViewer->FormMouseUp(fViewer, mbLeft, 0, x + 200, 650);
            break;
        case 'z': // Ctrl+Z while a line is being drawn takes back that line only
            fMain->btnLineClick(nullptr);
            fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, x, 700);
            fViewer->FormMouseMove(fViewer, ssLeft, x + 200, 740);
            fViewer->Undo();
            fViewer->FormMouseUp(fViewer, mbLeft, 0, x + 200, 740);
            break;
        }
    }

    void startTextTrail(int x)
    {
        fMain->TextBox().SetText(QStringLiteral("Note"));
        fMain->btnTextClick(nullptr);
        fViewer->DragText = true;
        fViewer->DragPauseMax = 1;
        fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, x, 650);
        for (int i = 1; i <= 4; ++i)
            fViewer->FormMouseMove(fViewer, ssLeft, x + 50 * i, 650);
    }

private slots:
    void init()
    {
        forms = std::make_unique<Forms>();
        forms->start();
    }
    void cleanup() { forms.reset(); }

    void history_data()
    {
        QTest::addColumn<QString>("ops");
        QTest::addColumn<int>("maxSteps");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<int>("showsAfter"); // the picture as after that many steps
        QTest::addColumn<int>("keptBelow");  // the steps' pixels stay under this many bytes
        const int frame = 1024 * 768 * 4, noCap = std::numeric_limits<int>::max();
        QTest::newRow("a rectangle keeps only its outline") << "R" << 100 << noCap << 1 << frame / 20;
        QTest::newRow("undo twice is the snapshot") << "RLuu" << 100 << noCap << 0 << frame / 10;
        QTest::newRow("redo brings the rectangle back") << "RLuur" << 100 << noCap << 1 << 0;
        QTest::newRow("redo again the line") << "RLuurr" << 100 << noCap << 2 << 0;
        QTest::newRow("a new mark drops the redo steps") << "RLuSr" << 100 << noCap << 4 << 0;
        QTest::newRow("a mark over an undone one") << "RuRu" << 100 << noCap << 0 << 0;
        QTest::newRow("then undo reaches back past it") << "RLuSuu" << 100 << noCap << 0 << 0;
        QTest::newRow("clear is one step and undone") << "RSCu" << 100 << noCap << 2 << frame / 4;
        QTest::newRow("clear redone") << "RSCur" << 100 << noCap << 0 << 0;
        QTest::newRow("clear of a picture of another size") << "ORCu" << 100 << noCap << 2 << 0;
        QTest::newRow("and redone") << "ORCur" << 100 << noCap << 0 << 0;
        QTest::newRow("a picture opened starts afresh") << "ROu" << 100 << noCap << 2 << 0;
        QTest::newRow("stamp and text trail a step each") << "KTu" << 100 << noCap << 1 << 0;
        QTest::newRow("undo everything is the snapshot") << "RLSTKCuuuuuu" << 100 << noCap << 0 << 0;
        QTest::newRow("Escape puts back a rubber band") << "Rx" << 100 << noCap << 1 << 0;
        QTest::newRow("a stroke given up is no step") << "Rxu" << 100 << noCap << 0 << 0;
        QTest::newRow("Escape puts back a text trail") << "X" << 100 << noCap << 0 << 0;
        QTest::newRow("undo during a stroke takes back that stroke") << "Rz" << 100 << noCap << 1 << 0;
        QTest::newRow("the step cap drops the oldest") << "RRRRRuuuuu" << 3 << noCap << 2 << 0;
        QTest::newRow("the byte cap keeps the newest") << "RLSuuu" << 100 << 1 << 2 << 0;
        QTest::newRow("a new capture starts afresh") << "RPu" << 100 << noCap << 2 << 0;
    }

    void history()
    {
        QFETCH(QString, ops);
        QFETCH(int, maxSteps);
        QFETCH(int, maxBytes);
        QFETCH(int, showsAfter);
        QFETCH(int, keptBelow);
        fViewer->setGeometry(0, 0, 1024, 768);
        fMain->btnSnapShotClick(fMain->btnSnapShot);
        fViewer->History().SetLimits(maxBytes, maxSteps);
        QList<QImage> after{fViewer->Image1->Picture.Bitmap()};
        for (int k = 0; k < ops.size(); ++k) {
            perform(ops[k], k);
            after << fViewer->Image1->Picture.Bitmap();
            QVERIFY2(after[k + 1] != after[k] || QStringLiteral("uxXzr").contains(ops[k]), "every mark shows");
        }
        QVERIFY(fViewer->Image1->Picture.Bitmap() == after[showsAfter]);
        if (keptBelow > 0)
            QCOMPARE(qMin(fViewer->History().Bytes(), qint64(keptBelow)), fViewer->History().Bytes());
    }

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
        fMain->Drawing().setLineColor(clYellow);
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
        fMain->TextBox().SetText(QStringLiteral("Note"));
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
        fMain->TextBox().SetText(QStringLiteral("X"));
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
