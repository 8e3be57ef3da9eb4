// Start-up as the user sees it: from starting the program's process in a
// fresh folder (a first run) to its bar mapped on a virtual display, told by
// the X server's MapNotify, and to the bar's first paint (X Damage). The
// floor, in the same round: this executable started again as the smallest Qt
// program that maps one window.
// Arguments: rounds (10), and another build of the program to measure in the
// same rounds (a build of an earlier version, say).
#include "Harness.h"
#include "XWatch.h"

#include <QApplication>
#include <QFile>
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

constexpr int QuietMs = 150;

struct StartUp {
    QList<double> mapped, painted;
};

// One first run of the program (of the given file, if any) in a fresh folder.
bool startOnce(XWatch& watch, const QString& otherBuild, StartUp& figures)
{
    Program quillet;
    if (!otherBuild.isEmpty()) {
        QFile::remove(quillet.file(QStringLiteral("quillet")));
        if (!QFile::copy(otherBuild, quillet.file(QStringLiteral("quillet"))))
            return false;
    }
    double mapped = 0;
    const double start = XWatch::nowMs();
    quillet.start(false);
    const uint32_t bar = watch.waitMapped(QStringLiteral("Screen Quillet"), 15000, &mapped);
    // The map itself counts as drawn: the bar's first paint is the last
    // drawing before the screen falls quiet.
    const double painted = bar ? watch.waitQuiet(QuietMs, 15000) : -1;
    quillet.kill();
    if (painted < 0)
        return false;
    figures.mapped << mapped - start;
    figures.painted << painted - start;
    return true;
}

bool startFloor(XWatch& watch, QList<double>& floor)
{
    QProcess smallest;
    double mapped = 0;
    const double start = XWatch::nowMs();
    smallest.start(QCoreApplication::applicationFilePath(), {"--floor-window"});
    const bool shown = watch.waitMapped(QStringLiteral("Floor"), 15000, &mapped);
    smallest.kill();
    smallest.waitForFinished();
    if (shown)
        floor << mapped - start;
    return shown;
}

void report(const char* which, const StartUp& s, double floor)
{
    const double mapped = median(s.mapped), painted = median(s.painted);
    std::printf("  %s: bar mapped %.1f ms (%.2f x the floor), painted %.1f ms (%.2f x)\n", which, mapped,
                mapped / floor, painted, painted / floor);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--floor-window")
        return floorWindow(argc, argv);
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? atoi(argv[1]) : 10;
    const QString otherBuild = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (!startVirtualDisplay(1920, 1080))
        return 1;
    StartUp program, other;
    QList<double> floor;
    bool ok = true;
    {
        XWatch watch;
        for (int i = 0; ok && i < rounds; ++i)
            ok = startOnce(watch, QString(), program) && (otherBuild.isEmpty() || startOnce(watch, otherBuild, other)) &&
                 startFloor(watch, floor);
    }
    stopVirtualDisplay();
    if (!ok) {
        std::fprintf(stderr, "a window did not appear or was not painted\n");
        return 1;
    }
    const double f = median(floor);
    std::printf("start-up of a first run, medians of %d; the smallest Qt window mapped in %.1f ms\n", rounds, f);
    report("this build", program, f);
    if (!otherBuild.isEmpty())
        report(qPrintable(otherBuild), other, f);
    return 0;
}

