// What kind of desktop session the program runs in. A Wayland session keeps
// the screen's pixels from every X11 client; its desktop's screenshot portal
// is the one way to them.
#pragma once

namespace Session {
// WAYLAND_DISPLAY is set, or the session says it is a Wayland one.
bool IsWayland();
// On a Wayland session with XWayland at hand, and unless the user chose a
// platform himself, runs the program as an X11 client: stay-on-top, placed
// and shaped windows exist there only. Call before the Qt application exists.
void PreferX11OnWayland();
} // namespace Session
