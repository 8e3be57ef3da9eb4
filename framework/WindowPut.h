// Puts rectangles of a bitmap straight onto a widget's window on the X
// display. The toolkit's own way shows a change by painting it into its
// backing store, waiting for the server to finish reading the last one, and
// putting it from there; for the thin bands a rubber band changes every frame
// that costs ten times the put itself.
#pragma once

#include <QRegion>
#include <cstdint>
#include <vector>

class QImage;
class QWidget;

class TWindowPut {
public:
    TWindowPut() = default;
    TWindowPut(const TWindowPut&) = delete;
    TWindowPut& operator=(const TWindowPut&) = delete;
    ~TWindowPut();

    // Puts `area` of the bitmap (in the bitmap's pixels) where the widget shows
    // it. False, with nothing put, unless the widget is shown on an X display
    // whose pixels the bitmap holds as they are, and covers its window's top
    // left corner with the bitmap one to one in device pixels.
    bool Put(const QWidget* widget, const QImage& bitmap, const QRegion& area);

private:
    bool fits(const QWidget* widget, const QImage& bitmap) const;
    bool useWindow(uint32_t window);
    void putRect(const QImage& bitmap, const QRect& r);

    uint32_t window_ = 0, gc_ = 0;
    uint8_t depth_ = 0;
    std::vector<uint32_t> rows_; // a rectangle's rows side by side, as a request carries them
};
