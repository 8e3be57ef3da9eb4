// What the undo history costs on a 3840x2160 snapshot: the memory one step
// keeps for a typical stroke, a rectangle and a full-screen Clear, against
// the whole frame a step would cost if it kept the picture; how many steps
// the cap keeps; and the time a stroke's step takes against copying a frame.
#include "History.h"
#include "Main.h"
#include "Noise.h"
#include "Offscreen.h"
#include "Ratio.h"
#include "Viewer.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>

namespace {

constexpr int W = 3840, H = 2160;
constexpr double Frame = double(W) * H * 4;

const QImage& snapshot()
{
    static const QImage picture = noise(W, H);
    return picture;
}

void prepare(TDrawingTool tool)
{
    if (!fViewer)
        fViewer = new TfViewer();
    fViewer->setGeometry(0, 0, W, H);
    fViewer->Image1->Picture.Assign(snapshot()); // a new picture: a fresh history
    fViewer->DrawingTool = tool;
    fViewer->Scribble = tool == dtScribble;
    fViewer->Writing = false;
    fViewer->Canvas().Pen = TPen{clRed, 5, psSolid, pmCopy};
    fViewer->Canvas().Brush = TBrush{clBlue, bsClear};
}

// A hand-drawn stroke: about 1200 pixels of wavy path in 4-pixel moves,
// starting at a different place each time.
void stroke(int i)
{
    const int x0 = 200 + (i * 97) % 2000, y0 = 200 + (i * 53) % 1500;
    fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, x0, y0);
    for (int s = 1; s <= 300; ++s)
        fViewer->FormMouseMove(fViewer, ssLeft, x0 + s * 4, y0 + int(40 * std::sin(s / 15.0)));
    fViewer->FormMouseUp(fViewer, mbLeft, 0, x0 + 1200, y0);
}

// A rectangle of 800x500 dragged out with its rubber band.
void rectangle(int i)
{
    const int x0 = 100 + (i * 97) % 2500, y0 = 100 + (i * 53) % 1400;
    fViewer->FormMouseDown(fViewer, mbLeft, ssLeft, x0, y0);
    for (int s = 1; s <= 100; ++s)
        fViewer->FormMouseMove(fViewer, ssLeft, x0 + s * 8, y0 + s * 5);
    fViewer->FormMouseUp(fViewer, mbLeft, 0, x0 + 800, y0 + 500);
}

void clearAll()
{
    fViewer->History().RecordReplacement([] { fViewer->Image1->Picture.Assign(snapshot()); });
}

void StrokeStep(benchmark::State& state)
{
    prepare(dtScribble);
    int i = 0;
    for (auto _ : state)
        stroke(i++);
    state.counters["bytes_per_step"] = double(fViewer->History().Bytes()) / fViewer->History().Steps();
}

void UndoRedoStroke(benchmark::State& state)
{
    prepare(dtScribble);
    stroke(0);
    for (auto _ : state) {
        fViewer->Undo();
        fViewer->Redo();
    }
}

void ClearStep(benchmark::State& state)
{
    prepare(dtScribble);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        stroke(i++);
        state.ResumeTiming();
        clearAll();
    }
}

void report(const char* what, qint64 bytes)
{
    std::printf("%s: %.0f KiB, %.4f of a frame (%.0f KiB)\n", what, bytes / 1024.0, bytes / Frame, Frame / 1024);
}

void reportMemory()
{
    prepare(dtScribble);
    stroke(0);
    report("one freehand stroke of 1200 px, pen 5", fViewer->History().Bytes());

    prepare(dtRectangle);
    rectangle(0);
    report("one 800x500 rectangle, pen 5, dragged with its rubber band", fViewer->History().Bytes());

    prepare(dtScribble);
    stroke(0);
    const qint64 before = fViewer->History().Bytes();
    clearAll();
    report("Clear after that stroke", fViewer->History().Bytes() - before);

    prepare(dtScribble);
    fViewer->Canvas().Brush = TBrush{clYellow, bsSolid};
    fViewer->Canvas().FillRect(QRect(0, 0, W, H)); // every pixel marked
    fViewer->History().Commit();
    const qint64 filled = fViewer->History().Bytes();
    clearAll();
    report("Clear of a screen marked all over (the worst case)", fViewer->History().Bytes() - filled);

    prepare(dtScribble);
    for (int i = 0; i < 150; ++i)
        stroke(i);
    std::printf("after 150 strokes the cap keeps %d steps, %.1f MiB\n", fViewer->History().Steps(),
                fViewer->History().Bytes() / 1048576.0);

    prepare(dtScribble);
    for (int i = 0; i < 12; ++i) {
        fViewer->Canvas().Brush = TBrush{TColor(0x010101 * (i + 1)), bsSolid};
        fViewer->Canvas().FillRect(QRect(0, 0, W, H));
        fViewer->History().Commit();
    }
    std::printf("after 12 full-screen marks the cap keeps %d steps, %.1f MiB (cap %lld MiB)\n",
                fViewer->History().Steps(), fViewer->History().Bytes() / 1048576.0,
                THistory::DefaultMaxBytes / 1048576);
}

} // namespace

BENCHMARK(StrokeStep)->Unit(benchmark::kMillisecond);
BENCHMARK(UndoRedoStroke)->Unit(benchmark::kMicrosecond);
BENCHMARK(ClearStep)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    const auto app = offscreenApplication(argc, argv);
    if (!runRegisteredBenchmarks(argc, argv))
        return 1;
    reportMemory();
    // The step of a stroke against the copy of the frame that keeping whole
    // pictures would make at every mark.
    prepare(dtScribble);
    int i = 0;
    QImage kept;
    printRatio(
        "a stroke with its undo step on a 3840x2160 snapshot, against the stroke with a frame copy",
        [&] {
            stroke(i++);
            kept = fViewer->Image1->Picture.Bitmap().copy();
        },
        [&] { stroke(i++); }, 20);
    return 0;
}
