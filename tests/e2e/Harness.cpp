#include "Harness.h"

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
#include <sys/wait.h>
#include <unistd.h>

namespace {
pid_t xvfb = 0;
}

bool startVirtualDisplay(int width, int height)
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
    if (xvfb > 0) {
        ::kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
        xvfb = 0;
    }
}

int runOnVirtualDisplay(int argc, char** argv, int width, int height, const std::function<int()>& runTests)
{
    if (!startVirtualDisplay(width, height)) {
        qWarning("could not start a virtual display");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 0;
    {
        QApplication app(argc, argv);
        result = runTests();
    }
    stopVirtualDisplay();
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

void mouseMove(QPoint p)
{
    xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
    pause(30);
}

void click(QPoint p, int button)
{
    mouseMove(p);
    xdotool({"click", QString::number(button)});
    pause(150);
}

void drag(QPoint from, const QList<QPoint>& path, int button)
{
    mouseMove(from);
    xdotool({"mousedown", QString::number(button)});
    pause(60);
    QPoint at = from;
    for (const QPoint& to : path) {
        const int steps = qMax(1, (to - at).manhattanLength() / 12);
        for (int i = 1; i <= steps; ++i) {
            const QPoint p = at + (to - at) * i / steps;
            xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
        }
        at = to;
        pause(30);
    }
    xdotool({"mouseup", QString::number(button)});
    pause(200);
}

void key(const QString& name)
{
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

QRect windowGeometry(const QString& id)
{
    const QString shell = xdotool({"getwindowgeometry", "--shell", id});
    QRect r;
    for (const QString& line : shell.split('\n')) {
        const QStringList kv = line.split('=');
        if (kv.size() != 2)
            continue;
        const int v = kv[1].toInt();
        if (kv[0] == "X") r.moveLeft(v);
        if (kv[0] == "Y") r.moveTop(v);
        if (kv[0] == "WIDTH") r.setWidth(v);
        if (kv[0] == "HEIGHT") r.setHeight(v);
    }
    return r;
}

QImage grabScreen()
{
    pause(100);
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
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

QString Program::start(bool waitForBar)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.start(file(QStringLiteral("quillet")), {});
    process_.waitForStarted();
    if (!waitForBar)
        return QString();
    bar = findWindow(QStringLiteral("Screen Quillet"));
    if (!bar.isEmpty()) {
        pause(300);
        barOrigin_ = windowGeometry(bar).topLeft();
    }
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
