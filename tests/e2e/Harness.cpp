#include "Harness.h"

#include "Sway.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {
pid_t xvfb = 0;
pid_t desktop = 0;
QTemporaryDir desktopHome;

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(15000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

void declareMonitors(int width, int height, int monitors)
{
    const int each = width / monitors;
    for (int i = 0; i < monitors; ++i)
        run(QStringLiteral("xrandr"), {"--setmonitor", QStringLiteral("M%1").arg(i),
                                       QStringLiteral("%1/%2x%3/%4+%5+0").arg(each).arg(each / 4).arg(height).arg(height / 4).arg(i * each),
                                       "none"});
}
} // namespace

bool waitFor(const std::function<bool()>& ready, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (ready())
            return true;
        QThread::msleep(100);
    }
    return false;
}

bool startDesktop(const QString& name)
{
    QString command, panel;
    if (name == QStringLiteral("openbox"))
        command = QStringLiteral("openbox & sleep 0.5; tint2 & wait"), panel = QStringLiteral("tint2");
    else if (name == QStringLiteral("xfce"))
        command = QStringLiteral("exec dbus-run-session -- sh -c 'xfwm4 & sleep 0.5; xfce4-panel & wait'"),
        panel = QStringLiteral("xfce4-panel");
    else if (name == QStringLiteral("mutter"))
        command = QStringLiteral("exec dbus-run-session -- mutter --x11 --replace");
    else
        return name.isEmpty();
    desktop = fork();
    if (desktop == 0) {
        setpgid(0, 0); // stopped as one group: the session, its bus, its panel
        const QByteArray home = desktopHome.path().toLocal8Bit();
        setenv("XDG_CONFIG_HOME", home.constData(), 1);
        setenv("XDG_CACHE_HOME", home.constData(), 1);
        execl("/bin/sh", "sh", "-c", command.toLocal8Bit().constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    setpgid(desktop, desktop);
    const bool up = waitFor([&] {
        return run(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains('#') &&
               (panel.isEmpty() || !run(QStringLiteral("xdotool"), {"search", "--class", panel}).isEmpty());
    }, 20000);
    QThread::msleep(1500); // the panel reserves its strip and draws
    return up;
}

bool startVirtualDisplay(int width, int height, int monitors)
{
    for (int display = 91; display < 120; ++display) {
        if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)) ||
            QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)))
            continue;
        const QByteArray name = ":" + QByteArray::number(display);
        const QByteArray screen = QByteArray::number(width) + "x" + QByteArray::number(height) + "x24";
        xvfb = fork();
        if (xvfb == 0) {
            execlp("Xvfb", "Xvfb", name.constData(), "-screen", "0", screen.constData(), "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100; ++i) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display))) {
                qputenv("DISPLAY", name);
                QThread::msleep(200);
                if (monitors > 1)
                    declareMonitors(width, height, monitors);
                return true;
            }
            int status = 0;
            if (waitpid(xvfb, &status, WNOHANG) == xvfb)
                break; // this display was taken after all
            QThread::msleep(50);
        }
    }
    return false;
}

void stopVirtualDisplay()
{
    if (desktop > 0) {
        ::kill(-desktop, SIGTERM);
        waitpid(desktop, nullptr, 0);
        desktop = 0;
    }
    if (xvfb > 0) {
        ::kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
        xvfb = 0;
    }
}

int runOnVirtualDisplay(int argc, char** argv, int width, int height, const std::function<int()>& runTests,
                        int monitors, const QString& desktopName)
{
    if (desktopName == QStringLiteral("gnome-shell"))
        return runOnGnomeShell(argc, argv, runTests);
    if (desktopName.startsWith(QStringLiteral("sway")))
        return runOnSway(argc, argv, runTests, monitors, desktopName == QStringLiteral("sway"));
    if (!startVirtualDisplay(width, height, monitors)) {
        qWarning("could not start a virtual display");
        return 1;
    }
    if (!startDesktop(desktopName)) {
        qWarning("could not start the desktop %s", qPrintable(desktopName));
        stopVirtualDisplay();
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 0;
    {
        QApplication app(argc, argv);
        // An X session has a session bus. Without one, each start of the
        // program has the bus library fork a launcher to start a bus of its
        // own, and a child forked while the program's other threads allocate
        // can hang under the address sanitizer before it runs the launcher.
        const SessionBus bus;
        if (!bus.address.isEmpty())
            qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address.toLocal8Bit());
        result = runTests();
    }
    stopVirtualDisplay();
    return result;
}

int runOnGnomeShell(int argc, char** argv, const std::function<int()>& runTests)
{
    int result = 1;
    if (startGnomeShell()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        QApplication app(argc, argv);
        result = runTests();
    }
    stopSway();
    return result;
}

int runOnSway(int argc, char** argv, const std::function<int()>& runTests, int outputs, bool withPortal)
{
    int result = 1;
    if (startSway(outputs, withPortal)) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        QApplication app(argc, argv);
        result = runTests();
    }
    stopSway();
    return result;
}

QString xdotool(const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    QElapsedTimer clock;
    clock.start();
    while (!p.waitForFinished(20)) {
        QCoreApplication::processEvents();
        if (clock.elapsed() > timeoutMs) {
            p.kill();
            p.waitForFinished();
            return QString();
        }
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

void pause(int ms) { QTest::qWait(ms); }

namespace {
// The pointer moves, without a pause: on sway the virtual pointer's, which
// every client sees, otherwise xdotool's.
void pointerTo(QPoint p)
{
    if (onSway())
        swayPointerMove(p);
    else
        xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
}

void pressButton(int button, bool down)
{
    if (onSway())
        swayPointerButton(down);
    else
        xdotool({down ? "mousedown" : "mouseup", QString::number(button)});
}
} // namespace

void mouseMove(QPoint p)
{
    pointerTo(p);
    pause(30);
}

void click(QPoint p, int button)
{
    mouseMove(p);
    if (onSway()) {
        pressButton(button, true);
        pause(40);
        pressButton(button, false);
    } else {
        xdotool({"click", QString::number(button)});
    }
    pause(150);
}

void drag(QPoint from, const QList<QPoint>& path, int button, const std::function<void()>& beforeRelease)
{
    mouseMove(from);
    pressButton(button, true);
    pause(60);
    QPoint at = from;
    for (const QPoint& to : path) {
        const int steps = qMax(1, (to - at).manhattanLength() / 12);
        for (int i = 1; i <= steps; ++i) {
            pointerTo(at + (to - at) * i / steps);
        }
        at = to;
        pause(30);
    }
    if (beforeRelease)
        beforeRelease();
    pressButton(button, false);
    pause(200);
}

void key(const QString& name)
{
    if (onSway())
        swayKey(name);
    else
        xdotool({"key", name});
    pause(150);
}

void type(const QString& text)
{
    xdotool({"type", "--delay", "30", text});
    pause(150);
}

QString findWindow(const QString& title, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        const QString ids = xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}, 3000);
        if (!ids.isEmpty())
            return ids.split('\n').last();
        pause(100);
    }
    return QString();
}

namespace {
// The numbers of an xprop line such as "_NET_WORKAREA(CARDINAL) = 0, 27, 1280, 773".
QList<int> propertyNumbers(const QString& window, const QString& property)
{
    const QStringList args = window.isEmpty() ? QStringList{"-root", property} : QStringList{"-id", window, property};
    const QString line = run(QStringLiteral("xprop"), args);
    QList<int> numbers;
    if (line.contains('='))
        for (const QString& n : line.section('=', 1).split(','))
            numbers << n.trimmed().toInt();
    return numbers;
}
} // namespace

QRect windowGeometry(const QString& id)
{
    QRect r;
    for (const QString& line : run(QStringLiteral("xwininfo"), {"-id", id}).split('\n')) {
        const int v = line.section(':', 1).trimmed().toInt();
        if (line.contains("Absolute upper-left X")) r.moveLeft(v);
        if (line.contains("Absolute upper-left Y")) r.moveTop(v);
        if (line.trimmed().startsWith("Width:")) r.setWidth(v);
        if (line.trimmed().startsWith("Height:")) r.setHeight(v);
    }
    return r;
}

QRect settledGeometry(const QString& id)
{
    QRect last = windowGeometry(id);
    for (int i = 0; i < 10; ++i) {
        pause(300);
        const QRect now = windowGeometry(id);
        if (now == last)
            break;
        last = now;
    }
    return last;
}

QRect frameGeometry(const QString& id)
{
    const QList<int> e = propertyNumbers(id, QStringLiteral("_NET_FRAME_EXTENTS"));
    const QRect inside = windowGeometry(id);
    return e.size() == 4 ? inside.adjusted(-e[0], -e[2], e[1], e[3]) : inside;
}

QRect workArea()
{
    const QList<int> a = propertyNumbers(QString(), QStringLiteral("_NET_WORKAREA"));
    QRect area = a.size() >= 4 ? QRect(a[0], a[1], a[2], a[3]) : QGuiApplication::primaryScreen()->virtualGeometry();
    // A panel along the bottom that reserves no strip (xfce's dock) is to be
    // kept clear all the same.
    const QString list = run(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST"});
    for (const QString& id : list.section('#', 1).split(',', Qt::SkipEmptyParts)) {
        if (!run(QStringLiteral("xprop"), {"-id", id.trimmed(), "_NET_WM_WINDOW_TYPE"}).contains("_DOCK"))
            continue;
        const QRect dock = windowGeometry(id.trimmed());
        if (dock.intersects(area) && dock.bottom() >= area.bottom() && dock.top() > area.center().y())
            area.setBottom(dock.top() - 1);
    }
    return area;
}

QStringList taskListEntries()
{
    QStringList entries;
    const QString list = run(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST"});
    for (const QString& id : list.section('#', 1).split(',', Qt::SkipEmptyParts)) {
        const QString window = id.trimmed();
        if (!run(QStringLiteral("xprop"), {"-id", window, "WM_CLASS"}).contains("quillet") ||
            run(QStringLiteral("xprop"), {"-id", window, "_NET_WM_STATE"}).contains("SKIP_TASKBAR"))
            continue;
        entries << run(QStringLiteral("xprop"), {"-id", window, "_NET_WM_NAME"}).section('"', 1, 1);
    }
    return entries;
}

void closeWindow(const QString& id) { run(QStringLiteral("wmctrl"), {"-i", "-c", id}); }

namespace {
// What the compositor shows, every output at one pixel a layout pixel.
QImage grabSession()
{
    if (onGnomeShell())
        return gnomeShellScreenshot();
    return QImage::fromData(inSession({"grim", "-s", "1", "-t", "ppm", "-"}), "PPM").convertToFormat(QImage::Format_RGB32);
}
} // namespace

QImage grabScreen()
{
    // The whole desktop, every monitor, once it holds still: a compositor
    // shows the last repaint a frame or two late.
    const QRect all = QGuiApplication::primaryScreen()->virtualGeometry();
    QImage last;
    for (int i = 0; i < 10; ++i) {
        pause(100);
        if (onWayland()) {
            const QImage now = grabSession();
            if (now == last)
                break;
            last = now;
            continue;
        }
        const QImage now = QGuiApplication::primaryScreen()
                               ->grabWindow(0, all.x(), all.y(), all.width(), all.height())
                               .toImage()
                               .convertToFormat(QImage::Format_RGB32);
        if (now == last)
            break;
        last = now;
    }
    return last;
}

QImage knownPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(40 + (x / 64) * 12 % 160, 60 + (y / 48) * 9 % 150, 200));
    return image;
}

Program::Program()
{
    QDir(dir_.path()).mkdir(QStringLiteral("Stamps"));
    QFile::copy(QStringLiteral(QUILLET_BINARY), dir_.filePath(QStringLiteral("quillet")));
    QFile::copy(QStringLiteral(QUILLET_STAMP), dir_.filePath(QStringLiteral("Stamps/3dArrow-rt.bmp")));
    QFile::setPermissions(dir_.filePath(QStringLiteral("quillet")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (onWayland())
        giveFolderToSessionUser(dir_.path()); // the program runs as the session's user there
}

Program::~Program()
{
    if (running())
        kill();
}

void Program::writeFile(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

QByteArray Program::readFile(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

SessionBus::SessionBus()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    daemon_.setProcessEnvironment(env);
    daemon_.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (daemon_.waitForStarted() && daemon_.waitForReadyRead(5000))
        address = QString::fromUtf8(daemon_.readLine()).trimmed();
}

SessionBus::~SessionBus()
{
    daemon_.terminate();
    if (!daemon_.waitForFinished(3000))
        daemon_.kill();
}

QStringList accessibleControls(const SessionBus& bus, const QString& windowTitle)
{
    static const char* const reader = R"(
import sys, pyatspi
def walk(node):
    for child in node:
        if child is None:
            continue
        if child.getRoleName() in ("push button", "toggle button", "check box", "text", "entry"):
            print(child.getRoleName() + "=" + child.name)
        walk(child)
for app in pyatspi.Registry.getDesktop(0):
    for window in (app or []):
        if window is not None and window.name == sys.argv[1]:
            walk(window)
            sys.exit(0)
sys.exit(1)
)";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address);
    // The program shows up on the bus a moment after its window.
    for (int attempt = 0; attempt < 10; ++attempt) {
        QProcess python;
        python.setProcessEnvironment(env);
        python.start(QStringLiteral("/usr/bin/python3"), {"-c", QString::fromLatin1(reader), windowTitle});
        python.waitForFinished(15000);
        if (python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0)
            return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        pause(500);
    }
    return {};
}

QString Program::start(bool waitForBar)
{
    if (onWayland())
        prepareSessionProcess(process_);
    QProcessEnvironment env = onWayland() ? process_.processEnvironment() : QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // The X11 rows try the X11 path, whatever session the tests run in.
    if (!onWayland())
        for (const char* variable : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "SWAYSOCK"})
            env.remove(QLatin1String(variable));
    if (scale != 1)
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    for (const QString& variable : environment)
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.start(file(QStringLiteral("quillet")), {});
    process_.waitForStarted();
    return waitForBar ? this->waitForBar() : QString();
}

QString Program::waitForBar()
{
    bar = findWindow(QStringLiteral("Screen Quillet"));
    // A window manager frames and places the bar a moment after it shows.
    if (!bar.isEmpty())
        barOrigin_ = settledGeometry(bar).topLeft();
    return bar;
}

bool Program::waitForExit(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (running() && clock.elapsed() < timeoutMs) {
        process_.waitForFinished(20);
        QCoreApplication::processEvents();
    }
    return !running();
}

void Program::signal(int number)
{
    if (running())
        ::kill(pid_t(process_.processId()), number);
}

void Program::kill()
{
    process_.kill();
    process_.waitForFinished(5000);
}
