// What the program's own windows show on the screen, drawn by the program
// itself: on a Wayland desktop no client can read the screen back, but where
// only the program's windows lie, it knows every pixel there.
#pragma once

#include <QImage>
#include <QRect>

// The rectangle (device pixels of the desktop) as the program's windows
// that are on the screen show it, larger windows beneath smaller ones;
// `covered` tells whether they cover all of it (elsewhere it is black).
QImage composeOwnWindows(const QRect& rect, bool* covered);
