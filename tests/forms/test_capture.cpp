// Capture, clear, recovery and the bar's two sizes, with a scripted screen
// and Print Screen key.
#include "FormsFixture.h"

#include "Gpshape.h"

#include <QScreen>
#include <QtTest>

class TestCapture : public QObject {
    Q_OBJECT

    // Screen.bmp is written in the background; the checks read it once written.
    static void capture()
    {
        fMain->btnSnapShotClick(fMain->btnSnapShot);
        fMain->WaitForScreenFile();
    }

private slots:
    void captureShowsTheScreenAndKeepsACleanCopy()
    {
        Forms forms;
        forms.start();
        fMain->btnRectangleClick(fMain->btnRectangle);
        capture();
        QCOMPARE(forms.services->keyboard->keys, QList<int>({VK_SNAPSHOT}));
        QVERIFY(fViewer->isVisible());
        QVERIFY(fMain->isVisible());
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), screenPicture());
        QCOMPARE(fMain->btnSnapShot->Caption(), QStringLiteral("Remove"));
        QCOMPARE(fMain->btnSnapShot->FontColor(), clBlue);
        QCOMPARE(fMain->ManyShape1->BackColor(), clMaroon);
        QVERIFY(fSetup->btnSave->isEnabled());
        QCOMPARE(fViewer->DrawingTool, dtRectangle); // the tool applies at once
        QCOMPARE(QImage(forms.path("Screen.bmp")).convertToFormat(QImage::Format_RGB32), screenPicture());

        // Drawing marks the surface but never the recovery copy.
        fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, 100, 100);
        fViewer->FormMouseMove(fViewer, ssLeft, 200, 150);
        fViewer->FormMouseUp(fViewer, mbLeft, 0, 200, 150);
        QVERIFY(fViewer->Image1->Picture.Bitmap() != screenPicture());
        QCOMPARE(QImage(forms.path("Screen.bmp")).convertToFormat(QImage::Format_RGB32), screenPicture());

        capture(); // "Remove"
        QVERIFY(!fViewer->isVisible());
        QCOMPARE(fMain->btnSnapShot->Caption(), QStringLiteral("Capture"));
        QCOMPARE(fMain->btnSnapShot->FontColor(), clMaroon);
        QCOMPARE(fMain->ManyShape1->BackColor(), clBlue);
        QVERIFY(!fSetup->btnSave->isEnabled());
        QVERIFY(QFile::exists(forms.path("Screen.bmp")));

        // Quitting straight after a capture leaves the whole new snapshot on disk.
        forms.services->screen->picture = screenPicture(800, 600);
        fMain->btnSnapShotClick(fMain->btnSnapShot);
        fMain->btnQuitClick(fMain->btnQuit);
        QCOMPARE(QImage(forms.path("Screen.bmp")).convertToFormat(QImage::Format_RGB32), screenPicture(800, 600));
    }

    void snapshotThatCannotBeWrittenIsReportedWithItsFile()
    {
        Forms forms;
        forms.start();
        QVERIFY(QDir(forms.path("")).mkdir("Screen.bmp")); // a folder stands where the file goes
        capture();
        QCOMPARE(forms.services->messages->shown.size(), 1);
        QCOMPARE(forms.services->messages->shown[0].request.icon, MsgIcon::Error);
        QVERIFY(forms.messages()[0].contains(forms.path("Screen.bmp")));
        QVERIFY(fViewer->isVisible()); // the snapshot is still there to mark up
    }

    void theCaptureNeverHoldsTheProgramsWindows()
    {
        Forms forms;
        forms.start();
        fMain->btnSetupClick(fMain->btnSetup);
        const QPoint setupAt = fSetup->pos();
        bool hiddenAtGrab = false;
        forms.services->screen->picture = screenPicture();
        // The scripted key grabs at once; the bar and the open setup dialog
        // must already be gone.
        struct Watch : ScriptedKeyboard {
            bool* hidden;
            void KeyDown(int key) override
            {
                *hidden = !fMain->isVisible() && !fSetup->isVisible();
                ScriptedKeyboard::KeyDown(key);
            }
        };
        auto watch = std::make_unique<Watch>();
        watch->hidden = &hiddenAtGrab;
        Services::Install(std::move(watch));
        capture();
        QVERIFY(hiddenAtGrab);
        QVERIFY(fMain->isVisible() && fSetup->isVisible()); // back as they were
        QCOMPARE(fSetup->pos(), setupAt);
    }

    void failedPasteTellsTheUserAndKeepsTheLastSnapshot()
    {
        Forms forms;
        forms.start();
        capture();
        const QByteArray clean = forms.readFile("Screen.bmp");
        fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, 10, 10);
        fViewer->FormMouseMove(fViewer, ssLeft, 300, 300);
        fViewer->FormMouseUp(fViewer, mbLeft, 0, 300, 300);
        const QImage marked = fViewer->Image1->Picture.Bitmap();
        capture(); // Remove
        forms.services->keyboard->delivers = false;
        capture();
        QCOMPARE(forms.messages(), QStringList({"Saving screen to the clipboard has failed."}));
        QCOMPARE(forms.services->messages->shown[0].request.caption, QStringLiteral("Error: Clipboard failure"));
        QCOMPARE(forms.services->messages->shown[0].request.icon, MsgIcon::None);
        QVERIFY(fViewer->isVisible());
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), marked);
        QCOMPARE(forms.readFile("Screen.bmp"), clean);
    }

    void refusedGrabGivesTheSameMessage()
    {
        Forms forms;
        forms.start();
        forms.services->screen->picture = QImage(); // the desktop refuses every grab
        capture();
        QCOMPARE(forms.messages(), QStringList({"Saving screen to the clipboard has failed."}));
        QVERIFY(!QFile::exists(forms.path("Screen.bmp")));
    }

    // A capture the desktop refuses says why at once, and shows and keeps
    // nothing; the next one works as ever.
    void aRefusedFirstCaptureSaysWhyAndLeavesNothingOnTheScreen()
    {
        Forms forms;
        forms.start();
        forms.services->keyboard->delivers = false;
        forms.services->keyboard->failure = QStringLiteral("The desktop refused the screenshot.");
        QElapsedTimer clock;
        clock.start();
        capture();
        QVERIFY(clock.elapsed() < 1000); // no wait for a picture that will not come
        QCOMPARE(forms.messages(),
                 QStringList({"Saving screen to the clipboard has failed.\n\nThe desktop refused the screenshot."}));
        QVERIFY(!fViewer->isVisible());
        QVERIFY(fMain->isVisible());
        QCOMPARE(fMain->btnSnapShot->Caption(), QStringLiteral("Capture"));
        QCOMPARE(fMain->ManyShape1->BackColor(), clBlue);
        QVERIFY(!fSetup->btnSave->isEnabled());
        QVERIFY(!QFile::exists(forms.path("Screen.bmp")));
        forms.services->keyboard->delivers = true;
        capture();
        QVERIFY(fViewer->isVisible());
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), screenPicture());
    }

    void clearReloadsALargeSnapshotOrPastesASmallOne()
    {
        for (int size : {900000, 900001}) {
            Forms forms;
            forms.start();
            capture();
            // A file of the given size: a bitmap whose tail is padding.
            QByteArray bytes = forms.readFile("Screen.bmp");
            QVERIFY(bytes.size() > 900001);
            QImage small = screenPicture(100, 80);
            small.save(forms.path("small.bmp"), "BMP");
            QByteArray smallBytes = forms.readFile("small.bmp");
            smallBytes.append(QByteArray(size - smallBytes.size(), '\0'));
            forms.writeFile("Screen.bmp", smallBytes);
            forms.services->clipboard->picture = screenPicture(50, 40);
            const int keysBefore = forms.services->keyboard->keys.size();
            fMain->btnEraseClick(fMain->btnErase);
            if (size > 900000) {
                QCOMPARE(fViewer->Image1->Picture.Bitmap().size(), QSize(100, 80));
                QCOMPARE(forms.services->keyboard->keys.size(), keysBefore);
            } else {
                QCOMPARE(fViewer->Image1->Picture.Bitmap().size(), QSize(50, 40));
                QCOMPARE(forms.services->keyboard->keys.size(), keysBefore + 1);
                QVERIFY(fMain->isVisible() && fViewer->isVisible());
            }
        }
    }

    void clearRestoresTheCleanPictureAndTheTool()
    {
        Forms forms;
        forms.services->screen->picture = screenPicture(1024, 768);
        forms.start();
        fMain->btnEllipseClick(fMain->btnEllipse);
        capture();
        fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, 10, 10);
        fViewer->FormMouseUp(fViewer, mbLeft, 0, 300, 300);
        // A moment after the marks rest they are on disk for a recovery,
        // while the snapshot stays clean for Clear.
        const auto onDisk = [&](const char* name) {
            return QImage(forms.path(name)).convertToFormat(QImage::Format_RGB32);
        };
        const QImage marked = fViewer->Image1->Picture.Bitmap();
        QVERIFY(marked != screenPicture(1024, 768));
        QTRY_COMPARE_WITH_TIMEOUT(onDisk("Marked.bmp"), marked, 5000);
        QCOMPARE(onDisk("Screen.bmp"), screenPicture(1024, 768));
        QCOMPARE(fMain->RecoveryFile(), forms.path("Marked.bmp"));
        fMain->btnEraseClick(fMain->btnErase);
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), screenPicture(1024, 768));
        QCOMPARE(fViewer->DrawingTool, dtEllipse);
        QTRY_COMPARE_WITH_TIMEOUT(onDisk("Marked.bmp"), screenPicture(1024, 768), 5000);
    }

    void damagedSnapshotAtClearIsReportedAndThePictureKept()
    {
        Forms forms;
        forms.start();
        capture();
        fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, 10, 10);
        fViewer->FormMouseMove(fViewer, ssLeft, 300, 300);
        const QImage marked = fViewer->Image1->Picture.Bitmap();
        QByteArray torn = forms.readFile("Screen.bmp");
        torn.truncate(torn.size() / 2);
        forms.writeFile("Screen.bmp", torn);
        fMain->btnErase->click();
        QCOMPARE(forms.services->messages->shown.size(), 1);
        QCOMPARE(forms.services->messages->shown[0].request.icon, MsgIcon::Error);
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), marked);
    }

    void toolBarToggleReturnsAboveTheBottom()
    {
        Forms forms;
        forms.start();
        const QRect screen = fMain->screen()->geometry(); // the monitor the bar is on
        fMain->btnPanelClick(fMain->btnPanel);
        QCOMPARE(fMain->btnPanel->Caption(), QStringLiteral("Hide Bar"));
        QCOMPARE(fMain->geometry(), QRect(0, screen.height() - 43, screen.width(), 43));
        QCOMPARE(fMain->BorderStyle(), bsNone);
        fMain->btnPanelClick(fMain->btnPanel);
        QCOMPARE(fMain->btnPanel->Caption(), QStringLiteral("Tool Bar"));
        QCOMPARE(fMain->OuterBounds(), QRect(10, screen.height() - 186, 318, 86));
        QCOMPARE(fMain->BorderStyle(), bsSingle);
    }

    void recaptureReplacesTheSnapshot()
    {
        Forms forms;
        forms.start();
        capture();
        capture(); // Remove
        forms.services->screen->picture = screenPicture(800, 600);
        capture();
        QCOMPARE(QImage(forms.path("Screen.bmp")).size(), QSize(800, 600));
    }
};

QTEST_MAIN(TestCapture)
#include "test_capture.moc"
