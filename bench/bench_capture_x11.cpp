// Capture as the user feels it, on a virtual display with the real program:
// from the click on Capture to the surface painted with the snapshot, and to
// Screen.bmp complete on disk, beyond the pause that lets the bar go. The
// first capture after a start pays what later ones find ready, so each round
// starts the program afresh and takes a first capture and a later one. The
// floor, measured in the same round: a shared-memory grab of the root window
// and one full-frame put. Arguments: width height rounds (1920 1080 5).
#include "Harness.h"
#include "XWatch.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {

constexpr double CapturePauseMs = 200; // the program's wait for the bar to go

struct Capture {
    QList<double> painted, saved;
};

struct Figures {
    Capture first, later;
    QList<double> floor, clickCost;
};

QStringList clickAt(QPoint p)
{
    return {"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"};
}

// Capture, then Remove once the surface has settled.
bool captureOnce(XWatch& watch, Program& program, QPoint capture, QSize screen, Capture& c)
{
    FolderWatch folder(program.folder());
    watch.waitQuiet(300, 3000);
    watch.forget();
    const double start = XWatch::nowMs();
    runXdotool(clickAt(capture));
    if (!watch.waitMapped(QStringLiteral("fViewer"), 10000))
        return false;
    const double painted = watch.waitPainted(QRect(QPoint(0, 0), screen), 10000);
    const double saved = folder.waitFor(QStringLiteral("Screen.bmp"), 10000);
    if (painted < 0 || saved < 0)
        return false;
    c.painted << painted - start - CapturePauseMs;
    c.saved << saved - start - CapturePauseMs;
    watch.waitQuiet(300, 3000);
    runXdotool(clickAt(capture)); // "Remove"
    watch.waitQuiet(300, 3000);
    return true;
}

bool oneRound(XWatch& watch, QSize screen, Figures& f)
{
    Program program; // a fresh start in a fresh folder
    if (program.start().isEmpty())
        return false;
    const QPoint capture = program.onBar(49, 20);
    const bool captured = captureOnce(watch, program, capture, screen, f.first) &&
                          captureOnce(watch, program, capture, screen, f.later);
    program.kill();
    if (!captured)
        return false;
    f.floor << watch.grabAndPutFloorMs();
    const double before = XWatch::nowMs();
    runXdotool({"mousemove", QString::number(capture.x()), QString::number(capture.y())});
    f.clickCost << XWatch::nowMs() - before;
    return true;
}

void report(const char* which, const Capture& c, double floor)
{
    const double painted = median(c.painted), saved = median(c.saved);
    std::printf("  %s capture: click -> surface painted %.1f ms (%.1f x the floor), -> Screen.bmp saved %.1f ms (%.1f x)\n",
                which, painted, painted / floor, saved, saved / floor);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QSize screen(argc > 2 ? atoi(argv[1]) : 1920, argc > 2 ? atoi(argv[2]) : 1080);
    const int rounds = argc > 3 ? atoi(argv[3]) : 5;
    if (!startVirtualDisplay(screen.width(), screen.height()))
        return 1;
    int failed = 0;
    Figures f;
    {
        XWatch watch;
        if (!watch.ok()) {
            std::fprintf(stderr, "no display or no Damage extension\n");
            failed = 1;
        }
        for (int i = 0; !failed && i < rounds; ++i)
            if (!oneRound(watch, screen, f)) {
                std::fprintf(stderr, "round %d: the bar, the surface or Screen.bmp did not come\n", i + 1);
                failed = 1;
            }
    }
    stopVirtualDisplay();
    if (failed)
        return 1;
    const double floor = median(f.floor);
    std::printf("capture at %dx%d, %d rounds of a fresh start, medians beyond the %.0f ms pause (xdotool's own start %.1f ms included)\n",
                screen.width(), screen.height(), rounds, CapturePauseMs, median(f.clickCost));
    std::printf("  floor (shared-memory grab + full put): %.1f ms\n", floor);
    report("first", f.first, floor);
    report("later", f.later, floor);
    return 0;
}
