// The pictures on the buttons and the program icon, all drawn in code.
// Speed-button glyphs are 18x18 (buttons are 25x25), bit-button glyphs
// 16x16, on a transparent background. A QGuiApplication must exist before
// the ones with lettering are drawn.
#pragma once

#include "Types.h"

#include <QImage>

namespace Glyphs {

constexpr int SpeedSize = 18;
constexpr int BitSize = 16;

// Set-up dialog: pen, fill, colour and font styles.
QImage PenStyle(TPenStyle style);
QImage BrushStyle(TBrushStyle style);
QImage Colour();
QImage Bold();
QImage Italic();
QImage Underline();
QImage Highlight(bool on);

// The drawing tools of the control bar.
enum class Tool { Scribble, Line, Rectangle, RoundRect, Ellipse, Text, Banner, Stamp };
QImage ToolGlyph(Tool tool);

// Bit-button glyphs.
QImage Capture();
QImage ToolBar();
QImage Quit();
QImage Clear();
QImage Setup();
QImage Save();
QImage Open();
QImage Install();
QImage Finished();
QImage Help();
QImage Stamps();
QImage Options();
QImage About();

// Square, 48x48 on the bar; the installed icons use other sizes.
QImage AppIcon(int size = 48);

} // namespace Glyphs
