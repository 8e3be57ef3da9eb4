// The outline of a shaped window, against Qt's own region-from-mask
// conversion of the same picture: a full screen of text, a full-screen
// photograph and the default stamp as the stamp window samples it.
#include "Form.h"
#include "Offscreen.h"
#include "Ratio.h"
#include "bmshapedform.h"

#include <QApplication>
#include <QBitmap>
#include <QImage>
#include <QRandomGenerator>
#include <array>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int screenWidth = 1920;
constexpr int screenHeight = 1080;

// Black glyphs of random strokes, in lines of words on white.
QImage textLike()
{
    constexpr int cell = 10, lineHeight = 16, lineGap = 8, glyphs = 64;
    QRandomGenerator random(42);
    // Each glyph row: a bit pattern of 8 columns holding 0 to 2 strokes.
    std::vector<std::array<quint8, lineHeight>> font(glyphs);
    for (auto& glyph : font)
        for (quint8& row : glyph) {
            const int strokes = random.bounded(10) < 2 ? 0 : random.bounded(10) < 8 ? 1 : 2;
            row = 0;
            for (int s = 0; s < strokes; ++s) {
                const int start = s * 4 + random.bounded(2);
                row |= quint8(((1 << (1 + random.bounded(2))) - 1) << start);
            }
        }
    QImage image(screenWidth, screenHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int top = lineGap; top + lineHeight <= screenHeight; top += lineHeight + lineGap)
        for (int left = 0; left + cell <= screenWidth; left += cell) {
            if (random.bounded(7) == 0)
                continue; // a space between words
            const auto& glyph = font[random.bounded(glyphs)];
            for (int y = 0; y < lineHeight; ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(top + y));
                for (int x = 0; x < 8; ++x)
                    if (glyph[y] & (1 << x))
                        row[left + 1 + x] = qRgb(0, 0, 0);
            }
        }
    return image;
}

// Smooth colour gradients with sensor noise: hardly a pixel repeats the
// bottom-left colour.
QImage photoLike()
{
    QRandomGenerator random(3);
    QImage image(screenWidth, screenHeight, QImage::Format_RGB32);
    for (int y = 0; y < screenHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < screenWidth; ++x) {
            const int n = random.bounded(16);
            row[x] = qRgb((x * 255 / screenWidth + n) & 0xFF, (y * 255 / screenHeight + n) & 0xFF,
                          ((x + y) * 127 / screenWidth + 2 * n) & 0xFF);
        }
    }
    return image;
}

// The stamp window's client size, at which every stamp is sampled.
const QSize stampSize(184, 132);

const QImage& defaultStamp()
{
    static const QImage stamp(QStringLiteral(":/3dArrow-rt.bmp"));
    return stamp;
}

enum Picture { Text, Photo, Stamp };

// The pictures as the outline sees them, the stamp already sampled.
const QImage& picture(int which)
{
    static const QImage pictures[] = {textLike(), photoLike(), samplePicture(defaultStamp(), stampSize)};
    return pictures[which];
}

void reportSize(benchmark::State& state, const QImage& image, int runs, const QRegion& region)
{
    state.counters["runs"] = runs;
    state.counters["rects"] = region.rectCount();
    state.counters["Mpixel/s"] = benchmark::Counter(double(image.width()) * image.height() * state.iterations() / 1e6,
                                                     benchmark::Counter::kIsRate);
}

void BM_Outline(benchmark::State& state)
{
    const QImage& image = picture(int(state.range(0)));
    int runs = 0;
    QRegion region;
    for (auto _ : state) {
        region = outlineOf(image, &runs);
        benchmark::DoNotOptimize(region);
    }
    reportSize(state, image, runs, region);
}

// What Qt offers for the same job: a mask of the transparent colour, made a
// bitmap, made a region.
void BM_QtMaskRegion(benchmark::State& state)
{
    const QImage& image = picture(int(state.range(0)));
    const QRgb transparent = image.pixel(0, image.height() - 1);
    QRegion region;
    for (auto _ : state) {
        // The mask marks the transparent pixels; the bitmap's region is the rest.
        const QImage mask = image.createMaskFromColor(transparent);
        region = QRegion(QBitmap::fromImage(mask));
        benchmark::DoNotOptimize(region);
    }
    int runs = 0;
    outlineOf(image, &runs);
    reportSize(state, image, runs, region);
}

// The whole path of a picture change: sampling, outline and the window mask.
void BM_ShapedFormPictureChange(benchmark::State& state)
{
    const bool stamp = state.range(0) == Stamp;
    const QImage& image = stamp ? defaultStamp() : picture(int(state.range(0)));
    TForm form;
    form.SetBorderStyle(bsNone);
    form.resize(stamp ? stampSize : image.size());
    auto* shaped = new TBMShapedForm(&form);
    shaped->SetStretch(true);
    for (auto _ : state)
        shaped->Picture.Assign(image);
    int runs = 0;
    outlineOf(picture(int(state.range(0))), &runs);
    reportSize(state, picture(int(state.range(0))), runs, *shaped->Region());
}

void pictures(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"picture"})->Arg(Text)->Arg(Photo)->Arg(Stamp)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Outline)->Apply(pictures);
BENCHMARK(BM_QtMaskRegion)->Apply(pictures);
BENCHMARK(BM_ShapedFormPictureChange)->Apply(pictures);

} // namespace

int main(int argc, char** argv)
{
    const auto app = offscreenApplication(argc, argv);
    Q_INIT_RESOURCE(assets);
    // picture 0 is the text-like screen, 1 the photograph, 2 the stamp.
    if (!runRegisteredBenchmarks(argc, argv))
        return 1;
    const char* names[] = {"outline of the 1920x1080 text-like picture", "outline of the 1920x1080 photograph",
                           "outline of the 184x132 stamp"};
    for (int which : {Text, Photo, Stamp}) {
        const QImage& image = picture(which);
        const QRgb transparent = image.pixel(0, image.height() - 1);
        printRatio(
            names[which], [&] { QRegion(QBitmap::fromImage(image.createMaskFromColor(transparent))); },
            [&] { outlineOf(image); }, 20);
    }
    return 0;
}
