// The X server's own picture of the root window, read through a shared
// memory segment where the server allows it (no copying over the socket, no
// per-pixel conversion), by a plain image request where it does not (a
// remote display). Coordinates are device pixels of the whole desktop.
#pragma once

#include "SharedSegments.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <memory>
#include <optional>

struct xcb_connection_t;

class X11Grabber {
public:
    // Null when the platform is not X11 or its pixels are not 32-bit BGRX.
    static std::unique_ptr<X11Grabber> open();

    // The rectangle's pixels, black where it reaches beyond the desktop; a
    // null image when the server refuses.
    QImage grab(const QRect& rect);

private:
    X11Grabber(xcb_connection_t* connection, uint32_t root);

    // Asked each time: the desktop grows and shrinks as monitors come and go.
    QRect rootRect() const;
    // A segment of `bytes` the server can write into: one handed back by the
    // images of an earlier grab, or a new one; none when the server refuses.
    std::optional<Segment> segmentFor(size_t bytes);
    std::optional<Segment> newSegment(size_t bytes);
    void release(const Segment& s);
    // The rectangle's pixels in a shared segment, made opaque; nothing when
    // the server refuses.
    std::optional<Segment> grabIntoSegment(const QRect& r);
    // The whole picture straight from the segment, without a copy; the
    // segment is handed back when the last image sharing it goes.
    QImage grabShared(const QRect& r);
    // Part of the picture into an image that reaches beyond the desktop.
    bool grabShared(const QRect& r, QImage& image, QPoint at);
    bool grabPlain(const QRect& r, QImage& image, QPoint at);

    xcb_connection_t* connection_;
    uint32_t root_;
    bool shmUsable_ = false;
};
