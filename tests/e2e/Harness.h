// Drives the built program on a real X server: its own Xvfb, real mouse and
// keys through xdotool, real screen grabs and real files in a fresh folder.
#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// Starts a virtual display before the Qt application exists; the tests'
// own windows and grabs then live on it. Several monitors split the screen
// side by side, as xrandr declares them.
bool startVirtualDisplay(int width, int height, int monitors = 1);
// Starts a desktop on the display: "openbox" (with the tint2 panel) or
// "xfce" (xfwm4 and xfce4-panel in a D-Bus session) or "mutter" (in a D-Bus
// session, without a panel); "" leaves it bare.
// Returns once the window manager and its panel are up.
bool startDesktop(const QString& name);
// Stops the desktop, then the display.
void stopVirtualDisplay();
// A test program's main: the tests made and run by runTests see a virtual
// display of their own through the real X11 platform.
int runOnVirtualDisplay(int argc, char** argv, int width, int height, const std::function<int()>& runTests,
                        int monitors = 1, const QString& desktopName = QString());

// The same on a headless sway session with XWayland ("sway": with the
// Screenshot portal; otherwise without).
int runOnSway(int argc, char** argv, const std::function<int()>& runTests, int outputs, bool withPortal);
// And on headless gnome-shell with XWayland and the GNOME Screenshot portal.
int runOnGnomeShell(int argc, char** argv, const std::function<int()>& runTests);

QString xdotool(const QStringList& args, int timeoutMs = 15000);
// Asks every 100 ms until ready() says yes or the time is up; whether it did.
bool waitFor(const std::function<bool()>& ready, int timeoutMs);
void mouseMove(QPoint p);
void click(QPoint p, int button = 1);
// Presses at from, moves through the points in small steps, releases at the
// last (with beforeRelease run just before, while the button is held).
void drag(QPoint from, const QList<QPoint>& path, int button = 1, const std::function<void()>& beforeRelease = {});
void key(const QString& name);
void type(const QString& text);
// Waits for a window whose title matches exactly; returns its id or "".
QString findWindow(const QString& title, int timeoutMs = 15000);
// The inside of a window, on the screen.
QRect windowGeometry(const QString& id);
// Where the window stays: sway places a window a moment after it maps it.
QRect settledGeometry(const QString& id);
// The window with the frame the window manager draws around it.
QRect frameGeometry(const QString& id);
// The part of the screen that panels leave to windows.
QRect workArea();
// The program's windows that have an entry of their own in the task list.
QStringList taskListEntries();
// Asks the window manager to close a window, as its close box does.
void closeWindow(const QString& id);
QImage grabScreen();
// Lets the tests' own windows repaint while the program works.
void pause(int ms);

// A D-Bus session of the test's own; the desktop's accessibility bus starts
// in it when a program first asks for it.
class SessionBus {
public:
    SessionBus();
    ~SessionBus();
    QString address; // "" when no bus could be started
private:
    QTemporaryDir runtime_; // the accessibility bus's socket, apart from any other session's
    QProcess daemon_;
};
// The buttons, check boxes and text boxes of a window as a screen reader reads
// them over the accessibility bus, as "role=name" lines.
QStringList accessibleControls(const SessionBus& bus, const QString& windowTitle);

// One copy of the program in a folder of its own.
class Program {
public:
    Program();
    ~Program();
    QString folder() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& name) const;
    // Starts the program and waits for the bar; returns the bar's window id.
    QString start(bool waitForBar = true);
    // Waits for the bar to be framed and placed; returns its window id.
    QString waitForBar();
    // Set before start: the desktop's scale factor for the program, and
    // further variables of its environment ("NAME=value").
    int scale = 1;
    QStringList environment;
    bool waitForExit(int timeoutMs = 15000);
    void kill();
    // Sends a signal to the running program.
    void signal(int number);
    bool running() const { return process_.state() != QProcess::NotRunning; }
    // A point of the bar's client area on the screen.
    QPoint onBar(int x, int y) const { return barOrigin_ + QPoint(x, y) * scale; }
    QString bar;

private:
    QTemporaryDir dir_;
    QProcess process_;
    QPoint barOrigin_;
};

// A full-screen window of the tests' own showing a known picture.
QImage knownPicture(int width, int height);
