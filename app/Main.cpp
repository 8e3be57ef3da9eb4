#include "Main.h"

#include "Application.h"
#include "Exceptions.h"
#include "Glyphs.h"
#include "Gpshape.h"
#include "IniFile.h"
#include "Services.h"
#include "Stamp.h"
#include "bmshapedform.h"
#include "Stamp2.h"
#include "Sys_info.h"
#include "Utillity.h"
#include "Viewer.h"
#include "util1.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QThread>

TfMain* fMain = nullptr;

namespace {

const QString Yes = QStringLiteral("Yes");
const QString No = QStringLiteral("No");

QString flag(bool on) { return on ? Yes : No; }

// How long a paste waits for the Print Screen picture to reach the
// clipboard, and how often it looks; past the bound it fails as three failed
// attempts would.
constexpr int PasteWaitMs = 3000;
constexpr int PasteLookMs = 10;

void selectedLook(TShape* indicator)
{
    indicator->SetPenColor(clRed);
    indicator->SetBrushColor(clYellow);
}

void unselectedLook(TShape* indicator)
{
    indicator->SetPenColor(clBlack);
    indicator->SetBrushColor(clBlack);
}

TShape* indicatorShape(QWidget* parent, int left, int width, TShapeType type, bool selected)
{
    auto* s = new TShape(parent, left, 6, width, 31, type);
    selected ? selectedLook(s) : unselectedLook(s);
    return s;
}

TSpeedButton* toolButton(QWidget* parent, int left, Glyphs::Tool tool)
{
    auto* b = new TSpeedButton(parent, left, 10);
    b->GroupIndex = 1;
    b->AllowAllUp = true;
    b->SetGlyph(Glyphs::ToolGlyph(tool));
    return b;
}

TBevel* frameBevel(QWidget* parent, int left, int width) { return new TBevel(parent, left, 3, width, 39); }

} // namespace

QString writableProgramFolder(const QString& programDir)
{
    QTemporaryFile probe(programDir + QStringLiteral("write-probe-XXXXXX"));
    if (probe.open())
        return programDir;
    // An installed copy in a system folder keeps its files with the user.
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                   QStringLiteral("/screen-quillet/");
    QDir().mkpath(data);
    return data;
}

TfMain::TfMain(const QString& programDir, QWidget* owner) : TForm(owner)
{
    ProgramDir = programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir;
    if (!ProgramDir.endsWith('/'))
        ProgramDir += '/';
    SetCaption(QStringLiteral("Screen Quillet"));
    SetBorderStyle(bsSingle);
    SetStayOnTop(true);
    SetColor(clLime);
    SetBounds(0, 0, 1271, 43);
    setFont(TFont{QStringLiteral("MS Sans Serif"), 8, clBlack, 0}.toQFont());
    setWindowIcon(QIcon(QPixmap::fromImage(Glyphs::AppIcon())));
    createControls();
    SysInfo1 = new TSysInfo(this);
    OnShow = [this](QObject* s) { FormShow(s); };
    OnClose = [this](QObject* s, TCloseAction& a) { FormClose(s, a); };
    FormCreate(this);
}

TfMain::~TfMain() = default;

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

    btnSnapShot = new TBitBtn(this, QStringLiteral("Capture"), 8, 8, 83, 25);
    btnSnapShot->SetBold(true);
    btnSnapShot->SetFontColor(clMaroon);
    btnSnapShot->SetGlyph(Glyphs::Capture());
    btnSnapShot->OnClick = [this](QObject* s) { btnSnapShotClick(s); };
    btnPanel = new TBitBtn(this, QStringLiteral("Tool Bar"), 112, 8, 81, 25);
    btnPanel->SetGlyph(Glyphs::ToolBar());
    btnPanel->OnClick = [this](QObject* s) { btnPanelClick(s); };
    btnQuit = new TBitBtn(this, QStringLiteral("&Quit"), 216, 8, 83, 25);
    btnQuit->SetGlyph(Glyphs::Quit());
    btnQuit->OnClick = [this](QObject* s) { btnQuitClick(s); };
    CancelButton = btnQuit;
    btnErase = new TBitBtn(this, QStringLiteral("Clear"), 328, 8, 75, 25);
    btnErase->SetGlyph(Glyphs::Clear());
    btnErase->OnClick = [this](QObject* s) { btnEraseClick(s); };
    btnSetup = new TBitBtn(this, QStringLiteral("Setup"), 416, 8, 75, 25);
    btnSetup->SetGlyph(Glyphs::Setup());
    btnSetup->OnClick = [this](QObject* s) { btnSetupClick(s); };
    createToolControls();
    createTextControls();
    setTabOrder(btnQuit, btnSnapShot);
    setTabOrder(btnSnapShot, btnPanel);
    setTabOrder(btnPanel, btnErase);
    setTabOrder(btnErase, eText);
    setTabOrder(eText, btnSetup);
    setTabOrder(btnSetup, ckboxTablet);
    btnSnapShot->setFocus();
}

void TfMain::createToolControls()
{
    Bevel1 = frameBevel(this, 504, 145);
    sScribble = indicatorShape(this, 508, 33, stRoundSquare, true);
    btnScribble = toolButton(this, 513, Glyphs::Tool::Scribble);
    btnScribble->SetDown(true);
    btnScribble->OnClick = [this](QObject* s) { btnScribbleClick(s); };
    sLine = indicatorShape(this, 548, 33, stSquare, false);
    btnLine = toolButton(this, 552, Glyphs::Tool::Line);
    btnLine->OnClick = [this](QObject* s) { btnLineClick(s); };
    lHighlight = new TLabel(this, QStringLiteral(" Highlight "), 576, 2, 70, 20);
    lHighlight->SetFont(TFont{QStringLiteral("MS Sans Serif"), 12, clWhite, 0});
    lHighlight->SetTransparent(true);
    lHighlight->Hide();
    shapePen = new TShape(this, 584, 16, 57, 8);
    shapePen->SetPen(TPen{clAqua, 1, psSolid, pmCopy});
    shapePen->SetBrush(TBrush{clAqua, bsSolid});

    Bevel2 = frameBevel(this, 656, 161);
    sRectangle = indicatorShape(this, 660, 33, stRoundSquare, false);
    sRoundRect = indicatorShape(this, 692, 33, stRoundSquare, false);
    sEllipse = indicatorShape(this, 724, 33, stRoundSquare, false);
    btnRectangle = toolButton(this, 664, Glyphs::Tool::Rectangle);
    btnRectangle->OnClick = [this](QObject* s) { btnRectangleClick(s); };
    btnRoundRect = toolButton(this, 696, Glyphs::Tool::RoundRect);
    btnRoundRect->OnClick = [this](QObject* s) { btnRoundRectClick(s); };
    btnEllipse = toolButton(this, 728, Glyphs::Tool::Ellipse);
    btnEllipse->OnClick = [this](QObject* s) { btnEllipseClick(s); };
    Shape1 = new TShape(this, 760, 8, 49, 25);
    Shape1->SetPen(TPen{clLime, 4, psSolid, pmCopy});
    Shape1->SetBrush(TBrush{clWhite, bsClear});
    Shape1->Hide();
}

void TfMain::createTextControls()
{
    Bevel3 = frameBevel(this, 824, 257);
    sText = indicatorShape(this, 828, 29, stRoundSquare, false);
    btnText = toolButton(this, 830, Glyphs::Tool::Text);
    btnText->OnClick = [this](QObject* s) { btnTextClick(s); };
    sTablet = new TShape(this, 864, 3, 33, 37, stRoundRect);
    sTablet->SetPen(TPen{clWhite, 1, psSolid, pmCopy});
    sTablet->SetBrush(TBrush{clWhite, bsSolid});
    ckboxTablet = new TCheckBox(this, QString(), 872, 8, 15, 17);
    ckboxTablet->SetColor(clGray);
    lTablet = new TLabel(this, QStringLiteral("Tablet"), 864, 24, 30, 13);
    lTablet->SetTransparent(true);
    lTablet->OnClick = [this](QObject* s) { lTabletClick(s); };
    sText2 = indicatorShape(this, 908, 29, stRoundSquare, false);
    btnText2 = new TSpeedButton(this, 912, 10);
    btnText2->SetGlyph(Glyphs::ToolGlyph(Glyphs::Tool::Banner));
    btnText2->OnClick = [this](QObject* s) { btnText2Click(s); };
    eText = new TEdit(this, 944, 6, 129, 32);
    eText->SetColor(clSilver);
    eText->SetFont(TFont{QStringLiteral("MS Sans Serif"), 14, clBlack, fsBold});
    eText->SetEnabled(false);
    eText->OnChange = [this](QObject* s) { eTextChange(s); };
    eText->OnEnter = [this](QObject* s) { eTextEnter(s); };

    Bevel4 = frameBevel(this, 1088, 97);
    sIcon = indicatorShape(this, 1092, 33, stRoundSquare, false);
    sbtnIcon = toolButton(this, 1096, Glyphs::Tool::Stamp);
    sbtnIcon->SetFont(TFont{QStringLiteral("Arial"), 8, clBlack, fsBold});
    sbtnIcon->OnClick = [this](QObject* s) { sbtnIconClick(s); };
    Image1 = new TImage(this, 1136, 6, 41, 32);
    Image1->Center = true;
    Image1->SetStretch(true);
}

// ---- Set-up and shut-down

void TfMain::FormCreate(QObject*)
{
    CurrentDir = writableProgramFolder(ProgramDir);
    FirstShow = true;
    SetBounds(10, 5, 318, 86);
}

QString TfMain::DefaultStampFile() const
{
    const QString relative = QStringLiteral("Stamps/3dArrow-rt.bmp");
    // A copy in the data folder wins; the one shipped beside the program is the fall-back.
    if (CurrentDir != ProgramDir && FindFile(CurrentDir + relative))
        return CurrentDir + relative;
    return ProgramDir + relative;
}

QString TfMain::KeyboardProgram() const
{
    return SysInfo1->SystemDir() + QLatin1Char('/') + QLatin1String(OnScreenKeyboardProgram);
}

void TfMain::FormShow(QObject*)
{
    if (!FirstShow)
        return;
    fSetup->CurrentDir = CurrentDir;
    fStamp->CurrentDir = CurrentDir;
    const QSize screen = Services::Screen().Size();
    fViewer->setGeometry(0, 0, screen.width(), screen.height());
    LinePenThickness = fSetup->shapePen->Height() / 2 + 1;
    LinePenColor = fSetup->shapePen->Pen().Color;
    BoxPenThickness = fSetup->Shape1->Pen().Width;
    BoxPenColor = fSetup->Shape1->Pen().Color;
    Mode = 1;
    fSetup->GetFontNames();
    if (FindFile(SettingsFile())) {
        TIniFile ini(SettingsFile());
        if (ini.ReadString(QStringLiteral("Setup"), QStringLiteral("Operating"), QString()) == Yes) {
            const MessageRequest question{
                QStringLiteral("Previous operation inproperly terminated\n  Reload previously captured Screen?"),
                QStringLiteral("Confimation"), MsgButtons::YesNoCancel, MsgIcon::Question};
            if (Services::Messages().Show(this, question) == mrYes)
                SetPreviousCapture();
        }
        readSettings(ini);
        loadStoredStamp(ini);
        detectTabletKeyboard(ini);
        ini.WriteString(QStringLiteral("Setup"), QStringLiteral("Operating"), Yes);
        const QString error = ini.UpdateFile();
        if (!error.isEmpty())
            throw EFCreateError(error);
    } else {
        firstRun();
    }
    FirstShow = false;
}

void TfMain::firstRun()
{
    TIniFile ini(SettingsFile());
    ini.WriteString(QStringLiteral("Setup"), QStringLiteral("Operating"), Yes);
    const QString error = ini.UpdateFile();
    if (!error.isEmpty())
        throw EFCreateError(error);
    settingsRead_ = true;
    LinePenColor = fSetup->shapePen->Pen().Color;
    LinePenThickness = StrToInt(fSetup->lLine->Caption());
    BoxPenColor = fSetup->Shape1->Pen().Color;
    BoxPenThickness = fSetup->Shape1->Pen().Width;
    eText->SetText(QStringLiteral("Type text here"));
    if (FindFile(DefaultStampFile()))
        loadStamp(DefaultStampFile());
    btnScribbleClick(this);
}

void TfMain::readSettings(TIniFile& ini)
{
    readPenSettings(ini);
    readShapeSettings(ini);
    readFontSettings(ini);
    selectStoredTool(ini);
    settingsRead_ = true;
}

void TfMain::readPenSettings(TIniFile& ini)
{
    LinePenThickness = StrToInt(ini.ReadString(QStringLiteral("Line"), QStringLiteral("Thickness"), QStringLiteral("0")));
    if (LinePenThickness == 0)
        LinePenThickness = fSetup->TrackBar1->Max() + 1 - fSetup->TrackBar1->Position();
    const bool thin = LinePenThickness == 1;
    if (thin)
        fSetup->SolidPen->SetDown(true);
    else
        fSetup->SolidPen->Release();
    fSetup->setDashedChoices(thin);

    LinePenColor = StrToInt(ini.ReadString(QStringLiteral("Line"), QStringLiteral("Color"), QStringLiteral("0")));
    if (LinePenColor == 0)
        LinePenColor = fSetup->shapePen->Pen().Color;
    fSetup->shapePen->SetPenColor(LinePenColor);

    if (ini.ReadString(QStringLiteral("Line"), QStringLiteral("Marker"), No) == Yes) {
        fSetup->Highlight->SetDown(true);
        fSetup->HighlightClick(this);
    }
}

void TfMain::readShapeSettings(TIniFile& ini)
{
    BoxPenThickness =
        StrToInt(ini.ReadString(QStringLiteral("Shape"), QStringLiteral("PenThickness"), QStringLiteral("1")));
    if (BoxPenThickness == 0)
        BoxPenThickness = fSetup->TrackBar1->Max() + 1 - fSetup->TrackBar1->Position();
    Shape1->SetPenWidth(previewPenWidth(BoxPenThickness));

    BoxPenColor = StrToInt(ini.ReadString(QStringLiteral("Shape"), QStringLiteral("PenColor"), QStringLiteral("0")));
    if (BoxPenColor == 0)
        BoxPenColor = fSetup->Shape1->Pen().Color;

    const QString brushColor = ini.ReadString(QStringLiteral("Shape"), QStringLiteral("BrushColor"), QString());
    if (!brushColor.isEmpty()) {
        const TColor c = StrToInt(brushColor);
        fSetup->Shape1->SetBrushColor(c);
        Shape1->SetBrushColor(c);
    }
    BoxBrushStyle = ini.ReadString(QStringLiteral("Shape"), QStringLiteral("BrushStyle"), QStringLiteral("SolidBrush"));
}

void TfMain::readFontSettings(TIniFile& ini)
{
    const QString font = QStringLiteral("Font");
    TFont f = fSetup->pText->Font();
    const QString name = ini.ReadString(font, QStringLiteral("Name"), QString());
    if (!name.isEmpty())
        f.Name = name.left(31);
    fSetup->pText->SetFont(f);
    fSetup->cboxFontName->SetText(f.Name);

    const int size = StrToInt(ini.ReadString(font, QStringLiteral("Size"), QStringLiteral("10")));
    f.Size = size;
    fSetup->pText->SetFont(f);
    fSetup->lFontSize->SetCaption(IntToStr(size));
    fSetup->TrackBar2->SetPosition(fSetup->TrackBar2->Max() - size + 10);

    f.Color = StrToInt(ini.ReadString(font, QStringLiteral("Color"), QStringLiteral("128")));
    fSetup->pText->SetFont(f);
    FontBkColor = StrToInt(ini.ReadString(font, QStringLiteral("BkColor"), QStringLiteral("128")));

    TCanvas& canvas = fViewer->Canvas();
    if (ini.ReadString(font, QStringLiteral("Backgd"), No) == Yes) {
        fSetup->ckboxTextbkgd->SetChecked(true);
        fSetup->pText->SetColor(FontBkColor);
        canvas.Brush.Style = bsSolid;
        canvas.Brush.Color = fSetup->pText->Color();
    } else {
        fSetup->ckboxTextbkgd->SetChecked(false);
        fSetup->pText->SetColor(clSilver);
        canvas.Brush.Style = bsClear;
    }

    const struct {
        const char* key;
        TSpeedButton* button;
        TFontStyle style;
    } styles[] = {{"Bold", fSetup->BoldButton, fsBold},
                  {"Italic", fSetup->ItalicButton, fsItalic},
                  {"Underline", fSetup->UnderlineButton, fsUnderline},
                  {"StrikeThru", fSetup->StrikeThruButton, fsStrikeOut}};
    for (const auto& s : styles) {
        if (ini.ReadString(font, QLatin1String(s.key), No) == Yes) {
            s.button->SetDown(true);
            f.Style |= s.style;
        }
    }
    fSetup->pText->SetFont(f);
    eText->SetText(ini.ReadString(font, QStringLiteral("Text"), QString()));
}

void TfMain::selectStoredTool(TIniFile& ini)
{
    Mode = StrToInt(ini.ReadString(QStringLiteral("Setup"), QStringLiteral("Mode"), QStringLiteral("0")));
    if (Mode == 0)
        Mode = 1;
    if (Mode == 6) {
        fSetup->Notebook1->SetPageIndex(1);
        btnText->SetDown(true);
        btnTextClick(this);
    } else {
        ReapplyTool();
    }
    if (Mode == 1 || Mode == 2) {
        fSetup->lLine->SetCaption(IntToStr(LinePenThickness));
        fSetup->TrackBar1->SetPosition(fSetup->TrackBar1->Max() + 1 - LinePenThickness);
        fSetup->shapePen->SetPenColor(LinePenColor);
        shapePen->SetHeight(LinePenThickness / 2 + 1);
        shapePen->SetPenColor(LinePenColor);
    } else if (Mode >= 3 && Mode <= 5) {
        applyStoredBrushStyle();
    }
}

void TfMain::applyStoredBrushStyle()
{
    TSpeedButton* const buttons[] = {fSetup->SolidBrush,      fSetup->ClearBrush,     fSetup->HorizontalBrush,
                                     fSetup->VerticalBrush,   fSetup->FDiagonalBrush, fSetup->BDiagonalBrush,
                                     fSetup->CrossBrush,      fSetup->DiagCrossBrush};
    for (TSpeedButton* button : buttons) {
        if (BoxBrushStyle == button->objectName()) {
            button->SetDown(true);
            fSetup->SetBrushStyle(button);
            return;
        }
    }
}

void TfMain::loadStoredStamp(TIniFile& ini)
{
    const QString stored = ini.ReadString(QStringLiteral("Stamp"), QStringLiteral("Filename"), QString());
    if (stored.isEmpty() || !FindFile(stored)) {
        if (FindFile(DefaultStampFile())) {
            loadStamp(DefaultStampFile());
        } else {
            Services::Messages().Show(
                this, MessageRequest{QStringLiteral("You'll need to go to the\n  [Setup] button to install a stamp\n  before using."),
                                     QStringLiteral("Notice - no stamp"), MsgButtons::OK, MsgIcon::None});
        }
        return;
    }
    fSetup->lFilename->SetCaption(FileSplit(3, stored));
    fSetup->fullFilename = stored;
    loadStamp(stored);
}

void TfMain::loadStamp(const QString& path) { fSetup->LoadStamp(path); }

void TfMain::detectTabletKeyboard(TIniFile& ini)
{
    const QString tablet = ini.ReadString(QStringLiteral("Keyboard"), QStringLiteral("Tablet"), No);
    if (!FindFile(KeyboardProgram())) {
        sTablet->Hide();
        ckboxTablet->Hide();
        lTablet->Hide();
        fSetup->ckboxTablet->Hide();
        fSetup->ckboxTablet2->SetEnabled(false);
    }
    if (tablet == Yes) {
        ckboxTablet->SetChecked(true);
        fSetup->ckboxTablet->SetChecked(true);
    }
}

void TfMain::FormClose(QObject*, TCloseAction&)
{
    screenSave_.Wait();
    // Settings that could not be read at start are kept aside before they are
    // written over, so a damaged file is never silently lost.
    if (!settingsRead_ && FindFile(SettingsFile())) {
        QFile::remove(SettingsFile() + QStringLiteral(".bak"));
        QFile::copy(SettingsFile(), SettingsFile() + QStringLiteral(".bak"));
    }
    TIniFile ini(SettingsFile());
    writeSettings(ini);
    const QString error = ini.UpdateFile();
    if (!error.isEmpty())
        throw EFCreateError(error);
}

void TfMain::writeSettings(TIniFile& ini) const
{
    const QString setup = QStringLiteral("Setup"), line = QStringLiteral("Line"), shape = QStringLiteral("Shape"),
                  font = QStringLiteral("Font");
    const TFont f = fSetup->pText->Font();
    ini.WriteString(setup, QStringLiteral("Operating"), No);
    ini.WriteString(setup, QStringLiteral("Mode"), IntToStr(Mode));
    ini.WriteString(line, QStringLiteral("Thickness"), IntToStr(LinePenThickness));
    ini.WriteString(line, QStringLiteral("Color"), IntToStr(LinePenColor));
    ini.WriteString(line, QStringLiteral("Marker"), flag(fSetup->Highlight->Down()));
    ini.WriteString(shape, QStringLiteral("PenThickness"), IntToStr(BoxPenThickness));
    ini.WriteString(shape, QStringLiteral("PenColor"), IntToStr(BoxPenColor));
    ini.WriteString(shape, QStringLiteral("BrushColor"), IntToStr(fSetup->Shape1->Brush().Color));
    ini.WriteString(shape, QStringLiteral("BrushStyle"), BoxBrushStyle);
    ini.WriteString(font, QStringLiteral("Name"), fSetup->cboxFontName->Text());
    ini.WriteString(font, QStringLiteral("Color"), IntToStr(f.Color));
    ini.WriteString(font, QStringLiteral("BkColor"), IntToStr(fSetup->pText->Color()));
    ini.WriteString(font, QStringLiteral("Size"), fSetup->lFontSize->Caption());
    ini.WriteString(font, QStringLiteral("Text"), eText->Text());
    ini.WriteString(font, QStringLiteral("Backgd"), flag(fSetup->ckboxTextbkgd->Checked()));
    ini.WriteString(font, QStringLiteral("Bold"), flag(fSetup->BoldButton->Down()));
    ini.WriteString(font, QStringLiteral("Italic"), flag(fSetup->ItalicButton->Down()));
    ini.WriteString(font, QStringLiteral("Underline"), flag(fSetup->UnderlineButton->Down()));
    ini.WriteString(font, QStringLiteral("StrikeThru"), flag(fSetup->StrikeThruButton->Down()));
    ini.WriteString(QStringLiteral("Keyboard"), QStringLiteral("Tablet"), flag(fSetup->ckboxTablet->Checked()));
    ini.WriteString(QStringLiteral("Stamp"), QStringLiteral("Filename"), fSetup->fullFilename);
}

void TfMain::btnQuitClick(QObject*)
{
    TCloseAction action = caHide;
    FormClose(this, action);
    Application->Terminate();
}

// ---- Tool selection


void TfMain::btnScribbleClick(QObject*)
{
    Mode = 1;
    fViewer->DrawingTool = dtScribble;
    fViewer->Writing = false;
    fViewer->Scribble = true;
    if (lHighlight->Visible())
        fViewer->HLock = false;
    SetLineMode(true);
    btnScribble->SetDown(true);
    setButton();
    shapePen->Show();
    selectedLook(sScribble);
}

void TfMain::btnLineClick(QObject*)
{
    Mode = 2;
    fViewer->DrawingTool = dtLine;
    fViewer->Writing = false;
    fViewer->Scribble = false;
    if (lHighlight->Visible())
        fViewer->HLock = true;
    SetLineMode(true);
    btnLine->SetDown(true);
    setButton();
    shapePen->Show();
    selectedLook(sLine);
}

void TfMain::btnRectangleClick(QObject*)
{
    Mode = 3;
    SetLineMode(false);
    fViewer->DrawingTool = dtRectangle;
    fSetup->Shape1->SetShape(stRectangle);
    Shape1->SetShape(stRectangle);
    btnRectangle->SetDown(true);
    setButton();
    Shape1->Show();
    selectedLook(sRectangle);
}

void TfMain::btnRoundRectClick(QObject*)
{
    Mode = 4;
    SetLineMode(false);
    fViewer->DrawingTool = dtRoundRect;
    fSetup->Shape1->SetShape(stRoundRect);
    Shape1->SetShape(stRoundRect);
    btnRoundRect->SetDown(true);
    setButton();
    Shape1->Show();
    selectedLook(sRoundRect);
}

void TfMain::btnEllipseClick(QObject*)
{
    Mode = 5;
    SetLineMode(false);
    fViewer->DrawingTool = dtEllipse;
    fSetup->Shape1->SetShape(stCircle);
    Shape1->SetShape(stEllipse);
    btnEllipse->SetDown(true);
    setButton();
    Shape1->Show();
    selectedLook(sEllipse);
}

void TfMain::btnTextClick(QObject*)
{
    Mode = 6;
    eText->SetEnabled(true);
    eText->SetColor(clAqua);
    fViewer->DrawingTool = dtText;
    fViewer->Scribble = false;
    fViewer->Writing = true;
    TCanvas& canvas = fViewer->Canvas();
    const TFont& f = fSetup->pText->Font();
    canvas.Font.Name = f.Name;
    canvas.Font.Size = f.Size;
    canvas.Font.Color = f.Color;
    const struct {
        TSpeedButton* button;
        TFontStyle style;
    } styles[] = {{fSetup->BoldButton, fsBold},
                  {fSetup->ItalicButton, fsItalic},
                  {fSetup->UnderlineButton, fsUnderline},
                  {fSetup->StrikeThruButton, fsStrikeOut}};
    for (const auto& s : styles)
        canvas.Font.Style = s.button->Down() ? (canvas.Font.Style | s.style) : (canvas.Font.Style & ~s.style);
    if (fSetup->ckboxTextbkgd->Checked()) {
        fSetup->pText->SetColor(FontBkColor);
        canvas.Brush.Style = bsSolid;
        canvas.Brush.Color = FontBkColor;
    } else {
        fSetup->pText->SetColor(clSilver);
        canvas.Brush.Style = bsClear;
    }
    btnText->SetDown(true);
    setButton();
    selectedLook(sText);
}

void TfMain::setButton()
{
    shapePen->Hide();
    Shape1->Hide();
    for (TShape* s : {sScribble, sLine, sRectangle, sRoundRect, sEllipse, sText, sIcon})
        unselectedLook(s);
}

void TfMain::SetLineMode(bool Line)
{
    eText->SetEnabled(false);
    eText->SetColor(clSilver);
    fViewer->Drawing = false;
    if (Line) {
        LineMode = true;
        const int height = LinePenThickness / 2 + 1;
        fSetup->shapePen->SetHeight(height);
        fSetup->shapePen->SetPenColor(LinePenColor);
        fSetup->shapePen->SetBrushColor(LinePenColor);
        shapePen->SetHeight(height);
        shapePen->SetBrushColor(LinePenColor);
        shapePen->SetPenColor(LinePenColor);
        fSetup->setFillControls(false);
        fSetup->ClearPen->Hide();
        fSetup->lClear->Hide();
        fSetup->sHighlight->SetVisible(fSetup->Highlight->Down());
        fSetup->lHighlight->Show();
        fSetup->Highlight->Show();
    } else {
        LineMode = false;
        fViewer->Writing = false;
        fViewer->Scribble = false;
        Shape1->SetPenColor(BoxPenColor);
        Shape1->SetBrushColor(fSetup->Shape1->Brush().Color);
        Shape1->SetBrushStyle(fSetup->Shape1->Brush().Style);
        Shape1->SetPenWidth(previewPenWidth(BoxPenThickness));
        fSetup->Shape1->SetPenWidth(previewPenWidth(BoxPenThickness));
        fSetup->sHighlight->Hide();
        fSetup->lHighlight->Hide();
        fSetup->Highlight->Hide();
        lHighlight->Hide();
        fSetup->shapePen->SetPenColor(BoxPenColor);
        fSetup->shapePen->SetBrushColor(BoxPenColor);
        fSetup->Shape1->SetPenColor(BoxPenColor);
        fSetup->TrackBar1->SetPosition(fSetup->TrackBar1->Max() + 1 - BoxPenThickness);
        fSetup->TrackBar1Change(this);
        fSetup->setFillControls(true);
        if (fSetup->ClearBrush->Down()) {
            fSetup->Shape1->SetBrushStyle(bsClear);
            fSetup->ClearPen->Hide();
            fSetup->lClear->Hide();
        } else {
            fSetup->ClearPen->Show();
            fSetup->lClear->Show();
        }
    }
    SetParameters();
}

void TfMain::SetParameters()
{
    const TShape* preview = LineMode ? fSetup->shapePen : fSetup->Shape1;
    TCanvas& canvas = fViewer->Canvas();
    canvas.Pen.Color = preview->Pen().Color;
    canvas.Brush.Color = preview->Brush().Color;
    canvas.Pen.Style = preview->Pen().Style;
    canvas.Brush.Style = preview->Brush().Style;
    canvas.Pen.Width = LineMode ? LinePenThickness : BoxPenThickness;
    Application->ProcessMessages();
}

void TfMain::btnSetupClick(QObject*)
{
    fSetup->btnOptions->SetCaption(QStringLiteral("Options"));
    fSetup->Notebook1->SetPageIndex(btnText->Down() ? 1 : 0);
    fSetup->Show();
    fSetup->raise();
}

void TfMain::ReapplyTool()
{
    switch (Mode) {
    case 1: btnScribble->SetDown(true), btnScribbleClick(this); break;
    case 2: btnLine->SetDown(true), btnLineClick(this); break;
    case 3: btnRectangle->SetDown(true), btnRectangleClick(this); break;
    case 4: btnRoundRect->SetDown(true), btnRoundRectClick(this); break;
    case 5: btnEllipse->SetDown(true), btnEllipseClick(this); break;
    case 6: btnText->SetDown(true), btnTextClick(this); break;
    default: break;
    }
}

// ---- Capture, clear, recovery and the bar's size

void TfMain::SetBackColor(TColor color) { ManyShape1->SetBackColor(color); }

void TfMain::simulatePrintScreen() { Services::Keyboard().KeyDown(VK_SNAPSHOT); }

void TfMain::btnSnapShotClick(QObject*)
{
    screenSave_.Wait();
    if (btnSnapShot->Caption() != QStringLiteral("Capture")) {
        fViewer->Hide();
        btnSnapShot->SetCaption(QStringLiteral("Capture"));
        btnSnapShot->SetFontColor(clMaroon);
        SetBackColor(clBlue);
        fSetup->btnSave->SetEnabled(false);
        SetStayOnTop(true);
        return;
    }
    Hide();
    btnSnapShot->SetCaption(QStringLiteral("Remove"));
    btnSnapShot->SetFontColor(clBlue);
    Application->ProcessMessages();
    QThread::msleep(CapturePauseMs);
    Application->ProcessMessages();
    simulatePrintScreen();
    const bool pasted = PasteScreen();
    SetBackColor(clMaroon);
    fSetup->btnSave->SetEnabled(true);
    Application->ProcessMessages();
    ReapplyTool();
    // A failed paste leaves the surface with an older picture, perhaps marked
    // up: the last clean snapshot on disk is worth more than that.
    if (pasted)
        screenSave_.Start(fViewer->Image1->Picture.Bitmap(), ScreenFile(),
                          [](const QString& error) { Application->ShowException(EFCreateError(error)); });
}

bool TfMain::PasteScreen()
{
    Application->ProcessMessages();
    bool goodtogo = false;
    int counter = 0;
    QElapsedTimer waited;
    waited.start();
    while (counter < 3) {
        if (Services::Clipboard().HasPicture()) {
            const QImage picture = Services::Clipboard().Picture();
            if (!picture.isNull()) {
                fViewer->Image1->Picture.Assign(picture);
                goodtogo = true;
                counter = 10;
            } else {
                Application->ProcessMessages();
                ++counter;
            }
        } else if (waited.elapsed() >= PasteWaitMs) {
            break;
        } else {
            Application->ProcessMessages();
            QThread::msleep(PasteLookMs);
        }
    }
    if (!goodtogo)
        Services::Messages().Show(this, MessageRequest{QStringLiteral("Saving screen to the clipboard has failed."),
                                                       QStringLiteral("Error: Clipboard failure"), MsgButtons::OK,
                                                       MsgIcon::None});
    fViewer->Show();
    Show();
    // The bar stays above the surface, with or without a window manager.
    raise();
    return goodtogo;
}

void TfMain::SetPreviousCapture()
{
    try {
        fViewer->Image1->Picture.LoadFromFile(ScreenFile());
    } catch (const Exception& error) {
        // A damaged snapshot must not stop the settings from loading.
        Application->ShowException(error);
        return;
    }
    fViewer->Show();
    btnSnapShot->SetCaption(QStringLiteral("Remove"));
    btnSnapShot->SetFontColor(clBlue);
    SetBackColor(clMaroon);
    fSetup->btnSave->SetEnabled(true);
}

void TfMain::btnEraseClick(QObject*)
{
    screenSave_.Wait();
    if (FindFile(ScreenFile()) && GettheFileSize(ScreenFile()) > 900000) {
        fViewer->Image1->Picture.LoadFromFile(ScreenFile());
    } else {
        fViewer->Hide();
        Hide();
        Application->ProcessMessages();
        PasteScreen();
        simulatePrintScreen();
    }
    ReapplyTool();
}

void TfMain::btnPanelClick(QObject*)
{
    const QSize screen = Services::Screen().Size();
    if (btnPanel->Caption() == QStringLiteral("Tool Bar")) {
        SetBorderStyle(bsNone);
        SetBounds(0, screen.height() - 43, screen.width(), 43);
        btnPanel->SetCaption(QStringLiteral("Hide Bar"));
        SetStayOnTop(true);
    } else {
        SetBorderStyle(bsSingle);
        SetBounds(10, screen.height() - 186, 318, 86);
        btnPanel->SetCaption(QStringLiteral("Tool Bar"));
    }
}

// ---- Text entry, banner and stamp

void TfMain::eTextChange(QObject*)
{
    const QString text = eText->Text();
    fViewer->Text = text;
    if (fSetup->eText->Text() != text)
        fSetup->eText->SetText(text);
    fSetup->pText->SetCaption(text);
}

void TfMain::eTextEnter(QObject*)
{
    const QString remembered = eText->Text();
    if (ckboxTablet->Checked() && FindFile(KeyboardProgram())) {
        ExecuteFile(KeyboardProgram(), QString(), SysInfo1->SystemDir(), SW_HIDE);
        eText->SetText(remembered);
    }
}

void TfMain::lTabletClick(QObject*) { ckboxTablet->SetChecked(!ckboxTablet->Checked()); }

void TfMain::btnText2Click(QObject*)
{
    selectedLook(sText2);
    SetBackColor(clSilver);
    banners_.push_back(std::make_unique<TfStamp2>());
    fStamp2 = banners_.back().get();
    fStamp2->CurrentDir = CurrentDir;
    fStamp2->OffsetXY = fViewer->OffsetXY;
    fStamp2->lText->SetCaption(QStringLiteral(" ") + eText->Text());
    fStamp2->lText->SetFont(fSetup->pText->Font());
    const QSize screen = Services::Screen().Size();
    const QSize label = fStamp2->lText->size();
    fStamp2->move(screen.width() / 2 - label.width() / 2, screen.height() / 2 - label.height() / 2);
    fStamp2->resize(label);
    fStamp2->Shape1->resize(label);
    fStamp2->lText->Show();
    Application->ProcessMessages();
    fStamp2->ShowText();
    SetBackColor(clMaroon);
    unselectedLook(sText2);
}

void TfMain::sbtnIconClick(QObject*)
{
    setButton();
    selectedLook(sIcon);
    fStamp->OffsetXY = fViewer->OffsetXY;
    const QSize screen = Services::Screen().Size();
    fStamp->move(screen.width() / 2 - fStamp->width() / 2, screen.height() / 2 - fStamp->height() / 2);
    SetBackColor(clSilver);
    fStamp->ShowModal();
    SetBackColor(clMaroon);
    ReapplyTool();
}
