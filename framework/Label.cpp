#include "Label.h"

#include "ControlLooks.h"

#include <QMouseEvent>

TLabel::TLabel(QWidget* parent, const QString& caption, int left, int top, int width, int height)
    : TControl(parent), caption_(caption)
{
    move(left, top);
    if (width > 0) {
        AutoSize = false;
        resize(width, height);
        // A label of a set size keeps its text at the top, as a classic label
        // does, clear of what stands below it.
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    refresh();
}

void TLabel::SetCaption(const QString& caption)
{
    caption_ = caption;
    refresh();
}

void TLabel::SetFont(const TFont& font)
{
    font_ = font;
    refresh();
}

void TLabel::SetColor(TColor color)
{
    color_ = color;
    refresh();
}

void TLabel::SetTransparent(bool transparent)
{
    transparent_ = transparent;
    refresh();
}

void TLabel::refresh()
{
    applyFont(this, font_, font_.Color);
    const qreal ratio = devicePixelRatioF();
    if (DevicePixels && ratio != 1) {
        // A point size, as a pixel size of a window's coordinates has no fractions.
        QFont f = font();
        f.setPointSizeF(f.pixelSize() / ratio * 72 / logicalDpiY());
        setFont(f);
    }
    if (transparent_) {
        setAutoFillBackground(false);
    } else {
        fillBackground(this, color_);
    }
    setText(shownCaption(caption_));
    if (AutoSize)
        resize(sizeHint());
}

void TLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        fireNotify(OnClick, this);
}
