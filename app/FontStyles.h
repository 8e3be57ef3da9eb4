// The four font styles of the text page: the setup dialog's button for each
// and the setting it is kept under.
#pragma once

#include "Settings.h"
#include "Utillity.h"

struct FontStyleChoice {
    TFontStyle style;
    TSpeedButton* TfSetup::*button;
    Setting setting;
};

inline const FontStyleChoice FontStyleChoices[] = {
    {fsBold, &TfSetup::BoldButton, Setting::Bold},
    {fsItalic, &TfSetup::ItalicButton, Setting::Italic},
    {fsUnderline, &TfSetup::UnderlineButton, Setting::Underline},
    {fsStrikeOut, &TfSetup::StrikeThruButton, Setting::StrikeThru},
};
