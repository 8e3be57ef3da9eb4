#include "Shape.h"

#include <QImage>
#include <QPainter>

TShape::TShape(QWidget* parent, int left, int top, int width, int height, TShapeType shape)
    : TControl(parent), shape_(shape)
{
    setGeometry(left, top, width, height);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TShape::SetPen(const TPen& pen) { pen_ = pen, update(); }
void TShape::SetPenColor(TColor color) { pen_.Color = color, update(); }
void TShape::SetPenWidth(int width) { pen_.Width = width, update(); }
void TShape::SetPenStyle(TPenStyle style) { pen_.Style = style, update(); }
void TShape::SetBrush(const TBrush& brush) { brush_ = brush, update(); }
void TShape::SetBrushColor(TColor color) { brush_.Color = color, update(); }
void TShape::SetBrushStyle(TBrushStyle style) { brush_.Style = style, update(); }
void TShape::SetShape(TShapeType shape) { shape_ = shape, update(); }

void TShape::paintEvent(QPaintEvent*)
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    TCanvas canvas(&image);
    canvas.Pen = pen_;
    canvas.Pen.Mode = pmCopy;
    canvas.Brush = brush_;
    // The figure lies inside the control whatever the pen width.
    const int half = pen_.Width / 2;
    int x = half, y = half;
    int w = width() - pen_.Width + 1, h = height() - pen_.Width + 1;
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        const int side = qMin(w, h);
        x += (w - side) / 2;
        y += (h - side) / 2;
        w = h = side;
    }
    switch (shape_) {
    case stRectangle:
    case stSquare: canvas.Rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: canvas.RoundRect(x, y, x + w, y + h, qMin(w, h) / 2, qMin(w, h) / 2); break;
    case stEllipse:
    case stCircle: canvas.Ellipse(x, y, x + w, y + h); break;
    }
    QPainter p(this);
    p.drawImage(0, 0, image);
}
