// The control bar: the program's main form. It does the program's set-up at
// its first show, selects the drawing tools, takes and clears captures,
// launches stamps and banners, and keeps the shared drawing settings.
#pragma once

#include "BackgroundSave.h"
#include "DrawingSettings.h"
#include "Folders.h"
#include "Form.h"
#include "Settings.h"
#include "SetupChoices.h"

#include <QStringList>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

class TManyShape;
class TSysInfo;
class TMarkedSaver;
class TfStamp2;
class TfHelp;

class TfMain : public TForm {
public:
    // programDir is the folder of the program file; tests pass their own.
    explicit TfMain(const QString& programDir = QString(), QWidget* owner = nullptr);
    ~TfMain() override;

    TBitBtn* btnQuit;
    TBitBtn* btnSnapShot;
    TBitBtn* btnPanel;
    TSpeedButton* btnScribble;
    TSpeedButton* btnLine;
    TSpeedButton* btnRectangle;
    TSpeedButton* btnRoundRect;
    TSpeedButton* btnEllipse;
    TBitBtn* btnErase;
    TSpeedButton* btnText;
    TBevel* Bevel1;
    TShape* Shape1;
    TBitBtn* btnSetup;
    TShape* shapePen;
    TBevel* Bevel2;
    TBevel* Bevel3;
    TManyShape* ManyShape1;
    TLabel* lHighlight;
    TShape* sScribble;
    TShape* sLine;
    TShape* sRectangle;
    TShape* sRoundRect;
    TShape* sEllipse;
    TShape* sText;
    TBevel* Bevel4;
    TShape* sIcon;
    TSpeedButton* sbtnIcon;
    TImage* Image1;
    TSpeedButton* btnText2;
    TShape* sText2;
    TCheckBox* ckboxTablet;
    TLabel* lTablet;
    TShape* sTablet;
    TSysInfo* SysInfo1;
    // Says briefly on the bar that a copy or a save worked; it goes by itself.
    TLabel* lNotice;

    QString CurrentDir;
    bool FirstShow = true;
    // The shared drawing settings, held once in Drawing() and read here
    // under the bar's own names.
    DrawingSettings& Drawing() { return drawing_; }
    const QString& BoxBrushStyle() const { return drawing_.fillName(); }
    int Mode() const { return modeNumber(drawing_.tool()); }
    TColor LinePenColor() const { return drawing_.linePen().color; }
    int LinePenThickness() const { return drawing_.linePen().thickness; }
    TColor BoxPenColor() const { return drawing_.boxPen().color; }
    int BoxPenThickness() const { return drawing_.boxPen().thickness; }
    TColor FontBkColor() const { return drawing_.textBackColor(); }
    bool LineMode() const { return drawing_.lineMode(); }
    SetupChoices& Choices() { return choices_; }
    // Whether a capture is on the surface, to be saved.
    bool CaptureShown() const;
    // Turns the highlighter on or off, on the surface and the samples.
    void SetHighlighter(bool on);
    // Where the program file lies; the default stamp ships there.
    QString ProgramDir;
    // The pause that lets the hidden bar leave the screen before the grab.
    int CapturePauseMs = 200;
    // How long a notice stays on the bar.
    int NoticeMs = 2500;
    void ShowNotice(const QString& words);

    // Set-up and shut-down.
    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void FormClose(QObject* Sender, TCloseAction& Action);
    // Once the bar is on the screen: what the first Capture would set up.
    void FormFirstPaint(QObject* Sender);
    void btnQuitClick(QObject* Sender);
    // True while the first show reads the settings and asks its questions.
    bool Starting() const { return starting_; }

    // Tool selection.
    void btnScribbleClick(QObject* Sender);
    void btnLineClick(QObject* Sender);
    void btnRectangleClick(QObject* Sender);
    void btnRoundRectClick(QObject* Sender);
    void btnEllipseClick(QObject* Sender);
    void btnTextClick(QObject* Sender);
    void setButton();
    void SetLineMode(bool Line);
    void SetParameters();
    void btnSetupClick(QObject* Sender);

    // Capture, clear, recovery and the bar's size.
    void btnSnapShotClick(QObject* Sender);
    void btnEraseClick(QObject* Sender);
    void btnPanelClick(QObject* Sender);
    // Returns whether a picture was pasted.
    bool PasteScreen();
    void SetPreviousCapture();

    // Text entry, banner and stamp.
    // The text box, made here when it is not made yet, and its words.
    TEdit& TextBox();
    QString TextBoxWords() const { return eText ? eText->Text() : textBoxWords_; }
    void eTextChange(QObject* Sender);
    void eTextEnter(QObject* Sender);
    void lTabletClick(QObject* Sender);
    void btnText2Click(QObject* Sender);
    void sbtnIconClick(QObject* Sender);

    // Help (the setup dialog's button, F1) and About Us.
    void ShowHelp();
    void ShowAbout();

    // Runs the tool handler of the current Mode; other values select nothing.
    void ReapplyTool();
    // The bar's state colour behind its controls.
    void SetBackColor(TColor color);
    QString SettingsFile() const { return CurrentDir + QStringLiteral("setup.ini"); }
    QString ScreenFile() const { return CurrentDir + QStringLiteral("Screen.bmp"); }
    // The picture as marked up, kept for a recovery after a crash.
    QString MarkedFile() const { return CurrentDir + QStringLiteral("Marked.bmp"); }
    // What a recovery brings back: the marked picture unless the clean
    // snapshot is newer.
    QString RecoveryFile() const;
    // Waits for the background saves of the marked picture to end.
    void FinishMarkedSaves();
    // Returns once the snapshot taken last is on disk (or its failure shown).
    void WaitForScreenFile() { screenSave_.Wait(); }
    QString DefaultStampFile() const;
    // The stamp, loaded into the bar's sample, the stamp window and the
    // setup dialog's preview.
    void LoadStamp(const QString& path);
    QString KeyboardProgram() const;

private:
    // The look of a tool's indicator when its tool is chosen, and when not.
    static void selectedLook(TShape* indicator);
    static void unselectedLook(TShape* indicator);
    // The bar's controls (BarControls.cpp).
    void createControls();
    void createToolControls();
    void createTextControls();
    // The text box lies beyond the small bar's edge and laying out its first
    // line loads fonts: it is made just after the bar's first paint, or
    // sooner when something needs it. Until then the words given it wait.
    void makeTextBox();
    void setTextBoxWords(const QString& words);
    // The surface and the setup dialog follow the text box's words.
    void showTextBoxWords(const QString& words);
    // Tooltips on the bar's controls, and F1 for the help window.
    void setUpHelp();
    // Selects one of the six drawing tools.
    void selectTool(ToolMode mode);
    // The pens a run starts from, before setup.ini is read.
    void seedDrawingSettings(int lineThickness);
    void chooseTextTool();
    void simulatePrintScreen();
    // The steps of a paste: wait for the picture (or learn why none comes),
    // copy it into the surface, tell the user when it failed, and put the
    // surface and the bar back on the screen.
    QString waitForScreenPicture();
    bool pasteFromClipboard();
    void reportPasteFailure(const QString& cause);
    void showSurfaceAndBar();
    // The bar as it is with no capture on the screen.
    void showCaptureRemoved();
    void watchMarks();
    // The pen styles and the fill on the bar's samples.
    void showDrawingStyles();

    // setup.ini, read at the first show and written at the end (BarSettings.cpp).
    void readStoredSettings(QStringList& errors);
    void firstRun(QStringList& errors);
    void applyFirstRunSettings(QStringList& errors);
    void readSettings(const TSettingsFile& ini);
    void readPenSettings(const TSettingsFile& ini);
    void readShapeSettings(const TSettingsFile& ini);
    void readFontSettings(const TSettingsFile& ini);
    // The font read, in the settings and on the dialog.
    void showFont(const TFont& font, bool background);
    void selectStoredTool(const TSettingsFile& ini);
    void applyStoredBrushStyle();
    void loadStoredStamp(const TSettingsFile& ini);
    void detectTabletKeyboard(const TSettingsFile& ini);
    // A pen thickness held to the slider's range; 0 stands for the slider's value.
    int readThickness(const TSettingsFile& ini, Setting setting, const QString& defaultValue) const;
    void saveSettings();
    void keepUnreadSettingsAside() const;
    void writeSettings(TSettingsFile& ini) const;
    DrawingSettings drawing_;
    SetupChoices choices_;
    bool settingsRead_ = false;
    bool starting_ = false;
    TEdit* eText = nullptr;
    QString textBoxWords_;
    // Told once at the first show when the files moved to the data folder.
    QString folderNotice_;
    // The program's windows taken off the screen for a capture.
    QList<QPointer<QWidget>> hiddenForCapture_;
    // The clean snapshot goes to disk behind the user's back; whatever reads
    // or replaces the file, or ends the program, waits for it first.
    TBackgroundSave screenSave_;
    // Every banner gets a window of its own; they live until the program ends.
    std::vector<std::unique_ptr<TfStamp2>> banners_;
    std::unique_ptr<TfHelp> help_;
    std::unique_ptr<TMarkedSaver> marks_;
    QTimer noticeEnds_;

public:
    // ---- What the setup dialog asks of the bar
    // The bar's samples of the pen colours and sizes, the highlighter and
    // the stamp follow the setup dialog; what a change leaves unset stays as
    // it is. (Their styles and fill follow the drawing settings.)
    struct PreviewChange {
        std::optional<TColor> linePenColor, outlinePenColor;
        std::optional<int> lineHeight, outlinePenWidth;
        std::optional<bool> highlight;
        std::optional<QImage> stamp;
    };
    void ShowPreviews(const PreviewChange& change);
};

extern TfMain* fMain;
