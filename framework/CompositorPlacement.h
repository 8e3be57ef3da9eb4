// Where a Wayland compositor places the program's X11 windows itself. sway
// centres every floating X11 window when it maps it and whenever the window
// asks to move, so there the program asks sway, through its command socket,
// to put the window where the program put it, floating (a borderless window
// of no fixed size would be tiled). Elsewhere nothing happens.
#pragma once

#include <QPoint>

class QWidget;

namespace CompositorPlacement {
// Whether a compositor places the windows here. A shown window that asks the
// X server to move is centred by it again.
bool PlacesWindows();
// Puts the window's frame at that point of the desktop now, and again each
// time the window comes back on the screen after being hidden (where the user
// last left it).
void Place(QWidget* window, QPoint frameTopLeft);
// Has the compositor move the window with the pointer, from the press just
// made in it until the button goes up, where the program cannot move it
// itself: on sway the X server's idea of where the pointer is runs ahead of a
// window moving under it. No motion comes meanwhile. False elsewhere, or
// when the compositor declines.
bool MoveWithPointer(QWidget* window);
// The button is up: the window stays where the compositor left it.
void MovedWithPointer(QWidget* window);
// Brings the window to the front. sway stacks the X11 windows only by giving
// one the focus; a window it shows in front but the X server keeps behind
// another would let that other one take the pointer's clicks.
void Raise(QWidget* window);
// Spreads a full-screen window over every output: sway's own full screen
// covers one, and shows a larger window squeezed into it.
void CoverAllOutputs(QWidget* window);
} // namespace CompositorPlacement
