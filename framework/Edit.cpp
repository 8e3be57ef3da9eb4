#include "Edit.h"

#include "ControlLooks.h"

#include <QFocusEvent>

TEdit::TEdit(QWidget* parent, int left, int top, int width, int height) : TControl(parent)
{
    setGeometry(left, top, width, height);
    QObject::connect(this, &QLineEdit::textChanged, [this] {
        fireNotify(OnChange, this);
    });
}

void TEdit::SetColor(TColor color)
{
    color_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, toQColor(color));
    setPalette(p);
}

void TEdit::SetFont(const TFont& font) { applyFont(this, font, font.Color); }

void TEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Entering is moving into the box, not its window coming back to the front.
    const bool returning = event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason;
    if (!returning)
        fireNotify(OnEnter, this);
}
