// The looks several control kinds take from their classic properties.
#pragma once

#include "Types.h"

class QString;
class QWidget;
struct TFont;

// The widget's font, and its text in the given colour.
void applyFont(QWidget* widget, const TFont& font, TColor color);
// An opaque background of the colour behind the widget and its text.
void fillBackground(QWidget* widget, TColor color);
// A classic caption: "&&" shows one "&", a single "&" marks the mnemonic.
QString shownCaption(const QString& caption);
