// The bar's controls: their places, looks, tips and handlers.
#include "Main.h"

#include "Glyphs.h"
#include "Gpshape.h"

#include <QShortcut>
#include <utility>

namespace {

TShape* indicatorShape(QWidget* parent, int left, int width, TShapeType type)
{
    auto* s = new TShape(parent, left, 6, width, 31, type);
    // Unchosen: the chosen tool's indicator is lit once all are made.
    s->SetPenColor(clBlack);
    s->SetBrushColor(clBlack);
    return s;
}

TSpeedButton* toolButton(QWidget* parent, int left, Glyphs::Tool tool)
{
    auto* b = new TSpeedButton(parent, left, 10);
    b->GroupIndex = 1;
    b->AllowAllUp = true;
    // The tools lie beyond the small bar's edge: their glyphs (two of them
    // lettered, each a font to load) are drawn when first shown.
    b->SetGlyphMaker([tool] { return Glyphs::ToolGlyph(tool); });
    return b;
}

TBitBtn* barButton(QWidget* parent, const QString& caption, int left, int width, const QImage& glyph)
{
    auto* b = new TBitBtn(parent, caption, left, 8, width, 25);
    b->SetGlyph(glyph);
    return b;
}

TBevel* frameBevel(QWidget* parent, int left, int width) { return new TBevel(parent, left, 3, width, 39); }

} // namespace

void TfMain::createControls()
{
    ManyShape1 = new TManyShape(this);
    ManyShape1->AlignClient();
    ManyShape1->SetShape(gstRectangle);
    ManyShape1->SetSurfaceType(stGradientFill);
    ManyShape1->SetFillDirection(gdUp);
    ManyShape1->SetGradientToColor(clBlack);
    ManyShape1->SetOutlineColor(clBlack);
    ManyShape1->SetOutlineWidth(1);
    ManyShape1->SetBackColor(clBlue);

    btnSnapShot = barButton(this, QStringLiteral("Capture"), 8, 83, Glyphs::Capture());
    btnSnapShot->SetBold(true);
    btnSnapShot->SetFontColor(clMaroon);
    Wire(btnSnapShot->OnClick, this, &TfMain::btnSnapShotClick);
    btnPanel = barButton(this, QStringLiteral("Tool Bar"), 112, 81, Glyphs::ToolBar());
    Wire(btnPanel->OnClick, this, &TfMain::btnPanelClick);
    btnQuit = barButton(this, QStringLiteral("&Quit"), 216, 83, Glyphs::Quit());
    Wire(btnQuit->OnClick, this, &TfMain::btnQuitClick);
    CancelButton = btnQuit;
    btnErase = barButton(this, QStringLiteral("Clear"), 328, 75, Glyphs::Clear());
    Wire(btnErase->OnClick, this, &TfMain::btnEraseClick);
    btnSetup = barButton(this, QStringLiteral("Setup"), 416, 75, Glyphs::Setup());
    Wire(btnSetup->OnClick, this, &TfMain::btnSetupClick);
    createToolControls();
    createTextControls();
    lNotice = new TLabel(this, QString(), 8, 40, 300, 16);
    lNotice->SetFont(TFont{QStringLiteral("Arial"), 8, clWhite, fsBold});
    lNotice->setWordWrap(true);
    lNotice->setTextFormat(Qt::PlainText); // a file name is shown as it is
    lNotice->SetTransparent(true);
    lNotice->Hide();
    setUpHelp();
    // The text box comes in after Clear once it is made.
    QWidget* const tabOrder[] = {btnQuit, btnSnapShot, btnPanel, btnErase, btnSetup, ckboxTablet};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    btnSnapShot->setFocus();
}

void TfMain::createToolControls()
{
    Bevel1 = frameBevel(this, 504, 145);
    sScribble = indicatorShape(this, 508, 33, stRoundSquare);
    selectedLook(sScribble);
    btnScribble = toolButton(this, 513, Glyphs::Tool::Scribble);
    btnScribble->SetDown(true);
    Wire(btnScribble->OnClick, this, &TfMain::btnScribbleClick);
    sLine = indicatorShape(this, 548, 33, stSquare);
    btnLine = toolButton(this, 552, Glyphs::Tool::Line);
    Wire(btnLine->OnClick, this, &TfMain::btnLineClick);
    lHighlight = new TLabel(this, QStringLiteral(" Highlight "), 576, 2, 70, 20);
    lHighlight->SetFont(TFont{QStringLiteral("MS Sans Serif"), 12, clWhite, 0});
    lHighlight->SetTransparent(true);
    lHighlight->Hide();
    // Below the highlight label's letters, which it would otherwise cover.
    shapePen = new TShape(this, 584, 21, 57, 8);
    shapePen->SetPen(TPen{clAqua, 1, psSolid, pmCopy});
    shapePen->SetBrush(TBrush{clAqua, bsSolid});

    Bevel2 = frameBevel(this, 656, 161);
    sRectangle = indicatorShape(this, 660, 33, stRoundSquare);
    sRoundRect = indicatorShape(this, 692, 33, stRoundSquare);
    sEllipse = indicatorShape(this, 724, 33, stRoundSquare);
    btnRectangle = toolButton(this, 664, Glyphs::Tool::Rectangle);
    Wire(btnRectangle->OnClick, this, &TfMain::btnRectangleClick);
    btnRoundRect = toolButton(this, 696, Glyphs::Tool::RoundRect);
    Wire(btnRoundRect->OnClick, this, &TfMain::btnRoundRectClick);
    btnEllipse = toolButton(this, 728, Glyphs::Tool::Ellipse);
    Wire(btnEllipse->OnClick, this, &TfMain::btnEllipseClick);
    Shape1 = new TShape(this, 760, 8, 49, 25);
    Shape1->SetPen(TPen{clLime, 4, psSolid, pmCopy});
    Shape1->SetBrush(TBrush{clWhite, bsClear});
    Shape1->Hide();
}

void TfMain::createTextControls()
{
    Bevel3 = frameBevel(this, 824, 257);
    sText = indicatorShape(this, 828, 29, stRoundSquare);
    btnText = toolButton(this, 830, Glyphs::Tool::Text);
    Wire(btnText->OnClick, this, &TfMain::btnTextClick);
    sTablet = new TShape(this, 864, 3, 33, 37, stRoundRect);
    sTablet->SetPen(TPen{clWhite, 1, psSolid, pmCopy});
    sTablet->SetBrush(TBrush{clWhite, bsSolid});
    ckboxTablet = new TCheckBox(this, QString(), 872, 8, 15, 17);
    ckboxTablet->SetColor(clGray);
    lTablet = new TLabel(this, QStringLiteral("Tablet"), 864, 24, 30, 13);
    lTablet->SetTransparent(true);
    Wire(lTablet->OnClick, this, &TfMain::lTabletClick);
    sText2 = indicatorShape(this, 908, 29, stRoundSquare);
    btnText2 = new TSpeedButton(this, 912, 10);
    btnText2->SetGlyphMaker([] { return Glyphs::ToolGlyph(Glyphs::Tool::Banner); });
    Wire(btnText2->OnClick, this, &TfMain::btnText2Click);

    Bevel4 = frameBevel(this, 1088, 97);
    sIcon = indicatorShape(this, 1092, 33, stRoundSquare);
    sbtnIcon = toolButton(this, 1096, Glyphs::Tool::Stamp);
    sbtnIcon->SetFont(TFont{QStringLiteral("Arial"), 8, clBlack, fsBold});
    Wire(sbtnIcon->OnClick, this, &TfMain::sbtnIconClick);
    Image1 = new TImage(this, 1136, 6, 41, 32);
    Image1->Center = true;
    Image1->SetStretch(true);
}

TEdit& TfMain::TextBox()
{
    if (!eText)
        makeTextBox();
    return *eText;
}

void TfMain::makeTextBox()
{
    eText = new TEdit(this, 944, 6, 129, 32);
    // Among the bar's controls where it would have been made with them.
    eText->stackUnder(Bevel4);
    eText->SetColor(clSilver);
    eText->SetFont(TFont{QStringLiteral("MS Sans Serif"), 14, clBlack, fsBold});
    eText->SetEnabled(false);
    // The surface and the dialog have these words already.
    eText->SetText(std::exchange(textBoxWords_, QString()));
    Wire(eText->OnChange, this, &TfMain::eTextChange);
    Wire(eText->OnEnter, this, &TfMain::eTextEnter);
    eText->setToolTip(QStringLiteral("The words of the text tool and of the banner"));
    eText->setAccessibleName(QStringLiteral("Text box"));
    setTabOrder(btnErase, eText);
    eText->Show();
}

void TfMain::setTextBoxWords(const QString& words)
{
    if (eText) {
        eText->SetText(words);
        return;
    }
    textBoxWords_ = words;
    showTextBoxWords(words);
}

void TfMain::setUpHelp()
{
    const std::pair<QWidget*, const char*> tips[] = {
        {btnSnapShot, "Capture: take a snapshot of the whole screen to draw on. Remove: put the snapshot away"},
        {btnPanel, "Show the drawing tools: stretch the bar along the bottom of the screen, or make it small again"},
        {btnQuit, "Save the settings and end the program"},
        {btnErase, "Remove every mark and bring back the clean snapshot (Ctrl+Z brings the marks back)"},
        {btnSetup, "Pen, fill, highlighter, text, stamp, saving and opening screens"},
        {btnScribble, "Freehand: drag to draw"},
        {btnLine, "Line: drag from one end to the other"},
        {btnRectangle, "Rectangle: drag from corner to corner"},
        {btnRoundRect, "Round rectangle: drag from corner to corner"},
        {btnEllipse, "Ellipse: drag across the box it fills"},
        {btnText, "Text: press where the words of the text box go"},
        {btnText2, "Banner: show the text of the text box large, drag it and let go to print it"},
        {ckboxTablet, "Start the on-screen keyboard when the text box is entered"},
        {sbtnIcon, "Stamp: drag the stamp picture over the snapshot and let go to print it"},
    };
    for (const auto& [control, tip] : tips)
        control->setToolTip(QString::fromUtf8(tip));
    // What a screen reader calls the controls without a caption of their own.
    const std::pair<QWidget*, const char*> names[] = {
        {btnScribble, "Freehand"}, {btnLine, "Line"},       {btnRectangle, "Rectangle"},
        {btnRoundRect, "Round rectangle"}, {btnEllipse, "Ellipse"}, {btnText, "Text"},
        {btnText2, "Banner"},      {sbtnIcon, "Stamp"},     {ckboxTablet, "Tablet"},   {Image1, "Stamp picture"},
    };
    for (const auto& [control, name] : names)
        control->setAccessibleName(QString::fromUtf8(name));
    // F1 works from the bar and every other window of the program.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::ApplicationShortcut);
    QObject::connect(help, &QShortcut::activated, this, [this] { ShowHelp(); });
}
