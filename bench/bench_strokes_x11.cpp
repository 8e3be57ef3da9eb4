// CPU per pointer move of a stroke, as the user drives it: 1000 real pointer
// moves (xdotool, 200 a second) over a captured 1920x1080 (or the given) screen,
// read from /proc/<pid>/task/*/schedstat for the program and for the X server.
// Each tool against the floor of the same program hovering along the same path,
// and the rectangle and freehand also against Flameshot's rectangle and pencil
// in the same run (Flameshot under a private D-Bus session).
// Arguments: width height rounds (1920 1080 3). With BENCH_SCREENSHOTS=folder
// the screen at the end of each stroke is saved there; BENCH_PEER=0 leaves
// Flameshot out.
#include "Harness.h"
#include "XWatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
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

// Runs the moves and waits for the drawing to settle; CPU per move.
Cost measure(XWatch& watch, int64_t pid, const QRect& area, bool pressed)
{
    const int64_t server = displayServerPid();
    watch.waitQuiet(300, 5000);
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

void tap(QPoint p) { runXdotool({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"}); }

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QSize screen(argc > 2 ? atoi(argv[1]) : 1920, argc > 2 ? atoi(argv[2]) : 1080);
    const int rounds = argc > 3 ? atoi(argv[3]) : 3;
    if (!startVirtualDisplay(screen.width(), screen.height()))
        return 1;
    const QRect area(screen.width() / 4, screen.height() / 4, screen.width() / 2, screen.height() / 2);
    const QPoint bottom(0, screen.height() - 43);
    Tool hover("hover (floor)"), rectangle("rectangle drag"), freehand("freehand stroke");
    Tool peerHover("Flameshot hover"), peerRectangle("Flameshot rectangle"), peerPencil("Flameshot pencil");
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
            hover.add(measure(watch, pid, area, false));
            freehand.add(measure(watch, pid, area, true)); // the tool of a first run
            tap(bottom + QPoint(676, 22));                 // the rectangle
            rectangle.add(measure(watch, pid, area, true));
            program.kill();
            std::fprintf(stderr, "round %d: the program measured, now Flameshot\n", round + 1);

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
    for (const Tool* t : {&hover, &rectangle, &freehand})
        print(*t, hover);
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
