#include "DrawingSettings.h"

void DrawingSettings::setTool(ToolMode tool) { set(tool_, tool); }
void DrawingSettings::setLineMode(bool line) { set(lineMode_, line); }

void DrawingSettings::setLineColor(TColor color) { set(line_.color, color); }
void DrawingSettings::setLineThickness(int thickness) { set(line_.thickness, thickness); }
void DrawingSettings::setLinePenStyle(TPenStyle style) { set(line_.style, style); }

void DrawingSettings::setBoxColor(TColor color) { set(box_.color, color); }
void DrawingSettings::setBoxThickness(int thickness) { set(box_.thickness, thickness); }
void DrawingSettings::setOutlineStyle(TPenStyle style) { set(box_.style, style); }

void DrawingSettings::setFillColor(TColor color) { set(fill_.Color, color); }
void DrawingSettings::setFillStyle(TBrushStyle style) { set(fill_.Style, style); }

void DrawingSettings::useFillStyle(TBrushStyle style)
{
    brush_.Style = style;
    setFillStyle(style);
}
void DrawingSettings::setFillName(const QString& name) { set(fillName_, name); }

std::optional<TBrushStyle> DrawingSettings::fillStyleNamed(const QString& name)
{
    static const std::pair<const char*, TBrushStyle> fills[] = {
        {"SolidBrush", bsSolid},         {"ClearBrush", bsClear},         {"HorizontalBrush", bsHorizontal},
        {"VerticalBrush", bsVertical},   {"FDiagonalBrush", bsFDiagonal}, {"BDiagonalBrush", bsBDiagonal},
        {"CrossBrush", bsCross},         {"DiagCrossBrush", bsDiagCross}};
    for (const auto& [fillName, style] : fills)
        if (name == QLatin1String(fillName))
            return style;
    return std::nullopt;
}

void DrawingSettings::setFont(const TFont& font) { set(font_, font); }
void DrawingSettings::setTextBackColor(TColor color) { set(textBackColor_, color); }
void DrawingSettings::setTextBackground(bool on) { set(textBackground_, on); }
void DrawingSettings::setMarker(bool on) { set(marker_, on); }

void DrawingSettings::setPenColor(TColor color) { set(pen_.Color, color); }
void DrawingSettings::setPenWidth(int width) { set(pen_.Width, width); }
void DrawingSettings::setPenStyle(TPenStyle style) { set(pen_.Style, style); }
void DrawingSettings::setBrushColor(TColor color) { set(brush_.Color, color); }
void DrawingSettings::setBrushStyle(TBrushStyle style) { set(brush_.Style, style); }

void DrawingSettings::useFamilyPen()
{
    const FamilyPen& family = lineMode_ ? line_ : box_;
    pen_.Color = family.color;
    pen_.Width = family.thickness;
    pen_.Style = family.style;
    // The line family's brush is solid in the line's colour.
    brush_ = lineMode_ ? TBrush{line_.color, bsSolid} : fill_;
    notify();
}

void DrawingSettings::useTextBackground(bool on)
{
    brush_.Style = on ? bsSolid : bsClear;
    if (on)
        brush_.Color = textBackColor_;
    notify();
}

void DrawingSettings::notify() const
{
    for (const auto& listener : listeners_)
        listener();
}

void DrawingSettings::applyTo(TCanvas& canvas) const
{
    canvas.Pen.Color = pen_.Color;
    canvas.Pen.Width = pen_.Width;
    canvas.Pen.Style = pen_.Style;
    canvas.Brush = brush_;
    canvas.Font = font_;
}
