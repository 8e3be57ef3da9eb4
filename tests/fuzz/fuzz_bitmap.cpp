// Any bytes as a picture file (a stamp, a saved screen, the snapshot kept for
// a recovery): a picture comes back, or a reason naming the file, never both.
#include "Fuzzing.h"
#include "Picture.h"

#include <QImageReader>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    silenceQt();
    // Qt refuses pictures over 128 MB, but a few bytes of run-length data can
    // ask for nearly that much, and filling it takes most of a second under the
    // sanitizers. A lower limit keeps every run short and reaches the same code.
    static const bool limited = (QImageReader::setAllocationLimit(8), true);
    (void)limited;
    QString error;
    const QImage image = readPictureBytes(fuzzBytes(data, size), QStringLiteral("input.bmp"), &error);
    FUZZ_REQUIRE(image.isNull() != error.isEmpty());
    FUZZ_REQUIRE(image.isNull() ? error.contains(QLatin1String("\"input.bmp\"")) : image.format() == QImage::Format_RGB32);
    return 0;
}
