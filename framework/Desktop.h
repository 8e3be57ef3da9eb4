// What the window manager is told about the program's windows beyond what
// the toolkit says: which window a window belongs to, and which windows stay
// out of the task list. Every call does nothing where there is no X display.
#pragma once

#include <QMargins>
#include <QRect>

class QScreen;
class QWidget;
struct xcb_connection_t;

namespace Desktop {
// Makes the window manager keep `window` in the same layer as `owner`, above
// it; a null owner ends that.
void SetTransientFor(QWidget* window, QWidget* owner);
// The frame the window manager draws around the window, as it announces it;
// none before the window is framed, or without a window manager.
QMargins FrameExtents(const QWidget* window);
// Keeps the window out of the task list and the pager.
void SkipTaskbar(QWidget* window);
// Calls the window, before it is mapped, a utility window: one a tiling
// compositor floats at once instead of tiling it first.
void MarkAsUtility(QWidget* window);
// Spreads a full-screen window over every monitor of the desktop.
void CoverAllMonitors(QWidget* window);
// The part of the monitor that panels leave to windows: the toolkit's
// available geometry, less the panels along the monitor's bottom that
// reserve no strip of it (xfce's dock).
QRect WorkArea(const QScreen* screen);
// The toolkit's own connection to the X display; null on other platforms.
xcb_connection_t* Connection();
// Whether the display keeps the pixels of its windows as 32-bit BGRX words,
// byte for byte as an RGB32 bitmap holds them.
bool PlainPixels();
// Whether the X server is the X11 side of a Wayland desktop, which gives no
// pixels of the screen to its clients.
bool IsXWayland();
} // namespace Desktop
