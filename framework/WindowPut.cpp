#include "WindowPut.h"

#include "Desktop.h"

#include <QImage>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <xcb/xcb.h>

TWindowPut::~TWindowPut()
{
    if (xcb_connection_t* c = gc_ ? Desktop::Connection() : nullptr)
        xcb_free_gc(c, gc_);
}

bool TWindowPut::fits(const QWidget* widget, const QImage& bitmap) const
{
    if (bitmap.format() != QImage::Format_RGB32 || !widget->isVisible())
        return false;
    const qreal ratio = widget->devicePixelRatioF();
    return widget->mapTo(widget->window(), QPoint(0, 0)).isNull() && qRound(widget->width() * ratio) == bitmap.width()
           && qRound(widget->height() * ratio) == bitmap.height();
}

bool TWindowPut::useWindow(uint32_t window)
{
    if (window == window_)
        return depth_ != 0;
    xcb_connection_t* c = Desktop::Connection();
    if (gc_)
        xcb_free_gc(c, gc_);
    window_ = window, gc_ = 0, depth_ = 0;
    // Once a window: its visual must be the screen's, whose pixels are plain.
    auto attributesAsked = xcb_get_window_attributes(c, window);
    auto geometryAsked = xcb_get_geometry(c, window);
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(c, attributesAsked, nullptr);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, geometryAsked, nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (attributes && geometry && screen && attributes->visual == screen->root_visual
        && geometry->depth == screen->root_depth && Desktop::PlainPixels()) {
        gc_ = xcb_generate_id(c);
        const uint32_t noExposures = 0;
        xcb_create_gc(c, gc_, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
        depth_ = geometry->depth;
    }
    free(attributes);
    free(geometry);
    return depth_ != 0;
}

bool TWindowPut::Put(const QWidget* widget, const QImage& bitmap, const QRegion& area)
{
    xcb_connection_t* c = Desktop::Connection();
    if (!c || !fits(widget, bitmap) || !widget->window()->windowHandle())
        return false;
    if (!useWindow(uint32_t(widget->window()->winId())))
        return false;
    for (const QRect& r : area.intersected(bitmap.rect()))
        putRect(bitmap, r);
    xcb_flush(c);
    return true;
}

void TWindowPut::putRect(const QImage& bitmap, const QRect& r)
{
    xcb_connection_t* c = Desktop::Connection();
    // A request carries at most the server's maximum length, header included.
    const size_t maxPixels = xcb_get_maximum_request_length(c) - 8;
    const int rowsAtOnce = int(qMax<size_t>(1, maxPixels / size_t(r.width())));
    for (int top = r.top(); top <= r.bottom(); top += rowsAtOnce) {
        const int height = qMin(rowsAtOnce, r.bottom() + 1 - top);
        rows_.resize(size_t(r.width()) * size_t(height));
        for (int y = 0; y < height; ++y) {
            const auto* from = reinterpret_cast<const uint32_t*>(bitmap.constScanLine(top + y)) + r.left();
            std::copy(from, from + r.width(), rows_.data() + size_t(y) * r.width());
        }
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, uint16_t(r.width()), uint16_t(height),
                      int16_t(r.left()), int16_t(top), 0, depth_, uint32_t(rows_.size() * 4),
                      reinterpret_cast<const uint8_t*>(rows_.data()));
    }
}
