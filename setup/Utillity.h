// The setup dialog: a modeless four-page notebook for the pen, the fill, the
// highlighter, the text font and background, the stamp, and saving and
// opening screen bitmaps. Every control acts at once; there is no Apply.
#pragma once

#include "Form.h"

#include <functional>
#include <optional>

class DrawingSettings;

// The setup dialog's samples as designed: the pens before any is chosen or
// read; a pen stored as black stands for these.
namespace SetupDesign {
constexpr TColor LineColor = clAqua;
// The line sample's height, which gives the line thickness of the first show.
constexpr int LineSampleHeight = 10;
// The thickness figure's caption, the line thickness of a first run.
constexpr int LineFigure = 5;
// The thickness slider's range, and the thickness it is designed at.
constexpr int MaxThickness = 30;
constexpr int SliderThickness = LineSampleHeight / 2 + 1;
constexpr TColor OutlineColor = clLime;
constexpr int OutlineWidth = 4;
} // namespace SetupDesign

class TfSetup : public TForm {
public:
    explicit TfSetup(QWidget* owner = nullptr);

    TNotebook* Notebook1;
    // "Line Matrix" page.
    TBevel* Bevel3;
    TLabel* Label1;
    TSpeedButton* SolidPen;
    TSpeedButton* DashPen;
    TSpeedButton* DotPen;
    TSpeedButton* DashDotPen;
    TSpeedButton* DashDotDotPen;
    TSpeedButton* ClearPen;
    TLabel* lPenColor;
    TSpeedButton* PenColor;
    TLabel* Label3;
    TTrackBar* TrackBar1;
    TShape* shapePen;
    TLabel* Label4;
    TBevel* Bevel2;
    TLabel* lSolid;
    TLabel* lEmpty;
    TSpeedButton* SolidBrush;
    TSpeedButton* ClearBrush;
    TSpeedButton* HorizontalBrush;
    TSpeedButton* VerticalBrush;
    TSpeedButton* BDiagonalBrush;
    TSpeedButton* FDiagonalBrush;
    TSpeedButton* DiagCrossBrush;
    TSpeedButton* CrossBrush;
    TLabel* lColor;
    TSpeedButton* BrushColor;
    TShape* Shape1;
    TLabel* lLine;
    TLabel* lClear;
    TLabel* Label9;
    TLabel* lDash;
    TLabel* lDot;
    TSpeedButton* Highlight;
    TLabel* lHighlight;
    TLabel* lHorizontal;
    TShape* sHighlight;
    TLabel* Label12;
    TLabel* Label13;
    // "Text Matrix" page.
    TEdit* eText;
    TPanel* pText;
    TSpeedButton* sbtnFontbkgdColor;
    TCheckBox* ckboxTextbkgd;
    TBevel* Bevel1;
    TSpeedButton* sbtnFont;
    TComboBox* cboxFontName;
    TSpeedButton* BoldButton;
    TSpeedButton* ItalicButton;
    TSpeedButton* UnderlineButton;
    TCheckBox* ckboxDragText;
    TLabel* Label8;
    TLabel* Label10;
    TSpeedButton* sbtnFontColor;
    TBevel* Bevel4;
    TBevel* Bevel5;
    TTrackBar* TrackBar2;
    TLabel* lFontSize;
    TSpeedButton* StrikeThruButton;
    TBevel* Bevel6;
    TLabel* Label5;
    TLabel* Label6;
    TLabel* Label7;
    TTrackBar* TrackBar3;
    TLabel* Label14;
    TLabel* Label15;
    TLabel* Label16;
    TLabel* Label27;
    TLabel* Label28;
    TCheckBox* ckboxDragDrop;
    TLabel* Label2;
    TCheckBox* ckboxTablet;
    // "icons" page.
    TPanel* Panel1;
    TImage* Image1;
    TBitBtn* btnIcon;
    TLabel* Label17;
    TLabel* Label18;
    TLabel* Label19;
    TLabel* Label20;
    TLabel* Label21;
    TSpeedButton* sbtnIcon;
    TLabel* Label22;
    TLabel* Label23;
    TLabel* Label24;
    TLabel* Label25;
    TLabel* Label26;
    TLabel* lFilename;
    // "Options" page.
    TBitBtn* btnSave;
    TBitBtn* btnOpen;
    TBitBtn* btnAbout;
    TLabel* lTablet;
    TCheckBox* ckboxTablet2;
    // Below the notebook.
    TBitBtn* btnIcons;
    TBitBtn* btnOptions;
    TBitBtn* BtnFinished;
    TBitBtn* btnHelp;

    bool FUpdating = false;
    QString CurrentDir;
    // The stamp file shown; the bar's choices hold it.
    QString fullFilename;

    // Line and fill: each style button applies its own style.
    void SolidPenClick(QObject* Sender) { SetPenStyle(SolidPen); }
    void DashPenClick(QObject* Sender) { SetPenStyle(DashPen); }
    void DotPenClick(QObject* Sender) { SetPenStyle(DotPen); }
    void DashDotPenClick(QObject* Sender) { SetPenStyle(DashDotPen); }
    void DashDotDotPenClick(QObject* Sender) { SetPenStyle(DashDotDotPen); }
    void ClearPenClick(QObject* Sender) { SetPenStyle(ClearPen); }
    void SetPenStyle(QObject* Sender);
    void PenColorClick(QObject* Sender);
    void TrackBar1Change(QObject* Sender);
    void HighlightClick(QObject* Sender);
    void SetBrushStyle(QObject* Sender);
    void SolidBrushClick(QObject* Sender) { SetBrushStyle(SolidBrush); }
    void ClearBrushClick(QObject* Sender) { SetBrushStyle(ClearBrush); }
    void HorizontalBrushClick(QObject* Sender) { SetBrushStyle(HorizontalBrush); }
    void VerticalBrushClick(QObject* Sender) { SetBrushStyle(VerticalBrush); }
    void BDiagonalBrushClick(QObject* Sender) { SetBrushStyle(BDiagonalBrush); }
    void FDiagonalBrushClick(QObject* Sender) { SetBrushStyle(FDiagonalBrush); }
    void DiagCrossBrushClick(QObject* Sender) { SetBrushStyle(DiagCrossBrush); }
    void CrossBrushClick(QObject* Sender) { SetBrushStyle(CrossBrush); }
    void BrushColorClick(QObject* Sender);
    // Frame.
    void BtnFinishedClick(QObject* Sender);
    void btnIconsClick(QObject* Sender);
    void btnOptionsClick(QObject* Sender);
    // Text.
    void GetFontNames();
    void cboxFontNameChange(QObject* Sender);
    void sbtnFontClick(QObject* Sender);
    void TrackBar2Change(QObject* Sender);
    void BoldButtonClick(QObject* Sender);
    void ItalicButtonClick(QObject* Sender);
    void UnderlineButtonClick(QObject* Sender);
    void StrikeThruButtonClick(QObject* Sender);
    void SelectionChange(QObject* Sender);
    void sbtnFontColorClick(QObject* Sender);
    void sbtnFontbkgdColorClick(QObject* Sender);
    void ckboxTextbkgdClick(QObject* Sender);
    void eTextChange(QObject* Sender);
    void eTextEnter(QObject* Sender);
    void ckboxDragTextClick(QObject* Sender);
    void TrackBar3Change(QObject* Sender);
    void ckboxDragDropClick(QObject* Sender);
    // Stamp and options.
    void btnIconClick(QObject* Sender);
    void btnSaveClick(QObject* Sender);
    void btnOpenClick(QObject* Sender);
    void ckboxTabletClick(QObject* Sender);
    void ckboxTablet2Click(QObject* Sender);

    QString ScreensFolder() const { return CurrentDir + QStringLiteral("Screens/"); }
    QString StampsFolder() const { return CurrentDir + QStringLiteral("Stamps/"); }
    // The save name with its extension made "bmp" within the file name only.
    static QString BitmapName(const QString& chosen);
    // The stamp, loaded into the preview, the bar and the stamp window.
    void LoadStamp(const QString& path);
    // The dashed and dotted pen choices with their labels.
    void setDashedChoices(bool visible);
    // The fill section of the line page.
    void setFillControls(bool visible);

private:
    void createLinePage(QWidget* page);
    void createHighlightControls(QWidget* page);
    void createFillControls(QWidget* page);
    void createTextPage(QWidget* page);
    void createFontControls(QWidget* page);
    void createColourControls(QWidget* page);
    void createTextControls(QWidget* page);
    void createIconsPage(QWidget* page);
    void createOptionsPage(QWidget* page);
    void createFrameButtons();
    void nameControls();
    void setStyle(TSpeedButton* button, TFontStyle style);
    int thicknessFromSlider() const { return TrackBar1->Max() + 1 - TrackBar1->Position(); }
    // Makes sure the folder exists; returns the folder a file dialog starts in.
    QString prepareFolder(const QString& folder, const QString& name);
    int workingPage() const;
    int dragPause() const { return TrackBar3->Max() - TrackBar3->Position() + 1; }
    // The open dialog for a bitmap, starting in the given folder of the program.
    std::optional<QString> chooseBitmap(const QString& folder, const QString& name);
    // The colour dialog for the surface's brush, which takes the colour chosen.
    std::optional<TColor> chooseBrushColor();
    // The bar's drawing settings, which this dialog changes.
    static DrawingSettings& drawing();
    void matchTabletBoxes(TCheckBox* clicked, TCheckBox* other);
    void showDrawingStyles(const DrawingSettings& settings);
    // Built after the bar's first show began: what that show has set so far.
    void showBarState();
    // What a later start set from setup.ini.
    void showStoredSettings();
    // The pen, fill and text choices of the tool the bar has chosen.
    void showToolChoices();
    // An empty fill has no colour, and no box goes without both outline and fill.
    void showFillIsClear(bool clear);

public:
    // ---- What the bar asks of the setup dialog
    // The pen choices of the line tools, with the line sample in the pen.
    void ShowLineChoices(int thickness, TColor colour);
    // The pen and fill choices of the box tools, the slider at the thickness.
    void ShowBoxChoices(int thickness, TColor colour);
    // The text sample on its background colour when the background is on.
    void ShowTextBackground(TColor colour);
    // The stored line pen: the solid pen for a thin one, the dashed and dotted
    // choices only with it.
    void ShowPenThickness(int thickness);
    // The slider, its figure and the line sample at the stored line pen.
    void ShowLineSlider(int thickness, TColor colour);
    // The samples show the pen styles, the fill and the font of these
    // settings from now on.
    void FollowDrawing(DrawingSettings& settings);
    // The program folder the dialog's files go to, and the font list.
    void ShowFolderAndFonts(const QString& folder);
    // The stored font on the text page's controls.
    void ShowFontSettings(const TFont& font, bool background, TColor backColour);
    // The tablet choices, offered only when the on-screen keyboard is there.
    void ShowTabletChoice(bool available, bool on);
    // The highlighter's button, sample and lock label.
    void ShowHighlighter(bool on, bool locked);
    // The fill button of that stored name down, if it names one.
    void ShowFillChoice(const QString& name);
    // The stamp file's name under the preview.
    void ShowStampFile(const QString& path);
    // The words of the bar's text box, in this text box and the sample.
    void ShowText(const QString& text);
};

// Set once the dialog is built; whatever only shows a value on it may skip
// it until then, as the dialog shows the bar's state when it is built.
extern TfSetup* fSetup;

// The setup dialog, built by the maker the first time anything needs it.
TfSetup& SetupDialog();
// The maker builds the dialog, keeps it and sets fSetup.
void SetSetupDialogMaker(std::function<void()> make);

// Outline sample width for a box pen thickness: 2, 4, 6 or 8.
int previewPenWidth(int thickness);
// The top of the line sample for a thickness: 97, 95, 93, 91 or 89.
int linePreviewTop(int thickness);
