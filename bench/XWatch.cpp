#include "XWatch.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <algorithm>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

namespace {

double remainingMs(double deadline) { return std::max(0.0, deadline - XWatch::nowMs()); }

uint32_t atom(xcb_connection_t* c, const char* name)
{
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const uint32_t a = reply ? reply->atom : 0;
    free(reply);
    return a;
}

} // namespace

XWatch::XWatch()
{
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&roots);
    root_ = roots.data->root;
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &events);
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(connection_, &xcb_damage_id);
    if (!ext || !ext->present)
        return;
    free(xcb_damage_query_version_reply(connection_, xcb_damage_query_version(connection_, 1, 1), nullptr));
    damageEvent_ = ext->first_event + XCB_DAMAGE_NOTIFY;
    damage_ = xcb_generate_id(connection_);
    // Raw rectangles on the root: every drawing anywhere on the screen, as it happens.
    xcb_damage_create(connection_, damage_, root_, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    xcb_flush(connection_);
}

XWatch::~XWatch()
{
    if (connection_)
        xcb_disconnect(connection_);
}

double XWatch::nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

bool XWatch::handleNext(int timeoutMs, double* at)
{
    xcb_generic_event_t* event = xcb_poll_for_event(connection_);
    if (!event) {
        pollfd p{xcb_get_file_descriptor(connection_), POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0)
            return false;
        event = xcb_poll_for_event(connection_);
        if (!event)
            return true; // a partial read; try again
    }
    const double now = nowMs();
    const uint8_t type = event->response_type & 0x7F;
    if (type == damageEvent_) {
        const auto* d = reinterpret_cast<xcb_damage_notify_event_t*>(event);
        // A window's own drawing comes in its coordinates.
        const QPoint origin = d->drawable == root_ ? QPoint() : QPoint(d->geometry.x, d->geometry.y);
        drawn_ += QRect(d->area.x, d->area.y, d->area.width, d->area.height).translated(origin);
        if (getenv("XWATCH_TRACE"))
            fprintf(stderr, "damage %.1f %d,%d %dx%d\n", now, d->area.x, d->area.y, d->area.width, d->area.height);
        lastDrawnAt_ = now;
    } else if (type == XCB_MAP_NOTIFY) {
        mapped_ = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
        if (getenv("XWATCH_TRACE"))
            fprintf(stderr, "map %.1f %x\n", now, mapped_);
    }
    if (at)
        *at = now;
    free(event);
    return true;
}

QString XWatch::title(uint32_t window)
{
    auto* reply = xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
        nullptr);
    QString t;
    if (reply)
        t = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply)),
                              xcb_get_property_value_length(reply));
    free(reply);
    return t;
}

uint32_t XWatch::waitMapped(const QString& wanted, int timeoutMs, double* at)
{
    const double deadline = nowMs() + timeoutMs;
    double when = 0;
    while (handleNext(int(remainingMs(deadline)), &when)) {
        if (mapped_ == 0)
            continue;
        const uint32_t window = mapped_;
        mapped_ = 0;
        if (getenv("XWATCH_TRACE"))
            fprintf(stderr, "mapped %x \"%s\"\n", window, qPrintable(title(window)));
        if (wanted.isEmpty() || title(window) == wanted) {
            // Where the server keeps each window's pixels apart (XWayland, a
            // compositing manager), drawing on it reaches no root: watch it.
            xcb_damage_create(connection_, xcb_generate_id(connection_), window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
            xcb_flush(connection_);
            drawn_ = QRegion(); // drawing on the window counts from here
            if (at)
                *at = when;
            return window;
        }
    }
    return 0;
}

double XWatch::waitPainted(const QRect& area, int timeoutMs)
{
    const double deadline = nowMs() + timeoutMs;
    while (!(QRegion(area) - drawn_).isEmpty())
        if (!handleNext(int(remainingMs(deadline)), nullptr))
            return -1;
    return lastDrawnAt_;
}

double XWatch::waitQuiet(int quietMs, int timeoutMs)
{
    const double deadline = nowMs() + timeoutMs;
    while (remainingMs(deadline) > 0 && handleNext(quietMs, nullptr)) {
    }
    return lastDrawnAt_;
}

void XWatch::forget()
{
    while (xcb_generic_event_t* e = xcb_poll_for_event(connection_))
        free(e);
    drawn_ = QRegion();
    mapped_ = 0;
}

int64_t XWatch::windowPid(uint32_t window)
{
    auto* reply = xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, atom(connection_, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 0, 1),
        nullptr);
    int64_t pid = 0;
    if (reply && xcb_get_property_value_length(reply) == 4)
        pid = *static_cast<const uint32_t*>(xcb_get_property_value(reply));
    free(reply);
    return pid;
}

bool XWatch::saveScreen(const QString& path)
{
    auto* g = xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, root_), nullptr);
    if (!g)
        return false;
    const int w = g->width, h = g->height;
    free(g);
    auto* reply = xcb_get_image_reply(
        connection_, xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, 0, 0, w, h, ~0u), nullptr);
    if (!reply)
        return false;
    const QImage shot(xcb_get_image_data(reply), w, h, w * 4, QImage::Format_RGB32);
    const bool saved = shot.save(path);
    free(reply);
    return saved;
}

double XWatch::grabAndPutFloorMs()
{
    auto* geometry = xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, root_), nullptr);
    if (!geometry)
        return -1;
    const int w = geometry->width, h = geometry->height, depth = geometry->depth;
    free(geometry);
    const int id = shmget(IPC_PRIVATE, size_t(w) * h * 4, IPC_CREAT | 0600);
    void* memory = shmat(id, nullptr, 0);
    shmctl(id, IPC_RMID, nullptr);
    const uint32_t segment = xcb_generate_id(connection_);
    xcb_shm_attach(connection_, segment, id, 0);
    const uint32_t pixmap = xcb_generate_id(connection_);
    xcb_create_pixmap(connection_, depth, pixmap, root_, w, h);
    const uint32_t gc = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc, pixmap, 0, nullptr);
    auto grabAndPut = [&] {
        free(xcb_shm_get_image_reply(connection_,
                                     xcb_shm_get_image(connection_, root_, 0, 0, w, h, ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                                                       segment, 0),
                                     nullptr));
        xcb_shm_put_image(connection_, pixmap, gc, w, h, 0, 0, w, h, 0, 0, depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0,
                          segment, 0);
        free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); // the round trip
    };
    grabAndPut(); // the segment's pages exist from here on, as a program's would
    const double start = nowMs();
    grabAndPut();
    const double took = nowMs() - start;
    xcb_free_gc(connection_, gc);
    xcb_free_pixmap(connection_, pixmap);
    xcb_shm_detach(connection_, segment);
    xcb_flush(connection_);
    shmdt(memory);
    return took;
}

FolderWatch::FolderWatch(const QString& folder)
{
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE);
}

FolderWatch::~FolderWatch() { close(fd_); }

double FolderWatch::waitFor(const QString& name, int timeoutMs)
{
    const QByteArray wanted = QFile::encodeName(name);
    const double deadline = XWatch::nowMs() + timeoutMs;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, int(remainingMs(deadline))) <= 0)
            return -1;
        const double now = XWatch::nowMs();
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            if (e->len && wanted == e->name)
                return now;
            at += ssize_t(sizeof(inotify_event) + e->len);
        }
    }
}

int64_t cpuNs(int64_t pid)
{
    int64_t total = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks + '/' + task + QStringLiteral("/schedstat"));
        if (f.open(QIODevice::ReadOnly))
            total += f.readAll().split(' ').value(0).toLongLong();
    }
    return total;
}

void waitCpuQuiet(int64_t pid, int quietMs, int timeoutMs)
{
    const double deadline = XWatch::nowMs() + timeoutMs;
    while (XWatch::nowMs() < deadline) {
        const int64_t before = cpuNs(pid);
        usleep(useconds_t(quietMs) * 1000);
        if (cpuNs(pid) - before < int64_t(quietMs) * 1000000 / 50)
            return;
    }
}

int64_t displayServerPid()
{
    const QByteArray display = qgetenv("DISPLAY");
    QFile lock(QStringLiteral("/tmp/.X%1-lock").arg(QString::fromLatin1(display.mid(1).split('.').value(0))));
    return lock.open(QIODevice::ReadOnly) ? lock.readAll().trimmed().toLongLong() : 0;
}

bool runXdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(60000) && p.exitCode() == 0;
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    const int n = int(values.size());
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
