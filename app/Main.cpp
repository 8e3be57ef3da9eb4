#include "Main.h"

#include "Application.h"
#include "Exceptions.h"
#include "FileIO.h"
#include "Glyphs.h"
#include "Gpshape.h"
#include "Help.h"
#include "History.h"
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
#include <QFileInfo>
#include <QPointer>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <limits>

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

// How long the marks must rest before the marked picture is saved: a crash
// loses at most this and the save's own time.
constexpr int MarksSettleMs = 1000;

// A settings file that could not be read is copied aside up to this size.
constexpr qint64 MaxKeptAsideBytes = 64 * 1024 * 1024;

// Larger sizes only make the text page's slider and preview useless.
constexpr int MaxFontSize = 400;

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

QString userDataFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         QStringLiteral("/screen-quillet/");
    QDir().mkpath(data);
    return data;
}

QString writableProgramFolder(const QString& programDir)
{
    QTemporaryFile probe(programDir + QStringLiteral("write-probe-XXXXXX"));
    if (probe.open())
        return programDir;
    // An installed copy in a system folder keeps its files with the user.
    return userDataFolder();
}

QString carryOverSettings(const QString& programDir, const QString& dataDir)
{
    const QString settings = QStringLiteral("setup.ini"), screen = QStringLiteral("Screen.bmp");
    QByteArray bytes;
    // Nothing to carry (the usual installed copy) or carried before: say nothing.
    if (QFileInfo::exists(dataDir + settings) ||
        !readRegularFile(programDir + settings, TIniFile::MaxFileSize, &bytes).isEmpty())
        return QString();
    QStringList errors;
    errors << writeFileAtomically(dataDir + settings, bytes);
    // A pending recovery comes along with its snapshot.
    const bool pending = TIniFile(programDir + settings).ReadString(QStringLiteral("Setup"), QStringLiteral("Operating"),
                                                                   QString()) == QStringLiteral("Yes");
    QByteArray picture;
    if (pending && readRegularFile(programDir + screen, std::numeric_limits<int>::max(), &picture).isEmpty())
        errors << writeFileAtomically(dataDir + screen, picture);
    errors.removeAll(QString());
    QString notice = QStringLiteral("The program folder \"%1\" cannot be written.\nSettings and pictures are now kept "
                                    "in \"%2\".")
                         .arg(programDir, dataDir);
    if (!errors.isEmpty())
        notice += QLatin1Char('\n') + errors.join(QLatin1Char('\n'));
    return notice;
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

TfMain::~TfMain() { FinishMarkedSaves(); }

void TfMain::FinishMarkedSaves()
{
    if (markSaver_)
        markSaver_->waitForDone();
}

void TfMain::watchMarks()
{
    marksSettled_ = std::make_unique<QTimer>();
    marksSettled_->setSingleShot(true);
    marksSettled_->setInterval(MarksSettleMs);
    QObject::connect(marksSettled_.get(), &QTimer::timeout, this, [this] { saveMarksInBackground(); });
    markSaver_ = std::make_unique<QThreadPool>();
    markSaver_->setMaxThreadCount(1);
    TPicture& picture = fViewer->Image1->Picture;
    const auto restart = [timer = marksSettled_.get()] { timer->start(); };
    // Strokes come through the canvas, a new capture or a Clear through the picture.
    auto repaint = picture.Canvas().OnChange;
    picture.Canvas().OnChange = [repaint, restart](const QRegion& area) {
        if (repaint)
            repaint(area);
        restart();
    };
    picture.AddChangeListener(restart);
}

void TfMain::saveMarksInBackground()
{
    // Copied now, while the marks rest: a shared copy would make the next
    // stroke pay for a whole frame the moment it starts.
    const QImage marked = fViewer->Image1->Picture.Bitmap().copy();
    if (marked.isNull())
        return;
    const QString path = MarkedFile();
    QPointer<TfMain> bar(this);
    markSaver_->start([marked, path, bar] {
        const QString error = writeBitmapFile(marked, path);
        if (error.isEmpty())
            return;
        // Told once, on the user-interface thread; later failures say nothing new.
        QMetaObject::invokeMethod(qApp, [bar, error] {
            if (!bar || bar->markSaveFailed_)
                return;
            bar->markSaveFailed_ = true;
            Services::Messages().Show(bar, MessageRequest{error, Application->Title, MsgButtons::OK, MsgIcon::Error});
        }, Qt::QueuedConnection);
    });
}

QString TfMain::RecoveryFile() const
{
    const QFileInfo marked(MarkedFile()), clean(ScreenFile());
    if (marked.isFile() && (!clean.exists() || marked.lastModified() >= clean.lastModified()))
        return MarkedFile();
    return ScreenFile();
}

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
    setUpHelp();
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
        {eText, "The words of the text tool and of the banner"},
        {ckboxTablet, "Start the on-screen keyboard when the text box is entered"},
        {sbtnIcon, "Stamp: drag the stamp picture over the snapshot and let go to print it"},
    };
    for (const auto& [control, tip] : tips)
        control->setToolTip(QString::fromUtf8(tip));
    // F1 works from the bar and every other window of the program.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::ApplicationShortcut);
    QObject::connect(help, &QShortcut::activated, this, [this] { ShowHelp(); });
}

void TfMain::linkHelpButtons()
{
    fSetup->btnHelp->OnClick = [this](QObject*) { ShowHelp(); };
    fSetup->btnAbout->OnClick = [this](QObject*) { ShowAbout(); };
}

void TfMain::ShowHelp()
{
    if (!help_)
        help_ = std::make_unique<TfHelp>();
    help_->Show();
    help_->raise();
}

void TfMain::ShowAbout()
{
    const QString text = QStringLiteral("Screen Quillet %1\n\nMark up whatever is on the screen.\n\n"
                                        "Licence: proprietary\n\n"
                                        "Settings, the last snapshot and the banner outline (setup.ini, Screen.bmp, "
                                        "Text.bmp) and the folders Screens and Stamps are kept in:\n%2")
                             .arg(QStringLiteral(QUILLET_VERSION), QDir::toNativeSeparators(CurrentDir));
    Services::Messages().Show(fSetup, MessageRequest{text, QStringLiteral("About Us"), MsgButtons::OK,
                                                     MsgIcon::Information});
}

// ---- Set-up and shut-down

void TfMain::FormCreate(QObject*)
{
    CurrentDir = writableProgramFolder(ProgramDir);
    if (CurrentDir != ProgramDir)
        folderNotice_ = carryOverSettings(ProgramDir, CurrentDir);
    // A run killed in the middle of a write leaves its unfinished new file
    // beside the old one; a minute on, no write of ours is still using it.
    for (const QString& file : {SettingsFile(), ScreenFile(), MarkedFile()})
        removeStaleTemporaries(file, 60);
    FirstShow = true;
    SetBounds(10, 5, 318, 86);
}

QString TfMain::DefaultStampFile() const
{
    const QString relative = QStringLiteral("Stamps/3dArrow-rt.bmp");
    // A copy in the data folder wins, then the one beside the program (a build
    // or an unpacked copy), then the installed one in <prefix>/share.
    QStringList candidates;
    if (CurrentDir != ProgramDir)
        candidates << CurrentDir + relative;
    candidates << ProgramDir + relative
               << QDir::cleanPath(ProgramDir + QStringLiteral("../share/screen-quillet/") + relative)
               << QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("screen-quillet/") + relative);
    for (const QString& file : candidates)
        if (!file.isEmpty() && FindFile(file))
            return file;
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
    linkHelpButtons();
    // The first show runs once, whatever goes wrong in it: running it again
    // would ask the recovery question again and undo what the user did since.
    FirstShow = false;
    starting_ = true;
    const auto started = qScopeGuard([this] { starting_ = false; });
    fSetup->CurrentDir = CurrentDir;
    fStamp->CurrentDir = CurrentDir;
    fViewer->setGeometry(DesktopBounds());
    LinePenThickness = fSetup->shapePen->Height() / 2 + 1;
    LinePenColor = fSetup->shapePen->Pen().Color;
    BoxPenThickness = fSetup->Shape1->Pen().Width;
    BoxPenColor = fSetup->Shape1->Pen().Color;
    Mode = 1;
    fSetup->GetFontNames();
    if (!folderNotice_.isEmpty())
        Services::Messages().Show(this, MessageRequest{folderNotice_, Application->Title, MsgButtons::OK,
                                                       MsgIcon::Information});
    watchMarks();
    QStringList errors;
    if (FindFile(SettingsFile()))
        readStoredSettings(errors);
    else
        firstRun(errors);
    // Everything that went wrong, in one box.
    if (!errors.isEmpty())
        Application->ShowException(Exception(errors.join(QStringLiteral("\n\n"))));
}

namespace {

// Runs one step of the first show; an error ends that step only.
template <class Step>
void runStep(QStringList& errors, Step&& step)
{
    try {
        step();
    } catch (const Exception& error) {
        errors << error.Message;
    }
}

} // namespace

void TfMain::readStoredSettings(QStringList& errors)
{
    TIniFile ini(SettingsFile());
    if (!ini.ReadError().isEmpty()) {
        // Left where it is for the user to look at; the run starts afresh.
        errors << ini.ReadError() + QStringLiteral(". The settings start from their defaults.");
        applyFirstRunSettings(errors);
        return;
    }
    const bool improperEnd = ini.ReadString(QStringLiteral("Setup"), QStringLiteral("Operating"), QString()) == Yes;
    // Marked at once, so that a crash from here on is offered recovery.
    ini.WriteString(QStringLiteral("Setup"), QStringLiteral("Operating"), Yes);
    const QString written = ini.UpdateFile();
    if (!written.isEmpty())
        errors << written;
    if (improperEnd && FindFile(RecoveryFile())) {
        const MessageRequest question{
            QStringLiteral("Previous operation inproperly terminated\n  Reload previously captured Screen?"),
            QStringLiteral("Confimation"), MsgButtons::YesNoCancel, MsgIcon::Question};
        if (Services::Messages().Show(this, question) == mrYes)
            SetPreviousCapture();
    }
    runStep(errors, [&] { readSettings(ini); });
    runStep(errors, [&] { loadStoredStamp(ini); });
    runStep(errors, [&] { detectTabletKeyboard(ini); });
}

void TfMain::firstRun(QStringList& errors)
{
    TIniFile ini(SettingsFile());
    ini.WriteString(QStringLiteral("Setup"), QStringLiteral("Operating"), Yes);
    const QString error = ini.UpdateFile();
    if (!error.isEmpty())
        errors << error;
    settingsRead_ = true;
    applyFirstRunSettings(errors);
}

void TfMain::applyFirstRunSettings(QStringList& errors)
{
    LinePenColor = fSetup->shapePen->Pen().Color;
    LinePenThickness = StrToInt(fSetup->lLine->Caption());
    BoxPenColor = fSetup->Shape1->Pen().Color;
    BoxPenThickness = fSetup->Shape1->Pen().Width;
    eText->SetText(QStringLiteral("Type text here"));
    if (FindFile(DefaultStampFile()))
        runStep(errors, [&] { loadStamp(DefaultStampFile()); });
    btnScribbleClick(this);
}

int TfMain::readInteger(const TIniFile& ini, const QString& section, const QString& key, const QString& defaultValue,
                        int lowest, int highest) const
{
    const QString text = ini.ReadString(section, key, defaultValue);
    try {
        return qBound(lowest, StrToInt(text), highest);
    } catch (const EConvertError& error) {
        throw EConvertError(QStringLiteral("Settings file \"%1\", [%2] %3: %4")
                                .arg(SettingsFile(), section, key, error.Message));
    }
}

int TfMain::readThickness(const TIniFile& ini, const QString& section, const QString& key,
                          const QString& defaultValue) const
{
    // 0 stands for the slider's value; anything else is held to the slider's range.
    const int thickness = readInteger(ini, section, key, defaultValue);
    return thickness == 0 ? 0 : qBound(1, thickness, fSetup->TrackBar1->Max());
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
    LinePenThickness = readThickness(ini, QStringLiteral("Line"), QStringLiteral("Thickness"), QStringLiteral("0"));
    if (LinePenThickness == 0)
        LinePenThickness = fSetup->TrackBar1->Max() + 1 - fSetup->TrackBar1->Position();
    const bool thin = LinePenThickness == 1;
    if (thin)
        fSetup->SolidPen->SetDown(true);
    else
        fSetup->SolidPen->Release();
    fSetup->setDashedChoices(thin);

    LinePenColor = readInteger(ini, QStringLiteral("Line"), QStringLiteral("Color"), QStringLiteral("0"));
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
    BoxPenThickness = readThickness(ini, QStringLiteral("Shape"), QStringLiteral("PenThickness"), QStringLiteral("1"));
    if (BoxPenThickness == 0)
        BoxPenThickness = fSetup->TrackBar1->Max() + 1 - fSetup->TrackBar1->Position();
    Shape1->SetPenWidth(previewPenWidth(BoxPenThickness));

    BoxPenColor = readInteger(ini, QStringLiteral("Shape"), QStringLiteral("PenColor"), QStringLiteral("0"));
    if (BoxPenColor == 0)
        BoxPenColor = fSetup->Shape1->Pen().Color;

    const QString brushColor = ini.ReadString(QStringLiteral("Shape"), QStringLiteral("BrushColor"), QString());
    if (!brushColor.isEmpty()) {
        const TColor c = readInteger(ini, QStringLiteral("Shape"), QStringLiteral("BrushColor"), brushColor);
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

    const int size = readInteger(ini, font, QStringLiteral("Size"), QStringLiteral("10"), 1, MaxFontSize);
    f.Size = size;
    fSetup->pText->SetFont(f);
    fSetup->lFontSize->SetCaption(IntToStr(size));
    fSetup->TrackBar2->SetPosition(fSetup->TrackBar2->Max() - size + 10);

    f.Color = readInteger(ini, font, QStringLiteral("Color"), QStringLiteral("128"));
    fSetup->pText->SetFont(f);
    FontBkColor = readInteger(ini, font, QStringLiteral("BkColor"), QStringLiteral("128"));

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
    Mode = readInteger(ini, QStringLiteral("Setup"), QStringLiteral("Mode"), QStringLiteral("0"));
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
            button->OnClick(button);
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
    if (!settingsRead_ && QFileInfo(SettingsFile()).isFile()) {
        QByteArray unread;
        QString error = readRegularFile(SettingsFile(), MaxKeptAsideBytes, &unread);
        if (error.isEmpty())
            error = writeFileAtomically(SettingsFile() + QStringLiteral(".bak"), unread);
        if (!error.isEmpty())
            throw EFCreateError(error + QStringLiteral(".\nThe settings were not written, so as to keep the ones that "
                                                       "could not be read."));
    }
    TIniFile ini(SettingsFile());
    writeSettings(ini);
    const QString error = ini.UpdateFile();
    if (error.isEmpty())
        return;
    // The program folder refused them: the user's data folder keeps them.
    const QString data = userDataFolder();
    if (CurrentDir != data) {
        TIniFile kept(data + QStringLiteral("setup.ini"));
        writeSettings(kept);
        if (kept.UpdateFile().isEmpty())
            throw EFCreateError(error + QStringLiteral(".\nThe settings were kept in \"%1\".").arg(kept.FileName()));
    }
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
    // Quit always ends the program; a settings file that cannot be written
    // is reported on the way out.
    Application->Guard([&] { FormClose(this, action); });
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
    hiddenForCapture_ = Application->HideWindows();
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
    Application->ShowWindows(hiddenForCapture_);
    hiddenForCapture_.clear();
    // The bar stays above the surface, with or without a window manager.
    raise();
    return goodtogo;
}

void TfMain::SetPreviousCapture()
{
    try {
        fViewer->Image1->Picture.LoadFromFile(RecoveryFile());
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
    // Clear is a step of its own: undoing it brings the marks back.
    fViewer->History().RecordReplacement([this] {
        if (FindFile(ScreenFile()) && GettheFileSize(ScreenFile()) > 900000) {
            fViewer->Image1->Picture.LoadFromFile(ScreenFile());
        } else {
            hiddenForCapture_ = Application->HideWindows();
            Application->ProcessMessages();
            PasteScreen();
            simulatePrintScreen();
        }
    });
    ReapplyTool();
}

void TfMain::btnPanelClick(QObject*)
{
    // The monitor the bar is on; the full bar stays clear of its panels.
    const QRect monitor = screen()->geometry();
    const QRect usable = screen()->availableGeometry();
    // Off the screen while its border and size change: a window manager
    // mapping it in between could keep the old size.
    const bool shown = isVisible();
    Hide();
    if (btnPanel->Caption() == QStringLiteral("Tool Bar")) {
        SetBorderStyle(bsNone);
        SetBounds(usable.left(), usable.bottom() + 1 - 43, usable.width(), 43);
        btnPanel->SetCaption(QStringLiteral("Hide Bar"));
        SetStayOnTop(true);
    } else {
        SetBorderStyle(bsSingle);
        SetBounds(monitor.left() + 10, monitor.bottom() + 1 - 186, 318, 86);
        btnPanel->SetCaption(QStringLiteral("Tool Bar"));
    }
    if (shown)
        Show();
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
    const QRect screen = DesktopBounds();
    const QSize label = fStamp2->lText->size();
    fStamp2->move(screen.width() / 2 - label.width() / 2, screen.height() / 2 - label.height() / 2);
    fStamp2->resize(label);
    fStamp2->Shape1->resize(label);
    fStamp2->lText->Show();
    Application->ProcessMessages();
    fStamp2->ShowText();
    fViewer->History().Commit(); // the banner is one mark
    SetBackColor(clMaroon);
    unselectedLook(sText2);
}

void TfMain::sbtnIconClick(QObject*)
{
    setButton();
    selectedLook(sIcon);
    fStamp->OffsetXY = fViewer->OffsetXY;
    const QRect screen = DesktopBounds();
    fStamp->move(screen.width() / 2 - fStamp->width() / 2, screen.height() / 2 - fStamp->height() / 2);
    SetBackColor(clSilver);
    fStamp->ShowModal();
    fViewer->History().Commit(); // the stamp is one mark
    SetBackColor(clMaroon);
    ReapplyTool();
}

// ---- What the setup dialog asks of the bar

void TfMain::ShowPreviews(const PreviewChange& change)
{
    const auto follow = [](const auto& value, auto* sample, auto set) {
        if (value)
            (sample->*set)(*value);
    };
    follow(change.linePenStyle, shapePen, &TShape::SetPenStyle);
    follow(change.linePenColor, shapePen, &TShape::SetPenColor);
    follow(change.lineHeight, shapePen, &TShape::SetHeight);
    follow(change.outlinePenStyle, Shape1, &TShape::SetPenStyle);
    follow(change.outlinePenColor, Shape1, &TShape::SetPenColor);
    follow(change.outlinePenWidth, Shape1, &TShape::SetPenWidth);
    follow(change.fillStyle, Shape1, &TShape::SetBrushStyle);
    follow(change.fillColor, Shape1, &TShape::SetBrushColor);
    follow(change.highlight, lHighlight, &TLabel::setVisible);
    if (change.stamp)
        Image1->Picture.Assign(*change.stamp);
}
