// Where the setup dialog's controls stand, how they look at the start and
// which handler each one runs: the dialog's design, kept apart from what the
// handlers do (Utillity.cpp).
#include "Utillity.h"

#include "Glyphs.h"
#include "Main.h"

namespace {

const TFont MaroonBold{QStringLiteral("MS Sans Serif"), 10, clMaroon, fsBold};
const TFont MaroonArial{QStringLiteral("Arial"), 8, clMaroon, 0};
const TFont MaroonArialBold{QStringLiteral("Arial"), 8, clMaroon, fsBold};

// Drawn when its button is first painted: the dialog is hidden at start.
using Glyph = std::function<QImage()>;

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

TSpeedButton* groupButton(QWidget* parent, const char* name, int left, int top, int group, const Glyph& glyph,
                          bool visible = true)
{
    auto* b = new TSpeedButton(parent, left, top);
    b->setObjectName(QLatin1String(name));
    b->GroupIndex = group;
    b->SetGlyphMaker(glyph);
    b->setVisible(visible);
    return b;
}

TSpeedButton* toggleButton(QWidget* parent, const char* name, int left, int top, int group, const Glyph& glyph,
                           const QString& tip = QString())
{
    TSpeedButton* b = groupButton(parent, name, left, top, group, glyph);
    b->AllowAllUp = true;
    b->setToolTip(tip);
    return b;
}

TSpeedButton* glyphButton(QWidget* parent, int left, int top, const Glyph& glyph)
{
    auto* b = new TSpeedButton(parent, left, top);
    b->SetGlyphMaker(glyph);
    return b;
}

TBitBtn* bitButton(QWidget* parent, const QString& caption, int left, int top, int width, const Glyph& glyph)
{
    auto* b = new TBitBtn(parent, caption, left, top, width, 25);
    b->SetGlyphMaker(glyph, QSize(Glyphs::BitSize, Glyphs::BitSize));
    return b;
}

TCheckBox* checkBox(QWidget* parent, const QString& caption, int left, int top, int width, const TFont& font)
{
    auto* c = new TCheckBox(parent, caption, left, top, width, 17);
    c->SetFont(font, clMaroon);
    return c;
}

} // namespace

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
    nameControls();
    // The bar is made first; its drawing settings are what the samples show.
    if (fMain) {
        FollowDrawing(fMain->Drawing());
        btnHelp->OnClick = [](QObject*) { fMain->ShowHelp(); };
        btnAbout->OnClick = [](QObject*) { fMain->ShowAbout(); };
        if (!fMain->FirstShow)
            showBarState();
    }
}

void TfSetup::nameControls()
{
    // What a screen reader calls the controls without a caption of their own:
    // the words of the label beside each, or of its tip.
    const std::pair<QWidget*, const char*> names[] = {
        {SolidPen, "Solid pen"},
        {DashPen, "Dash pen"},
        {DotPen, "Dot pen"},
        {DashDotPen, "Dash dot pen"},
        {DashDotDotPen, "Dash dot dot pen"},
        {ClearPen, "Clear pen"},
        {PenColor, "Pen color"},
        {TrackBar1, "Thickness"},
        {Highlight, "Highlight"},
        {SolidBrush, "Solid fill"},
        {HorizontalBrush, "Horizontal hatch"},
        {VerticalBrush, "Vertical hatch"},
        {BDiagonalBrush, "Rising diagonal hatch"},
        {FDiagonalBrush, "Falling diagonal hatch"},
        {DiagCrossBrush, "Diagonal cross hatch"},
        {CrossBrush, "Cross hatch"},
        {ClearBrush, "Empty fill"},
        {BrushColor, "Fill color"},
        {sbtnFont, "Font"},
        {cboxFontName, "Font name"},
        {BoldButton, "Bold"},
        {ItalicButton, "Italic"},
        {UnderlineButton, "Underline"},
        {StrikeThruButton, "Strikethrough"},
        {TrackBar2, "Font size"},
        {sbtnFontColor, "Font color"},
        {sbtnFontbkgdColor, "Background color"},
        {TrackBar3, "Drag interval"},
        {eText, "Text box"},
        {sbtnIcon, "Stamp"},
        {Image1, "Stamp picture"},
    };
    for (const auto& [control, name] : names)
        control->setAccessibleName(QString::fromUtf8(name));
}

void TfSetup::createLinePage(QWidget* page)
{
    Bevel3 = new TBevel(page, 11, 16, 374, 113);
    Label1 = label(page, QStringLiteral("Line Matrix"), 208, 8, MaroonBold);
    Label9 = label(page, QStringLiteral("solid"), 24, 32);
    lDash = label(page, QStringLiteral("dash"), 56, 32);
    lDot = label(page, QStringLiteral("dot"), 96, 32);
    lClear = label(page, QStringLiteral("clear"), 213, 32, false);
    SolidPen = groupButton(page, "SolidPen", 24, 48, 3, [] { return Glyphs::PenStyle(psSolid); });
    SolidPen->SetDown(true);
    DashPen = groupButton(page, "DashPen", 57, 48, 3, [] { return Glyphs::PenStyle(psDash); });
    DotPen = groupButton(page, "DotPen", 90, 48, 3, [] { return Glyphs::PenStyle(psDot); });
    DashDotPen = groupButton(page, "DashDotPen", 123, 48, 3, [] { return Glyphs::PenStyle(psDashDot); });
    DashDotDotPen = groupButton(page, "DashDotDotPen", 156, 48, 3, [] { return Glyphs::PenStyle(psDashDotDot); });
    ClearPen = groupButton(page, "ClearPen", 213, 48, 3, [] { return Glyphs::PenStyle(psClear); }, false);
    Wire(SolidPen->OnClick, this, &TfSetup::SolidPenClick);
    Wire(DashPen->OnClick, this, &TfSetup::DashPenClick);
    Wire(DotPen->OnClick, this, &TfSetup::DotPenClick);
    Wire(DashDotPen->OnClick, this, &TfSetup::DashDotPenClick);
    Wire(DashDotDotPen->OnClick, this, &TfSetup::DashDotDotPenClick);
    Wire(ClearPen->OnClick, this, &TfSetup::ClearPenClick);
    lPenColor = label(page, QStringLiteral("Color"), 307, 32);
    PenColor = glyphButton(page, 307, 48, Glyphs::Colour);
    Wire(PenColor->OnClick, this, &TfSetup::PenColorClick);
    TrackBar1 = new TTrackBar(page, 360, 16, 41, 113, 1, SetupDesign::MaxThickness,
                              SetupDesign::MaxThickness + 1 - SetupDesign::SliderThickness);
    Wire(TrackBar1->OnChange, this, &TfSetup::TrackBar1Change);
    Label13 = label(page, QStringLiteral("30"), 400, 24);
    Label12 = label(page, QStringLiteral("1"), 400, 110);
    Label3 = label(page, QStringLiteral("thickness"), 400, 64);
    lLine = label(page, QString::number(SetupDesign::LineFigure), 328, 88, TFont{QStringLiteral("Times New Roman"), 12, clBlack, fsBold});
    shapePen = new TShape(page, 96, 96, 225, SetupDesign::LineSampleHeight);
    shapePen->SetPen(TPen{SetupDesign::LineColor, 1, psSolid, pmCopy});
    shapePen->SetBrush(TBrush{SetupDesign::LineColor, bsSolid});
    createHighlightControls(page);
    createFillControls(page);
}

void TfSetup::createHighlightControls(QWidget* page)
{
    lHorizontal = label(page, QStringLiteral("Horizontally Locked"), 152, 72,
                        TFont{QStringLiteral("Arial"), 10, clPurple, fsBold});
    lHorizontal->Hide();
    sHighlight = new TShape(page, 24, 78, 57, 46);
    sHighlight->SetBrushColor(clLime);
    sHighlight->Hide();
    lHighlight = label(page, QStringLiteral("Highlight"), 32, 80);
    Highlight = toggleButton(page, "Highlight", 40, 96, 4, [] { return Glyphs::Highlight(false); });
    Wire(Highlight->OnClick, this, &TfSetup::HighlightClick);
}

void TfSetup::createFillControls(QWidget* page)
{
    Bevel2 = new TBevel(page, 11, 136, 425, 81);
    Label4 = label(page, QStringLiteral("Fill Matrix"), 200, 128, MaroonBold);
    lSolid = label(page, QStringLiteral("solid"), 19, 150);
    lEmpty = label(page, QStringLiteral("empty"), 248, 150);
    SolidBrush = groupButton(page, "SolidBrush", 19, 165, 1, [] { return Glyphs::BrushStyle(bsSolid); });
    SolidBrush->SetDown(true);
    HorizontalBrush = groupButton(page, "HorizontalBrush", 51, 165, 1, [] { return Glyphs::BrushStyle(bsHorizontal); });
    VerticalBrush = groupButton(page, "VerticalBrush", 83, 165, 1, [] { return Glyphs::BrushStyle(bsVertical); });
    BDiagonalBrush = groupButton(page, "BDiagonalBrush", 115, 165, 1, [] { return Glyphs::BrushStyle(bsBDiagonal); });
    FDiagonalBrush = groupButton(page, "FDiagonalBrush", 147, 165, 1, [] { return Glyphs::BrushStyle(bsFDiagonal); });
    DiagCrossBrush = groupButton(page, "DiagCrossBrush", 179, 165, 1, [] { return Glyphs::BrushStyle(bsDiagCross); });
    CrossBrush = groupButton(page, "CrossBrush", 211, 165, 1, [] { return Glyphs::BrushStyle(bsCross); });
    ClearBrush = groupButton(page, "ClearBrush", 251, 165, 1, [] { return Glyphs::BrushStyle(bsClear); });
    Wire(SolidBrush->OnClick, this, &TfSetup::SolidBrushClick);
    Wire(HorizontalBrush->OnClick, this, &TfSetup::HorizontalBrushClick);
    Wire(VerticalBrush->OnClick, this, &TfSetup::VerticalBrushClick);
    Wire(BDiagonalBrush->OnClick, this, &TfSetup::BDiagonalBrushClick);
    Wire(FDiagonalBrush->OnClick, this, &TfSetup::FDiagonalBrushClick);
    Wire(DiagCrossBrush->OnClick, this, &TfSetup::DiagCrossBrushClick);
    Wire(CrossBrush->OnClick, this, &TfSetup::CrossBrushClick);
    Wire(ClearBrush->OnClick, this, &TfSetup::ClearBrushClick);
    lColor = label(page, QStringLiteral("Color"), 307, 150);
    BrushColor = glyphButton(page, 307, 165, Glyphs::Colour);
    Wire(BrushColor->OnClick, this, &TfSetup::BrushColorClick);
    Shape1 = new TShape(page, 344, 144, 73, 57);
    Shape1->SetPen(TPen{SetupDesign::OutlineColor, SetupDesign::OutlineWidth, psSolid, pmCopy});
    Shape1->SetBrush(TBrush{clWhite, bsClear});
    setFillControls(false);
}

void TfSetup::createTextPage(QWidget* page)
{
    createFontControls(page);
    createColourControls(page);
    createTextControls(page);
}

void TfSetup::createFontControls(QWidget* page)
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
    BoldButton = toggleButton(page, "BoldButton", 24, 69, 1, Glyphs::Bold, QStringLiteral("Bold"));
    Wire(BoldButton->OnClick, this, &TfSetup::BoldButtonClick);
    ItalicButton = toggleButton(page, "ItalicButton", 57, 69, 2, Glyphs::Italic, QStringLiteral("Italic"));
    Wire(ItalicButton->OnClick, this, &TfSetup::ItalicButtonClick);
    UnderlineButton = toggleButton(page, "UnderlineButton", 89, 69, 3, Glyphs::Underline, QStringLiteral("Underline"));
    Wire(UnderlineButton->OnClick, this, &TfSetup::UnderlineButtonClick);
    StrikeThruButton = toggleButton(page, "StrikeThruButton", 120, 69, 4, nullptr);
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
}

void TfSetup::createColourControls(QWidget* page)
{
    Bevel1 = new TBevel(page, 232, 16, 145, 97);
    Label28 = label(page, QStringLiteral("Color"), 288, 8, MaroonArial);
    Bevel4 = new TBevel(page, 240, 32, 49, 53);
    Label10 = label(page, QStringLiteral("Font"), 256, 26, MaroonArial);
    sbtnFontColor = glyphButton(page, 251, 53, Glyphs::Colour);
    Wire(sbtnFontColor->OnClick, this, &TfSetup::sbtnFontColorClick);
    Bevel5 = new TBevel(page, 296, 32, 73, 53);
    Label8 = label(page, QStringLiteral("Background"), 304, 26, MaroonArial);
    sbtnFontbkgdColor = glyphButton(page, 323, 53, Glyphs::Colour);
    Wire(sbtnFontbkgdColor->OnClick, this, &TfSetup::sbtnFontbkgdColorClick);
    ckboxTextbkgd = checkBox(page, QStringLiteral("Show background"), 240, 88, 121, MaroonArial);
    Wire(ckboxTextbkgd->OnClick, this, &TfSetup::ckboxTextbkgdClick);
}

void TfSetup::createTextControls(QWidget* page)
{
    Label14 = label(page, QStringLiteral("Text"), 400, 8, MaroonArial);
    ckboxDragText = checkBox(page, QStringLiteral("Drag"), 392, 24, 49, MaroonArial);
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
    ckboxDragDrop = checkBox(page, QStringLiteral("Drag && Drop"), 8, 210, 97, MaroonArial);
    Wire(ckboxDragDrop->OnClick, this, &TfSetup::ckboxDragDropClick);
    Label2 = label(page, QStringLiteral("(select and release)"), 112, 212);
    ckboxTablet = checkBox(page, QStringLiteral("Always a Tablet"), 280, 210, 129, MaroonArial);
    Wire(ckboxTablet->OnClick, this, &TfSetup::ckboxTabletClick);
}

void TfSetup::createIconsPage(QWidget* page)
{
    Label17 = label(page, QStringLiteral("Stamp setup"), 64, 24, TFont{QStringLiteral("MS Sans Serif"), 14, clMaroon, fsBold});
    btnIcon = bitButton(page, QStringLiteral("Install"), 312, 24, 75, Glyphs::Install);
    Wire(btnIcon->OnClick, this, &TfSetup::btnIconClick);
    Label18 = label(page, QStringLiteral("Use the button to the right to setup a stamp."), 24, 64);
    Label19 = label(page, QStringLiteral("Once a stamp is selected:"), 24, 88);
    Label20 = label(page, QStringLiteral("1. Press the [ Finished ] button."), 48, 112);
    Label21 = label(page, QStringLiteral("2. Press the "), 48, 136);
    sbtnIcon = glyphButton(page, 113, 130, [] { return Glyphs::ToolGlyph(Glyphs::Tool::Stamp); });
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
    btnSave = bitButton(page, QStringLiteral("Save"), 25, 16, 88, Glyphs::Save);
    btnSave->SetEnabled(false);
    Wire(btnSave->OnClick, this, &TfSetup::btnSaveClick);
    btnOpen = bitButton(page, QStringLiteral("Open"), 23, 56, 90, Glyphs::Open);
    Wire(btnOpen->OnClick, this, &TfSetup::btnOpenClick);
    btnAbout = bitButton(page, QStringLiteral("About Us"), 336, 16, 89, Glyphs::About);
    lTablet = label(page, QStringLiteral("Tablet Keyboard missing"), 272, 192, TFont{QStringLiteral("Arial"), 10, clMaroon, fsBold});
    lTablet->Hide();
    ckboxTablet2 = checkBox(page, QStringLiteral("Always a Tablet"), 280, 210, 129, MaroonArialBold);
    Wire(ckboxTablet2->OnClick, this, &TfSetup::ckboxTablet2Click);
}

void TfSetup::createFrameButtons()
{
    btnIcons = bitButton(this, QStringLiteral("Stamp"), 8, 248, 75, Glyphs::Stamps);
    Wire(btnIcons->OnClick, this, &TfSetup::btnIconsClick);
    btnOptions = bitButton(this, QStringLiteral("Options"), 96, 248, 75, Glyphs::Options);
    Wire(btnOptions->OnClick, this, &TfSetup::btnOptionsClick);
    BtnFinished = bitButton(this, QStringLiteral("Finished"), 192, 248, 75, Glyphs::Finished);
    DefaultButton = BtnFinished;
    Wire(BtnFinished->OnClick, this, &TfSetup::BtnFinishedClick);
    btnHelp = bitButton(this, QStringLiteral("Help"), 352, 248, 89, Glyphs::Help);
}
