// The cost of one rubber-band move on a full-screen snapshot: erasing the
// old band, drawing the new one and repainting the window area they dirtied,
// against one repaint of the whole picture.
#include "Main.h"
#include "Noise.h"
#include "Offscreen.h"
#include "Ratio.h"
#include "Viewer.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void prepare(int w, int h, TDrawingTool tool)
{
    if (!fViewer)
        fViewer = new TfViewer();
    fViewer->setGeometry(0, 0, w, h);
    fViewer->Image1->Picture.Assign(noise(w, h));
    fViewer->Show();
    QCoreApplication::processEvents();
    fViewer->DrawingTool = tool;
    fViewer->Scribble = tool == dtScribble;
    fViewer->Writing = false;
    fViewer->Canvas().Pen = TPen{clRed, 3, psSolid, pmCopy};
    fViewer->Canvas().Brush = TBrush{clBlue, bsClear};
}

void RubberBandMove(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    prepare(w, h, TDrawingTool(state.range(2)));
    fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, w / 4, h / 4);
    int i = 0;
    for (auto _ : state) {
        // The pointer wanders as a hand would: a few pixels per event.
        const int x = w / 2 + (i % 40) * 3, y = h / 2 + (i % 25) * 2;
        fViewer->FormMouseMove(fViewer, ssLeft, x, y);
        QCoreApplication::processEvents(); // the repaint of what the move dirtied
        ++i;
    }
    fViewer->FormMouseUp(fViewer, mbLeft, 0, w / 2, h / 2);
}

void FullRepaint(benchmark::State& state)
{
    prepare(int(state.range(0)), int(state.range(1)), dtRectangle);
    for (auto _ : state)
        fViewer->Image1->repaint();
}

} // namespace

BENCHMARK(RubberBandMove)->ArgNames({"w", "h", "tool"})
    ->Args({1920, 1080, dtRectangle})->Args({3840, 2160, dtRectangle})
    ->Args({3840, 2160, dtEllipse})->Args({3840, 2160, dtLine})->Args({3840, 2160, dtScribble})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(FullRepaint)->ArgNames({"w", "h"})->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    const auto app = offscreenApplication(argc, argv);
    if (!runRegisteredBenchmarks(argc, argv))
        return 1;
    prepare(3840, 2160, dtRectangle);
    fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, 960, 540);
    int i = 0;
    printRatio(
        "rubber-band rectangle move on a 3840x2160 snapshot, against a full repaint",
        [] { fViewer->Image1->repaint(); },
        [&] {
            fViewer->FormMouseMove(fViewer, ssLeft, 1920 + (i % 40) * 3, 1080 + (i % 25) * 2);
            ++i;
            QCoreApplication::processEvents();
        },
        200);
    return 0;
}
