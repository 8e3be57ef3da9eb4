// Text entry, the stamp and options pages, saving and opening screens, and
// the tablet keyboard, with scripted file dialogs and shell.
#include "FormsFixture.h"

#include "Sys_info.h"
#include "bmshapedform.h"

#include <QtTest>

namespace {

QString keyboard() { return fMain->KeyboardProgram(); }

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
    std::unique_ptr<Forms> forms;

    void captureSomething()
    {
        fMain->btnSnapShotClick(fMain->btnSnapShot);
        fMain->btnRectangle->Click();
        fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, 100, 100);
        fViewer->FormMouseMove(fViewer, ssLeft, 300, 200);
        fViewer->FormMouseUp(fViewer, mbLeft, 0, 300, 200);
    }

private slots:
    void init()
    {
        forms = std::make_unique<Forms>();
        forms->start();
    }
    void cleanup() { forms.reset(); }

    void typingReachesTheSurfaceAndTheDialog()
    {
        fMain->btnText->Click();
        fMain->TextBox().SetText(QStringLiteral("Look here"));
        QCOMPARE(fViewer->Text, QStringLiteral("Look here"));
        QCOMPARE(fSetup->eText->Text(), QStringLiteral("Look here"));
        QCOMPARE(fSetup->pText->Caption(), QStringLiteral("Look here"));
        fSetup->eText->SetText(QStringLiteral("From the dialog"));
        QCOMPARE(fMain->TextBox().Text(), QStringLiteral("From the dialog"));
        QCOMPARE(fViewer->Text, QStringLiteral("From the dialog"));
    }

    void saveNamesBecomeBitmaps_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "shot" << "shot.bmp";
        QTest::newRow("png") << "shot.png" << "shot.png";
        QTest::newRow("upper case png") << "shot.PNG" << "shot.PNG";
        QTest::newRow("two dots") << "my.shot.jpg" << "my.bmp";
        QTest::newRow("two dots png") << "my.shot.png" << "my.shot.png";
        QTest::newRow("upper case") << "shot.BMP" << "shot.bmp";
        QTest::newRow("bmp") << "shot.bmp" << "shot.bmp";
        QTest::newRow("dotted folder") << "my.shots/shot" << "my.shots/shot.bmp";
        QTest::newRow("dotted folder png") << "my.shots/shot.png" << "my.shots/shot.png";
        QTest::newRow("dotted folder jpg") << "my.shots/shot.jpg" << "my.shots/shot.bmp";
    }

    void saveNamesBecomeBitmaps()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        QDir(forms->dir.path()).mkdir(QStringLiteral("my.shots"));
        captureSomething();
        forms->services->dialogs->files.enqueue(forms->path(chosen));
        fSetup->btnSave->click();
        QVERIFY2(QFile::exists(forms->path(saved)), qPrintable(saved));
        QCOMPARE(QImage(forms->path(saved)).convertToFormat(QImage::Format_RGB32), fViewer->Image1->Picture.Bitmap());
        const bool png = saved.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
        QVERIFY(forms->readFile(saved).startsWith(png ? "\x89PNG" : "BM"));
        const FileDialogRequest& r = forms->services->dialogs->fileRequests.last();
        QCOMPARE(r.title, QStringLiteral("Save Screen"));
        QCOMPARE(r.filter, QStringLiteral("Windows Bitmap|*.bmp|PNG image|*.png"));
        QCOMPARE(r.defaultExtension, QStringLiteral("bmp"));
        QCOMPARE(r.initialDir, forms->path("Screens/"));
    }

    void copyAndSaveSayOnTheBarThatTheyWorked()
    {
        fMain->NoticeMs = 50;
        captureSomething();
        fViewer->CopyPicture();
        QCOMPARE(forms->services->clipboard->picture, fViewer->Image1->Picture.Bitmap());
        QVERIFY(fMain->lNotice->Visible());
        QCOMPARE(fMain->lNotice->Caption(), QStringLiteral("Copied to the clipboard"));
        QTRY_VERIFY(!fMain->lNotice->Visible());
        forms->services->dialogs->files.enqueue(forms->path("Screens/<b>R&D.png"));
        fViewer->SavePicture();
        QCOMPARE(fMain->lNotice->text(), QStringLiteral("Saved <b>R&D.png")); // as typed
        QVERIFY(fMain->lNotice->Visible());
        QTRY_VERIFY(!fMain->lNotice->Visible());
        QVERIFY(forms->services->messages->shown.isEmpty()); // nothing to answer
    }

    void saveIsOfferedOnlyWithACapture()
    {
        QVERIFY(!fSetup->btnSave->isEnabled());
        fMain->btnSnapShotClick(fMain->btnSnapShot);
        QVERIFY(fSetup->btnSave->isEnabled());
        fViewer->SavePicture(); // Ctrl+S: the same dialog
        QCOMPARE(forms->services->dialogs->fileRequests.size(), 1);
        QCOMPARE(forms->services->dialogs->fileRequests[0].title, QStringLiteral("Save Screen"));
        fMain->btnSnapShotClick(fMain->btnSnapShot);
        QVERIFY(!fSetup->btnSave->isEnabled());
        fViewer->SavePicture();
        QCOMPARE(forms->services->dialogs->fileRequests.size(), 1);
    }

    void helpAndAboutSayWhatTheProgramIs()
    {
        fSetup->btnHelp->click();
        QWidget* help = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowTitle() == QStringLiteral("Screen Quillet Help") && w->isVisible())
                help = w;
        QVERIFY(help);
        fSetup->btnAbout->click();
        QCOMPARE(forms->services->messages->shown.size(), 1);
        const MessageRequest& about = forms->services->messages->shown[0].request;
        QCOMPARE(about.caption, QStringLiteral("About Us"));
        for (const QString& part : {QStringLiteral("Screen Quillet 1."), QStringLiteral("Licence: "), fMain->CurrentDir})
            QVERIFY2(about.text.contains(part), qPrintable(part));
        for (QAbstractButton* button : fMain->findChildren<QAbstractButton*>())
            QVERIFY2(!button->toolTip().isEmpty(), qPrintable(button->text()));
    }

    void failedSaveKeepsTheOldFileAndSaysSo()
    {
        captureSomething();
        forms->writeFile("kept.bmp", "old contents");
        // A folder of that name cannot be replaced by a file.
        QDir(forms->dir.path()).mkdir(QStringLiteral("blocked.bmp"));
        forms->services->dialogs->files.enqueue(forms->path("blocked.bmp"));
        fSetup->btnSave->click();
        QCOMPARE(forms->services->messages->shown.size(), 1);
        QCOMPARE(forms->services->messages->shown[0].request.icon, MsgIcon::Error);
        QCOMPARE(forms->readFile("kept.bmp"), QByteArray("old contents"));
        // A PNG goes through the same checked writer: a failure names the file
        // and says no "Saved", and a link at the name is replaced, never followed.
        QDir(forms->dir.path()).mkdir(QStringLiteral("blocked.png"));
        forms->services->dialogs->files.enqueue(forms->path("blocked.png"));
        fSetup->btnSave->click();
        QCOMPARE(forms->services->messages->shown.size(), 2);
        QVERIFY(forms->services->messages->shown[1].request.text.contains(forms->path("blocked.png")));
        QVERIFY(!fMain->lNotice->Visible());
        forms->writeFile("target.png", "old contents");
        QVERIFY(QFile::link(forms->path("target.png"), forms->path("link.png")));
        forms->services->dialogs->files.enqueue(forms->path("link.png"));
        fSetup->btnSave->click();
        QCOMPARE(forms->readFile("target.png"), QByteArray("old contents"));
        QVERIFY(!QFileInfo(forms->path("link.png")).isSymLink());
        QVERIFY(!QImage(forms->path("link.png")).isNull());
    }

    void openLoadsAPictureOntoTheSurface()
    {
        captureSomething();
        const QImage saved = fViewer->Image1->Picture.Bitmap();
        forms->services->dialogs->files.enqueue(forms->path("Screens/marked.bmp"));
        fSetup->btnSave->click();
        fMain->btnEraseClick(fMain->btnErase);
        QVERIFY(fViewer->Image1->Picture.Bitmap() != saved);
        forms->services->dialogs->files.enqueue(forms->path("Screens/marked.bmp"));
        fSetup->btnOpen->click();
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), saved);
        QCOMPARE(forms->services->dialogs->fileRequests.last().filter,
                 QStringLiteral("bitmaps |*.bmp|PNG image|*.png|all files|*"));
        // A PNG saved and opened again is the picture shown, pixel for pixel.
        forms->services->dialogs->files.enqueue(forms->path("Screens/marked.png"));
        fSetup->btnSave->click();
        fMain->btnEraseClick(fMain->btnErase);
        forms->services->dialogs->files.enqueue(forms->path("Screens/marked.png"));
        fSetup->btnOpen->click();
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), saved);
        // Other picture formats open too.
        QImage png(40, 30, QImage::Format_RGB32);
        png.fill(Qt::magenta);
        png.save(forms->path("Screens/pic.png"), "PNG");
        forms->services->dialogs->files.enqueue(forms->path("Screens/pic.png"));
        fSetup->btnOpen->click();
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), png);
    }

    void unreadableFilesChangeNothing()
    {
        forms->writeFile("broken.bmp", "BM broken");
        const QImage surface = fViewer->Image1->Picture.Bitmap();
        forms->services->dialogs->files.enqueue(forms->path("broken.bmp"));
        fSetup->btnOpen->click();
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), surface);

        const QImage stamp = fStamp->BMShapedForm1->Picture.Bitmap();
        const QString label = fSetup->lFilename->Caption();
        forms->services->dialogs->files.enqueue(forms->path("broken.bmp"));
        fSetup->btnIcon->click();
        QCOMPARE(fStamp->BMShapedForm1->Picture.Bitmap(), stamp);
        QCOMPARE(fMain->Image1->Picture.Bitmap(), stamp);
        QCOMPARE(fSetup->lFilename->Caption(), label);
        QCOMPARE(fSetup->fullFilename, QString());
        QCOMPARE(forms->services->messages->shown.size(), 2);
    }

    void installTakesAStampFromAnyFolder()
    {
        QTemporaryDir elsewhere;
        const QString arrow = elsewhere.filePath("arrow.bmp");
        stampPicture(100, 50).save(arrow, "BMP");
        QDir(forms->dir.path()).rmdir(QStringLiteral("Stamps"));
        QFile::remove(forms->path("Stamps/3dArrow-rt.bmp"));
        QDir(forms->path("Stamps")).removeRecursively();
        forms->services->dialogs->files.enqueue(arrow);
        fSetup->btnIcon->click();
        QVERIFY(QFileInfo(forms->path("Stamps")).isDir()); // made on first use
        QCOMPARE(forms->services->dialogs->fileRequests.last().initialDir, forms->path("Stamps/"));
        QCOMPARE(forms->services->dialogs->fileRequests.last().fileName, QStringLiteral("noname.bmp"));
        QCOMPARE(QDir(forms->path("Stamps")).entryList(QDir::Files), QStringList());
        QCOMPARE(fSetup->lFilename->Caption(), QStringLiteral("arrow"));
        QCOMPARE(fSetup->fullFilename, arrow);
        for (TImage* image : {fMain->Image1, fSetup->Image1, static_cast<TImage*>(fStamp->BMShapedForm1)})
            QCOMPARE(image->Picture.Bitmap().size(), QSize(100, 50));
        // A PNG stamp installs the same way.
        const QString png = elsewhere.filePath("arrow.png");
        stampPicture(60, 40).save(png, "PNG");
        forms->services->dialogs->files.enqueue(png);
        fSetup->btnIcon->click();
        QCOMPARE(forms->services->dialogs->fileRequests.last().filter,
                 QStringLiteral("bitmaps |*.bmp|PNG image|*.png|all files|*"));
        for (TImage* image : {fMain->Image1, fSetup->Image1, static_cast<TImage*>(fStamp->BMShapedForm1)})
            QCOMPARE(image->Picture.Bitmap(), stampPicture(60, 40));
        forms->quit();
        QCOMPARE(forms->setting("Stamp", "Filename"), png);
    }

    void folderThatCannotBeMadeIsReported()
    {
        // A file where the folder should be: it cannot be created.
        forms->writeFile("Screens", "in the way");
        captureSomething();
        fSetup->btnSave->click(); // cancelled dialog
        QCOMPARE(forms->messages(), QStringList({"Unable to create the new folder\n    'Screens'"}));
        QCOMPARE(forms->services->messages->shown[0].request.caption, QStringLiteral("Notice"));
        QCOMPARE(forms->services->dialogs->fileRequests.last().initialDir, fMain->CurrentDir);

        QDir(forms->path("Stamps")).removeRecursively();
        forms->writeFile("Stamps", "in the way");
        fSetup->btnIcon->click();
        QCOMPARE(forms->messages().last(), QStringLiteral("Unable to create the new folder\n    'Stamps'"));
    }

    void tabletBoxesMirrorEachOther()
    {
        fSetup->ckboxTablet2->SetChecked(true);
        QVERIFY(fSetup->ckboxTablet->Checked());
        QVERIFY(fMain->ckboxTablet->Checked());
        fSetup->ckboxTablet2->SetChecked(false);
        QVERIFY(!fSetup->ckboxTablet->Checked());
        QVERIFY(fMain->ckboxTablet->Checked()); // cleared on the bar only
        fMain->lTabletClick(fMain->lTablet);
        QVERIFY(!fMain->ckboxTablet->Checked());
        QVERIFY(!fSetup->ckboxTablet->Checked());
        fSetup->ckboxTablet->SetChecked(true);
        QVERIFY(fSetup->ckboxTablet2->Checked() && fMain->ckboxTablet->Checked());
        forms->quit();
        QCOMPARE(forms->setting("Keyboard", "Tablet"), QStringLiteral("Yes"));
    }

    void enteringTheTextBoxStartsTheKeyboardOnlyWhenAsked()
    {
        const bool present = QFile::exists(keyboard());
        fMain->btnText->Click();
        fMain->TextBox().SetText(QStringLiteral("kept"));
        fMain->eTextEnter(&fMain->TextBox());
        QVERIFY(forms->services->shell->calls.isEmpty());
        fMain->ckboxTablet->SetChecked(true);
        fMain->eTextEnter(&fMain->TextBox());
        fSetup->eTextEnter(fSetup->eText);
        if (!present) {
            QVERIFY(forms->services->shell->calls.isEmpty());
            return;
        }
        QCOMPARE(forms->services->shell->calls.size(), 2);
        const ShellCall& bar = forms->services->shell->calls[0];
        QCOMPARE(bar.file, keyboard());
        QCOMPARE(bar.params, QString());
        QCOMPARE(bar.dir, fMain->SysInfo1->SystemDir());
        QCOMPARE(bar.showCmd, SW_HIDE);
        QCOMPARE(forms->services->shell->calls[1].showCmd, SW_SHOWNORMAL);
        QCOMPARE(fMain->TextBox().Text(), QStringLiteral("kept"));
    }

    void missingKeyboardHidesTheTabletControls()
    {
        forms.reset(); // one set of forms at a time
        Forms local("[Setup]\r\nOperating=No\r\n[Keyboard]\r\nTablet=Yes\r\n");
        local.start();
        const bool present = QFile::exists(keyboard());
        QCOMPARE(fMain->ckboxTablet->Visible(), present);
        QCOMPARE(fMain->lTablet->Visible(), present);
        QCOMPARE(fSetup->ckboxTablet->Visible(), present);
        QCOMPARE(fSetup->ckboxTablet2->isEnabled(), present);
        QVERIFY(fMain->ckboxTablet->Checked());
        QVERIFY(fSetup->ckboxTablet->Checked());
    }
};

QTEST_MAIN(TestOptions)
#include "test_options.moc"
