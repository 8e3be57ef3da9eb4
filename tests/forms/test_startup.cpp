// The bar's first show: the settings file read and written, the recovery
// question, the stamp and the keyboard, as a user starting the program sees them.
#include "FormsFixture.h"

#include "bmshapedform.h"

#include "Gpshape.h"

#include <QBackingStore>
#include <QRandomGenerator>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QString Recovery = QStringLiteral("Previous operation inproperly terminated\n  Reload previously captured Screen?");

// A settings file from an orderly close, with the given sections after it.
QByteArray settings(const QByteArray& body, const QByteArray& setup = QByteArray())
{
    return "[Setup]\r\nOperating=No\r\n" + setup + body;
}

// What the setup dialog shows after the bar's first show, and setup.ini
// after Quit. "$FOLDER" in the stored settings stands for the program folder.
QStringList setupDialogSeen(QByteArray stored, SetupMade made)
{
    Forms forms(QByteArray(), true, made);
    if (!stored.isEmpty())
        forms.writeFile(QStringLiteral("setup.ini"), stored.replace("$FOLDER", forms.dir.path().toUtf8()));
    forms.start();
    const TfSetup& setup = SetupDialog();
    const auto shown = [](const QWidget* w) { return w->isHidden() ? QStringLiteral("hidden") : QStringLiteral("shown"); };
    const QImage stamp = setup.Image1->Picture.Bitmap();
    QStringList seen{
        setup.CurrentDir == fMain->CurrentDir ? QStringLiteral("program folder") : setup.CurrentDir,
        QString::number(setup.cboxFontName->Items().size()),
        QString::number(qHashBits(stamp.constBits(), stamp.sizeInBytes())),
        QStringLiteral("line sample %1 %2 %3 %4")
            .arg(setup.shapePen->Height())
            .arg(setup.shapePen->Pen().Color)
            .arg(setup.shapePen->Brush().Color)
            .arg(int(setup.shapePen->Pen().Style)),
        QStringLiteral("box sample %1 %2 %3 %4 %5")
            .arg(int(setup.Shape1->Shape()))
            .arg(setup.Shape1->Pen().Color)
            .arg(setup.Shape1->Pen().Width)
            .arg(setup.Shape1->Brush().Color)
            .arg(int(setup.Shape1->Brush().Style)),
        QStringLiteral("slider %1 %2").arg(setup.TrackBar1->Position()).arg(setup.lLine->Caption()),
        QStringLiteral("text %1 %2 %3").arg(setup.pText->Caption()).arg(setup.pText->Color()).arg(setup.pText->Font().Name),
        QStringLiteral("page %1").arg(setup.Notebook1->PageIndex()),
        QStringLiteral("font %1 %2 %3%4%5%6 background %7")
            .arg(setup.cboxFontName->Text(), setup.lFontSize->Caption())
            .arg(setup.BoldButton->Down())
            .arg(setup.ItalicButton->Down())
            .arg(setup.UnderlineButton->Down())
            .arg(setup.StrikeThruButton->Down())
            .arg(setup.ckboxTextbkgd->Checked()),
        QStringLiteral("highlight %1 tablet %2 %3 stamp %4")
            .arg(setup.Highlight->Down())
            .arg(setup.ckboxTablet->Checked())
            .arg(setup.ckboxTablet2->Checked())
            .arg(setup.lFilename->Caption()),
    };
    for (const QWidget* w : std::initializer_list<const QWidget*>{setup.Highlight, setup.ClearPen, setup.DashPen,
                                                                   setup.SolidBrush, setup.ckboxTablet})
        seen << w->objectName() + QLatin1Char(' ') + shown(w);
    forms.quit();
    seen << QString::fromLatin1(forms.readFile(QStringLiteral("setup.ini"))).replace(forms.dir.path(), "$FOLDER");
    return seen;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    // The dialog built when first needed shows what one built at the start
    // shows, and the settings written at the end are the same.
    void setupDialogBuiltOnDemandShowsTheSame_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("first run") << QByteArray();
        QTest::newRow("line tool") << settings("[Line]\r\nThickness=1\r\nColor=255\r\nMarker=Yes\r\n", "Mode=2\r\n");
        QTest::newRow("box tool") << settings("[Shape]\r\nPenThickness=12\r\nBrushStyle=CrossBrush\r\n", "Mode=4\r\n");
        QTest::newRow("text tool") << settings("[Font]\r\nName=Arial\r\nSize=20\r\nBackgd=Yes\r\nText=hi\r\n",
                                               "Mode=6\r\n");
        QTest::newRow("empty fill") << settings("[Shape]\r\nBrushStyle=ClearBrush\r\n", "Mode=5\r\n");
        QTest::newRow("font styles") << settings("[Font]\r\nName=Courier New\r\nBkColor=255\r\nBold=Yes\r\n"
                                                 "StrikeThru=Yes\r\n");
        QTest::newRow("tablet") << settings("[Keyboard]\r\nTablet=Yes\r\n");
        QTest::newRow("stamp file") << settings("[Stamp]\r\nFilename=$FOLDER/Stamps/3dArrow-rt.bmp\r\n");
    }

    void setupDialogBuiltOnDemandShowsTheSame()
    {
        QFETCH(QByteArray, stored);
        QCOMPARE(setupDialogSeen(stored, SetupMade::OnDemand), setupDialogSeen(stored, SetupMade::AtStart));
    }

    // A first run and a later start show the bar without the dialog and the
    // text box and build them right after, the words read at the start
    // already on the surface and then in the box.
    void startBuildsTheSetupDialogAfterTheBarsFirstPaint()
    {
        const QByteArray later = settings("[Line]\r\nMarker=Yes\r\n[Shape]\r\nBrushStyle=CrossBrush\r\n"
                                          "[Font]\r\nBackgd=Yes\r\nText=Look here\r\n[Keyboard]\r\nTablet=Yes\r\n",
                                          "Mode=3\r\n");
        const std::pair<QByteArray, QString> starts[] = {{QByteArray(), QStringLiteral("Type text here")},
                                                         {later, QStringLiteral("Look here")}};
        for (const auto& [stored, words] : starts) {
            Forms forms(stored, true, SetupMade::OnDemand);
            forms.start();
            QVERIFY(!fSetup);
            QVERIFY(!fMain->findChild<TEdit*>());
            QCOMPARE(fMain->TextBoxWords(), words);
            QCOMPARE(fViewer->Text, words);
            QTRY_VERIFY(fSetup);
            const TEdit* box = fMain->findChild<TEdit*>();
            QVERIFY(box);
            QCOMPARE(box->Text(), words);
            QCOMPARE(box->geometry(), QRect(944, 6, 129, 32));
            QCOMPARE(fMain->btnErase->nextInFocusChain(), box);
            QCOMPARE(box->nextInFocusChain(), fMain->btnSetup);
            QCOMPARE(fSetup->eText->Text(), words);
        }
    }

    void firstRunCreatesTheFileAndSelectsScribble()
    {
        Forms forms;
        QVERIFY(!QFile::exists(forms.path("setup.ini")));
        forms.start();
        QVERIFY(forms.messages().isEmpty());
        QCOMPARE(forms.readFile("setup.ini"), QByteArray("[Setup]\r\nOperating=Yes\r\n"));
        QCOMPARE(fMain->TextBox().Text(), QStringLiteral("Type text here"));
        QVERIFY(fMain->btnScribble->Down());
        QCOMPARE(fViewer->DrawingTool, dtScribble);
        QCOMPARE(fMain->LinePenThickness(), 5);
        QCOMPARE(fMain->LinePenColor(), clAqua);
        QCOMPARE(fMain->BoxPenColor(), clLime);
        QCOMPARE(fMain->BoxPenThickness(), 4);
        QVERIFY(!fMain->Image1->Picture.Empty());
        QVERIFY(!fMain->FirstShow);
        QCOMPARE(fMain->OuterBounds(), QRect(10, 5, 318, 86));
        QCOMPARE(fMain->Caption(), QStringLiteral("Screen Quillet"));
        // Once the bar is painted, the surface's buffer is made ready for the
        // first capture, and the surface stays hidden.
        const auto surfaceReady = [] { return fViewer->backingStore() && fViewer->backingStore()->size() == fViewer->size(); };
        QTRY_VERIFY(surfaceReady());
        QVERIFY(!fViewer->isVisible());
    }

    void quitWritesEveryKeyOnceAndInOrder()
    {
        Forms forms;
        forms.start();
        forms.quit();
        const QString text = QString::fromUtf8(forms.readFile("setup.ini"));
        const QStringList expected = {
            "[Setup]", "Operating=No", "Mode=1", "[Line]", "Thickness=5", "Color=16776960", "Marker=No", "[Shape]",
            "PenThickness=4", "PenColor=65280", "BrushColor=16777215", "BrushStyle=", "[Font]", "Name=Arial",
            "Color=0", "BkColor=12632256", "Size=10", "Text=Type text here", "Backgd=No", "Bold=No", "Italic=No",
            "Underline=No", "StrikeThru=No", "[Keyboard]", "Tablet=No", "[Stamp]", "Filename="};
        QCOMPARE(text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts), expected);
    }

    void recoveryQuestionComesFirstAndOnlyForExactlyYes_data()
    {
        QTest::addColumn<QByteArray>("operating");
        QTest::addColumn<bool>("snapshot");
        QTest::addColumn<bool>("asked");
        QTest::newRow("Yes") << QByteArray("Yes") << true << true;
        QTest::newRow("Yes, nothing to reload") << QByteArray("Yes") << false << false;
        QTest::newRow("yes") << QByteArray("yes") << true << false;
        QTest::newRow("No") << QByteArray("No") << true << false;
        QTest::newRow("absent") << QByteArray() << true << false;
    }

    void recoveryQuestionComesFirstAndOnlyForExactlyYes()
    {
        QFETCH(QByteArray, operating);
        QFETCH(bool, snapshot);
        QFETCH(bool, asked);
        QByteArray ini = "[Line]\r\nThickness=12\r\n";
        if (!operating.isEmpty())
            ini.prepend("[Setup]\r\nOperating=" + operating + "\r\n");
        Forms forms(ini);
        if (snapshot)
            screenPicture(64, 48).save(forms.path("Screen.bmp"), "BMP");
        int thicknessWhenAsked = -1;
        forms.services->messages->onShow = [&](const MessageRequest&) { thicknessWhenAsked = fMain->LinePenThickness(); };
        forms.services->messages->answers.enqueue(mrNo);
        forms.start();
        QCOMPARE(forms.messages().contains(Recovery), asked);
        if (asked) {
            const MessageRequest& q = forms.services->messages->shown.first().request;
            QCOMPARE(q.caption, QStringLiteral("Confimation"));
            QCOMPARE(q.buttons, MsgButtons::YesNoCancel);
            QCOMPARE(q.icon, MsgIcon::Question);
            QCOMPARE(thicknessWhenAsked, 6); // the dialog's value: nothing else read yet
        }
        QCOMPARE(fMain->LinePenThickness(), 12);
        QCOMPARE(forms.setting("Setup", "Operating"), QStringLiteral("Yes"));
    }

    void yesReloadsTheSnapshotAndCancelActsAsNo()
    {
        for (TModalResult answer : {mrYes, mrCancel}) {
            Forms forms("[Setup]\r\nOperating=Yes\r\n");
            QImage snapshot = screenPicture(1024, 768);
            snapshot.save(forms.path("Screen.bmp"), "BMP");
            forms.services->messages->answers.enqueue(answer);
            forms.start();
            if (answer == mrYes) {
                QVERIFY(fViewer->isVisible());
                QCOMPARE(fViewer->Image1->Picture.Bitmap(), snapshot);
                QCOMPARE(fMain->btnSnapShot->Caption(), QStringLiteral("Remove"));
                QCOMPARE(fMain->ManyShape1->BackColor(), clMaroon);
                QVERIFY(fSetup->btnSave->isEnabled());
            } else {
                QVERIFY(!fViewer->isVisible());
                QCOMPARE(fMain->btnSnapShot->Caption(), QStringLiteral("Capture"));
            }
        }
    }

    void damagedSnapshotIsReportedAndTheSettingsStillLoad()
    {
        Forms forms("[Setup]\r\nOperating=Yes\r\nMode=3\r\n");
        forms.writeFile("Screen.bmp", "BM not really a bitmap");
        forms.services->messages->answers.enqueue(mrYes);
        forms.start();
        QCOMPARE(forms.messages().size(), 2);
        QCOMPARE(forms.services->messages->shown[1].request.icon, MsgIcon::Error);
        QVERIFY(!fViewer->isVisible());
        QVERIFY(fMain->btnRectangle->Down());
        QVERIFY(!fMain->FirstShow);
    }

    void zeroMeansTakeTheDialogsValue()
    {
        Forms forms(settings("[Line]\r\nThickness=0\r\nColor=0\r\n[Shape]\r\nPenThickness=0\r\nPenColor=0\r\n"
                             "BrushColor=0\r\n"));
        forms.start();
        QCOMPARE(fMain->LinePenColor(), clAqua);
        QCOMPARE(fMain->BoxPenColor(), clLime);
        QCOMPARE(fMain->LinePenThickness(), 6);
        QCOMPARE(fMain->BoxPenThickness(), 6);
        QCOMPARE(fSetup->Shape1->Brush().Color, clBlack); // a black fill stays black
    }

    void thicknessOneOffersTheDashedPens()
    {
        for (int thickness : {1, 2}) {
            Forms forms(settings("[Line]\r\nThickness=" + QByteArray::number(thickness) + "\r\n"));
            forms.start();
            const bool thin = thickness == 1;
            for (TControl<QAbstractButton>* b : {fSetup->DashPen, fSetup->DotPen, fSetup->DashDotPen,
                                                 fSetup->DashDotDotPen})
                QCOMPARE(b->Visible(), thin);
            QCOMPARE(fSetup->lDash->Visible(), thin);
            QCOMPARE(fSetup->lDot->Visible(), thin);
            QCOMPARE(fSetup->SolidPen->Down(), thin);
        }
    }

    void boxPreviewWidthSteps()
    {
        const QList<QPair<int, int>> steps = {{5, 2}, {6, 4}, {11, 6}, {21, 8}};
        for (const auto& step : steps) {
            Forms forms(settings("[Shape]\r\nPenThickness=" + QByteArray::number(step.first) + "\r\n"));
            forms.start();
            QCOMPARE(fMain->Shape1->Pen().Width, step.second);
        }
    }

    void fontSizeSetsTheSlider()
    {
        for (int size : {10, 40}) {
            Forms forms(settings("[Font]\r\nSize=" + QByteArray::number(size) + "\r\n"));
            forms.start();
            QCOMPARE(fSetup->TrackBar2->Position(), size == 10 ? 30 : 0);
            QCOMPARE(fSetup->lFontSize->Caption(), QString::number(size));
            QCOMPARE(fSetup->pText->Font().Size, size);
        }
    }

    void backgroundOffWritesSilver()
    {
        {
            Forms forms(settings("[Font]\r\nBkColor=255\r\nBackgd=No\r\n", "Mode=6\r\n"));
            forms.start();
            QCOMPARE(fSetup->pText->Color(), clSilver);
            QCOMPARE(fViewer->Canvas().Brush.Style, bsClear);
            forms.quit();
            QCOMPARE(forms.setting("Font", "BkColor"), QStringLiteral("12632256"));
        }
        {
            // A colour chosen with the background off shows, and is kept,
            // once the background is ticked.
            Forms ticked(settings("[Font]\r\nBackgd=No\r\n", "Mode=6\r\n"));
            ticked.start();
            ticked.services->dialogs->colors.enqueue(clYellow);
            fSetup->sbtnFontbkgdColor->Click();
            fSetup->ckboxTextbkgd->SetChecked(true);
            QCOMPARE(fSetup->pText->Color(), clYellow);
            ticked.quit();
            QCOMPARE(ticked.setting("Font", "BkColor"), QString::number(clYellow));
            QCOMPARE(ticked.setting("Font", "Backgd"), QStringLiteral("Yes"));
        }
        Forms on(settings("[Font]\r\nBkColor=255\r\nBackgd=Yes\r\n", "Mode=6\r\n"));
        on.start();
        QCOMPARE(fSetup->pText->Color(), TColor(255));
        QCOMPARE(fViewer->Canvas().Brush.Style, bsSolid);
        QCOMPARE(fViewer->Canvas().Brush.Color, TColor(255));
    }

    void storedModesSelectTheirTool()
    {
        {
            Forms text(settings("", "Mode=6\r\n"));
            fSetup->Notebook1->SetPageIndex(0);
            text.start();
            QVERIFY(fMain->btnText->Down());
            QCOMPARE(fSetup->Notebook1->PageIndex(), 1);
            QCOMPARE(fViewer->DrawingTool, dtText);
            QVERIFY(fViewer->Writing);
        }
        Forms none("[Setup]\r\nOperating=No\r\nMode=7\r\n");
        none.start();
        QCOMPARE(fViewer->DrawingTool, dtText); // the surface's initial value
        QVERIFY(!fViewer->Scribble && !fViewer->Writing);
        none.quit();
        QCOMPARE(none.setting("Setup", "Mode"), QStringLiteral("7"));
    }

    void storedFillIsAppliedOnlyForBoxTools()
    {
        {
            Forms rect(settings("[Shape]\r\nBrushStyle=CrossBrush\r\n", "Mode=3\r\n"));
            rect.start();
            QVERIFY(fSetup->CrossBrush->Down());
            QCOMPARE(fViewer->Canvas().Brush.Style, bsCross);
            QCOMPARE(fMain->BoxBrushStyle(), QStringLiteral("CrossBrush"));
        }
        Forms empty(settings("[Shape]\r\nBrushStyle=\r\n", "Mode=3\r\n"));
        empty.start();
        QVERIFY(fSetup->SolidBrush->Down()); // the design state, untouched
        empty.quit();
        QCOMPARE(empty.setting("Shape", "BrushStyle"), QString());
    }

    // A bad value is reported once, naming the file and the key; what was
    // read before it and the recovery answer stay, the marker is set at once,
    // and the next show repeats nothing.
    void badSettingIsReportedOnceAndTheFirstShowNeverRepeats()
    {
        Forms forms(settings("[Line]\r\nThickness=thick\r\n", "Mode=3\r\n").replace("=No", "=Yes"));
        screenPicture(64, 48).save(forms.path("Screen.bmp"), "BMP");
        forms.services->messages->answers.enqueue(mrYes);
        forms.start();
        QCOMPARE(forms.messages(), QStringList({Recovery, "Settings file \"" + forms.path("setup.ini") +
                                                              "\", [Line] Thickness: 'thick' is not a valid integer value."}));
        QCOMPARE(forms.services->messages->shown[1].request.caption, QStringLiteral("Screen Quillet"));
        QVERIFY(!fMain->FirstShow);
        QCOMPARE(forms.setting("Setup", "Operating"), QStringLiteral("Yes"));
        QVERIFY(!fMain->Image1->Picture.Empty()); // the stamp still loads

        fMain->btnEllipse->Click();
        fMain->Hide();
        fMain->Show();
        QCOMPARE(forms.messages().size(), 2);
        QVERIFY(fMain->btnEllipse->Down());
        QCOMPARE(fViewer->Image1->Picture.Bitmap(), screenPicture(64, 48));
    }

    // Out-of-range numbers are held to what the controls can show.
    void outOfRangeNumbersAreClamped()
    {
        Forms forms(settings("[Line]\r\nThickness=-2147483648\r\n[Shape]\r\nPenThickness=2147483647\r\n"
                             "[Font]\r\nSize=-2147483648\r\n"));
        forms.start();
        QVERIFY(forms.messages().isEmpty());
        QCOMPARE(fMain->LinePenThickness(), 1);
        QCOMPARE(fMain->BoxPenThickness(), 30);
        QCOMPARE(fSetup->lFontSize->Caption(), QStringLiteral("1"));
    }

    void settingsThatCouldNotBeReadAreKeptAside()
    {
        {
            const QByteArray damaged = settings("[Line]\r\nThickness=thick\r\n[Font]\r\nName=Courier New\r\n");
            Forms forms(damaged);
            forms.start();
            forms.quit();
            QCOMPARE(forms.readFile("setup.ini.bak"), QByteArray(damaged).replace("Operating=No", "Operating=Yes"));
            QCOMPARE(forms.setting("Setup", "Operating"), QStringLiteral("No"));
        }

        // A damaged number keeps the font settings read before it.
        Forms font(settings("[Font]\r\nName=Courier New\r\nColor=red\r\n"));
        font.start();
        font.quit();
        QCOMPARE(font.setting("Font", "Name"), QStringLiteral("Courier New"));
    }

    // Settings that are not a small regular file are reported once and left
    // in place; the start goes on with the defaults and does not wait.
    void settingsThatAreNotAFileAreLeftInPlace()
    {
        for (const QString kind : {"FIFO", "folder", "too large"}) {
            Forms forms;
            const QString ini = forms.path("setup.ini");
            if (kind == "FIFO")
                QCOMPARE(mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
            else if (kind == "folder")
                QDir().mkdir(ini);
            else
                forms.writeFile("setup.ini", "[Setup]\r\nOperating=No\r\n" + QByteArray(2 << 20, ';'));
            forms.start();
            QCOMPARE(forms.messages().size(), 1);
            QVERIFY2(forms.messages().first().contains(ini), qPrintable(kind));
            QCOMPARE(fMain->TextBox().Text(), QStringLiteral("Type text here"));
            QVERIFY(QFileInfo::exists(ini) && (kind == "too large") == QFileInfo(ini).isFile());
        }
    }

    void stampFallsBackToTheDefaultOrTellsTheUser()
    {
        {
            Forms gone(settings("[Stamp]\r\nFilename=/no/such/stamp.bmp\r\n"));
            gone.start();
            QVERIFY(gone.messages().isEmpty());
            QVERIFY(!fMain->Image1->Picture.Empty());
            QCOMPARE(fSetup->fullFilename, QString());
        }
        Forms none(settings("[Stamp]\r\nFilename=/no/such/stamp.bmp\r\n"), false);
        none.start();
        QCOMPARE(none.messages(),
                 QStringList({"You'll need to go to the\n  [Setup] button to install a stamp\n  before using."}));
        QCOMPARE(none.services->messages->shown[0].request.caption, QStringLiteral("Notice - no stamp"));
        QCOMPARE(none.services->messages->shown[0].request.icon, MsgIcon::None);
    }

    void storedStampIsLoadedIntoAllThreePictures()
    {
        Forms forms;
        const QString stamp = forms.path("arrow.bmp");
        stampPicture(60, 40).save(stamp, "BMP");
        forms.writeFile("setup.ini", settings("[Stamp]\r\nFilename=" + stamp.toUtf8() + "\r\n"));
        forms.start();
        QCOMPARE(fSetup->lFilename->Caption(), QStringLiteral("arrow"));
        QCOMPARE(fSetup->fullFilename, stamp);
        for (TImage* image : {fMain->Image1, fSetup->Image1, static_cast<TImage*>(fStamp->BMShapedForm1)})
            QCOMPARE(image->Picture.Bitmap().size(), QSize(60, 40));
    }

    void secondShowReadsNothing()
    {
        Forms forms(settings("[Line]\r\nThickness=7\r\n"));
        forms.start();
        fMain->Drawing().setLineThickness(9);
        forms.writeFile("setup.ini", settings("[Line]\r\nThickness=3\r\n"));
        fMain->Hide();
        fMain->Show();
        QCOMPARE(fMain->LinePenThickness(), 9);
    }

    void closeBoxWritesOnce()
    {
        Forms forms;
        forms.start();
        fMain->close();
        QCOMPARE(forms.setting("Setup", "Operating"), QStringLiteral("No"));
        QVERIFY(Application->Terminated);
        // Nothing writes the file a second time on the way out.
        forms.writeFile("setup.ini", "marker");
        QCoreApplication::processEvents();
        QCOMPARE(forms.readFile("setup.ini"), QByteArray("marker"));
        Application->Terminated = false;
    }

    // Whatever a damaged settings file holds, the start either reads it or
    // says in one error box why not; it never crashes.
    void mutatedSettingsNeverCrashTheStart()
    {
        QByteArray good;
        {
            Forms written;
            written.start();
            written.quit();
            good = written.readFile("setup.ini");
        }
        QRandomGenerator random(77);
        for (int round = 0; round < 60; ++round) {
            QByteArray bytes = good;
            for (int e = 0; e < 1 + random.bounded(6); ++e) {
                const int at = random.bounded(bytes.size());
                if (random.bounded(2))
                    bytes[at] = char(random.bounded(256));
                else
                    bytes.remove(at, 1 + random.bounded(8));
            }
            Forms forms(bytes);
            forms.services->messages->answers.enqueue(mrNo);
            forms.start();
            int errors = 0;
            for (const ShownMessage& m : forms.services->messages->shown)
                errors += m.request.icon == MsgIcon::Error;
            QVERIFY(errors <= 1);
            QVERIFY(!fMain->FirstShow);
            forms.quit();
            QCOMPARE(forms.setting("Setup", "Operating"), QStringLiteral("No"));
        }
    }

    void unwritableProgramFolderUsesTheDataFolder()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString notAFolder = dir.filePath("file/");
        const QString data = writableProgramFolder(notAFolder);
        QVERIFY(data != notAFolder);
        QVERIFY(data.endsWith('/'));
        QVERIFY(QFileInfo(data).isDir());
        QCOMPARE(writableProgramFolder(dir.path() + '/'), dir.path() + '/');
    }

    // Settings and a pending recovery follow the user to the data folder,
    // once; an installed copy with nothing to bring says nothing.
    void carryOverBringsSettingsAndAPendingRecoveryOnce()
    {
        QTemporaryDir program, data;
        const QString from = program.path() + '/', to = data.path() + '/';
        QCOMPARE(carryOverSettings(from, to), QString());
        QFile ini(from + "setup.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Setup]\r\nOperating=Yes\r\nMode=3\r\n");
        ini.close();
        screenPicture(32, 16).save(from + "Screen.bmp", "BMP");
        const QString notice = carryOverSettings(from, to);
        QVERIFY(notice.contains(from) && notice.contains(to));
        QCOMPARE(TIniFile(to + "setup.ini").ReadString("Setup", "Mode", ""), QStringLiteral("3"));
        QCOMPARE(QImage(to + "Screen.bmp").size(), QSize(32, 16));
        QCOMPARE(carryOverSettings(from, to), QString());
    }

    // Quit ends the program even when setup.ini cannot be written; the user
    // is told once and the settings wait in the data folder.
    void quitEndsWhenTheSettingsCannotBeWritten()
    {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        Forms forms;
        forms.start();
        QFile::remove(forms.path("setup.ini"));
        QDir().mkdir(forms.path("setup.ini"));
        forms.quit();
        qunsetenv("XDG_DATA_HOME");
        QVERIFY(Application->Terminated);
        Application->Terminated = false;
        QCOMPARE(forms.messages().size(), 1);
        const QString told = forms.messages().first();
        QVERIFY2(told.contains(forms.path("setup.ini")) && told.contains("Is a directory") &&
                     told.contains(data.path() + "/screen-quillet/setup.ini"),
                 qPrintable(told));
        QCOMPARE(TIniFile(data.path() + "/screen-quillet/setup.ini").ReadString("Setup", "Operating", ""),
                 QStringLiteral("No"));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
