// Any bytes as the picture file a desktop's screenshot portal hands over: a
// picture of the screen's size comes back, or a reason, never both.
#include "Fuzzing.h"
#include "ScreenshotFile.h"

#include <QImageReader>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    silenceQt();
    static const bool limited = (QImageReader::setAllocationLimit(8), true); // as for the bitmaps
    (void)limited;
    if (size < 2)
        return 0;
    // The first two bytes: the desktop the picture is fitted to, up to 256x256.
    const QSize desktop(data[0] + 1, data[1] + 1);
    QString error;
    const QImage picture = decodeScreenshot(fuzzBytes(data + 2, size - 2), &error);
    FUZZ_REQUIRE(picture.isNull() != error.isEmpty());
    if (picture.isNull())
        return 0;
    FUZZ_REQUIRE(picture.format() == QImage::Format_RGB32);
    FUZZ_REQUIRE(fitToDesktop(picture, desktop).size() == desktop);
    return 0;
}
