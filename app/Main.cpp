#include "Main.h"

#include "Application.h"
#include "CompositorPlacement.h"
#include "Desktop.h"
#include "Exceptions.h"
#include "FileIO.h"
#include "Folders.h"
#include "Glyphs.h"
#include "Gpshape.h"
#include "Help.h"
#include "History.h"
#include "MarkedSaver.h"
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
#include <QFileInfo>
#include <QPointer>
#include <QScopeGuard>
#include <QScreen>
#include <QThread>
#include <QTimer>

TfMain* fMain = nullptr;

namespace {

// How often a paste looks for the Print Screen picture on the clipboard; the
// screen service bounds how long it waits, and past that it fails as three
// failed attempts would.
constexpr int PasteLookMs = 10;

} // namespace

void TfMain::selectedLook(TShape* indicator)
{
    indicator->SetPenColor(clRed);
    indicator->SetBrushColor(clYellow);
}

void TfMain::unselectedLook(TShape* indicator)
{
    indicator->SetPenColor(clBlack);
    indicator->SetBrushColor(clBlack);
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
    // The surface draws with the settings as they are after every change,
    // and the bar's samples show their styles and fill.
    drawing_.onChange([this] {
        if (fViewer)
            drawing_.applyTo(fViewer->Canvas());
        showDrawingStyles();
    });
    QObject::connect(&noticeEnds_, &QTimer::timeout, lNotice, [this] { lNotice->Hide(); });
    SysInfo1 = new TSysInfo(this);
    Wire(OnShow, this, &TfMain::FormShow);
    Wire(OnClose, this, &TfMain::FormClose);
    Wire(OnFirstPaint, this, &TfMain::FormFirstPaint);
    FormCreate(this);
}

TfMain::~TfMain() { FinishMarkedSaves(); }

void TfMain::FinishMarkedSaves()
{
    if (marks_)
        marks_->Finish();
}

void TfMain::watchMarks() { marks_ = std::make_unique<TMarkedSaver>(fViewer->Image1->Picture, MarkedFile(), this); }

QString TfMain::RecoveryFile() const
{
    const QFileInfo marked(MarkedFile()), clean(ScreenFile());
    if (marked.isFile() && (!clean.exists() || marked.lastModified() >= clean.lastModified()))
        return MarkedFile();
    return ScreenFile();
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
    Services::Messages().Show(&SetupDialog(), MessageRequest{text, QStringLiteral("About Us"), MsgButtons::OK,
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

QString TfMain::DefaultStampFile() const { return defaultStampFile(ProgramDir, CurrentDir); }

void TfMain::LoadStamp(const QString& path)
{
    // One read for the three pictures: a damaged file changes none of them.
    QString error;
    const QImage stamp = readPictureFile(path, &error);
    if (stamp.isNull())
        throw EInvalidGraphic(error);
    PreviewChange bar;
    bar.stamp = stamp;
    ShowPreviews(bar);
    fStamp->BMShapedForm1->Picture.Assign(stamp);
    if (fSetup)
        fSetup->Image1->Picture.Assign(stamp);
}

QString TfMain::KeyboardProgram() const
{
    return SysInfo1->SystemDir() + QLatin1Char('/') + QLatin1String(OnScreenKeyboardProgram);
}

void TfMain::FormShow(QObject*)
{
    if (!FirstShow)
        return;
    // The first show runs once, whatever goes wrong in it: running it again
    // would ask the recovery question again and undo what the user did since.
    FirstShow = false;
    starting_ = true;
    const auto started = qScopeGuard([this] { starting_ = false; });
    fStamp->CurrentDir = CurrentDir;
    fViewer->setGeometry(DesktopBounds());
    seedDrawingSettings(SetupDesign::LineSampleHeight / 2 + 1);
    drawing_.setTool(ToolMode::Scribble);
    // A setup dialog built later takes these from the bar.
    if (fSetup)
        fSetup->ShowFolderAndFonts(CurrentDir);
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

void TfMain::seedDrawingSettings(int lineThickness)
{
    // The pens of the setup dialog's samples as designed.
    drawing_.setLineThickness(lineThickness);
    drawing_.setLineColor(SetupDesign::LineColor);
    drawing_.setBoxThickness(SetupDesign::OutlineWidth);
    drawing_.setBoxColor(SetupDesign::OutlineColor);
}

void TfMain::FormFirstPaint(QObject*)
{
    // Paid now, while the user looks at the bar, rather than after the click:
    // the surface's window and full-screen buffer, the grab's segment, the
    // setup dialog, the text box and the glyphs of the tools the stretched
    // bar shows.
    TextBox();
    fViewer->PrepareFirstShow();
    Services::Screen().Prepare();
    SetupDialog();
    for (const TSpeedButton* tool : {btnScribble, btnLine, btnRectangle, btnRoundRect, btnEllipse, btnText, btnText2,
                                     sbtnIcon})
        tool->Glyph();
}

void TfMain::FormClose(QObject*, TCloseAction&)
{
    screenSave_.Wait();
    saveSettings();
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

namespace {

// The line tools draw with the pen alone, the box tools with pen and fill,
// the text tool with the font.
enum class ToolKind { Line, Box, Text };

struct Tool {
    ToolMode mode;
    ToolKind kind;
    TSpeedButton* TfMain::*button;
    TShape* TfMain::*indicator;
    void (TfMain::*handler)(QObject*);
    // The bar's preview that shows the tool's pen or fill, if any.
    TShape* TfMain::*preview = nullptr;
    // The box tools' figures on the setup dialog's preview and on the bar's.
    TShapeType setupShape = stRectangle, barShape = stRectangle;
};

const Tool Tools[] = {
    {ToolMode::Scribble, ToolKind::Line, &TfMain::btnScribble, &TfMain::sScribble, &TfMain::btnScribbleClick,
     &TfMain::shapePen},
    {ToolMode::Line, ToolKind::Line, &TfMain::btnLine, &TfMain::sLine, &TfMain::btnLineClick, &TfMain::shapePen},
    {ToolMode::Rectangle, ToolKind::Box, &TfMain::btnRectangle, &TfMain::sRectangle, &TfMain::btnRectangleClick,
     &TfMain::Shape1, stRectangle, stRectangle},
    {ToolMode::RoundRect, ToolKind::Box, &TfMain::btnRoundRect, &TfMain::sRoundRect, &TfMain::btnRoundRectClick,
     &TfMain::Shape1, stRoundRect, stRoundRect},
    {ToolMode::Ellipse, ToolKind::Box, &TfMain::btnEllipse, &TfMain::sEllipse, &TfMain::btnEllipseClick,
     &TfMain::Shape1, stCircle, stEllipse},
    {ToolMode::Text, ToolKind::Text, &TfMain::btnText, &TfMain::sText, &TfMain::btnTextClick},
};

const Tool* toolOfMode(ToolMode mode)
{
    for (const Tool& tool : Tools)
        if (tool.mode == mode)
            return &tool;
    return nullptr;
}

} // namespace

void TfMain::btnScribbleClick(QObject*) { selectTool(ToolMode::Scribble); }
void TfMain::btnLineClick(QObject*) { selectTool(ToolMode::Line); }
void TfMain::btnRectangleClick(QObject*) { selectTool(ToolMode::Rectangle); }
void TfMain::btnRoundRectClick(QObject*) { selectTool(ToolMode::RoundRect); }
void TfMain::btnEllipseClick(QObject*) { selectTool(ToolMode::Ellipse); }
void TfMain::btnTextClick(QObject*) { selectTool(ToolMode::Text); }

void TfMain::selectTool(ToolMode mode)
{
    const Tool& tool = *toolOfMode(mode);
    drawing_.setTool(mode);
    switch (tool.kind) {
    case ToolKind::Line:
        fViewer->DrawingTool = drawingToolOf(mode);
        fViewer->Writing = false;
        fViewer->Scribble = mode == ToolMode::Scribble;
        // The highlighter runs level along the line tool only.
        if (lHighlight->Visible())
            fViewer->HLock = mode == ToolMode::Line;
        SetLineMode(true);
        break;
    case ToolKind::Box:
        SetLineMode(false);
        fViewer->DrawingTool = drawingToolOf(mode);
        choices_.boxShape = tool.setupShape;
        if (fSetup)
            fSetup->Shape1->SetShape(tool.setupShape);
        Shape1->SetShape(tool.barShape);
        break;
    case ToolKind::Text: chooseTextTool(); break;
    }
    (this->*tool.button)->SetDown(true);
    setButton();
    if (tool.preview)
        (this->*tool.preview)->Show();
    selectedLook(this->*tool.indicator);
}

void TfMain::chooseTextTool()
{
    TextBox().SetEnabled(true);
    TextBox().SetColor(clAqua);
    fViewer->DrawingTool = dtText;
    fViewer->Scribble = false;
    fViewer->Writing = true;
    // The surface has the text font already: it follows the settings.
    if (fSetup)
        fSetup->ShowTextBackground(drawing_.textBackColor());
    drawing_.useTextBackground(drawing_.textBackground());
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
    // A text box not made yet was never in use.
    if (eText) {
        eText->SetEnabled(false);
        eText->SetColor(clSilver);
    }
    fViewer->Drawing = false;
    drawing_.setLineMode(Line);
    if (Line) {
        const DrawingSettings::FamilyPen& pen = drawing_.linePen();
        shapePen->SetHeight(pen.thickness / 2 + 1);
        shapePen->SetBrushColor(pen.color);
        shapePen->SetPenColor(pen.color);
        if (fSetup)
            fSetup->ShowLineChoices(pen.thickness, pen.color);
    } else {
        fViewer->Writing = false;
        fViewer->Scribble = false;
        const DrawingSettings::FamilyPen& pen = drawing_.boxPen();
        Shape1->SetPenColor(pen.color);
        Shape1->SetPenWidth(previewPenWidth(pen.thickness));
        lHighlight->Hide();
        if (fSetup)
            fSetup->ShowBoxChoices(pen.thickness, pen.color);
    }
    SetParameters();
}

void TfMain::SetParameters()
{
    drawing_.useFamilyPen();
    Application->ProcessMessages();
}

void TfMain::btnSetupClick(QObject*)
{
    TfSetup& setup = SetupDialog();
    setup.btnOptions->SetCaption(QStringLiteral("Options"));
    setup.Notebook1->SetPageIndex(btnText->Down() ? 1 : 0);
    setup.Show();
    setup.raise();
}

void TfMain::ReapplyTool()
{
    // Other values of Mode select nothing.
    if (const Tool* tool = toolOfMode(drawing_.tool())) {
        (this->*tool->button)->SetDown(true);
        (this->*tool->handler)(this);
    }
}

// ---- Capture, clear, recovery and the bar's size

void TfMain::SetBackColor(TColor color) { ManyShape1->SetBackColor(color); }

void TfMain::simulatePrintScreen() { Services::Keyboard().KeyDown(VK_SNAPSHOT); }

void TfMain::showCaptureRemoved()
{
    btnSnapShot->SetCaption(QStringLiteral("Capture"));
    btnSnapShot->SetFontColor(clMaroon);
    SetBackColor(clBlue);
    SetupDialog().btnSave->SetEnabled(false);
}

void TfMain::btnSnapShotClick(QObject*)
{
    screenSave_.Wait();
    if (btnSnapShot->Caption() != QStringLiteral("Capture")) {
        fViewer->Hide();
        showCaptureRemoved();
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
    // A first capture that failed has nothing to show: nothing passes for a
    // snapshot, and the bar is ready to try again.
    if (!pasted && fViewer->Image1->Picture.Empty()) {
        showCaptureRemoved();
        return;
    }
    SetBackColor(clMaroon);
    SetupDialog().btnSave->SetEnabled(true);
    Application->ProcessMessages();
    ReapplyTool();
    // A failed paste leaves the surface with an older picture, perhaps marked
    // up: the last clean snapshot on disk is worth more than that.
    if (pasted)
        screenSave_.Start(fViewer->Image1->Picture.Bitmap(), ScreenFile(),
                          [](const QString& error) { Application->ShowException(EFCreateError(error)); });
}

QString TfMain::waitForScreenPicture()
{
    const int waitMs = Services::Screen().CaptureWaitMs();
    QElapsedTimer waited;
    waited.start();
    // The picture comes as an event (a reply of the display server or of the
    // desktop's portal): the wait wakes for it at once, and looks again at
    // least this often.
    QTimer look;
    look.start(PasteLookMs);
    while (!Services::Clipboard().HasPicture()) {
        const QString failure = Services::Keyboard().CaptureFailure();
        if (!failure.isEmpty())
            return failure;
        if (waited.elapsed() >= waitMs)
            return QString();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return QString();
}

bool TfMain::pasteFromClipboard()
{
    // A picture that cannot be read is tried again, three times in all.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QImage picture = Services::Clipboard().Picture();
        if (!picture.isNull()) {
            fViewer->Image1->Picture.Assign(picture);
            return true;
        }
        Application->ProcessMessages();
    }
    return false;
}

void TfMain::reportPasteFailure(const QString& cause)
{
    QString text = QStringLiteral("Saving screen to the clipboard has failed.");
    if (!cause.isEmpty())
        text += QStringLiteral("\n\n") + cause;
    Services::Messages().Show(this, MessageRequest{text, QStringLiteral("Error: Clipboard failure"), MsgButtons::OK,
                                                   MsgIcon::None});
}

void TfMain::showSurfaceAndBar()
{
    // An empty surface would cover the screen with nothing.
    if (!fViewer->Image1->Picture.Empty())
        fViewer->Show();
    Show();
    Application->ShowWindows(hiddenForCapture_);
    hiddenForCapture_.clear();
    // The bar stays above the surface, with or without a window manager.
    BringToFront();
}

bool TfMain::PasteScreen()
{
    Application->ProcessMessages();
    const QString cause = waitForScreenPicture();
    const bool goodtogo = Services::Clipboard().HasPicture() && pasteFromClipboard();
    if (!goodtogo)
        reportPasteFailure(cause);
    showSurfaceAndBar();
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
    if (fSetup)
        fSetup->btnSave->SetEnabled(true);
}

bool TfMain::CaptureShown() const { return btnSnapShot->Caption() == QStringLiteral("Remove"); }

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
            // The clipboard still holds the last Print Screen picture, the
            // clean snapshot: paste it back first. The key press after it
            // leaves a fresh picture there for the next Clear; pressed first,
            // it would empty the clipboard and the clean picture would be lost.
            PasteScreen();
            simulatePrintScreen();
        }
    });
    ReapplyTool();
}

void TfMain::ShowNotice(const QString& words)
{
    // Below the buttons of the small bar; on the full one past the stamp
    // picture, in two lines where one is too long.
    const bool full = btnPanel->Caption() != QStringLiteral("Tool Bar");
    lNotice->SetCaption(QString(words).replace(QLatin1Char('&'), QLatin1String("&&")));
    if (full)
        lNotice->SetBounds(1188, 6, qMax(80, ClientWidth() - 1192), 34);
    else
        lNotice->SetBounds(8, 40, 300, 16);
    lNotice->Show();
    lNotice->raise();
    noticeEnds_.setSingleShot(true);
    noticeEnds_.start(NoticeMs);
}

void TfMain::btnPanelClick(QObject*)
{
    // The monitor the bar is on; the full bar stays clear of its panels.
    const QRect monitor = screen()->geometry();
    const QRect usable = Desktop::WorkArea(screen());
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

void TfMain::eTextChange(QObject*) { showTextBoxWords(eText->Text()); }

void TfMain::showTextBoxWords(const QString& words)
{
    fViewer->Text = words;
    if (fSetup)
        fSetup->ShowText(words);
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
    fStamp2->lText->SetCaption(QStringLiteral(" ") + TextBoxWords());
    fStamp2->lText->SetFont(SetupDialog().pText->Font());
    const QRect screen = DesktopBounds();
    const QSize label = fStamp2->lText->size();
    fStamp2->move(screen.width() / 2 - label.width() / 2, screen.height() / 2 - label.height() / 2);
    CompositorPlacement::Place(fStamp2, fStamp2->pos());
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
    CompositorPlacement::Place(fStamp, fStamp->pos());
    SetBackColor(clSilver);
    fStamp->ShowModal();
    fViewer->History().Commit(); // the stamp is one mark
    SetBackColor(clMaroon);
    ReapplyTool();
}

// ---- What the setup dialog asks of the bar

void TfMain::SetHighlighter(bool on)
{
    // The highlighter draws its lines level.
    const bool locked = on && btnLine->Down();
    drawing_.setMarker(on);
    fViewer->Marker = on;
    fViewer->HLock = locked;
    lHighlight->setVisible(on);
    if (fSetup)
        fSetup->ShowHighlighter(on, locked);
}

void TfMain::showDrawingStyles()
{
    shapePen->SetPenStyle(drawing_.linePen().style);
    Shape1->SetPenStyle(drawing_.boxPen().style);
    Shape1->SetBrush(drawing_.fill());
}

void TfMain::ShowPreviews(const PreviewChange& change)
{
    const auto follow = [](const auto& value, auto* sample, auto set) {
        if (value)
            (sample->*set)(*value);
    };
    follow(change.linePenColor, shapePen, &TShape::SetPenColor);
    follow(change.lineHeight, shapePen, &TShape::SetHeight);
    follow(change.outlinePenColor, Shape1, &TShape::SetPenColor);
    follow(change.outlinePenWidth, Shape1, &TShape::SetPenWidth);
    follow(change.highlight, lHighlight, &TLabel::setVisible);
    if (change.stamp)
        Image1->Picture.Assign(*change.stamp);
}
