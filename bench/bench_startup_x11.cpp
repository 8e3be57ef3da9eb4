// Start-up as the user sees it: from starting the program's process in a
// fresh folder to its bar mapped on a virtual display, told by the X server's
// MapNotify, and to the bar's first paint (X Damage); once as a first run (no
// setup.ini), once as a later start (the setup.ini an earlier run's Quit
// wrote, with a box tool and a stored fill). The floor, in the same round:
// this executable started again as the smallest Qt program that maps one
// window.
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

// What Quit writes after a run that chose the round rectangle with a cross
// fill, a bold font on a background and the highlighter.
const QByteArray LaterSettings = "[Setup]\r\nOperating=No\r\nMode=4\r\n"
                                 "[Line]\r\nThickness=3\r\nColor=255\r\nMarker=Yes\r\n"
                                 "[Shape]\r\nPenThickness=7\r\nPenColor=65280\r\nBrushColor=16711680\r\n"
                                 "BrushStyle=CrossBrush\r\n"
                                 "[Font]\r\nName=Liberation Serif\r\nColor=0\r\nBkColor=65535\r\nSize=14\r\n"
                                 "Text=Look here\r\nBackgd=Yes\r\nBold=Yes\r\nItalic=No\r\nUnderline=No\r\n"
                                 "StrikeThru=No\r\n[Keyboard]\r\nTablet=No\r\n[Stamp]\r\nFilename=\r\n";

// One start of the program (of the given file, if any) in a fresh folder,
// with these settings stored (none: a first run).
bool startOnce(XWatch& watch, const QString& otherBuild, const QByteArray& stored, StartUp& figures)
{
    Program quillet;
    if (!stored.isEmpty())
        quillet.writeFile(QStringLiteral("setup.ini"), stored);
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

void report(const char* which, const char* start, const StartUp& s, double floor)
{
    const double mapped = median(s.mapped), painted = median(s.painted);
    std::printf("  %s, %s: bar mapped %.1f ms (%.2f x the floor), painted %.1f ms (%.2f x)\n", which, start,
                mapped, mapped / floor, painted, painted / floor);
}

// A first run and a later start of one build.
struct Starts {
    StartUp first, later;
    bool once(XWatch& watch, const QString& build)
    {
        return startOnce(watch, build, QByteArray(), first) && startOnce(watch, build, LaterSettings, later);
    }
    void report(const char* which, double floor) const
    {
        ::report(which, "first run", first, floor);
        ::report(which, "later start", later, floor);
    }
};

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
    Starts program, other;
    QList<double> floor;
    bool ok = true;
    {
        XWatch watch;
        for (int i = 0; ok && i < rounds; ++i)
            ok = program.once(watch, QString()) && (otherBuild.isEmpty() || other.once(watch, otherBuild)) &&
                 startFloor(watch, floor);
    }
    stopVirtualDisplay();
    if (!ok) {
        std::fprintf(stderr, "a window did not appear or was not painted\n");
        return 1;
    }
    const double f = median(floor);
    std::printf("start-up, medians of %d; the smallest Qt window mapped in %.1f ms\n", rounds, f);
    program.report("this build", f);
    if (!otherBuild.isEmpty())
        other.report(qPrintable(otherBuild), f);
    return 0;
}

