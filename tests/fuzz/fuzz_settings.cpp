// Any bytes as setup.ini: every setting reads as the bar reads it at start
// (text, Yes/No, integers held to a range or a conversion error), and the file
// written back keeps every section and key it had, with the settings written.
#include "Exceptions.h"
#include "Fuzzing.h"
#include "Settings.h"

#include <utility>

namespace {

constexpr int SettingCount = int(Setting::StampFile) + 1;

enum class Kind { Text, Flag, Integer, FontSize };

// How the bar reads each setting at start.
constexpr std::pair<Setting, Kind> BarReads[] = {
    {Setting::Operating, Kind::Flag},      {Setting::Mode, Kind::Integer},
    {Setting::LineThickness, Kind::Integer}, {Setting::LineColor, Kind::Integer},
    {Setting::Marker, Kind::Flag},         {Setting::PenThickness, Kind::Integer},
    {Setting::PenColor, Kind::Integer},    {Setting::BrushColor, Kind::Integer},
    {Setting::BrushStyle, Kind::Text},     {Setting::FontName, Kind::Text},
    {Setting::FontColor, Kind::Integer},   {Setting::FontBkColor, Kind::Integer},
    {Setting::FontSize, Kind::FontSize},   {Setting::FontText, Kind::Text},
    {Setting::FontBackground, Kind::Flag}, {Setting::Bold, Kind::Flag},
    {Setting::Italic, Kind::Flag},         {Setting::Underline, Kind::Flag},
    {Setting::StrikeThru, Kind::Flag},     {Setting::Tablet, Kind::Flag},
    {Setting::StampFile, Kind::Text},
};
static_assert(std::size(BarReads) == SettingCount, "every setting is read");

void readAsTheBarDoes(const TSettingsFile& ini, Setting setting, Kind kind)
{
    try {
        if (kind == Kind::Text)
            ini.Read(setting, QString());
        else if (kind == Kind::Flag)
            ini.ReadFlag(setting);
        else if (kind == Kind::Integer)
            ini.ReadInteger(setting, QStringLiteral("0"));
        else if (const int size = ini.ReadInteger(setting, QStringLiteral("10"), 1, 400); size < 1 || size > 400)
            FUZZ_REQUIRE(!"the font size is held to 1..400");
    } catch (const EConvertError& error) {
        // The message says where the damaged number is.
        FUZZ_REQUIRE(kind == Kind::Integer || kind == Kind::FontSize);
        FUZZ_REQUIRE(error.Message.contains(QLatin1String("\"setup.ini\"")));
    }
}

// Every key of every section reads the same in both files.
void requireSameKeys(const TIniFile& a, const TIniFile& b)
{
    for (const QString& section : a.Sections())
        for (const QString& key : a.Keys(section))
            FUZZ_REQUIRE(b.ReadString(section, key, QStringLiteral("\n")) == a.ReadString(section, key, QString()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    silenceQt();
    const QString name = QStringLiteral("setup.ini");
    const TSettingsFile read(name, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (const auto& [setting, kind] : BarReads)
        readAsTheBarDoes(read, setting, kind);

    // Written back unchanged, it reads the same.
    const TSettingsFile again(name, read.Content());
    requireSameKeys(read, again);
    requireSameKeys(again, read);

    // The bar writes every setting at its close: those change, nothing else does.
    TSettingsFile written(name, read.Content());
    for (int s = 0; s < SettingCount; ++s)
        written.Write(Setting(s), QStringLiteral("v%1").arg(s));
    const TSettingsFile closed(name, written.Content());
    for (int s = 0; s < SettingCount; ++s)
        FUZZ_REQUIRE(closed.Read(Setting(s), QString()) == QStringLiteral("v%1").arg(s));
    requireSameKeys(closed, written);
    requireSameKeys(written, closed);
    return 0;
}
