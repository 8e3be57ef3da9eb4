// A figure drawn with a pen and a brush, as the indicators and previews are.
#pragma once

#include "Canvas.h"
#include "Control.h"

#include <QWidget>

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TControl<QWidget> {
public:
    TShape(QWidget* parent, int left, int top, int width, int height, TShapeType shape = stRectangle);

    const TPen& Pen() const { return pen_; }
    const TBrush& Brush() const { return brush_; }
    TShapeType Shape() const { return shape_; }
    void SetPen(const TPen& pen);
    void SetPenColor(TColor color);
    void SetPenWidth(int width);
    void SetPenStyle(TPenStyle style);
    void SetBrush(const TBrush& brush);
    void SetBrushColor(TColor color);
    void SetBrushStyle(TBrushStyle style);
    void SetShape(TShapeType shape);

protected:
    // Draws the figure by the canvas rules, inside the control.
    void paintEvent(QPaintEvent* event) override;

private:
    TPen pen_;
    TBrush brush_;
    TShapeType shape_;
};
