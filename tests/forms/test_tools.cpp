// Choosing the tool, the pen, the fill and the font: what the bar, the setup
// dialog and the next stroke on the surface show.
#include "FormsFixture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QtTest>

namespace {

TColor surfacePixel(int x, int y) { return fromPixel(fViewer->Image1->Picture.Bitmap().pixel(x, y)); }

void blankSurface()
{
    QImage white(400, 300, QImage::Format_RGB32);
    white.fill(Qt::white);
    fViewer->setGeometry(0, 0, 1024, 768);
    fViewer->Image1->Picture.Assign(white);
    fViewer->Show();
}

void drawBox(QPoint a, QPoint b)
{
    fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, a.x(), a.y());
    fViewer->FormMouseMove(fViewer, ssLeft, b.x(), b.y());
    fViewer->FormMouseUp(fViewer, mbLeft, 0, b.x(), b.y());
}

// The visible controls of a form that a screen reader could only call by
// their kind: buttons, boxes, sliders and pictures without an accessible name.
QStringList namelessControls(QWidget* form)
{
    QStringList nameless;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                             dynamic_cast<TImage*>(w);
        if (!control || !w->isVisibleTo(form) || qobject_cast<QComboBox*>(w->parentWidget()))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
            nameless << QStringLiteral("%1: %2 at %3,%4")
                            .arg(form->windowTitle(), QLatin1String(w->metaObject()->className()))
                            .arg(w->x())
                            .arg(w->y());
    }
    return nameless;
}

} // namespace

class TestTools : public QObject {
    Q_OBJECT
    std::unique_ptr<Forms> forms;

private slots:
    void init()
    {
        forms = std::make_unique<Forms>();
        forms->start();
    }
    void cleanup() { forms.reset(); }

    void pressingTheSelectedToolKeepsIt()
    {
        fMain->btnLine->Click();
        QVERIFY(fMain->btnLine->Down());
        fMain->btnLine->Click(); // all-up is allowed, but the tool stays
        QVERIFY(fMain->btnLine->Down());
        QCOMPARE(fViewer->DrawingTool, dtLine);
        QCOMPARE(fMain->sLine->Brush().Color, clYellow);
        QCOMPARE(fMain->sLine->Pen().Color, clRed);
        fMain->btnEllipse->Click();
        QVERIFY(!fMain->btnLine->Down());
        QCOMPARE(fMain->sLine->Brush().Color, clBlack);
        fMain->sbtnIcon->SetDown(true);
        QVERIFY(!fMain->btnEllipse->Down()); // one radio group with the stamp
    }

    void highlightLockFollowsTheMarker()
    {
        fMain->btnLine->Click();
        fViewer->HLock = false;
        fMain->btnScribble->Click();
        fMain->btnLine->Click();
        QVERIFY(!fViewer->HLock); // no marker: untouched

        fSetup->Highlight->Click();
        QVERIFY(fViewer->Marker && fViewer->HLock);
        QVERIFY(fSetup->lHorizontal->Visible());
        QVERIFY(fMain->lHighlight->Visible());
        fMain->btnScribble->Click();
        QVERIFY(!fViewer->HLock);
        fSetup->Highlight->Click(); // off
        fSetup->Highlight->Click(); // on again, with the scribble tool
        QVERIFY(fViewer->Marker && !fViewer->HLock);
        QVERIFY(!fSetup->lHorizontal->Visible());
        fSetup->Highlight->Click();
        QVERIFY(!fViewer->Marker && !fViewer->HLock && !fMain->lHighlight->Visible());
    }

    void editBoxIsOpenOnlyForText()
    {
        fMain->btnText->Click();
        QVERIFY(fMain->TextBox().isEnabled());
        QCOMPARE(fMain->TextBox().Color(), clAqua);
        QVERIFY(!fMain->shapePen->Visible() && !fMain->Shape1->Visible());
        for (TSpeedButton* tool : {fMain->btnScribble, fMain->btnLine, fMain->btnRectangle, fMain->btnRoundRect,
                                   fMain->btnEllipse}) {
            tool->Click();
            QVERIFY(!fMain->TextBox().isEnabled());
            QCOMPARE(fMain->TextBox().Color(), clSilver);
        }
    }

    void textAfterLineKeepsTheLinePen()
    {
        fMain->btnLine->Click();
        const TPen pen = fViewer->Canvas().Pen;
        fSetup->ckboxTextbkgd->SetChecked(true);
        fMain->Drawing().setTextBackColor(clYellow);
        fMain->btnText->Click();
        QVERIFY(fMain->LineMode());
        QCOMPARE(fViewer->Canvas().Pen.Width, pen.Width);
        QCOMPARE(fViewer->Canvas().Pen.Color, pen.Color);
        QCOMPARE(fViewer->Canvas().Brush.Color, clYellow);
        QCOMPARE(fViewer->Canvas().Brush.Style, bsSolid);
        QCOMPARE(fViewer->Canvas().Font.Name, fSetup->pText->Font().Name);
    }

    void clearFillAndClearPenExcludeEachOther()
    {
        fMain->btnRectangle->Click();
        QVERIFY(fSetup->ClearPen->Visible());
        fSetup->ClearBrush->Click();
        QVERIFY(!fSetup->ClearPen->Visible() && !fSetup->lClear->Visible() && !fSetup->BrushColor->Visible());
        QCOMPARE(fMain->BoxBrushStyle(), QStringLiteral("ClearBrush"));
        fMain->btnEllipse->Click(); // re-selecting keeps the clear-pen choice hidden
        QVERIFY(!fSetup->ClearPen->Visible());
        fSetup->CrossBrush->Click();
        QVERIFY(fSetup->ClearPen->Visible() && fSetup->BrushColor->Visible());
        fSetup->ClearPen->Click();
        QVERIFY(!fSetup->ClearBrush->Visible() && !fSetup->PenColor->Visible());
        QCOMPARE(fViewer->Canvas().Pen.Style, psClear);
        fSetup->DashPen->Click();
        QVERIFY(!fSetup->ClearBrush->Visible()); // only the solid pen brings it back
        fSetup->SolidPen->Click();
        QVERIFY(fSetup->ClearBrush->Visible() && fSetup->PenColor->Visible());
    }

    // Each style button applies its own style, to the surface and to both
    // samples; a fill is remembered by its button's name.
    void everyStyleButtonAppliesItsStyle()
    {
        fMain->btnRectangle->Click();
        const std::pair<TSpeedButton*, TPenStyle> pens[] = {
            {fSetup->DashPen, psDash},         {fSetup->DotPen, psDot},     {fSetup->DashDotPen, psDashDot},
            {fSetup->DashDotDotPen, psDashDotDot}, {fSetup->ClearPen, psClear}, {fSetup->SolidPen, psSolid}};
        for (const auto& [button, style] : pens) {
            button->Click();
            QCOMPARE(fViewer->Canvas().Pen.Style, style);
            QCOMPARE(fMain->shapePen->Pen().Style, style);
        }
        const std::pair<TSpeedButton*, TBrushStyle> fills[] = {
            {fSetup->HorizontalBrush, bsHorizontal}, {fSetup->VerticalBrush, bsVertical},
            {fSetup->FDiagonalBrush, bsFDiagonal},   {fSetup->BDiagonalBrush, bsBDiagonal},
            {fSetup->CrossBrush, bsCross},           {fSetup->DiagCrossBrush, bsDiagCross},
            {fSetup->ClearBrush, bsClear},           {fSetup->SolidBrush, bsSolid}};
        for (const auto& [button, style] : fills) {
            button->Click();
            QCOMPARE(fViewer->Canvas().Brush.Style, style);
            QCOMPARE(fMain->Shape1->Brush().Style, style);
            QCOMPARE(fMain->BoxBrushStyle(), button->objectName());
        }
    }

    void wideOutlineHasASteppedPreview()
    {
        fMain->btnRectangle->Click();
        fSetup->TrackBar1->setValue(30 + 1 - 21); // as if dragged
        QCOMPARE(fMain->BoxPenThickness(), 21);
        QCOMPARE(fViewer->Canvas().Pen.Width, 21);
        QCOMPARE(fMain->Shape1->Pen().Width, 8);
        QCOMPARE(fSetup->Shape1->Pen().Width, 8);
        QCOMPARE(fSetup->lLine->Caption(), QStringLiteral("21"));
        QCOMPARE(fSetup->shapePen->Top(), 91);
        for (const auto& step : QList<QPair<int, int>>{{5, 2}, {6, 4}, {10, 4}, {11, 6}, {20, 6}}) {
            fSetup->TrackBar1->setValue(31 - step.first);
            QCOMPARE(fSetup->Shape1->Pen().Width, step.second);
        }
    }

    void outOfRangeThicknessComesBackWithinTheSlider()
    {
        for (const auto& stored : QList<QPair<QByteArray, int>>{{"0", 6}, {"-4", 1}, {"99", 30}}) {
            forms.reset(); // one set of forms at a time
            Forms local("[Setup]\r\nOperating=No\r\nMode=1\r\n[Shape]\r\nPenThickness=" + stored.first + "\r\n");
            local.start();
            fMain->btnRectangle->Click();
            QCOMPARE(fMain->BoxPenThickness(), stored.second);
        }
    }

    void sliderThinToThickInLineMode()
    {
        fMain->btnLine->Click();
        fSetup->DashPen->Click();
        fSetup->TrackBar1->setValue(30); // thickness 1
        QVERIFY(fSetup->DashPen->Visible() && fSetup->lDash->Visible());
        fSetup->TrackBar1->setValue(29); // thickness 2
        QVERIFY(!fSetup->DashPen->Visible() && !fSetup->lDot->Visible());
        QVERIFY(fSetup->SolidPen->Down());
        QCOMPARE(fMain->shapePen->Height(), 2);
        fSetup->TrackBar1->setValue(30);
        QVERIFY(fSetup->DashPen->Visible());
        QVERIFY(fSetup->SolidPen->Down());
        QCOMPARE(fMain->LinePenThickness(), 1);
        QCOMPARE(fMain->shapePen->Height(), 2); // not resized at 1
        QCOMPARE(fViewer->Canvas().Pen.Style, psDash); // the pen keeps its style
    }

    void optionsTwiceReturnsByTheTextButton()
    {
        fMain->btnText->Click();
        fMain->btnSetupClick(nullptr);
        QCOMPARE(fSetup->Notebook1->PageIndex(), 1);
        fSetup->btnIcons->click();
        QCOMPARE(fSetup->Notebook1->PageIndex(), 2);
        fSetup->btnOptions->click();
        QCOMPARE(fSetup->Notebook1->PageIndex(), 3);
        QCOMPARE(fSetup->btnOptions->Caption(), QStringLiteral("Return"));
        fSetup->btnOptions->click();
        QCOMPARE(fSetup->Notebook1->PageIndex(), 1);
        QCOMPARE(fSetup->btnOptions->Caption(), QStringLiteral("Options"));
        fMain->btnLine->Click();
        fMain->btnSetupClick(nullptr);
        QCOMPARE(fSetup->Notebook1->PageIndex(), 0);
        QVERIFY(fSetup->isVisible());
        fSetup->BtnFinished->click();
        QVERIFY(!fSetup->isVisible());
    }

    void boldThenItalicThenReleasingBold()
    {
        fMain->btnText->Click();
        fSetup->BoldButton->Click();
        fSetup->ItalicButton->Click();
        QCOMPARE(fSetup->pText->Font().Style, fsBold | fsItalic);
        QCOMPARE(fViewer->Canvas().Font.Style, fsBold | fsItalic);
        fSetup->BoldButton->Click();
        QCOMPARE(fSetup->pText->Font().Style, int(fsItalic));
        QCOMPARE(fViewer->Canvas().Font.Style, int(fsItalic));
        // The buttons set from the font run no handler.
        TFont f = fSetup->pText->Font();
        f.Style = fsUnderline;
        fSetup->pText->SetFont(f);
        fSetup->SelectionChange(nullptr);
        QVERIFY(fSetup->UnderlineButton->Down() && !fSetup->ItalicButton->Down());
        QCOMPARE(fViewer->Canvas().Font.Style, int(fsItalic));
        QVERIFY(!fSetup->FUpdating);
    }

    void dragIntervalChangedWhileDragIsOff()
    {
        QVERIFY(!fSetup->ckboxDragText->Checked());
        fSetup->TrackBar3->setValue(4); // 10 - 4 + 1
        QCOMPARE(fViewer->DragPauseMax, 7);
        QVERIFY(!fViewer->DragText);
        fSetup->ckboxDragText->SetChecked(true);
        QVERIFY(fViewer->DragText);
        QCOMPARE(fViewer->DragPauseMax, 7);
        fSetup->ckboxDragText->SetChecked(false);
        QVERIFY(!fViewer->DragText);
        QCOMPARE(fViewer->DragPauseMax, 7);
    }

    void fontDialogClampsTheSizeSlider()
    {
        for (int size : {8, 72}) {
            TFont chosen{QStringLiteral("Courier New"), size, clNavy, fsBold | fsStrikeOut};
            forms->services->dialogs->fonts.enqueue(chosen);
            fSetup->sbtnFont->Click();
            QCOMPARE(fSetup->lFontSize->Caption(), QString::number(size));
            QCOMPARE(fSetup->pText->Font().Size, size);
            QCOMPARE(fViewer->Canvas().Font.Size, size);
            QCOMPARE(fSetup->TrackBar2->Position(), size == 8 ? 30 : 0);
            QCOMPARE(fSetup->cboxFontName->Text(), QStringLiteral("Courier New"));
            QVERIFY(fSetup->BoldButton->Down() && fSetup->StrikeThruButton->Down() && !fSetup->ItalicButton->Down());
        }
        const TFont before = fSetup->pText->Font();
        fSetup->sbtnFont->Click(); // cancelled
        QCOMPARE(fSetup->pText->Font(), before);
        QCOMPARE(forms->services->dialogs->fontPresets.last(), before);
    }

    void sizeSliderEnds()
    {
        fSetup->TrackBar2->setValue(0);
        QCOMPARE(fSetup->lFontSize->Caption(), QStringLiteral("40"));
        QCOMPARE(fViewer->Canvas().Font.Size, 40);
        fSetup->TrackBar2->setValue(30);
        QCOMPARE(fSetup->pText->Font().Size, 10);
    }

    void colourDialogsArePresetAndCancelChangesNothing()
    {
        fMain->btnLine->Click();
        fMain->Drawing().setLineColor(clNavy);
        fSetup->PenColor->Click(); // cancelled
        QCOMPARE(forms->services->dialogs->colorPresets.last(), clNavy);
        QCOMPARE(fMain->LinePenColor(), clNavy);
        forms->services->dialogs->colors.enqueue(clRed);
        fSetup->PenColor->Click();
        QCOMPARE(fMain->LinePenColor(), clRed);
        QCOMPARE(fMain->shapePen->Pen().Color, clRed);
        QCOMPARE(fViewer->Canvas().Pen.Color, clRed);

        fMain->btnRectangle->Click();
        forms->services->dialogs->colors.enqueue(clPurple);
        fSetup->PenColor->Click();
        QCOMPARE(forms->services->dialogs->colorPresets.last(), clLime);
        QCOMPARE(fMain->BoxPenColor(), clPurple);
        QCOMPARE(fMain->LinePenColor(), clRed);
        forms->services->dialogs->colors.enqueue(clOlive);
        fSetup->BrushColor->Click();
        QCOMPARE(fSetup->Shape1->Brush().Color, clOlive);
        QCOMPARE(fViewer->Canvas().Brush.Color, clOlive);
    }

    void backgroundColourWhileUncheckedTurnsTheSampleSilver()
    {
        fMain->btnText->Click();
        forms->services->dialogs->colors.enqueue(clYellow);
        fSetup->sbtnFontbkgdColor->Click();
        QCOMPARE(fSetup->pText->Color(), clSilver);
        QCOMPARE(fViewer->Canvas().Brush.Color, clYellow);
        fSetup->ckboxTextbkgd->SetChecked(true);
        QCOMPARE(fViewer->Canvas().Brush.Style, bsSolid);
        // The chosen background survives re-selecting the text tool.
        fMain->btnText->Click();
        QCOMPARE(fViewer->Canvas().Brush.Color, clYellow);
    }

    void dragAndDropMovesTheBarsTextBox()
    {
        fSetup->ckboxDragDrop->SetChecked(true);
        QCOMPARE(fMain->TextBox().Left(), 944);
        QCOMPARE(fMain->TextBox().Width(), 129);
        fSetup->ckboxDragDrop->SetChecked(false);
        QCOMPARE(fMain->TextBox().Left(), 904);
        QCOMPARE(fMain->TextBox().Width(), 169);
    }

    void fontListIsFilledOnceAndSorted()
    {
        const QStringList items = fSetup->cboxFontName->Items();
        QVERIFY(!items.isEmpty());
        QStringList sorted = items;
        std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
        QCOMPARE(items, sorted);
        fSetup->GetFontNames();
        QCOMPARE(fSetup->cboxFontName->Items(), items);
        const int at = int(items.indexOf(QRegularExpression(QStringLiteral("^Liberation|^DejaVu"))));
        if (at >= 0) {
            fSetup->cboxFontName->setCurrentIndex(at);
            emit fSetup->cboxFontName->activated(at);
            QCOMPARE(fSetup->pText->Font().Name, items[at]);
            QCOMPARE(fViewer->Canvas().Font.Name, items[at]);
        }
    }

    void highlightLabelAndFontNamesShowWhole()
    {
        // The bar's label over the thickest line pen preview: its text lies
        // inside its own rectangle and clear of the preview.
        fMain->btnLine->Click();
        fSetup->Highlight->Click();
        fSetup->TrackBar1->setValue(fSetup->TrackBar1->Max());
        TLabel* label = fMain->lHighlight;
        QVERIFY(label->Visible() && fMain->shapePen->Visible());
        const QFontMetrics metrics(label->font());
        const QRect box =
            label->style()->itemTextRect(metrics, label->contentsRect(), int(label->alignment()), true, label->text());
        const QRect ink = metrics.tightBoundingRect(label->text()).translated(box.left(), box.top() + metrics.ascent());
        QVERIFY2(label->rect().contains(ink), qPrintable(QStringLiteral("ink %1,%2 %3x%4")
                                                             .arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
        QVERIFY(!ink.translated(label->pos()).intersects(fMain->shapePen->geometry()));
        // The font list opens as wide as its longest name; the box keeps its size.
        TComboBox* fonts = fSetup->cboxFontName;
        fonts->AddItem(QStringLiteral("A Family Whose Name Is Far Wider Than The Box Condensed"));
        const QSize size = fonts->size();
        fSetup->Show();
        fSetup->Notebook1->SetPageIndex(1);
        fonts->showPopup();
        int widest = 0;
        for (const QString& name : fonts->Items())
            widest = qMax(widest, fonts->view()->fontMetrics().horizontalAdvance(name));
        QVERIFY2(fonts->view()->viewport()->width() >= widest,
                 qPrintable(QStringLiteral("%1 < %2").arg(fonts->view()->viewport()->width()).arg(widest)));
        QCOMPARE(fonts->size(), size);
        fonts->hidePopup();
    }

    void everyControlHasAName()
    {
        fMain->btnPanelClick(fMain->btnPanel); // the full bar
        TfStamp2 banner;
        QStringList nameless = namelessControls(fMain) + namelessControls(fViewer) + namelessControls(fStamp) +
                               namelessControls(&banner);
        // Every page of the setup dialog, the line page in both its forms.
        for (TSpeedButton* tool : {fMain->btnLine, fMain->btnRectangle})
            for (int page = 0; page < 4; ++page) {
                tool->Click();
                fSetup->Notebook1->SetPageIndex(page);
                nameless += namelessControls(fSetup);
            }
        nameless.removeDuplicates();
        QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(QStringLiteral("; "))));
        QCOMPARE(fMain->btnQuit->Caption(), QStringLiteral("&Quit")); // captions stay
        QCOMPARE(QAccessible::queryAccessibleInterface(fMain->btnScribble)->text(QAccessible::Name),
                 QStringLiteral("Freehand"));
    }

    void storedCrossFillReallyDrawsCrosses()
    {
        forms.reset(); // one set of forms at a time
        Forms local("[Setup]\r\nOperating=No\r\nMode=3\r\n[Shape]\r\nBrushStyle=CrossBrush\r\nBrushColor=255\r\n"
                    "PenColor=16711680\r\nPenThickness=1\r\n");
        local.start();
        QVERIFY(fMain->btnRectangle->Down());
        blankSurface();
        drawBox({50, 50}, {250, 200});
        QCOMPARE(surfacePixel(50, 100), clBlue); // the outline
        int red = 0, white = 0;
        for (int y = 60; y < 190; ++y)
            for (int x = 60; x < 240; ++x)
                (surfacePixel(x, y) == clRed ? red : white) += 1;
        QVERIFY(red > 500);
        QVERIFY(white > red);
    }
};

QTEST_MAIN(TestTools)
#include "test_tools.moc"
