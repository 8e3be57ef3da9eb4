// Any stamp or banner picture, stretched to any size: its outline holds
// exactly the sampled pixels unlike the bottom-left one, one rectangle a run.
// Input: picture width and height, sampled width and height, pixel format,
// then the pixels, four bytes each (missing ones are black).
#include "Fuzzing.h"
#include "bmshapedform.h"

#include <QImage>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Rows of up to three words of 64 pixels, so a run can meet a word's end anywhere.
constexpr int MaxSide = 2 * 64 + 7;

const QImage::Format Formats[] = {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied,
                                  QImage::Format_RGB888, QImage::Format_Indexed8};

QImage pictureOf(const uint8_t* data, size_t size)
{
    const int width = 1 + data[0] % MaxSide;
    const int height = 1 + data[1] % MaxSide;
    const QImage::Format format = Formats[data[4] % std::size(Formats)];
    QImage argb(width, height, QImage::Format_ARGB32);
    argb.fill(Qt::black);
    const uint8_t* at = data + 5;
    const uint8_t* const end = data + size;
    for (int y = 0; y < height && end - at >= 4; ++y) {
        const size_t bytes = std::min(size_t(width) * 4, size_t(end - at) / 4 * 4);
        std::memcpy(argb.scanLine(y), at, bytes);
        at += bytes;
    }
    return format == QImage::Format_Indexed8 ? argb.convertToFormat(format, Qt::ThresholdDither)
                                             : argb.convertToFormat(format);
}

bool opaqueAt(const QImage& pixels, int x, int y, QRgb transparent)
{
    return (reinterpret_cast<const QRgb*>(pixels.constScanLine(y))[x] & 0xFFFFFF) != transparent;
}

// The number of runs of pixels unlike the transparent one, counted plainly.
int plainRuns(const QImage& pixels, QRgb transparent)
{
    int runs = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        bool inRun = false;
        for (int x = 0; x < pixels.width(); ++x) {
            const bool opaque = opaqueAt(pixels, x, y, transparent);
            runs += opaque && !inRun;
            inRun = opaque;
        }
    }
    return runs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    silenceQt();
    const QImage picture = pictureOf(data, size);
    const QSize at(1 + data[2] % MaxSide, 1 + data[3] % MaxSide);
    // At its own size the picture goes in as it is, in any pixel format.
    const QImage sampled = at == picture.size() ? picture : samplePicture(picture, at);
    FUZZ_REQUIRE(sampled.size() == at);
    int runs = -1;
    const QRegion outline = outlineOf(sampled, &runs);

    const bool direct = sampled.format() == QImage::Format_RGB32 || sampled.format() == QImage::Format_ARGB32;
    const QImage pixels = direct ? sampled : sampled.convertToFormat(QImage::Format_RGB32);
    const QRgb transparent = reinterpret_cast<const QRgb*>(pixels.constScanLine(pixels.height() - 1))[0] & 0xFFFFFF;
    FUZZ_REQUIRE(runs == plainRuns(pixels, transparent));
    FUZZ_REQUIRE(sampled.rect().contains(outline.boundingRect()) || outline.isEmpty());
    // Each pixel covered once if it is unlike the transparent one, else never.
    std::vector<int> covered(size_t(at.width()) * size_t(at.height()));
    for (const QRect& r : outline)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                ++covered[size_t(y) * size_t(at.width()) + size_t(x)];
    for (int y = 0; y < at.height(); ++y)
        for (int x = 0; x < at.width(); ++x)
            FUZZ_REQUIRE(covered[size_t(y) * size_t(at.width()) + size_t(x)] ==
                         int(opaqueAt(pixels, x, y, transparent)));
    return 0;
}
