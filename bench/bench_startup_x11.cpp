// Start-up as the user sees it: from starting the program's process in a
// fresh folder (a first run) to its bar mapped on a virtual display, told by
// the X server's MapNotify. The floor, in the same round: this executable
// started again as the smallest Qt program that maps one window.
// Arguments: rounds (10).
#include "Harness.h"
#include "XWatch.h"

#include <QApplication>
#include <QWidget>
#include <cstdio>

namespace {

int floorWindow(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Floor"));
    window.resize(318, 86);
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--floor-window")
        return floorWindow(argc, argv);
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? atoi(argv[1]) : 10;
    if (!startVirtualDisplay(1920, 1080))
        return 1;
    QList<double> program, floor;
    {
        XWatch watch;
        for (int i = 0; i < rounds; ++i) {
            Program quillet; // a fresh folder each time
            double start = XWatch::nowMs(), mapped = 0;
            quillet.start(false);
            if (watch.waitMapped(QStringLiteral("Screen Quillet"), 15000, &mapped))
                program << mapped - start;
            quillet.kill();

            QProcess smallest;
            start = XWatch::nowMs();
            smallest.start(QCoreApplication::applicationFilePath(), {"--floor-window"});
            if (watch.waitMapped(QStringLiteral("Floor"), 15000, &mapped))
                floor << mapped - start;
            smallest.kill();
            smallest.waitForFinished();
        }
    }
    stopVirtualDisplay();
    if (program.size() != rounds || floor.size() != rounds) {
        std::fprintf(stderr, "a window did not appear\n");
        return 1;
    }
    const double p = median(program), f = median(floor);
    std::printf("start-up to the bar mapped, median of %d: %.1f ms; the smallest Qt window: %.1f ms; %.2f x the floor\n",
                rounds, p, f, p / f);
    return 0;
}
