#include "Settings.h"

#include "Exceptions.h"

namespace {

struct Key {
    const char* section;
    const char* name;
};

// Indexed by Setting.
constexpr Key Keys[] = {
    {"Setup", "Operating"}, {"Setup", "Mode"},
    {"Line", "Thickness"}, {"Line", "Color"}, {"Line", "Marker"},
    {"Shape", "PenThickness"}, {"Shape", "PenColor"}, {"Shape", "BrushColor"}, {"Shape", "BrushStyle"},
    {"Font", "Name"}, {"Font", "Color"}, {"Font", "BkColor"}, {"Font", "Size"}, {"Font", "Text"}, {"Font", "Backgd"},
    {"Font", "Bold"}, {"Font", "Italic"}, {"Font", "Underline"}, {"Font", "StrikeThru"},
    {"Keyboard", "Tablet"}, {"Stamp", "Filename"},
};
static_assert(std::size(Keys) == std::size_t(Setting::StampFile) + 1, "one key for every setting");

const Key& keyOf(Setting setting) { return Keys[std::size_t(setting)]; }
QString sectionOf(Setting setting) { return QLatin1String(keyOf(setting).section); }
QString nameOf(Setting setting) { return QLatin1String(keyOf(setting).name); }

const QString Yes = QStringLiteral("Yes");
const QString No = QStringLiteral("No");

} // namespace

QString TSettingsFile::Read(Setting setting, const QString& defaultValue) const
{
    return ReadString(sectionOf(setting), nameOf(setting), defaultValue);
}

bool TSettingsFile::ReadFlag(Setting setting) const { return Read(setting, No) == Yes; }

int TSettingsFile::ReadInteger(Setting setting, const QString& defaultValue, int lowest, int highest) const
{
    const QString text = Read(setting, defaultValue);
    try {
        return qBound(lowest, StrToInt(text), highest);
    } catch (const EConvertError& error) {
        throw EConvertError(QStringLiteral("Settings file \"%1\", [%2] %3: %4")
                                .arg(FileName(), sectionOf(setting), nameOf(setting), error.Message));
    }
}

void TSettingsFile::Write(Setting setting, const QString& value)
{
    WriteString(sectionOf(setting), nameOf(setting), value);
}

void TSettingsFile::WriteFlag(Setting setting, bool on) { Write(setting, on ? Yes : No); }

void TSettingsFile::WriteInteger(Setting setting, int value) { Write(setting, IntToStr(value)); }
