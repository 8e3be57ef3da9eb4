// A sunken panel with a centred caption.
#pragma once

#include "Canvas.h"
#include "Control.h"
#include "Types.h"

#include <QFrame>

class TPanel : public TControl<QFrame> {
public:
    TPanel(QWidget* parent, int left, int top, int width, int height);
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);

protected:
    // Draws the colour and the caption, then the frame over them.
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    TColor color_ = clSilver;
    TFont font_{QStringLiteral("Arial"), 10, clBlack, 0};
};
