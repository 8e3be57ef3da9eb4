// A headless Wayland session for the end-to-end tests: sway with XWayland,
// run by an ordinary user (sway will not run as root), its own D-Bus session
// with the Screenshot portal, and one virtual pointer and keyboard for real
// input.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QSize>
#include <QStringList>

// Starts the session: one 1920x1080 output, or two side by side with the
// second at scale 2, showing knownPicture() as the background of each. With
// withPortal the real Screenshot portal is on the session's bus.
bool startSway(int outputs, bool withPortal);
void stopSway();
bool onWayland();
// The same session on headless gnome-shell, with the GNOME Screenshot portal,
// screenshots allowed beforehand and the overview left. No virtual pointer
// there: xdotool's (XTEST) reaches the X11 windows.
bool startGnomeShell();
bool onGnomeShell();
bool onSway();
// The screen as gnome-shell shows it.
QImage gnomeShellScreenshot();
// The size of the output layout, in layout (logical) pixels.
QSize swayLayout();
// Puts a stand-in portal on the bus that answers every Screenshot request
// with this response code (1: cancelled, 2: failed).
bool useRefusingPortal(int code);
// A process started as the session's user, with the session's environment,
// in a process group of its own.
void prepareSessionProcess(QProcess& process);
// Hands a folder and everything in it to the session's user.
void giveFolderToSessionUser(const QString& folder);
// Runs a command in the session and returns what it printed.
QByteArray inSession(const QStringList& command, int timeoutMs = 15000);
// The virtual pointer: moves to a point of the layout, presses or releases
// the left button.
void swayPointerMove(QPoint p);
void swayPointerButton(bool down);
// A key with its modifiers, as xdotool names them ("ctrl+z", "Return"),
// typed on the virtual keyboard, which has a plain US layout.
void swayKey(const QString& name);
// Ends a process started with prepareSessionProcess and all its group.
void endProcessGroup(QProcess& process);
