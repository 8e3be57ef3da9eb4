// A push button with a caption, a font colour and a glyph.
#pragma once

#include "Control.h"
#include "ControlEvents.h"
#include "Types.h"

#include <QPushButton>
#include <functional>

class TBitBtn : public TControl<QPushButton> {
public:
    TBitBtn(QWidget* parent, const QString& caption, int left, int top, int width, int height);
    TNotifyEvent OnClick;
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor color);
    void SetBold(bool bold);
    void SetGlyph(const QImage& glyph);
    // A glyph of that size drawn when the button is first painted.
    void SetGlyphMaker(std::function<QImage()> draw, QSize size);
    void Click() { click(); }

private:
    TColor fontColor_ = clBlack;
};
