// The drawing settings: the tool, the pen and fill of each tool family, the
// text font, and what the surface draws with now. The bar owns them; the bar
// and the setup dialog change them through these operations only, and the
// surface's canvas follows every change.
#pragma once

#include "Canvas.h"
#include "ToolMode.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

class DrawingSettings {
public:
    // A tool family's pen.
    struct FamilyPen {
        TColor color = clBlack;
        int thickness = 1;
        TPenStyle style = psSolid;
    };

    ToolMode tool() const { return tool_; }
    void setTool(ToolMode tool);
    // True while the line family is chosen; the text tool keeps it as it was.
    bool lineMode() const { return lineMode_; }
    void setLineMode(bool line);

    const FamilyPen& linePen() const { return line_; }
    void setLineColor(TColor color);
    void setLineThickness(int thickness);
    void setLinePenStyle(TPenStyle style);

    const FamilyPen& boxPen() const { return box_; }
    void setBoxColor(TColor color);
    void setBoxThickness(int thickness);
    void setOutlineStyle(TPenStyle style);

    const TBrush& fill() const { return fill_; }
    void setFillColor(TColor color);
    void setFillStyle(TBrushStyle style);
    // A fill chosen: the box tools' fill and the brush in use take its style.
    void useFillStyle(TBrushStyle style);
    // The name of the fill button last chosen, as setup.ini keeps it.
    const QString& fillName() const { return fillName_; }
    void setFillName(const QString& name);
    // The fill a stored name stands for, if it names one.
    static std::optional<TBrushStyle> fillStyleNamed(const QString& name);

    const TFont& font() const { return font_; }
    void setFont(const TFont& font);
    TColor textBackColor() const { return textBackColor_; }
    void setTextBackColor(TColor color);
    // Whether text is drawn on its background colour.
    bool textBackground() const { return textBackground_; }
    void setTextBackground(bool on);
    // The highlighter: the line tools mark instead of drawing.
    bool marker() const { return marker_; }
    void setMarker(bool on);

    // What the surface draws with now. Choosing a tool loads it from the
    // tool's family; some choices on the setup dialog change it at once.
    const TPen& pen() const { return pen_; }
    const TBrush& brush() const { return brush_; }
    void setPenColor(TColor color);
    void setPenWidth(int width);
    void setPenStyle(TPenStyle style);
    void setBrushColor(TColor color);
    void setBrushStyle(TBrushStyle style);
    // The pen and brush of the family that lineMode names.
    void useFamilyPen();
    // The text's box in the background colour, or no box.
    void useTextBackground(bool on);

    // Copies the pen, brush and font onto a canvas; its pen mode stays.
    void applyTo(TCanvas& canvas) const;
    // Called after every change.
    void onChange(std::function<void()> listener) { listeners_.push_back(std::move(listener)); }

private:
    template <class T>
    void set(T& field, const T& value)
    {
        field = value;
        notify();
    }
    void notify() const;

    ToolMode tool_ = ToolMode::Scribble;
    bool lineMode_ = false;
    FamilyPen line_;
    FamilyPen box_;
    TBrush fill_{clWhite, bsClear};
    QString fillName_;
    TFont font_;
    TColor textBackColor_ = 0;
    bool textBackground_ = false;
    bool marker_ = false;
    TPen pen_;
    TBrush brush_;
    std::vector<std::function<void()>> listeners_;
};
