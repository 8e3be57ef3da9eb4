#include "X11Grabber.h"

#include "Desktop.h"

#include <cstdlib>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

namespace {

// Rows of BGRX pixels into the image at `at`, opaque whatever the server
// left in the padding byte.
void copyRows(const uchar* pixels, int width, int height, QImage& image, QPoint at)
{
    for (int y = 0; y < height; ++y) {
        const auto* from = reinterpret_cast<const quint32*>(pixels) + size_t(y) * width;
        auto* to = reinterpret_cast<quint32*>(image.scanLine(at.y() + y)) + at.x();
        for (int x = 0; x < width; ++x)
            to[x] = from[x] | 0xFF000000u;
    }
}

} // namespace

std::unique_ptr<X11Grabber> X11Grabber::open()
{
    xcb_connection_t* connection = Desktop::Connection();
    if (!connection || !Desktop::PlainPixels())
        return nullptr;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return std::unique_ptr<X11Grabber>(new X11Grabber(connection, screen->root));
}

X11Grabber::X11Grabber(xcb_connection_t* connection, uint32_t root) : connection_(connection), root_(root)
{
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection_, &xcb_shm_id);
    shmUsable_ = shm && shm->present;
}

QImage X11Grabber::grab(const QRect& rect)
{
    const QRect onRoot = rect.intersected(rootRect());
    if (onRoot == rect && shmUsable_) {
        QImage whole = grabShared(rect);
        if (!whole.isNull())
            return whole;
    }
    QImage image(rect.size(), QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    if (onRoot != rect)
        image.fill(Qt::black); // what lies beyond the desktop has no pixels
    if (onRoot.isEmpty())
        return image;
    const QPoint at = onRoot.topLeft() - rect.topLeft();
    if (shmUsable_ && grabShared(onRoot, image, at))
        return image;
    return grabPlain(onRoot, image, at) ? image : QImage();
}

QRect X11Grabber::rootRect() const
{
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, root_), nullptr);
    const QRect r = geometry ? QRect(0, 0, geometry->width, geometry->height) : QRect();
    free(geometry);
    return r;
}

std::optional<Segment> X11Grabber::segmentFor(size_t bytes)
{
    std::optional<Segment> found;
    for (const Segment& s : segmentReturns().takeAll()) {
        if (!found && s.bytes == bytes)
            found = s;
        else
            release(s);
    }
    return found ? found : newSegment(bytes);
}

std::optional<Segment> X11Grabber::newSegment(size_t bytes)
{
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0)
        return std::nullopt;
    void* memory = shmat(id, nullptr, 0);
    shmctl(id, IPC_RMID, nullptr); // gone with the last detach, even after a crash
    if (memory == reinterpret_cast<void*>(-1))
        return std::nullopt;
    const Segment s{memory, bytes, xcb_generate_id(connection_)};
    if (xcb_generic_error_t* refused =
            xcb_request_check(connection_, xcb_shm_attach_checked(connection_, s.id, id, false))) {
        free(refused);
        shmUsable_ = false; // a remote server cannot see our memory: do not ask again
        shmdt(memory);
        return std::nullopt;
    }
    return s;
}

void X11Grabber::release(const Segment& s)
{
    xcb_shm_detach(connection_, s.id);
    xcb_flush(connection_);
    shmdt(s.memory);
}

std::optional<Segment> X11Grabber::grabIntoSegment(const QRect& r)
{
    std::optional<Segment> s = segmentFor(size_t(r.width()) * r.height() * 4);
    if (!s)
        return std::nullopt;
    auto cookie = xcb_shm_get_image(connection_, root_, r.x(), r.y(), r.width(), r.height(), ~0u,
                                    XCB_IMAGE_FORMAT_Z_PIXMAP, s->id, 0);
    xcb_generic_error_t* error = nullptr;
    bool done = false;
    if (xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(connection_, cookie, &error)) {
        done = reply->size >= s->bytes;
        free(reply);
    }
    free(error);
    if (!done) {
        release(*s);
        return std::nullopt;
    }
    auto* pixel = static_cast<quint32*>(s->memory);
    for (size_t i = 0, n = s->bytes / 4; i < n; ++i)
        pixel[i] |= 0xFF000000u; // opaque whatever the server left in the padding byte
    return s;
}

QImage X11Grabber::grabShared(const QRect& r)
{
    const std::optional<Segment> s = grabIntoSegment(r);
    if (!s)
        return QImage();
    auto* handed = new Segment(*s);
    QImage image(static_cast<uchar*>(s->memory), r.width(), r.height(), r.width() * 4, QImage::Format_RGB32,
                 [](void* segment) {
                     segmentReturns().give(*static_cast<Segment*>(segment));
                     delete static_cast<Segment*>(segment);
                 },
                 handed);
    if (image.isNull()) { // no image, so nobody hands it back
        delete handed;
        release(*s);
    }
    return image;
}

bool X11Grabber::grabShared(const QRect& r, QImage& image, QPoint at)
{
    const std::optional<Segment> s = grabIntoSegment(r);
    if (!s)
        return false;
    copyRows(static_cast<const uchar*>(s->memory), r.width(), r.height(), image, at);
    segmentReturns().give(*s);
    return true;
}

bool X11Grabber::grabPlain(const QRect& r, QImage& image, QPoint at)
{
    // One request holds at most the server's maximum request length, so
    // a large area comes in bands of rows.
    const uint32_t maxBytes = xcb_get_maximum_request_length(connection_) * 4u;
    const int bandRows = qMax(1, int(qMin<uint64_t>(maxBytes / 2, 16u << 20) / (uint64_t(r.width()) * 4)));
    for (int top = 0; top < r.height(); top += bandRows) {
        const int rows = qMin(bandRows, r.height() - top);
        auto cookie = xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, r.x(), r.y() + top, r.width(),
                                    rows, ~0u);
        xcb_get_image_reply_t* reply = xcb_get_image_reply(connection_, cookie, nullptr);
        if (!reply)
            return false;
        const bool whole = xcb_get_image_data_length(reply) >= r.width() * rows * 4;
        if (whole)
            copyRows(xcb_get_image_data(reply), r.width(), rows, image, at + QPoint(0, top));
        free(reply);
        if (!whole)
            return false;
    }
    return true;
}
