// The control bar: the program's main form. It does the program's set-up at
// its first show, selects the drawing tools, takes and clears captures,
// launches stamps and banners, and keeps the shared drawing settings.
#pragma once

#include "BackgroundSave.h"
#include "Form.h"

#include <memory>
#include <vector>

class TManyShape;
class TSysInfo;
class TIniFile;
class TfStamp2;

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
    TEdit* eText;
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

    // The shared drawing settings.
    QString CurrentDir;
    bool FirstShow = true;
    QString BoxBrushStyle;
    int Mode = 1;
    TColor LinePenColor = clBlack;
    int LinePenThickness = 1;
    TColor BoxPenColor = clBlack;
    int BoxPenThickness = 1;
    TColor FontBkColor = 0;
    bool LineMode = false;
    // Where the program file lies; the default stamp ships there.
    QString ProgramDir;
    // The pause that lets the hidden bar leave the screen before the grab.
    int CapturePauseMs = 200;

    // Set-up and shut-down.
    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void FormClose(QObject* Sender, TCloseAction& Action);
    void btnQuitClick(QObject* Sender);

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
    void eTextChange(QObject* Sender);
    void eTextEnter(QObject* Sender);
    void lTabletClick(QObject* Sender);
    void btnText2Click(QObject* Sender);
    void sbtnIconClick(QObject* Sender);

    // Runs the tool handler of the current Mode; other values select nothing.
    void ReapplyTool();
    // The bar's state colour behind its controls.
    void SetBackColor(TColor color);
    QString SettingsFile() const { return CurrentDir + QStringLiteral("setup.ini"); }
    QString ScreenFile() const { return CurrentDir + QStringLiteral("Screen.bmp"); }
    // Returns once the snapshot taken last is on disk (or its failure shown).
    void WaitForScreenFile() { screenSave_.Wait(); }
    QString DefaultStampFile() const;
    QString KeyboardProgram() const;

private:
    void createControls();
    void createToolControls();
    void createTextControls();
    void readSettings(TIniFile& ini);
    void readPenSettings(TIniFile& ini);
    void readShapeSettings(TIniFile& ini);
    void readFontSettings(TIniFile& ini);
    void selectStoredTool(TIniFile& ini);
    void applyStoredBrushStyle();
    void loadStoredStamp(TIniFile& ini);
    void detectTabletKeyboard(TIniFile& ini);
    void firstRun();
    void writeSettings(TIniFile& ini) const;
    void loadStamp(const QString& path);
    void simulatePrintScreen();
    bool settingsRead_ = false;
    // The clean snapshot goes to disk behind the user's back; whatever reads
    // or replaces the file, or ends the program, waits for it first.
    TBackgroundSave screenSave_;
    // Every banner gets a window of its own; they live until the program ends.
    std::vector<std::unique_ptr<TfStamp2>> banners_;
};

extern TfMain* fMain;

// The folder where the program keeps the files it writes: its own folder
// when that can be written, the user's data folder otherwise.
QString writableProgramFolder(const QString& programDir);
