// A caption in a font and colour, opaque or see-through.
#pragma once

#include "Canvas.h"
#include "Control.h"
#include "ControlEvents.h"
#include "Types.h"

#include <QLabel>

class TLabel : public TControl<QLabel> {
public:
    // A label sizes itself to its caption unless a width is given.
    TLabel(QWidget* parent, const QString& caption, int left, int top, int width = 0, int height = 0);
    TNotifyEvent OnClick;
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool AutoSize = true;
    // Font heights in the screen's device pixels, for a label that is printed
    // into the snapshot; set before the font.
    bool DevicePixels = false;

protected:
    // A left release inside the label runs OnClick.
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void refresh();
    QString caption_;
    TFont font_{QStringLiteral("MS Sans Serif"), 8, clBlack, 0};
    TColor color_ = clSilver;
    bool transparent_ = false;
};
