// The bar's part in setup.ini: the settings read at the first show and
// written when the program ends.
#include "Main.h"

#include "Application.h"
#include "Exceptions.h"
#include "FileIO.h"
#include "Folders.h"
#include "FontStyles.h"
#include "Services.h"
#include "Settings.h"
#include "Stamp.h"
#include "Utillity.h"
#include "Viewer.h"
#include "util1.h"

#include <QFileInfo>

namespace {

const QString Yes = QStringLiteral("Yes");
const QString No = QStringLiteral("No");

// A settings file that could not be read is copied aside up to this size.
constexpr qint64 MaxKeptAsideBytes = 64 * 1024 * 1024;

// Larger sizes only make the text page's slider and preview useless.
constexpr int MaxFontSize = 400;

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
    TSettingsFile ini(SettingsFile());
    if (!ini.ReadError().isEmpty()) {
        // Left where it is for the user to look at; the run starts afresh.
        errors << ini.ReadError() + QStringLiteral(". The settings start from their defaults.");
        applyFirstRunSettings(errors);
        return;
    }
    const bool improperEnd = ini.ReadFlag(Setting::Operating);
    // Marked at once, so that a crash from here on is offered recovery.
    ini.WriteFlag(Setting::Operating, true);
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
    TSettingsFile ini(SettingsFile());
    ini.WriteFlag(Setting::Operating, true);
    const QString error = ini.UpdateFile();
    if (!error.isEmpty())
        errors << error;
    settingsRead_ = true;
    applyFirstRunSettings(errors);
}

void TfMain::applyFirstRunSettings(QStringList& errors)
{
    seedDrawingSettings(SetupDesign::LineFigure);
    setTextBoxWords(QStringLiteral("Type text here"));
    if (FindFile(DefaultStampFile()))
        runStep(errors, [&] { LoadStamp(DefaultStampFile()); });
    btnScribbleClick(this);
}

int TfMain::readThickness(const TSettingsFile& ini, Setting setting, const QString& defaultValue) const
{
    // 0 stands for the slider's value as designed; anything else is held to
    // the slider's range.
    const int thickness = ini.ReadInteger(setting, defaultValue);
    if (thickness == 0)
        return SetupDesign::SliderThickness;
    return qBound(1, thickness, SetupDesign::MaxThickness);
}

void TfMain::readSettings(const TSettingsFile& ini)
{
    readPenSettings(ini);
    readShapeSettings(ini);
    readFontSettings(ini);
    selectStoredTool(ini);
    settingsRead_ = true;
}

void TfMain::readPenSettings(const TSettingsFile& ini)
{
    const int thickness = readThickness(ini, Setting::LineThickness, QStringLiteral("0"));
    drawing_.setLineThickness(thickness);
    choices_.linePenStored = true;
    if (fSetup)
        fSetup->ShowPenThickness(thickness);

    const TColor colour = ini.ReadInteger(Setting::LineColor, QStringLiteral("0"));
    // Black stands for the pen the dialog is designed with.
    drawing_.setLineColor(colour == 0 ? SetupDesign::LineColor : colour);
    if (fSetup)
        fSetup->shapePen->SetPenColor(drawing_.linePen().color);

    if (ini.ReadFlag(Setting::Marker))
        SetHighlighter(true);
}

void TfMain::readShapeSettings(const TSettingsFile& ini)
{
    drawing_.setBoxThickness(readThickness(ini, Setting::PenThickness, QStringLiteral("1")));
    Shape1->SetPenWidth(previewPenWidth(drawing_.boxPen().thickness));

    const TColor colour = ini.ReadInteger(Setting::PenColor, QStringLiteral("0"));
    drawing_.setBoxColor(colour == 0 ? SetupDesign::OutlineColor : colour);

    const QString brushColor = ini.Read(Setting::BrushColor, QString());
    if (!brushColor.isEmpty()) {
        const TColor c = ini.ReadInteger(Setting::BrushColor, brushColor);
        drawing_.setFillColor(c);
    }
    drawing_.setFillName(ini.Read(Setting::BrushStyle, QStringLiteral("SolidBrush")));
}

void TfMain::readFontSettings(const TSettingsFile& ini)
{
    TFont f = drawing_.font();
    const QString name = ini.Read(Setting::FontName, QString());
    if (!name.isEmpty())
        f.Name = name.left(31);
    try {
        f.Size = ini.ReadInteger(Setting::FontSize, QStringLiteral("10"), 1, MaxFontSize);
        f.Color = ini.ReadInteger(Setting::FontColor, QStringLiteral("128"));
        drawing_.setTextBackColor(ini.ReadInteger(Setting::FontBkColor, QStringLiteral("128")));
    } catch (const Exception&) {
        // The next close writes these back: what was read before the
        // damaged number must not be lost with it.
        showFont(f, drawing_.textBackground());
        throw;
    }
    for (const FontStyleChoice& s : FontStyleChoices)
        if (ini.ReadFlag(s.setting))
            f.Style |= s.style;
    const bool background = ini.ReadFlag(Setting::FontBackground);
    showFont(f, background);
    drawing_.useTextBackground(background);
    setTextBoxWords(ini.Read(Setting::FontText, QString()));
}

void TfMain::showFont(const TFont& font, bool background)
{
    drawing_.setFont(font);
    drawing_.setTextBackground(background);
    if (fSetup)
        fSetup->ShowFontSettings(font, background, drawing_.textBackColor());
}

void TfMain::selectStoredTool(const TSettingsFile& ini)
{
    const int mode = ini.ReadInteger(Setting::Mode, QStringLiteral("0"));
    const ToolMode tool = toolOfNumber(mode == 0 ? 1 : mode);
    drawing_.setTool(tool);
    if (tool == ToolMode::Text && fSetup)
        fSetup->Notebook1->SetPageIndex(1);
    ReapplyTool();
    if (isLineFamily(tool)) {
        const DrawingSettings::FamilyPen& pen = drawing_.linePen();
        if (fSetup)
            fSetup->ShowLineSlider(pen.thickness, pen.color);
        shapePen->SetHeight(pen.thickness / 2 + 1);
        shapePen->SetPenColor(pen.color);
    } else if (isBoxFamily(tool)) {
        applyStoredBrushStyle();
    }
}

void TfMain::applyStoredBrushStyle()
{
    const std::optional<TBrushStyle> style = DrawingSettings::fillStyleNamed(drawing_.fillName());
    if (!style)
        return;
    drawing_.setBrushColor(drawing_.fill().Color);
    drawing_.useFillStyle(*style);
    if (fSetup)
        fSetup->ShowFillChoice(drawing_.fillName());
}

void TfMain::loadStoredStamp(const TSettingsFile& ini)
{
    const QString stored = ini.Read(Setting::StampFile, QString());
    if (stored.isEmpty() || !FindFile(stored)) {
        if (FindFile(DefaultStampFile())) {
            LoadStamp(DefaultStampFile());
        } else {
            Services::Messages().Show(
                this, MessageRequest{QStringLiteral("You'll need to go to the\n  [Setup] button to install a stamp\n  before using."),
                                     QStringLiteral("Notice - no stamp"), MsgButtons::OK, MsgIcon::None});
        }
        return;
    }
    choices_.stampFile = stored;
    if (fSetup)
        fSetup->ShowStampFile(stored);
    LoadStamp(stored);
}

void TfMain::detectTabletKeyboard(const TSettingsFile& ini)
{
    const bool tablet = ini.ReadFlag(Setting::Tablet);
    const bool available = FindFile(KeyboardProgram());
    if (!available) {
        sTablet->Hide();
        ckboxTablet->Hide();
        lTablet->Hide();
    }
    if (tablet)
        ckboxTablet->SetChecked(true);
    choices_.keyboardFound = available;
    choices_.tablet = tablet;
    if (fSetup)
        fSetup->ShowTabletChoice(available, tablet);
}

void TfMain::saveSettings()
{
    keepUnreadSettingsAside();
    TSettingsFile ini(SettingsFile());
    writeSettings(ini);
    const QString error = ini.UpdateFile();
    if (error.isEmpty())
        return;
    // The program folder refused them: the user's data folder keeps them.
    const QString data = userDataFolder();
    if (CurrentDir != data) {
        TSettingsFile kept(data + QStringLiteral("setup.ini"));
        writeSettings(kept);
        if (kept.UpdateFile().isEmpty())
            throw EFCreateError(error + QStringLiteral(".\nThe settings were kept in \"%1\".").arg(kept.FileName()));
    }
    throw EFCreateError(error);
}

void TfMain::keepUnreadSettingsAside() const
{
    // Settings that could not be read at start are kept aside before they are
    // written over, so a damaged file is never silently lost.
    if (settingsRead_ || !QFileInfo(SettingsFile()).isFile())
        return;
    QByteArray unread;
    QString error = readRegularFile(SettingsFile(), MaxKeptAsideBytes, &unread);
    if (error.isEmpty())
        error = writeFileAtomically(SettingsFile() + QStringLiteral(".bak"), unread);
    if (!error.isEmpty())
        throw EFCreateError(error + QStringLiteral(".\nThe settings were not written, so as to keep the ones that "
                                                   "could not be read."));
}

void TfMain::writeSettings(TSettingsFile& ini) const
{
    const TFont& font = drawing_.font();
    ini.WriteFlag(Setting::Operating, false);
    ini.WriteInteger(Setting::Mode, Mode());
    ini.WriteInteger(Setting::LineThickness, LinePenThickness());
    ini.WriteInteger(Setting::LineColor, LinePenColor());
    ini.WriteFlag(Setting::Marker, drawing_.marker());
    ini.WriteInteger(Setting::PenThickness, BoxPenThickness());
    ini.WriteInteger(Setting::PenColor, BoxPenColor());
    ini.WriteInteger(Setting::BrushColor, drawing_.fill().Color);
    ini.Write(Setting::BrushStyle, BoxBrushStyle());
    // The name as the dialog shows it, typed or chosen (the same as the font's when nothing was typed).
    ini.Write(Setting::FontName, fSetup ? fSetup->cboxFontName->Text() : font.Name);
    ini.WriteInteger(Setting::FontColor, font.Color);
    // Without its background the text keeps the sample's silver, not the colour.
    ini.WriteInteger(Setting::FontBkColor, drawing_.textBackground() ? drawing_.textBackColor() : clSilver);
    ini.WriteInteger(Setting::FontSize, font.Size);
    ini.Write(Setting::FontText, TextBoxWords());
    ini.WriteFlag(Setting::FontBackground, drawing_.textBackground());
    for (const FontStyleChoice& s : FontStyleChoices)
        ini.WriteFlag(s.setting, font.Style & s.style);
    ini.WriteFlag(Setting::Tablet, choices_.tablet);
    ini.Write(Setting::StampFile, choices_.stampFile);
}
