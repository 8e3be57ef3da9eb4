#include "ControlEvents.h"

#include "Application.h"

#include <QMouseEvent>
#include <QtMath>

TShiftState shiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState s = 0;
    if (modifiers & Qt::ShiftModifier) s |= ssShift;
    if (modifiers & Qt::AltModifier) s |= ssAlt;
    if (modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

TMouseButton buttonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
    }
}

void fireNotify(const TNotifyEvent& handler, QObject* sender)
{
    if (!handler)
        return;
    const TNotifyEvent copy = handler; // the handler may replace itself
    Application->Guard([&] { copy(sender); });
}

namespace {
QPoint positionOf(const QMouseEvent* e, qreal scale)
{
    if (scale == 1)
        return e->position().toPoint();
    const QPointF p = e->position() * scale;
    return QPoint(qFloor(p.x()), qFloor(p.y()));
}
} // namespace

void fireMouse(const TMouseEvent& handler, QObject* sender, QMouseEvent* e, qreal scale)
{
    if (!handler)
        return;
    const QPoint pos = positionOf(e, scale);
    Application->Guard(
        [&] { handler(sender, buttonOf(e->button()), shiftOf(e->modifiers(), e->buttons()), pos.x(), pos.y()); });
}

void fireMouseMove(const TMouseMoveEvent& handler, QObject* sender, QMouseEvent* e, qreal scale)
{
    if (!handler)
        return;
    const QPoint pos = positionOf(e, scale);
    Application->Guard([&] { handler(sender, shiftOf(e->modifiers(), e->buttons()), pos.x(), pos.y()); });
}
