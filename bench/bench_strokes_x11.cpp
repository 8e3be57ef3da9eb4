// CPU per pointer move of a stroke, as the user drives it: 1000 real pointer
// moves (xdotool, 200 a second) over a captured 1920x1080 (or the given) screen,
// read from /proc/<pid>/task/*/schedstat for the program and for the X server.
// Each tool against the floor of the same program hovering along the same path,
// and the rectangle and freehand also against Flameshot's rectangle and pencil
// in the same run (Flameshot under a private D-Bus session).
// Arguments: width height rounds (1920 1080 3). With BENCH_SCREENSHOTS=folder
// the screen at the end of each stroke is saved there; with BENCH_PERF=folder
// each stroke of the program is also recorded there by perf (perf report -i);
// BENCH_PEER=0 leaves Flameshot out.
#include "Harness.h"
#include "XWatch.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <csignal>
#include <unistd.h>
#include <cstdio>

namespace {

constexpr int Moves = 1000;

struct Cost {
    double program = 0, server = 0; // microseconds per move
};

// A hand's wander: small steps along a slow loop, kept inside area.
QStringList path(const QRect& area, bool pressed)
{
    QStringList args;
    const QPoint c = area.center();
    auto at = [&](int i) {
        const double t = i / 160.0;
        return QPoint(c.x() + int(area.width() / 2.2 * std::sin(t)), c.y() + int(area.height() / 2.2 * std::sin(1.7 * t)));
    };
    args << "mousemove" << QString::number(at(0).x()) << QString::number(at(0).y());
    if (pressed)
        args << "mousedown" << "1";
    for (int i = 1; i <= Moves; ++i)
        args << "sleep" << "0.005" << "mousemove" << QString::number(at(i).x()) << QString::number(at(i).y());
    return args;
}

// Call graphs of the process while it lives, for perf report.
class Recording {
public:
    Recording(int64_t pid, const QString& name)
    {
        const QString folder = qEnvironmentVariable("BENCH_PERF");
        if (folder.isEmpty() || pid <= 0)
            return;
        perf_.start(QStringLiteral("perf"), {"record", "-q", "--call-graph", "dwarf,16384", "-F", "1000", "-p", QString::number(pid), "-o",
                                             QStringLiteral("%1/%2.data").arg(folder, name)});
        perf_.waitForStarted();
        QThread::msleep(300); // perf attaches before the first move
    }
    ~Recording()
    {
        if (perf_.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(perf_.processId()), SIGINT);
        perf_.waitForFinished(30000);
    }

private:
    QProcess perf_;
};

// Runs the moves and waits for the drawing to settle; CPU per move.
Cost measure(XWatch& watch, int64_t pid, const QRect& area, bool pressed, const char* name = "")
{
    const int64_t server = displayServerPid();
    Recording recording(pid, QString::fromLatin1(name));
    // The marks are saved a second after the last change, on another thread:
    // a cost of the pause, not of the moves.
    watch.waitQuiet(1200, 5000);
    waitCpuQuiet(pid, 200, 10000);
    const int64_t p0 = cpuNs(pid), s0 = cpuNs(server);
    runXdotool(path(area, pressed));
    watch.waitQuiet(150, 10000);
    const int64_t p1 = cpuNs(pid), s1 = cpuNs(server);
    if (pressed && !qEnvironmentVariableIsEmpty("BENCH_SCREENSHOTS")) {
        static int shot = 0;
        watch.saveScreen(QStringLiteral("%1/stroke-%2.png").arg(qEnvironmentVariable("BENCH_SCREENSHOTS")).arg(++shot));
    }
    if (pressed)
        runXdotool({"mouseup", "1"});
    return Cost{(p1 - p0) / 1e3 / Moves, (s1 - s0) / 1e3 / Moves};
}

// CPU a second while nothing happens (timers and watchers that tick), once
// what the last action left for later is done.
double idleUsPerSecond(XWatch& watch, int64_t pid)
{
    watch.waitQuiet(1200, 5000);
    waitCpuQuiet(pid, 200, 10000);
    Recording recording(pid, QStringLiteral("idle"));
    const int64_t p0 = cpuNs(pid);
    const double t0 = XWatch::nowMs();
    QThread::msleep(2000);
    return (cpuNs(pid) - p0) / 1e3 / ((XWatch::nowMs() - t0) / 1e3);
}

struct Tool {
    explicit Tool(const char* n) : name(n) {}
    const char* name;
    QList<double> program, server;
    void add(Cost c) { program << c.program, server << c.server; }
};

void print(const Tool& tool, const Tool& floor)
{
    const double p = median(tool.program), f = median(floor.program);
    std::printf("  %-28s program %7.1f us (%5.1f above hover)  X server %6.1f us\n", tool.name, p, p - f,
                median(tool.server));
}

void ratio(const char* what, const Tool& ours, const Tool& oursHover, const Tool& peer, const Tool& peerHover)
{
    const double a = median(ours.program), b = median(peer.program);
    const double aa = a - median(oursHover.program), bb = b - median(peerHover.program);
    std::printf("  %s: %.2f x Flameshot's CPU per move (%.2f x counting only the work above hover)\n", what, a / b,
                aa / bb);
}

// The bare Qt surface, run as a process of its own (this program with
// --bare-surface): the snapshot painted rectangle by rectangle, and while a
// button is down a rubber band drawn over it and repainted along its edges.
class BareSurface : public QWidget {
public:
    BareSurface()
    {
        setWindowTitle(QStringLiteral("bare surface"));
        setWindowFlags(Qt::FramelessWindowHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_StaticContents);
        setMouseTracking(true);
        picture_ = QImage(screen()->size(), QImage::Format_RGB32);
        picture_.fill(Qt::darkCyan);
        setGeometry(screen()->geometry());
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter p(this);
        for (const QRect& r : event->region())
            p.drawImage(r.topLeft(), picture_, r);
        if (band_.isValid())
            p.setPen(Qt::red), p.drawRect(band_);
    }
    void mousePressEvent(QMouseEvent* e) override { band_ = QRect(e->position().toPoint(), QSize(1, 1)); }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!(e->buttons() & Qt::LeftButton))
            return;
        update(edges(band_));
        band_ = QRect(band_.topLeft(), e->position().toPoint()).normalized();
        update(edges(band_));
    }
    void mouseReleaseEvent(QMouseEvent*) override
    {
        update(edges(band_));
        band_ = QRect();
    }

private:
    static QRegion edges(const QRect& r)
    {
        return QRegion(r.adjusted(-1, -1, 1, 1)) - QRegion(r.adjusted(1, 1, -1, -1));
    }
    QImage picture_;
    QRect band_;
};

int runBareSurface(int argc, char** argv)
{
    QApplication app(argc, argv);
    BareSurface surface;
    surface.show();
    return app.exec();
}

void tap(QPoint p) { runXdotool({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"}); }

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--bare-surface")
        return runBareSurface(argc, argv);
    QCoreApplication app(argc, argv);
    const QSize screen(argc > 2 ? atoi(argv[1]) : 1920, argc > 2 ? atoi(argv[2]) : 1080);
    const int rounds = argc > 3 ? atoi(argv[3]) : 3;
    if (!startVirtualDisplay(screen.width(), screen.height()))
        return 1;
    const QRect area(screen.width() / 4, screen.height() / 4, screen.width() / 2, screen.height() / 2);
    const QPoint bottom(0, screen.height() - 43);
    Tool hover("hover (floor)"), rectangle("rectangle drag"), freehand("freehand stroke");
    Tool bareHover("bare Qt surface hover"), bareDrag("bare Qt rubber band");
    Tool peerHover("Flameshot hover"), peerRectangle("Flameshot rectangle"), peerPencil("Flameshot pencil");
    QList<double> idle;
    bool peerRan = false;
    {
        XWatch watch;
        if (!watch.ok()) {
            std::fprintf(stderr, "no Damage extension on the display\n");
            return 1;
        }
        for (int round = 0; round < rounds; ++round) {
            Program program;
            if (program.start().isEmpty())
                return 1;
            const int64_t pid = watch.windowPid(program.bar.toUInt());
            tap(program.onBar(152, 20)); // the full bar, along the bottom
            watch.waitQuiet(300, 3000);
            tap(bottom + QPoint(49, 20)); // "Capture"
            watch.waitMapped(QStringLiteral("fViewer"), 10000);
            idle << idleUsPerSecond(watch, pid);
            hover.add(measure(watch, pid, area, false, "hover"));
            freehand.add(measure(watch, pid, area, true, "freehand")); // the tool of a first run
            tap(bottom + QPoint(676, 22));                             // the rectangle
            rectangle.add(measure(watch, pid, area, true, "rectangle"));
            program.kill();
            std::fprintf(stderr, "round %d: the program measured, now the bare Qt surface\n", round + 1);

            QProcess bare;
            bare.start(QCoreApplication::applicationFilePath(), {"--bare-surface"});
            if (watch.waitMapped(QStringLiteral("bare surface"), 10000)) {
                bareHover.add(measure(watch, bare.processId(), area, false, "bare-hover"));
                bareDrag.add(measure(watch, bare.processId(), area, true, "bare-drag"));
            }
            bare.kill();
            bare.waitForFinished(5000);

            if (qEnvironmentVariable("BENCH_PEER") == QLatin1String("0"))
                continue; // the program alone, while working on it
            QTemporaryDir home;
            QProcess peer;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("HOME", home.path());
            env.insert("XDG_CONFIG_HOME", home.path());
            QDir(home.path()).mkdir("flameshot");
            QFile config(home.filePath("flameshot/flameshot.ini"));
            if (config.open(QIODevice::WriteOnly)) // straight to drawing, as a user who knows it
                config.write("[General]\nshowHelp=false\nshowStartupLaunchMessage=false\nshowSidePanelButton=false\n"
                             "showDesktopNotification=false\ndisabledTrayIcon=true\n");
            config.close();
            env.remove("QT_QPA_PLATFORM");
            peer.setProcessEnvironment(env);
            // A group of its own, so its D-Bus daemon ends with it whatever happens.
            peer.setChildProcessModifier([] { setsid(); });
            peer.start("dbus-run-session", {"--", "flameshot", "gui"});
            const qint64 peerGroup = peer.processId();
            // Its capture window may get its title only after it is mapped.
            int64_t peerPid = 0;
            watch.forget();
            while (!peerPid)
                if (const uint32_t window = watch.waitMapped(QString(), 15000))
                    peerPid = watch.windowPid(window);
                else
                    break;
            if (peerPid > 0) {
                peerRan = true;
                watch.waitQuiet(500, 5000);
                runXdotool({"mousemove", "20", "20", "mousedown", "1", "sleep", "0.1", "mousemove", "200", "200",
                            "sleep", "0.1", "mousemove", QString::number(screen.width() - 20),
                            QString::number(screen.height() - 20), "sleep", "0.1", "mouseup", "1"}); // the area to draw in
                watch.waitQuiet(300, 3000);
                peerHover.add(measure(watch, peerPid, area, false));
                runXdotool({"key", "p"});
                peerPencil.add(measure(watch, peerPid, area, true));
                runXdotool({"key", "s"}); // the outlined rectangle
                peerRectangle.add(measure(watch, peerPid, area, true));
            }
            std::fprintf(stderr, "round %d: Flameshot %s\n", round + 1, peerPid ? "measured" : "did not start");
            runXdotool({"key", "Escape"}); // Flameshot ends
            peer.waitForFinished(10000);
            if (peerGroup > 0)
                ::kill(-pid_t(peerGroup), SIGTERM);
            peer.waitForFinished(3000);
        }
    }
    stopVirtualDisplay();
    std::printf("CPU per pointer move at %dx%d, %d moves at 200 a second, medians of %d rounds\n", screen.width(),
                screen.height(), Moves, rounds);
    std::printf("  idle surface, no moves        program %7.1f us of CPU a second\n", median(idle));
    for (const Tool* t : {&hover, &rectangle, &freehand})
        print(*t, hover);
    for (const Tool* t : {&bareHover, &bareDrag})
        print(*t, bareHover);
    if (!peerRan) {
        std::printf("  Flameshot did not start (bench/install-bench-deps.sh installs it)\n");
        return 0;
    }
    for (const Tool* t : {&peerHover, &peerRectangle, &peerPencil})
        print(*t, peerHover);
    ratio("rectangle", rectangle, hover, peerRectangle, peerHover);
    ratio("freehand ", freehand, hover, peerPencil, peerHover);
    return 0;
}
