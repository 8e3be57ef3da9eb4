// The event handlers the forms give their controls, and how a control runs
// one: an error a handler raises is shown in the standard exception box.
#pragma once

#include "Types.h"

#include <QtGlobal>
#include <functional>

class QMouseEvent;
class QObject;

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TMouseEvent = std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;

TShiftState shiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
TMouseButton buttonOf(Qt::MouseButton button);

// Run an event handler, if there is one; an error it raises is shown in the
// standard exception box.
void fireNotify(const TNotifyEvent& handler, QObject* sender);
// A scale other than 1 reports the position multiplied by it, to the whole pixel it lies in.
void fireMouse(const TMouseEvent& handler, QObject* sender, QMouseEvent* event, qreal scale = 1);
void fireMouseMove(const TMouseMoveEvent& handler, QObject* sender, QMouseEvent* event, qreal scale = 1);
