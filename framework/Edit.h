// A one-line text box.
#pragma once

#include "Canvas.h"
#include "Control.h"
#include "ControlEvents.h"
#include "Types.h"

#include <QLineEdit>

class TEdit : public TControl<QLineEdit> {
public:
    TEdit(QWidget* parent, int left, int top, int width, int height);
    TNotifyEvent OnChange;
    TNotifyEvent OnEnter;
    QString Text() const { return text(); }
    void SetText(const QString& text) { setText(text); }
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    void SetFont(const TFont& font);

protected:
    // Moving into the box runs OnEnter.
    void focusInEvent(QFocusEvent* event) override;

private:
    TColor color_ = clWhite;
};
