// Start-up: from starting the program's process to its bar on the screen,
// on a virtual display.
#include "Harness.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

namespace {

void StartToBarShown(benchmark::State& state)
{
    for (auto _ : state) {
        Program program; // a fresh folder: a first run each time
        QElapsedTimer clock;
        clock.start();
        const QString bar = program.start();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (bar.isEmpty())
            state.SkipWithError("the bar did not appear");
        program.kill();
    }
}

} // namespace

BENCHMARK(StartToBarShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv)
{
    if (!startVirtualDisplay(1920, 1080))
        return 1;
    qputenv("QT_QPA_PLATFORM", "xcb");
    {
        QApplication app(argc, argv);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    stopVirtualDisplay();
    return 0;
}
