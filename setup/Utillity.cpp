#include "Utillity.h"

#include "Exceptions.h"
#include "Glyphs.h"
#include "Main.h"
#include "Services.h"
#include "Stamp.h"
#include "bmshapedform.h"
#include "Viewer.h"
#include "util1.h"

#include <QFontDatabase>
#include <optional>
#include <utility>

TfSetup* fSetup = nullptr;

namespace {

// The setup dialog's own text box starts the keyboard from this fixed place.
const QString FixedKeyboardPath = QStringLiteral("/usr/bin/onboard");

const TFont MaroonBold{QStringLiteral("MS Sans Serif"), 10, clMaroon, fsBold};
const TFont MaroonArial{QStringLiteral("Arial"), 8, clMaroon, 0};
const TFont MaroonArialBold{QStringLiteral("Arial"), 8, clMaroon, fsBold};

TLabel* label(QWidget* parent, const QString& caption, int left, int top, bool visible = true)
{
    auto* l = new TLabel(parent, caption, left, top);
    l->SetTransparent(true);
    l->setVisible(visible);
    return l;
}

TLabel* label(QWidget* parent, const QString& caption, int left, int top, const TFont& font)
{
    TLabel* l = label(parent, caption, left, top);
    l->SetFont(font);
    return l;
}

TSpeedButton* groupButton(QWidget* parent, const char* name, int left, int top, int group, const QImage& glyph,
                          bool visible = true)
{
    auto* b = new TSpeedButton(parent, left, top);
    b->setObjectName(QLatin1String(name));
    b->GroupIndex = group;
    b->SetGlyph(glyph);
    b->setVisible(visible);
    return b;
}

TSpeedButton* toggleButton(QWidget* parent, const char* name, int left, int top, int group, const QImage& glyph)
{
    TSpeedButton* b = groupButton(parent, name, left, top, group, glyph);
    b->AllowAllUp = true;
    return b;
}

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

TfSetup::TfSetup(QWidget* owner) : TForm(owner)
{
    SetCaption(QStringLiteral("Setup"));
    SetBorderStyle(bsDialog);
    // A tool window: it stays usable above the full-screen surface.
    SetStayOnTop(true);
    SetColor(clSilver);
    setFont(TFont{QStringLiteral("MS Sans Serif"), 8, clBlack, 0}.toQFont());
    SetDesignBounds(369, 93, 458, 281);
    Notebook1 = new TNotebook(this, {QStringLiteral("Line Matrix"), QStringLiteral("Text Matrix"), QStringLiteral("icons"),
                                     QStringLiteral("Options")},
                              0, 0, 458, 233);
    createLinePage(Notebook1->Page(0));
    createTextPage(Notebook1->Page(1));
    createIconsPage(Notebook1->Page(2));
    createOptionsPage(Notebook1->Page(3));
    createFrameButtons();
}

void TfSetup::createLinePage(QWidget* page)
{
    Bevel3 = new TBevel(page, 11, 16, 374, 113);
    Label1 = label(page, QStringLiteral("Line Matrix"), 208, 8, MaroonBold);
    Label9 = label(page, QStringLiteral("solid"), 24, 32);
    lDash = label(page, QStringLiteral("dash"), 56, 32);
    lDot = label(page, QStringLiteral("dot"), 96, 32);
    lClear = label(page, QStringLiteral("clear"), 213, 32, false);
    SolidPen = groupButton(page, "SolidPen", 24, 48, 3, Glyphs::PenStyle(psSolid));
    SolidPen->SetDown(true);
    DashPen = groupButton(page, "DashPen", 57, 48, 3, Glyphs::PenStyle(psDash));
    DotPen = groupButton(page, "DotPen", 90, 48, 3, Glyphs::PenStyle(psDot));
    DashDotPen = groupButton(page, "DashDotPen", 123, 48, 3, Glyphs::PenStyle(psDashDot));
    DashDotDotPen = groupButton(page, "DashDotDotPen", 156, 48, 3, Glyphs::PenStyle(psDashDotDot));
    ClearPen = groupButton(page, "ClearPen", 213, 48, 3, Glyphs::PenStyle(psClear), false);
    Wire(SolidPen->OnClick, this, &TfSetup::SolidPenClick);
    Wire(DashPen->OnClick, this, &TfSetup::DashPenClick);
    Wire(DotPen->OnClick, this, &TfSetup::DotPenClick);
    Wire(DashDotPen->OnClick, this, &TfSetup::DashDotPenClick);
    Wire(DashDotDotPen->OnClick, this, &TfSetup::DashDotDotPenClick);
    Wire(ClearPen->OnClick, this, &TfSetup::ClearPenClick);
    lPenColor = label(page, QStringLiteral("Color"), 307, 32);
    PenColor = new TSpeedButton(page, 307, 48);
    PenColor->SetGlyph(Glyphs::Colour());
    Wire(PenColor->OnClick, this, &TfSetup::PenColorClick);
    TrackBar1 = new TTrackBar(page, 360, 16, 41, 113, 1, 30, 25);
    Wire(TrackBar1->OnChange, this, &TfSetup::TrackBar1Change);
    Label13 = label(page, QStringLiteral("30"), 400, 24);
    Label12 = label(page, QStringLiteral("1"), 400, 110);
    Label3 = label(page, QStringLiteral("thickness"), 400, 64);
    lLine = label(page, QStringLiteral("5"), 328, 88, TFont{QStringLiteral("Times New Roman"), 12, clBlack, fsBold});
    shapePen = new TShape(page, 96, 96, 225, 10);
    shapePen->SetPen(TPen{clAqua, 1, psSolid, pmCopy});
    shapePen->SetBrush(TBrush{clAqua, bsSolid});
    lHorizontal = label(page, QStringLiteral("Horizontally Locked"), 152, 72,
                        TFont{QStringLiteral("Arial"), 10, clPurple, fsBold});
    lHorizontal->Hide();
    sHighlight = new TShape(page, 24, 78, 57, 46);
    sHighlight->SetBrushColor(clLime);
    sHighlight->Hide();
    lHighlight = label(page, QStringLiteral("Highlight"), 32, 80);
    Highlight = toggleButton(page, "Highlight", 40, 96, 4, Glyphs::Highlight(false));
    Wire(Highlight->OnClick, this, &TfSetup::HighlightClick);
    createFillControls(page);
}

void TfSetup::createFillControls(QWidget* page)
{
    Bevel2 = new TBevel(page, 11, 136, 425, 81);
    Label4 = label(page, QStringLiteral("Fill Matrix"), 200, 128, MaroonBold);
    lSolid = label(page, QStringLiteral("solid"), 19, 150);
    lEmpty = label(page, QStringLiteral("empty"), 248, 150);
    SolidBrush = groupButton(page, "SolidBrush", 19, 165, 1, Glyphs::BrushStyle(bsSolid));
    SolidBrush->SetDown(true);
    HorizontalBrush = groupButton(page, "HorizontalBrush", 51, 165, 1, Glyphs::BrushStyle(bsHorizontal));
    VerticalBrush = groupButton(page, "VerticalBrush", 83, 165, 1, Glyphs::BrushStyle(bsVertical));
    BDiagonalBrush = groupButton(page, "BDiagonalBrush", 115, 165, 1, Glyphs::BrushStyle(bsBDiagonal));
    FDiagonalBrush = groupButton(page, "FDiagonalBrush", 147, 165, 1, Glyphs::BrushStyle(bsFDiagonal));
    DiagCrossBrush = groupButton(page, "DiagCrossBrush", 179, 165, 1, Glyphs::BrushStyle(bsDiagCross));
    CrossBrush = groupButton(page, "CrossBrush", 211, 165, 1, Glyphs::BrushStyle(bsCross));
    ClearBrush = groupButton(page, "ClearBrush", 251, 165, 1, Glyphs::BrushStyle(bsClear));
    Wire(SolidBrush->OnClick, this, &TfSetup::SolidBrushClick);
    Wire(HorizontalBrush->OnClick, this, &TfSetup::HorizontalBrushClick);
    Wire(VerticalBrush->OnClick, this, &TfSetup::VerticalBrushClick);
    Wire(BDiagonalBrush->OnClick, this, &TfSetup::BDiagonalBrushClick);
    Wire(FDiagonalBrush->OnClick, this, &TfSetup::FDiagonalBrushClick);
    Wire(DiagCrossBrush->OnClick, this, &TfSetup::DiagCrossBrushClick);
    Wire(CrossBrush->OnClick, this, &TfSetup::CrossBrushClick);
    Wire(ClearBrush->OnClick, this, &TfSetup::ClearBrushClick);
    lColor = label(page, QStringLiteral("Color"), 307, 150);
    BrushColor = new TSpeedButton(page, 307, 165);
    BrushColor->SetGlyph(Glyphs::Colour());
    Wire(BrushColor->OnClick, this, &TfSetup::BrushColorClick);
    Shape1 = new TShape(page, 344, 144, 73, 57);
    Shape1->SetPen(TPen{clLime, 4, psSolid, pmCopy});
    Shape1->SetBrush(TBrush{clWhite, bsClear});
    setFillControls(false);
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

void TfSetup::createTextPage(QWidget* page)
{
    sbtnFont = new TSpeedButton(page, 12, 13);
    sbtnFont->SetCaption(QStringLiteral("F"));
    sbtnFont->SetFont(TFont{QStringLiteral("Times New Roman"), 12, clBlack, fsBold | fsItalic});
    sbtnFont->setToolTip(QStringLiteral("Font"));
    Wire(sbtnFont->OnClick, this, &TfSetup::sbtnFontClick);
    cboxFontName = new TComboBox(page, 42, 14, 131, 21);
    cboxFontName->SetText(QStringLiteral("Arial"));
    Wire(cboxFontName->OnChange, this, &TfSetup::cboxFontNameChange);
    Bevel6 = new TBevel(page, 16, 56, 137, 49);
    Label5 = label(page, QStringLiteral("Styles"), 72, 48, MaroonArial);
    BoldButton = toggleButton(page, "BoldButton", 24, 69, 1, Glyphs::Bold());
    BoldButton->setToolTip(QStringLiteral("Bold"));
    Wire(BoldButton->OnClick, this, &TfSetup::BoldButtonClick);
    ItalicButton = toggleButton(page, "ItalicButton", 57, 69, 2, Glyphs::Italic());
    ItalicButton->setToolTip(QStringLiteral("Italic"));
    Wire(ItalicButton->OnClick, this, &TfSetup::ItalicButtonClick);
    UnderlineButton = toggleButton(page, "UnderlineButton", 89, 69, 3, Glyphs::Underline());
    UnderlineButton->setToolTip(QStringLiteral("Underline"));
    Wire(UnderlineButton->OnClick, this, &TfSetup::UnderlineButtonClick);
    StrikeThruButton = toggleButton(page, "StrikeThruButton", 120, 69, 4, QImage());
    StrikeThruButton->SetCaption(QStringLiteral("S"));
    StrikeThruButton->SetFont(TFont{QStringLiteral("Arial"), 16, clBlack, fsStrikeOut});
    Wire(StrikeThruButton->OnClick, this, &TfSetup::StrikeThruButtonClick);
    Label27 = label(page, QStringLiteral("size"), 160, 40, MaroonArial);
    lFontSize = label(page, QStringLiteral("10"), 156, 56, TFont{QStringLiteral("Arial"), 16, clBlack, fsBold});
    TrackBar2 = new TTrackBar(page, 184, 8, 33, 105, 0, 30, 30);
    TrackBar2->setTickPosition(QSlider::TicksRight);
    Wire(TrackBar2->OnChange, this, &TfSetup::TrackBar2Change);
    Label7 = label(page, QStringLiteral("40"), 216, 16);
    Label6 = label(page, QStringLiteral("10"), 216, 94);
    Bevel1 = new TBevel(page, 232, 16, 145, 97);
    Label28 = label(page, QStringLiteral("Color"), 288, 8, MaroonArial);
    Bevel4 = new TBevel(page, 240, 32, 49, 53);
    Label10 = label(page, QStringLiteral("Font"), 256, 26, MaroonArial);
    sbtnFontColor = new TSpeedButton(page, 251, 53);
    sbtnFontColor->SetGlyph(Glyphs::Colour());
    Wire(sbtnFontColor->OnClick, this, &TfSetup::sbtnFontColorClick);
    Bevel5 = new TBevel(page, 296, 32, 73, 53);
    Label8 = label(page, QStringLiteral("Background"), 304, 26, MaroonArial);
    sbtnFontbkgdColor = new TSpeedButton(page, 323, 53);
    sbtnFontbkgdColor->SetGlyph(Glyphs::Colour());
    Wire(sbtnFontbkgdColor->OnClick, this, &TfSetup::sbtnFontbkgdColorClick);
    ckboxTextbkgd = new TCheckBox(page, QStringLiteral("Show background"), 240, 88, 121, 17);
    ckboxTextbkgd->SetFont(MaroonArial, clMaroon);
    Wire(ckboxTextbkgd->OnClick, this, &TfSetup::ckboxTextbkgdClick);
    Label14 = label(page, QStringLiteral("Text"), 400, 8, MaroonArial);
    ckboxDragText = new TCheckBox(page, QStringLiteral("Drag"), 392, 24, 49, 17);
    ckboxDragText->SetFont(MaroonArial, clMaroon);
    Wire(ckboxDragText->OnClick, this, &TfSetup::ckboxDragTextClick);
    TrackBar3 = new TTrackBar(page, 408, 40, 33, 97, 1, 10, 10);
    TrackBar3->setTickPosition(QSlider::TicksRight);
    Wire(TrackBar3->OnChange, this, &TfSetup::TrackBar3Change);
    Label16 = label(page, QStringLiteral("10"), 440, 48);
    Label15 = label(page, QStringLiteral("1"), 440, 120);
    eText = new TEdit(page, 16, 120, 377, 21);
    eText->SetColor(clAqua);
    Wire(eText->OnChange, this, &TfSetup::eTextChange);
    Wire(eText->OnEnter, this, &TfSetup::eTextEnter);
    pText = new TPanel(page, 8, 144, 441, 65);
    pText->SetColor(clSilver);
    TFont sample{QStringLiteral("Arial"), 10, clBlack, 0};
    sample.SetHeight(-13);
    pText->SetFont(sample);
    ckboxDragDrop = new TCheckBox(page, QStringLiteral("Drag && Drop"), 8, 210, 97, 17);
    ckboxDragDrop->SetFont(MaroonArial, clMaroon);
    Wire(ckboxDragDrop->OnClick, this, &TfSetup::ckboxDragDropClick);
    Label2 = label(page, QStringLiteral("(select and release)"), 112, 212);
    ckboxTablet = new TCheckBox(page, QStringLiteral("Always a Tablet"), 280, 210, 129, 17);
    ckboxTablet->SetFont(MaroonArial, clMaroon);
    Wire(ckboxTablet->OnClick, this, &TfSetup::ckboxTabletClick);
}

void TfSetup::createIconsPage(QWidget* page)
{
    Label17 = label(page, QStringLiteral("Stamp setup"), 64, 24, TFont{QStringLiteral("MS Sans Serif"), 14, clMaroon, fsBold});
    btnIcon = new TBitBtn(page, QStringLiteral("Install"), 312, 24, 75, 25);
    btnIcon->SetGlyph(Glyphs::Install());
    Wire(btnIcon->OnClick, this, &TfSetup::btnIconClick);
    Label18 = label(page, QStringLiteral("Use the button to the right to setup a stamp."), 24, 64);
    Label19 = label(page, QStringLiteral("Once a stamp is selected:"), 24, 88);
    Label20 = label(page, QStringLiteral("1. Press the [ Finished ] button."), 48, 112);
    Label21 = label(page, QStringLiteral("2. Press the "), 48, 136);
    sbtnIcon = new TSpeedButton(page, 113, 130);
    sbtnIcon->SetGlyph(Glyphs::ToolGlyph(Glyphs::Tool::Stamp));
    sbtnIcon->SetEnabled(false);
    Label22 = label(page, QStringLiteral("button on the"), 144, 136);
    Label23 = label(page, QStringLiteral("Control Panel tool bar below."), 64, 152);
    Label24 = label(page, QStringLiteral("3. Use your mouse to drag && drop your"), 48, 176);
    Label25 = label(page, QStringLiteral("stamp (select and release)."), 72, 192);
    Label26 = label(page, QStringLiteral("Note: releasing the mouse button locks in the stamp. "), 8, 216,
                    TFont{QStringLiteral("MS Sans Serif"), 8, clOlive, 0});
    Panel1 = new TPanel(page, 256, 64, 185, 153);
    Image1 = new TImage(Panel1, 2, 2, 181, 149);
    Image1->SetStretch(true);
    lFilename = label(page, QString(), 300, 216, TFont{QStringLiteral("MS Sans Serif"), 8, clNavy, 0});
}

void TfSetup::createOptionsPage(QWidget* page)
{
    btnSave = new TBitBtn(page, QStringLiteral("Save"), 25, 16, 88, 25);
    btnSave->SetGlyph(Glyphs::Save());
    btnSave->SetEnabled(false);
    Wire(btnSave->OnClick, this, &TfSetup::btnSaveClick);
    btnOpen = new TBitBtn(page, QStringLiteral("Open"), 23, 56, 90, 25);
    btnOpen->SetGlyph(Glyphs::Open());
    Wire(btnOpen->OnClick, this, &TfSetup::btnOpenClick);
    btnAbout = new TBitBtn(page, QStringLiteral("About Us"), 336, 16, 89, 25);
    btnAbout->SetGlyph(Glyphs::About());
    lTablet = label(page, QStringLiteral("Tablet Keyboard missing"), 272, 192, TFont{QStringLiteral("Arial"), 10, clMaroon, fsBold});
    lTablet->Hide();
    ckboxTablet2 = new TCheckBox(page, QStringLiteral("Always a Tablet"), 280, 210, 129, 17);
    ckboxTablet2->SetFont(MaroonArialBold, clMaroon);
    Wire(ckboxTablet2->OnClick, this, &TfSetup::ckboxTablet2Click);
}

void TfSetup::createFrameButtons()
{
    btnIcons = new TBitBtn(this, QStringLiteral("Stamp"), 8, 248, 75, 25);
    btnIcons->SetGlyph(Glyphs::Stamps());
    Wire(btnIcons->OnClick, this, &TfSetup::btnIconsClick);
    btnOptions = new TBitBtn(this, QStringLiteral("Options"), 96, 248, 75, 25);
    btnOptions->SetGlyph(Glyphs::Options());
    Wire(btnOptions->OnClick, this, &TfSetup::btnOptionsClick);
    BtnFinished = new TBitBtn(this, QStringLiteral("Finished"), 192, 248, 75, 25);
    BtnFinished->SetGlyph(Glyphs::Finished());
    DefaultButton = BtnFinished;
    Wire(BtnFinished->OnClick, this, &TfSetup::BtnFinishedClick);
    btnHelp = new TBitBtn(this, QStringLiteral("Help"), 352, 248, 89, 25);
    btnHelp->SetGlyph(Glyphs::Help());
}

// ---- Line and fill

void TfSetup::SetPenStyle(QObject* Sender)
{
    // The clear pen hides the colour choice; any other pen brings it back.
    PenColor->SetEnabled(true);
    lPenColor->SetEnabled(true);
    const bool clear = Sender == ClearPen;
    PenColor->setVisible(!clear);
    lPenColor->setVisible(!clear);
    const std::optional<TPenStyle> style = styleOf<TPenStyle>(Sender, {{SolidPen, psSolid}, {DashPen, psDash}, {DotPen, psDot},
                                                            {DashDotPen, psDashDot}, {DashDotDotPen, psDashDotDot},
                                                            {ClearPen, psClear}});
    if (!style)
        return;
    TfMain::PreviewChange bar;
    // A box is outlined solid or not at all; a box with neither outline nor
    // fill could not be seen.
    if ((clear || *style == psSolid) && fMain->Mode >= 3 && fMain->Mode <= 5) {
        Shape1->SetPenStyle(*style);
        bar.outlinePenStyle = *style;
        lEmpty->setVisible(!clear);
        ClearBrush->setVisible(!clear);
    }
    fViewer->Canvas().Pen.Style = *style;
    shapePen->SetPenStyle(*style);
    bar.linePenStyle = *style;
    fMain->ShowPreviews(bar);
}

void TfSetup::PenColorClick(QObject*)
{
    const bool line = fMain->LineMode;
    const auto chosen = Services::Dialogs().ChooseColor(this, line ? fMain->LinePenColor : fMain->BoxPenColor);
    if (!chosen)
        return;
    TCanvas& canvas = fViewer->Canvas();
    shapePen->SetBrushColor(*chosen);
    shapePen->SetPenColor(*chosen);
    canvas.Pen.Color = *chosen;
    TfMain::PreviewChange bar;
    if (line) {
        fMain->LinePenColor = *chosen;
        canvas.Brush.Color = *chosen;
        bar.linePenColor = *chosen;
    } else {
        fMain->BoxPenColor = *chosen;
        Shape1->SetPenColor(*chosen);
        bar.outlinePenColor = *chosen;
    }
    fMain->ShowPreviews(bar);
}

void TfSetup::TrackBar1Change(QObject*)
{
    const int thickness = thicknessFromSlider();
    fViewer->Canvas().Pen.Width = thickness;
    lLine->SetCaption(IntToStr(thickness));
    shapePen->SetHeight(thickness / 2 + 1);
    shapePen->SetTop(linePreviewTop(thickness));
    // Only the thinnest line pen may be dashed or dotted.
    const bool linePen = thickness == 1 ? fMain->Mode == 1 || fMain->Mode == 2 : fMain->LineMode;
    TfMain::PreviewChange bar;
    if (linePen) {
        SolidPen->SetDown(true);
        setDashedChoices(thickness == 1);
        fMain->LinePenThickness = thickness;
    } else {
        fMain->BoxPenThickness = thickness;
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

void TfSetup::HighlightClick(QObject*)
{
    const bool on = Highlight->Down();
    // The highlighter draws its lines level.
    const bool locked = on && fMain->btnLine->Down();
    fViewer->Marker = on;
    fViewer->HLock = locked;
    sHighlight->setVisible(on);
    lHorizontal->setVisible(locked);
    TfMain::PreviewChange bar;
    bar.highlight = on;
    fMain->ShowPreviews(bar);
    Highlight->SetGlyph(Glyphs::Highlight(on));
}

void TfSetup::SetBrushStyle(QObject* Sender)
{
    TCanvas& canvas = fViewer->Canvas();
    canvas.Brush.Color = Shape1->Brush().Color;
    const std::optional<TBrushStyle> style =
        styleOf<TBrushStyle>(Sender, {{SolidBrush, bsSolid}, {ClearBrush, bsClear}, {HorizontalBrush, bsHorizontal},
                         {VerticalBrush, bsVertical}, {FDiagonalBrush, bsFDiagonal}, {BDiagonalBrush, bsBDiagonal},
                         {CrossBrush, bsCross}, {DiagCrossBrush, bsDiagCross}});
    // An empty fill has no colour, and no box goes without both outline and fill.
    const bool clear = style == bsClear;
    BrushColor->setVisible(!clear);
    lColor->setVisible(!clear);
    if (!style)
        return;
    canvas.Brush.Style = *style;
    Shape1->SetBrushStyle(*style);
    fMain->BoxBrushStyle = Sender->objectName();
    lClear->setVisible(!clear);
    ClearPen->setVisible(!clear);
    TfMain::PreviewChange bar;
    bar.fillStyle = *style;
    fMain->ShowPreviews(bar);
}

void TfSetup::BrushColorClick(QObject*)
{
    TCanvas& canvas = fViewer->Canvas();
    const auto chosen = Services::Dialogs().ChooseColor(this, canvas.Brush.Color);
    if (!chosen)
        return;
    canvas.Brush.Color = *chosen;
    Shape1->SetBrushColor(*chosen);
    TfMain::PreviewChange bar;
    bar.fillColor = *chosen;
    fMain->ShowPreviews(bar);
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
    TFont f = pText->Font();
    f.Name = cboxFontName->itemText(index);
    pText->SetFont(f);
    cboxFontName->SetText(f.Name);
    fViewer->Canvas().Font.Name = f.Name;
}

void TfSetup::sbtnFontClick(QObject*)
{
    const auto chosen = Services::Dialogs().ChooseFont(this, pText->Font());
    if (!chosen)
        return;
    fViewer->Canvas().Font = *chosen;
    pText->SetFont(*chosen);
    cboxFontName->SetText(chosen->Name);
    lFontSize->SetCaption(IntToStr(chosen->Size));
    TrackBar2->SetPosition(TrackBar2->Max() - chosen->Size + 10);
    BoldButton->SetDown(chosen->Style & fsBold);
    ItalicButton->SetDown(chosen->Style & fsItalic);
    UnderlineButton->SetDown(chosen->Style & fsUnderline);
    StrikeThruButton->SetDown(chosen->Style & fsStrikeOut);
}

void TfSetup::TrackBar2Change(QObject*)
{
    lFontSize->SetCaption(IntToStr(TrackBar2->Max() - TrackBar2->Position() + 10));
    TFont f = pText->Font();
    f.Size = StrToInt(lFontSize->Caption());
    pText->SetFont(f);
    fViewer->Canvas().Font.Size = f.Size;
}

void TfSetup::setStyle(TSpeedButton* button, TFontStyle style)
{
    if (FUpdating)
        return;
    TFont f = pText->Font();
    TFontStyles& canvasStyle = fViewer->Canvas().Font.Style;
    if (button->Down()) {
        f.Style |= style;
        canvasStyle |= style;
    } else {
        f.Style &= ~style;
        canvasStyle &= ~style;
    }
    pText->SetFont(f);
}

void TfSetup::BoldButtonClick(QObject*) { setStyle(BoldButton, fsBold); }
void TfSetup::ItalicButtonClick(QObject*) { setStyle(ItalicButton, fsItalic); }
void TfSetup::UnderlineButtonClick(QObject*) { setStyle(UnderlineButton, fsUnderline); }
void TfSetup::StrikeThruButtonClick(QObject*) { setStyle(StrikeThruButton, fsStrikeOut); }

void TfSetup::SelectionChange(QObject*)
{
    const UpdatingGuard guard(FUpdating);
    const TFontStyles style = pText->Font().Style;
    BoldButton->SetDown(style & fsBold);
    ItalicButton->SetDown(style & fsItalic);
    UnderlineButton->SetDown(style & fsUnderline);
    StrikeThruButton->SetDown(style & fsStrikeOut);
}

void TfSetup::sbtnFontColorClick(QObject*)
{
    const auto chosen = Services::Dialogs().ChooseColor(this, pText->Font().Color);
    if (!chosen)
        return;
    fViewer->Canvas().Font.Color = *chosen;
    TFont f = pText->Font();
    f.Color = *chosen;
    pText->SetFont(f);
}

void TfSetup::sbtnFontbkgdColorClick(QObject*)
{
    TCanvas& canvas = fViewer->Canvas();
    const auto chosen = Services::Dialogs().ChooseColor(this, canvas.Brush.Color);
    if (!chosen)
        return;
    canvas.Brush.Color = *chosen;
    pText->SetColor(ckboxTextbkgd->Checked() ? *chosen : clSilver);
    // The text tool takes its background from here when it is next chosen.
    fMain->FontBkColor = *chosen;
}

void TfSetup::ckboxTextbkgdClick(QObject*)
{
    fViewer->Canvas().Brush.Style = ckboxTextbkgd->Checked() ? bsSolid : bsClear;
}

void TfSetup::eTextChange(QObject*)
{
    pText->SetCaption(eText->Text());
    if (fMain->eText->Text() != eText->Text())
        fMain->eText->SetText(eText->Text());
}

void TfSetup::eTextEnter(QObject*)
{
    if (fMain->ckboxTablet->Checked() && FindFile(FixedKeyboardPath))
        ExecuteFile(FixedKeyboardPath, QString(), QString(), SW_SHOWNORMAL);
}

void TfSetup::ckboxDragTextClick(QObject*)
{
    if (ckboxDragText->Checked()) {
        fViewer->DragPauseMax = TrackBar3->Max() - TrackBar3->Position() + 1;
        fViewer->DragText = true;
    } else {
        fViewer->DragText = false;
    }
}

void TfSetup::TrackBar3Change(QObject*) { fViewer->DragPauseMax = TrackBar3->Max() - TrackBar3->Position() + 1; }

void TfSetup::ckboxDragDropClick(QObject*)
{
    if (ckboxDragDrop->Checked())
        fMain->eText->setGeometry(944, fMain->eText->Top(), 129, fMain->eText->Height());
    else
        fMain->eText->setGeometry(904, fMain->eText->Top(), 169, fMain->eText->Height());
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

void TfSetup::LoadStamp(const QString& path)
{
    // One read for the three pictures: a damaged file changes none of them.
    QString error;
    const QImage stamp = readPictureFile(path, &error);
    if (stamp.isNull())
        throw EInvalidGraphic(error);
    Image1->Picture.Assign(stamp);
    TfMain::PreviewChange bar;
    bar.stamp = stamp;
    fMain->ShowPreviews(bar);
    fStamp->BMShapedForm1->Picture.Assign(stamp);
}

void TfSetup::btnIconClick(QObject*)
{
    const QString start = prepareFolder(StampsFolder(), QStringLiteral("Stamps"));
    const auto chosen = Services::Dialogs().OpenFile(
        this, FileDialogRequest{QStringLiteral("Open Screen snapshot"), QStringLiteral("bitmaps |*.bmp|all files|*"),
                                QStringLiteral("bmp"), start, QStringLiteral("noname.bmp")});
    if (!chosen)
        return;
    LoadStamp(*chosen);
    lFilename->SetCaption(FileSplit(3, *chosen));
    fullFilename = *chosen;
}

QString TfSetup::BitmapName(const QString& chosen)
{
    if (FileSplit(4, chosen) == QStringLiteral("bmp"))
        return chosen;
    // Only the file name's own dots count: a folder such as "my.shots" stays.
    const int nameStart = int(qMax(chosen.lastIndexOf('/'), chosen.lastIndexOf('\\'))) + 1;
    const int dot = int(chosen.indexOf('.', nameStart));
    if (dot >= 0)
        return chosen.left(dot + 1) + QStringLiteral("bmp");
    return chosen + QStringLiteral(".bmp");
}

void TfSetup::btnSaveClick(QObject*)
{
    const QString start = prepareFolder(ScreensFolder(), QStringLiteral("Screens"));
    const auto chosen = Services::Dialogs().SaveFile(
        this, FileDialogRequest{QStringLiteral("Save Screen"), QStringLiteral("Windows Bitmap|*.bmp"),
                                QStringLiteral("bmp"), start, QString()});
    if (!chosen)
        return;
    fViewer->Image1->Picture.SaveToFile(BitmapName(*chosen));
}

void TfSetup::btnOpenClick(QObject*)
{
    const QString start = prepareFolder(ScreensFolder(), QStringLiteral("Screens"));
    const auto chosen = Services::Dialogs().OpenFile(
        this, FileDialogRequest{QStringLiteral("Open Screen snapshot"), QStringLiteral("bitmaps |*.bmp|all files|*"),
                                QStringLiteral("bmp"), start, QStringLiteral("noname.bmp")});
    if (!chosen)
        return;
    fViewer->Image1->Picture.LoadFromFile(*chosen);
}

void TfSetup::ckboxTabletClick(QObject*)
{
    if (ckboxTablet->Checked()) {
        ckboxTablet2->SetChecked(true);
        fMain->ckboxTablet->SetChecked(true);
    } else {
        ckboxTablet2->SetChecked(false);
    }
}

void TfSetup::ckboxTablet2Click(QObject*)
{
    if (ckboxTablet2->Checked()) {
        ckboxTablet->SetChecked(true);
        fMain->ckboxTablet->SetChecked(true);
    } else {
        ckboxTablet->SetChecked(false);
    }
}
