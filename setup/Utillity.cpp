#include "Utillity.h"

#include "Exceptions.h"
#include "FontStyles.h"
#include "Glyphs.h"
#include "Main.h"
#include "Services.h"
#include "Stamp.h"
#include "bmshapedform.h"
#include "Viewer.h"
#include "util1.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QPointer>
#include <optional>
#include <utility>

TfSetup* fSetup = nullptr;

namespace {

std::function<void()>& setupMaker()
{
    static std::function<void()> make;
    return make;
}

// The setup dialog's own text box starts the keyboard from this fixed place.
const QString FixedKeyboardPath = QStringLiteral("/usr/bin/onboard");

// The style a style button stands for, if it is one of them.
template <typename Style>
std::optional<Style> styleOf(QObject* button, std::initializer_list<std::pair<QObject*, Style>> styles)
{
    for (const auto& [b, style] : styles)
        if (b == button)
            return style;
    return std::nullopt;
}

class UpdatingGuard {
public:
    explicit UpdatingGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~UpdatingGuard() { flag_ = false; }

private:
    bool& flag_;
};

} // namespace

TfSetup& SetupDialog()
{
    if (!fSetup && setupMaker())
        setupMaker()();
    if (!fSetup)
        qFatal("The setup dialog is needed before anything can build it");
    return *fSetup;
}

void SetSetupDialogMaker(std::function<void()> make) { setupMaker() = std::move(make); }

int previewPenWidth(int thickness)
{
    int width = 2;
    if (thickness > 5) width = 4;
    if (thickness > 10) width = 6;
    if (thickness > 20) width = 8;
    return width;
}

int linePreviewTop(int thickness)
{
    int exceeded = 0;
    for (int step : {10, 15, 20, 25})
        if (thickness > step)
            ++exceeded;
    return 97 - 2 * exceeded;
}

void TfSetup::setFillControls(bool visible)
{
    for (QWidget* w : std::initializer_list<QWidget*>{Label4, Bevel2, SolidBrush, HorizontalBrush, VerticalBrush,
                                                       BDiagonalBrush, FDiagonalBrush, DiagCrossBrush, CrossBrush,
                                                       ClearBrush, lSolid, lEmpty, BrushColor, lColor, Shape1})
        w->setVisible(visible);
}

void TfSetup::setDashedChoices(bool visible)
{
    for (QWidget* w : std::initializer_list<QWidget*>{lDash, DashPen, lDot, DotPen, DashDotPen, DashDotDotPen})
        w->setVisible(visible);
}

// ---- Line and fill

DrawingSettings& TfSetup::drawing() { return fMain->Drawing(); }

void TfSetup::SetPenStyle(QObject* Sender)
{
    // The clear pen hides the colour choice; any other pen brings it back.
    PenColor->SetEnabled(true);
    lPenColor->SetEnabled(true);
    const bool clear = Sender == ClearPen;
    PenColor->setVisible(!clear);
    lPenColor->setVisible(!clear);
    const std::optional<TPenStyle> style =
        styleOf<TPenStyle>(Sender, {{SolidPen, psSolid}, {DashPen, psDash}, {DotPen, psDot}, {DashDotPen, psDashDot},
                                    {DashDotDotPen, psDashDotDot}, {ClearPen, psClear}});
    if (!style)
        return;
    // Only these two styles reach a box's outline: they say whether a box is
    // outlined at all; and the clear pen may not meet the clear fill: that
    // box could not be seen.
    if ((clear || *style == psSolid) && isBoxFamily(drawing().tool())) {
        drawing().setOutlineStyle(*style);
        lEmpty->setVisible(!clear);
        ClearBrush->setVisible(!clear);
    }
    drawing().setPenStyle(*style);
    drawing().setLinePenStyle(*style);
}

void TfSetup::PenColorClick(QObject*)
{
    DrawingSettings& settings = drawing();
    const bool line = settings.lineMode();
    const auto chosen =
        Services::Dialogs().ChooseColor(this, line ? settings.linePen().color : settings.boxPen().color);
    if (!chosen)
        return;
    shapePen->SetBrushColor(*chosen);
    shapePen->SetPenColor(*chosen);
    settings.setPenColor(*chosen);
    TfMain::PreviewChange bar;
    if (line) {
        settings.setLineColor(*chosen);
        settings.setBrushColor(*chosen);
        bar.linePenColor = *chosen;
    } else {
        settings.setBoxColor(*chosen);
        Shape1->SetPenColor(*chosen);
        bar.outlinePenColor = *chosen;
    }
    fMain->ShowPreviews(bar);
}

void TfSetup::TrackBar1Change(QObject*)
{
    const int thickness = thicknessFromSlider();
    DrawingSettings& settings = drawing();
    settings.setPenWidth(thickness);
    lLine->SetCaption(IntToStr(thickness));
    shapePen->SetHeight(thickness / 2 + 1);
    shapePen->SetTop(linePreviewTop(thickness));
    // Only the thinnest line pen may be dashed or dotted.
    const bool linePen = thickness == 1 ? isLineFamily(settings.tool()) : settings.lineMode();
    TfMain::PreviewChange bar;
    if (linePen) {
        SolidPen->SetDown(true);
        setDashedChoices(thickness == 1);
        settings.setLineThickness(thickness);
    } else {
        settings.setBoxThickness(thickness);
        bar.outlinePenWidth = previewPenWidth(thickness);
    }
    // At the thinnest pen the samples keep the size they had.
    if (thickness > 1) {
        if (linePen) {
            Shape1->SetHeight(thickness);
            bar.outlinePenWidth = 2;
        } else {
            Shape1->SetPenWidth(previewPenWidth(thickness));
        }
        bar.lineHeight = thickness / 2 + 1;
    }
    fMain->ShowPreviews(bar);
}

void TfSetup::HighlightClick(QObject*) { fMain->SetHighlighter(Highlight->Down()); }

void TfSetup::SetBrushStyle(QObject* Sender)
{
    DrawingSettings& settings = drawing();
    settings.setBrushColor(settings.fill().Color);
    // Each fill button is named as setup.ini keeps its fill.
    const std::optional<TBrushStyle> style = DrawingSettings::fillStyleNamed(Sender->objectName());
    const bool clear = style == bsClear;
    BrushColor->setVisible(!clear);
    lColor->setVisible(!clear);
    if (!style)
        return;
    settings.useFillStyle(*style);
    settings.setFillName(Sender->objectName());
    showFillIsClear(clear);
}

void TfSetup::showFillIsClear(bool clear)
{
    BrushColor->setVisible(!clear);
    lColor->setVisible(!clear);
    lClear->setVisible(!clear);
    ClearPen->setVisible(!clear);
}

std::optional<TColor> TfSetup::chooseBrushColor()
{
    const auto chosen = Services::Dialogs().ChooseColor(this, drawing().brush().Color);
    if (chosen)
        drawing().setBrushColor(*chosen);
    return chosen;
}

void TfSetup::BrushColorClick(QObject*)
{
    if (const auto chosen = chooseBrushColor())
        drawing().setFillColor(*chosen);
}

// ---- Frame

void TfSetup::BtnFinishedClick(QObject*) { Close(); }

void TfSetup::btnIconsClick(QObject*) { Notebook1->SetPageIndex(2); }

int TfSetup::workingPage() const { return fMain->btnText->Down() ? 1 : 0; }

void TfSetup::btnOptionsClick(QObject*)
{
    if (Notebook1->PageIndex() == 3) {
        btnOptions->SetCaption(QStringLiteral("Options"));
        Notebook1->SetPageIndex(workingPage());
    } else {
        Notebook1->SetPageIndex(3);
        btnOptions->SetCaption(QStringLiteral("Return"));
    }
}

// ---- Text

void TfSetup::GetFontNames()
{
    // Asked again after a failed first show, the list gains no duplicates.
    const QStringList present = cboxFontName->Items();
    for (const QString& family : QFontDatabase::families())
        if (!present.contains(family))
            cboxFontName->AddItem(family);
    cboxFontName->SetSorted(true);
}

void TfSetup::cboxFontNameChange(QObject*)
{
    if (FUpdating)
        return;
    // A typed name counts once it names an entry of the list.
    int index = cboxFontName->ItemIndex();
    const int typed = cboxFontName->findText(cboxFontName->Text(), Qt::MatchFixedString);
    if (typed >= 0)
        index = typed;
    if (index < 0)
        return;
    TFont f = drawing().font();
    f.Name = cboxFontName->itemText(index);
    drawing().setFont(f);
    cboxFontName->SetText(f.Name);
}

void TfSetup::sbtnFontClick(QObject*)
{
    const auto chosen = Services::Dialogs().ChooseFont(this, drawing().font());
    if (!chosen)
        return;
    drawing().setFont(*chosen);
    cboxFontName->SetText(chosen->Name);
    lFontSize->SetCaption(IntToStr(chosen->Size));
    TrackBar2->SetPosition(TrackBar2->Max() - chosen->Size + 10);
    for (const FontStyleChoice& s : FontStyleChoices)
        (this->*s.button)->SetDown(chosen->Style & s.style);
}

void TfSetup::TrackBar2Change(QObject*)
{
    lFontSize->SetCaption(IntToStr(TrackBar2->Max() - TrackBar2->Position() + 10));
    TFont f = drawing().font();
    f.Size = StrToInt(lFontSize->Caption());
    drawing().setFont(f);
}

void TfSetup::setStyle(TSpeedButton* button, TFontStyle style)
{
    if (FUpdating)
        return;
    TFont f = drawing().font();
    if (button->Down())
        f.Style |= style;
    else
        f.Style &= ~style;
    drawing().setFont(f);
}

void TfSetup::BoldButtonClick(QObject*) { setStyle(BoldButton, fsBold); }
void TfSetup::ItalicButtonClick(QObject*) { setStyle(ItalicButton, fsItalic); }
void TfSetup::UnderlineButtonClick(QObject*) { setStyle(UnderlineButton, fsUnderline); }
void TfSetup::StrikeThruButtonClick(QObject*) { setStyle(StrikeThruButton, fsStrikeOut); }

void TfSetup::SelectionChange(QObject*)
{
    const UpdatingGuard guard(FUpdating);
    const TFontStyles style = pText->Font().Style;
    for (const FontStyleChoice& s : FontStyleChoices)
        (this->*s.button)->SetDown(style & s.style);
}

void TfSetup::sbtnFontColorClick(QObject*)
{
    const auto chosen = Services::Dialogs().ChooseColor(this, drawing().font().Color);
    if (!chosen)
        return;
    TFont f = drawing().font();
    f.Color = *chosen;
    drawing().setFont(f);
}

void TfSetup::sbtnFontbkgdColorClick(QObject*)
{
    const auto chosen = chooseBrushColor();
    if (!chosen)
        return;
    pText->SetColor(ckboxTextbkgd->Checked() ? *chosen : clSilver);
    // The text tool takes its background from here when it is next chosen.
    drawing().setTextBackColor(*chosen);
}

void TfSetup::ckboxTextbkgdClick(QObject*)
{
    const bool on = ckboxTextbkgd->Checked();
    drawing().setTextBackground(on);
    drawing().setBrushStyle(on ? bsSolid : bsClear);
    ShowTextBackground(drawing().textBackColor());
}

void TfSetup::eTextChange(QObject*)
{
    pText->SetCaption(eText->Text());
    if (fMain->TextBoxWords() != eText->Text())
        fMain->TextBox().SetText(eText->Text());
}

void TfSetup::eTextEnter(QObject*)
{
    if (fMain->ckboxTablet->Checked() && FindFile(FixedKeyboardPath))
        ExecuteFile(FixedKeyboardPath, QString(), QString(), SW_SHOWNORMAL);
}

void TfSetup::ckboxDragTextClick(QObject*)
{
    if (ckboxDragText->Checked())
        fViewer->DragPauseMax = dragPause();
    fViewer->DragText = ckboxDragText->Checked();
}

void TfSetup::TrackBar3Change(QObject*) { fViewer->DragPauseMax = dragPause(); }

void TfSetup::ckboxDragDropClick(QObject*)
{
    // The bar's text box makes room for the drag-and-drop choice.
    const bool drop = ckboxDragDrop->Checked();
    TEdit& box = fMain->TextBox();
    box.setGeometry(drop ? 944 : 904, box.Top(), drop ? 129 : 169, box.Height());
}

// ---- Stamp and options

QString TfSetup::prepareFolder(const QString& folder, const QString& name)
{
    if (PathExist(folder))
        return folder;
    QString bare = folder;
    bare.chop(1);
    if (MakeDir(bare) >= 0)
        return folder;
    Services::Messages().Show(this, MessageRequest{QStringLiteral("Unable to create the new folder\n    '%1'").arg(name),
                                                   QStringLiteral("Notice"), MsgButtons::OK, MsgIcon::None});
    return CurrentDir;
}

void TfSetup::LoadStamp(const QString& path) { fMain->LoadStamp(path); }

std::optional<QString> TfSetup::chooseBitmap(const QString& folder, const QString& name)
{
    const QString start = prepareFolder(folder, name);
    return Services::Dialogs().OpenFile(
        this, FileDialogRequest{QStringLiteral("Open Screen snapshot"), QStringLiteral("bitmaps |*.bmp|PNG image|*.png|all files|*"),
                                QStringLiteral("bmp"), start, QStringLiteral("noname.bmp")});
}

void TfSetup::btnIconClick(QObject*)
{
    const auto chosen = chooseBitmap(StampsFolder(), QStringLiteral("Stamps"));
    if (!chosen)
        return;
    LoadStamp(*chosen);
    fMain->Choices().stampFile = *chosen;
    ShowStampFile(*chosen);
}

QString TfSetup::BitmapName(const QString& chosen)
{
    if (FileSplit(4, chosen) == QStringLiteral("bmp"))
        return chosen;
    // Only the file name's own dots count: a folder such as "my.shots" stays.
    const int nameStart = int(qMax(chosen.lastIndexOf('/'), chosen.lastIndexOf('\\'))) + 1;
    // A PNG name is kept: that picture is written as PNG.
    if (chosen.size() > nameStart + 4 && chosen.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return chosen;
    const int dot = int(chosen.indexOf('.', nameStart));
    if (dot >= 0)
        return chosen.left(dot + 1) + QStringLiteral("bmp");
    return chosen + QStringLiteral(".bmp");
}

void TfSetup::btnSaveClick(QObject*)
{
    const QString start = prepareFolder(ScreensFolder(), QStringLiteral("Screens"));
    const auto chosen = Services::Dialogs().SaveFile(
        this, FileDialogRequest{QStringLiteral("Save Screen"), QStringLiteral("Windows Bitmap|*.bmp|PNG image|*.png"),
                                QStringLiteral("bmp"), start, QString()});
    if (!chosen)
        return;
    const QString name = BitmapName(*chosen);
    fViewer->Image1->Picture.SaveToFile(name);
    fMain->ShowNotice(QStringLiteral("Saved %1").arg(QFileInfo(name).fileName()));
}

void TfSetup::btnOpenClick(QObject*)
{
    const auto chosen = chooseBitmap(ScreensFolder(), QStringLiteral("Screens"));
    if (!chosen)
        return;
    fViewer->Image1->Picture.LoadFromFile(*chosen);
}

void TfSetup::ckboxTabletClick(QObject*) { matchTabletBoxes(ckboxTablet, ckboxTablet2); }

void TfSetup::ckboxTablet2Click(QObject*) { matchTabletBoxes(ckboxTablet2, ckboxTablet); }

void TfSetup::matchTabletBoxes(TCheckBox* clicked, TCheckBox* other)
{
    // The two pages' boxes are one choice; ticking it ticks the bar's too.
    fMain->Choices().tablet = clicked->Checked();
    other->SetChecked(clicked->Checked());
    if (clicked->Checked())
        fMain->ckboxTablet->SetChecked(true);
}

// ---- What the bar asks of the setup dialog

void TfSetup::ShowLineChoices(int thickness, TColor colour)
{
    shapePen->SetHeight(thickness / 2 + 1);
    shapePen->SetPenColor(colour);
    shapePen->SetBrushColor(colour);
    setFillControls(false);
    ClearPen->Hide();
    lClear->Hide();
    sHighlight->SetVisible(Highlight->Down());
    lHighlight->Show();
    Highlight->Show();
}

void TfSetup::ShowBoxChoices(int thickness, TColor colour)
{
    Shape1->SetPenWidth(previewPenWidth(thickness));
    sHighlight->Hide();
    lHighlight->Hide();
    Highlight->Hide();
    shapePen->SetPenColor(colour);
    shapePen->SetBrushColor(colour);
    Shape1->SetPenColor(colour);
    TrackBar1->SetPosition(TrackBar1->Max() + 1 - thickness);
    TrackBar1Change(this);
    setFillControls(true);
    // An empty fill needs the pen: the clear pen is offered only with a fill.
    const bool emptyFill = ClearBrush->Down();
    if (emptyFill)
        drawing().setFillStyle(bsClear);
    ClearPen->setVisible(!emptyFill);
    lClear->setVisible(!emptyFill);
}

void TfSetup::ShowTextBackground(TColor colour) { pText->SetColor(drawing().textBackground() ? colour : clSilver); }

void TfSetup::ShowPenThickness(int thickness)
{
    const bool thin = thickness == 1;
    if (thin)
        SolidPen->SetDown(true);
    else
        SolidPen->Release();
    setDashedChoices(thin);
}

void TfSetup::ShowLineSlider(int thickness, TColor colour)
{
    lLine->SetCaption(IntToStr(thickness));
    TrackBar1->SetPosition(TrackBar1->Max() + 1 - thickness);
    shapePen->SetPenColor(colour);
}

void TfSetup::FollowDrawing(DrawingSettings& settings)
{
    settings.onChange([this, self = QPointer<TfSetup>(this), &settings] {
        if (self)
            showDrawingStyles(settings);
    });
}

void TfSetup::showDrawingStyles(const DrawingSettings& settings)
{
    shapePen->SetPenStyle(settings.linePen().style);
    Shape1->SetPenStyle(settings.boxPen().style);
    Shape1->SetBrush(settings.fill());
    pText->SetFont(settings.font());
}

void TfSetup::ShowFolderAndFonts(const QString& folder)
{
    CurrentDir = folder;
    GetFontNames();
}

void TfSetup::showBarState()
{
    ShowFolderAndFonts(fMain->CurrentDir);
    // The first show has changed the settings already: the samples show them.
    showDrawingStyles(drawing());
    btnSave->SetEnabled(fMain->CaptureShown());
    showStoredSettings();
    if (!fMain->TextBoxWords().isEmpty())
        ShowText(fMain->TextBoxWords());
    showToolChoices();
    if (!fMain->Image1->Picture.Empty())
        Image1->Picture.Assign(fMain->Image1->Picture.Bitmap());
}

void TfSetup::showStoredSettings()
{
    const DrawingSettings& settings = drawing();
    const SetupChoices& choices = fMain->Choices();
    if (choices.linePenStored)
        ShowPenThickness(settings.linePen().thickness);
    shapePen->SetPenColor(settings.linePen().color);
    ShowHighlighter(settings.marker(), settings.marker() && fViewer->HLock);
    ShowFontSettings(settings.font(), settings.textBackground(), settings.textBackColor());
    ShowStampFile(choices.stampFile);
    ShowTabletChoice(choices.keyboardFound, choices.tablet);
}

void TfSetup::showToolChoices()
{
    const DrawingSettings& settings = drawing();
    const ToolMode tool = settings.tool();
    if (tool == ToolMode::Text) {
        Notebook1->SetPageIndex(1);
        ShowTextBackground(settings.textBackColor());
    }
    const DrawingSettings::FamilyPen& line = settings.linePen();
    if (settings.lineMode())
        ShowLineChoices(line.thickness, line.color);
    if (isLineFamily(tool) && fMain->Choices().linePenStored)
        ShowLineSlider(line.thickness, line.color);
    if (isBoxFamily(tool)) {
        Shape1->SetShape(fMain->Choices().boxShape);
        ShowBoxChoices(settings.boxPen().thickness, settings.boxPen().color);
        ShowFillChoice(settings.fillName());
    }
}

void TfSetup::ShowFontSettings(const TFont& font, bool background, TColor backColour)
{
    cboxFontName->SetText(font.Name);
    lFontSize->SetCaption(IntToStr(font.Size));
    TrackBar2->SetPosition(TrackBar2->Max() - font.Size + 10);
    {
        // Shown, not chosen: the surface's brush stays as it is.
        const QSignalBlocker quiet(ckboxTextbkgd);
        ckboxTextbkgd->SetChecked(background);
    }
    ShowTextBackground(backColour);
    for (const FontStyleChoice& s : FontStyleChoices)
        if (font.Style & s.style)
            (this->*s.button)->SetDown(true);
}

void TfSetup::ShowTabletChoice(bool available, bool on)
{
    if (!available) {
        ckboxTablet->Hide();
        ckboxTablet2->SetEnabled(false);
    }
    // Shown, not chosen: the bar's own box stays as it is.
    const QSignalBlocker quiet(ckboxTablet), quiet2(ckboxTablet2);
    ckboxTablet->SetChecked(on);
    ckboxTablet2->SetChecked(on);
}

void TfSetup::ShowHighlighter(bool on, bool locked)
{
    Highlight->SetDown(on);
    sHighlight->setVisible(on);
    lHorizontal->setVisible(locked);
    Highlight->SetGlyph(Glyphs::Highlight(on));
}

void TfSetup::ShowFillChoice(const QString& name)
{
    for (TSpeedButton* button : {SolidBrush, ClearBrush, HorizontalBrush, VerticalBrush, FDiagonalBrush,
                                 BDiagonalBrush, CrossBrush, DiagCrossBrush}) {
        if (button->objectName() == name) {
            button->SetDown(true);
            showFillIsClear(button == ClearBrush);
            return;
        }
    }
}

void TfSetup::ShowStampFile(const QString& path)
{
    lFilename->SetCaption(FileSplit(3, path));
    fullFilename = path;
}

void TfSetup::ShowText(const QString& text)
{
    if (eText->Text() != text)
        eText->SetText(text);
    pText->SetCaption(text);
}
