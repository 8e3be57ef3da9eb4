// Capture as the user feels it, on a virtual display with the real program:
// from the click on Capture to the surface painted with the snapshot, and to
// Screen.bmp complete on disk, beyond the pause that lets the bar go. The
// floor, measured in the same round: a shared-memory grab of the root window
// and one full-frame put. Arguments: width height rounds (1920 1080 5).
#include "Harness.h"
#include "XWatch.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {

constexpr double CapturePauseMs = 200; // the program's wait for the bar to go

struct Figures {
    QList<double> painted, saved, floor, clickCost;
};

QStringList clickAt(QPoint p)
{
    return {"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"};
}

bool oneRound(XWatch& watch, Program& program, QPoint capture, QSize screen, Figures& f)
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
    f.painted << painted - start - CapturePauseMs;
    f.saved << saved - start - CapturePauseMs;
    watch.waitQuiet(300, 3000);
    runXdotool(clickAt(capture)); // "Remove"
    watch.waitQuiet(300, 3000);
    f.floor << watch.grabAndPutFloorMs();
    const double before = XWatch::nowMs();
    runXdotool({"mousemove", QString::number(capture.x()), QString::number(capture.y())});
    f.clickCost << XWatch::nowMs() - before;
    return true;
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
        Program program;
        if (!watch.ok() || program.start().isEmpty()) {
            std::fprintf(stderr, "no display, no Damage extension, or the bar did not appear\n");
            failed = 1;
        }
        const QPoint capture = program.onBar(49, 20);
        for (int i = 0; !failed && i < rounds; ++i)
            if (!oneRound(watch, program, capture, screen, f)) {
                std::fprintf(stderr, "round %d: the surface or Screen.bmp did not come\n", i + 1);
                failed = 1;
            }
        program.kill();
    }
    stopVirtualDisplay();
    if (failed)
        return 1;
    const double floor = median(f.floor), painted = median(f.painted), saved = median(f.saved);
    std::printf("capture at %dx%d, %d rounds, medians beyond the %.0f ms pause (xdotool's own start %.1f ms included)\n",
                screen.width(), screen.height(), rounds, CapturePauseMs, median(f.clickCost));
    std::printf("  floor (shared-memory grab + full put): %.1f ms\n", floor);
    std::printf("  click -> surface painted:  %.1f ms, %.1f x the floor\n", painted, painted / floor);
    std::printf("  click -> Screen.bmp saved: %.1f ms, %.1f x the floor\n", saved, saved / floor);
    return 0;
}
