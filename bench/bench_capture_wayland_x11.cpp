// Capture on a Wayland desktop as the user feels it: a headless sway session
// with XWayland and the screenshot portal, the real program started as a user
// starts it, and Flameshot started the same way for comparison. Measured on
// the X server's own events (windows mapped, the screen drawn):
//  - the portal's own round trip, from a request to its answer, in the session;
//  - the program's click on Capture to the surface painted, beyond the pause
//    that lets the bar go, against that round trip (goal: at most 1.5 times);
//  - the click to the picture shown, against Flameshot's capture (asked for
//    as its shortcut does, its tray program running) to its picture shown
//    (goal: no later).
// Argument: rounds (5).
#include "Harness.h"
#include "Sway.h"
#include "XWatch.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
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
// it for a capture as its shortcut does, to its full-screen picture painted.
void startFlameshot(QProcess& process, const QStringList& args)
{
    prepareSessionProcess(process);
    QProcessEnvironment env = process.processEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("flameshot"), args);
}

bool flameshotRound(XWatch& watch, QList<double>& shown)
{
    watch.waitQuiet(300, 3000);
    watch.forget();
    QProcess gui;
    const double start = XWatch::nowMs();
    startFlameshot(gui, {"gui"});
    const bool mapped = watch.waitMapped(QStringLiteral("flameshot"), 10000) != 0;
    const double painted = mapped ? watch.waitPainted(Screen, 10000) : -1;
    if (painted >= 0)
        shown << painted - start;
    runXdotool({"key", "Escape"}); // the capture given up; the tray program stays
    gui.waitForFinished(3000);
    if (painted < 0)
        std::fprintf(stderr, "flameshot gui ended with %d and showed nothing\n", gui.exitCode());
    endProcessGroup(gui);
    return painted >= 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? atoi(argv[1]) : 5;
    if (!startSway(1, true))
        return 1;
    QList<double> portal, ours, peer;
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
            if (!flameshotRound(watch, peer)) {
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
    if (peer.isEmpty()) {
        std::printf("  Flameshot not measured: not installed (bench/install-bench-deps.sh installs it), or it showed no picture\n");
    } else {
        const double flameshot = median(peer);
        std::printf("  click -> picture shown: %.1f ms; Flameshot's capture -> picture shown: %.1f ms; %.2f x (goal <= 1)\n",
                    shown, flameshot, shown / flameshot);
    }
    return 0;
}
