// The capture path, from the Print Screen key to the surface on the screen
// with the snapshot in it, at 1920x1080 on a virtual display with the real
// screen, clipboard and windows (without the pause that lets the bar go).
#include "Application.h"
#include "Harness.h"
#include "Main.h"
#include "Stamp.h"
#include "Utillity.h"
#include "Viewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void KeyToSurfaceShown(benchmark::State& state)
{
    QTemporaryDir folder;
    fMain = new TfMain(folder.path());
    Application->MainForm = fMain;
    fViewer = new TfViewer();
    fSetup = new TfSetup();
    fStamp = new TfStamp();
    fMain->CapturePauseMs = 0;
    fMain->Show();
    pause(300);
    QElapsedTimer clock;
    qint64 shownAt = 0;
    const TNotifyEvent show = fViewer->OnShow;
    fViewer->OnShow = [&](QObject* s) {
        show(s);
        shownAt = clock.nsecsElapsed();
    };
    for (auto _ : state) {
        fMain->Hide();
        Application->ProcessMessages();
        clock.start();
        fMain->btnSnapShot->Click(); // from the key on: paste, show, save
        state.SetIterationTime(shownAt / 1e9);
        if (fViewer->Image1->Picture.Width() != 1920)
            state.SkipWithError("no snapshot");
        fMain->btnSnapShot->Click(); // Remove
        Application->ProcessMessages();
    }
}

} // namespace

BENCHMARK(KeyToSurfaceShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv)
{
    if (!startVirtualDisplay(1920, 1080))
        return 1;
    qputenv("QT_QPA_PLATFORM", "xcb");
    {
        QApplication app(argc, argv);
        Application->Title = QStringLiteral("Screen Quillet");
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    stopVirtualDisplay();
    return 0;
}
