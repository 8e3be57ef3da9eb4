#include "Panel.h"

#include <QPainter>

TPanel::TPanel(QWidget* parent, int left, int top, int width, int height) : TControl(parent)
{
    setGeometry(left, top, width, height);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void TPanel::SetCaption(const QString& caption) { caption_ = caption, update(); }
void TPanel::SetColor(TColor color) { color_ = color, update(); }
void TPanel::SetFont(const TFont& font) { font_ = font, update(); }

void TPanel::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(rect(), toQColor(color_));
    p.setFont(font_.toQFont());
    p.setPen(toQColor(font_.Color));
    p.drawText(rect(), Qt::AlignCenter, caption_);
    p.end();
    QFrame::paintEvent(event);
}
