// setup.ini: what the program keeps between runs, one row a setting, and the
// file read and written by those rows.
#pragma once

#include "IniFile.h"

#include <limits>

// In the order a new file lists them.
enum class Setting {
    Operating, Mode,
    LineThickness, LineColor, Marker,
    PenThickness, PenColor, BrushColor, BrushStyle,
    FontName, FontColor, FontBkColor, FontSize, FontText, FontBackground,
    Bold, Italic, Underline, StrikeThru,
    Tablet, StampFile,
};

class TSettingsFile : public TIniFile {
public:
    using TIniFile::TIniFile;

    QString Read(Setting setting, const QString& defaultValue) const;
    // A Yes/No setting; anything but "Yes" is No.
    bool ReadFlag(Setting setting) const;
    // An integer setting, held to lowest..highest; a value that is not an
    // integer raises a conversion error naming the file, section and key.
    int ReadInteger(Setting setting, const QString& defaultValue, int lowest = std::numeric_limits<int>::min(),
                    int highest = std::numeric_limits<int>::max()) const;
    void Write(Setting setting, const QString& value);
    void WriteFlag(Setting setting, bool on);
    void WriteInteger(Setting setting, int value);
};
