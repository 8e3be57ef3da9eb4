// Capture on a Wayland desktop as the user feels it: a headless sway session
// with XWayland and the screenshot portal, the real program started as a user
// starts it, and Flameshot started the same way for comparison. Measured on
// the X server's own events (windows mapped, the screen drawn):
//  - the portal's own round trip, from a request to its answer, in the session;
//  - the program's click on Capture to the surface painted, beyond the pause
//    that lets the bar go, against that round trip (goal: at most 1.5 times);
//  - the click to the picture shown, against Flameshot's capture (asked for
//    as its shortcut does, its tray program running) to its picture shown
//    (goal: no later); the line says whether that was the tray's capture or
//    the launch of flameshot gui showing the picture itself.
// Argument: rounds (5).
#include "Harness.h"
#include "Sway.h"
#include "XWatch.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr double CapturePauseMs = 200; // the program's wait for the bar to go
const QRect Screen(0, 0, 1920, 1080);

QStringList clickAt(QPoint p)
{
    return {"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"};
}

// The portal alone, timed by a script of ours inside the session.
QList<double> portalRoundTrips(int rounds)
{
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("portal_round_trip.py"));
    QFile::copy(QStringLiteral(QUILLET_BENCH_DIR "/portal_round_trip.py"), script);
    giveFolderToSessionUser(dir.path());
    QList<double> times;
    for (const QByteArray& line : inSession({"/usr/bin/python3", script, QString::number(rounds)}, 60000).split('\n'))
        if (!line.trimmed().isEmpty())
            times << line.toDouble();
    return times;
}

// Click on Capture to the whole surface painted; Remove again.
bool captureRound(XWatch& watch, QPoint capture, QList<double>& shown)
{
    watch.waitQuiet(300, 3000);
    watch.forget();
    const double start = XWatch::nowMs();
    runXdotool(clickAt(capture));
    if (!watch.waitMapped(QStringLiteral("fViewer"), 10000)) {
        std::fprintf(stderr, "the surface was not mapped\n");
        return false;
    }
    const double painted = watch.waitPainted(Screen, 10000);
    if (painted < 0) {
        std::fprintf(stderr, "the surface was not painted\n");
        return false;
    }
    shown << painted - start;
    watch.waitQuiet(300, 3000);
    runXdotool(clickAt(capture)); // "Remove"
    return true;
}

// Flameshot runs as its tray program does, under XWayland; each round asks
// for a capture as its shortcut does (flameshot gui), to its full-screen
// picture painted. This version shows that picture from the launched
// process itself, not from its tray program.
void startFlameshot(QProcess& process, const QStringList& args)
{
    prepareSessionProcess(process);
    QProcessEnvironment env = process.processEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("flameshot"), args);
}

// Its capture window has no WM_NAME (only _NET_WM_NAME, and that may come
// late): known by the process that owns it instead. Returns that process.
int64_t waitMappedBy(XWatch& watch, const QList<int64_t>& owners, int timeoutMs)
{
    const double deadline = XWatch::nowMs() + timeoutMs;
    while (const uint32_t window = watch.waitMapped(QString(), int(std::max(0.0, deadline - XWatch::nowMs())))) {
        const int64_t owner = watch.windowPid(window);
        if (owners.contains(owner))
            return owner;
    }
    return 0;
}

struct PeerRounds {
    QList<double> shown;
    int byTray = 0; // rounds whose picture the tray program showed, not the launched one
};

bool flameshotRound(XWatch& watch, int64_t trayPid, PeerRounds& peer)
{
    watch.waitQuiet(300, 3000);
    watch.forget();
    QProcess gui;
    const double start = XWatch::nowMs();
    startFlameshot(gui, {"gui"});
    const int64_t owner = waitMappedBy(watch, {trayPid, gui.processId()}, 10000);
    const double painted = owner ? watch.waitPainted(Screen, 10000) : -1;
    if (painted >= 0) {
        peer.shown << painted - start;
        peer.byTray += owner == trayPid;
    }
    // Its window takes no keyboard focus from sway (override-redirect under
    // XWayland), so no key would reach it: the capture is ended instead.
    const bool ended = gui.state() == QProcess::NotRunning;
    if (painted < 0)
        std::fprintf(stderr, "flameshot gui %s and showed nothing\n", ended ? "ended" : "ran");
    endProcessGroup(gui);
    return painted >= 0;
}

// Which launch of Flameshot the figure covers.
const char* peerMeasured(const PeerRounds& peer)
{
    if (peer.byTray == peer.shown.size())
        return "Flameshot's capture (its tray program showing it) -> picture shown";
    if (peer.byTray == 0)
        return "Flameshot launched (flameshot gui, which shows the picture itself; its tray's capture is not "
               "measurable) -> picture shown";
    return "Flameshot launched (flameshot gui; picture shown by it or by its tray) -> picture shown";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? atoi(argv[1]) : 5;
    if (!startSway(1, true))
        return 1;
    QList<double> portal, ours;
    PeerRounds peer;
    int failed = 0;
    {
        XWatch watch;
        Program program;
        portal = portalRoundTrips(rounds);
        if (!watch.ok() || portal.size() != rounds || program.start().isEmpty()) {
            std::fprintf(stderr, "no Damage on XWayland, no portal, or the bar did not appear\n");
            failed = 1;
        }
        const QPoint capture = program.onBar(49, 20);
        for (int i = 0; !failed && i < rounds; ++i)
            if (!captureRound(watch, capture, ours)) {
                std::fprintf(stderr, "round %d: the surface did not come\n", i + 1);
                failed = 1;
            }
        program.kill();
        QProcess tray;
        const bool havePeer = QFile::exists(QStringLiteral("/usr/bin/flameshot"));
        if (havePeer) {
            startFlameshot(tray, {});
            watch.waitQuiet(1000, 5000); // until it has settled in
        }
        for (int i = 0; !failed && havePeer && i < rounds; ++i)
            if (!flameshotRound(watch, tray.processId(), peer)) {
                std::fprintf(stderr, "round %d: Flameshot showed no picture\n", i + 1);
                break;
            }
        endProcessGroup(tray);
    }
    stopSway();
    if (failed)
        return 1;
    const double trip = median(portal), shown = median(ours), beyondPause = shown - CapturePauseMs;
    std::printf("capture on headless sway 1920x1080 through the screenshot portal, %d rounds, medians\n", rounds);
    std::printf("  the portal's own round trip:             %.1f ms\n", trip);
    std::printf("  click -> surface painted, beyond the %.0f ms pause: %.1f ms, %.2f x the round trip (goal <= 1.5)\n",
                CapturePauseMs, beyondPause, beyondPause / trip);
    if (peer.shown.isEmpty()) {
        std::printf("  Flameshot not measured: not installed (bench/install-bench-deps.sh installs it), or it showed no picture\n");
    } else {
        const double flameshot = median(peer.shown);
        std::printf("  click -> picture shown: %.1f ms; %s: %.1f ms; %.2f x (goal <= 1)\n", shown,
                    peerMeasured(peer), flameshot, shown / flameshot);
    }
    return 0;
}
