#include "XWaylandPresses.h"

#include "Desktop.h"
#include "Session.h"

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QWindow>
#include <cstring>
#include <xcb/xcb.h>

namespace {

// The input extension's events as the X connection hands them over: the
// generic event header, the window at byte 24 and, after the connection's
// full sequence number at 32, the four positions, the same in pointer and
// crossing events.
constexpr quint8 GenericEvent = 35;
constexpr quint16 ButtonPress = 4, ButtonRelease = 5, Motion = 6, Enter = 7, Leave = 8;
constexpr int TypeAt = 8, DeviceAt = 10, TimeAt = 12, DetailAt = 16, WindowAt = 24, PositionAt = 36, SourceAt = 56,
              FlagsAt = 60;
// A press made up from a touch: it has a position of its own.
constexpr quint32 PointerEmulated = 1u << 16;

template <typename T> T read(const quint8* event, int offset)
{
    T value;
    std::memcpy(&value, event + offset, sizeof value);
    return value;
}

quint8 inputOpcode(xcb_connection_t* c)
{
    static const char name[] = "XInputExtension";
    xcb_query_extension_reply_t* reply =
        xcb_query_extension_reply(c, xcb_query_extension(c, quint16(strlen(name)), name), nullptr);
    const quint8 opcode = reply && reply->present ? reply->major_opcode : 0;
    free(reply);
    return opcode;
}

} // namespace

void XWaylandPresses::InstallIfNeeded()
{
    xcb_connection_t* c = Desktop::Connection();
    if (!c || !(Session::IsWayland() || Desktop::IsXWayland()))
        return;
    if (const quint8 opcode = inputOpcode(c))
        QCoreApplication::instance()->installNativeEventFilter(new XWaylandPresses(opcode));
}

bool XWaylandPresses::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<quint8*>(message);
    if ((event[0] & 0x7f) != GenericEvent || event[1] != opcode_)
        return false;
    const quint16 type = read<quint16>(event, TypeAt), device = read<quint16>(event, DeviceAt);
    const quint32 window = read<quint32>(event, WindowAt);
    if (type == Motion && strayMotion(event))
        return true;
    if ((type == Motion || type == Enter || type == Leave) && heldAway_.contains(device))
        return followHeldAway(event);
    if (type == Motion || type == Enter) {
        Seen& seen = seen_[device];
        seen.window = window;
        std::memcpy(seen.position, event + PositionAt, sizeof seen.position);
    } else if (type == Leave) {
        seen_.remove(device);
    } else if ((type == ButtonPress || type == ButtonRelease) && !(read<quint32>(event, FlagsAt) & PointerEmulated)) {
        if (device == read<quint16>(event, SourceAt))
            keepDevicePress(event);
        else
            mendPress(event);
    }
    return false;
}

void XWaylandPresses::keepDevicePress(const quint8* event)
{
    devicePress_ = {read<quint16>(event, TypeAt), read<quint16>(event, DeviceAt), read<quint32>(event, TimeAt),
                    read<quint32>(event, DetailAt), {read<quint32>(event, WindowAt), {}}};
    std::memcpy(devicePress_.at.position, event + PositionAt, sizeof devicePress_.at.position);
}

void XWaylandPresses::mendPress(quint8* event)
{
    const quint16 type = read<quint16>(event, TypeAt), pointer = read<quint16>(event, DeviceAt);
    const quint32 button = read<quint32>(event, DetailAt);
    Sources& sources = sources_[pointer];
    sources.pressed = type == ButtonPress ? read<quint16>(event, SourceAt) : 0;
    // The pointer's copy is stamped the same millisecond, or now and then the next.
    const quint32 later = read<quint32>(event, TimeAt) - devicePress_.time;
    const bool sameButton = devicePress_.type == type && devicePress_.device == read<quint16>(event, SourceAt) &&
                            later <= 1 && devicePress_.button == button;
    if (type == ButtonPress && sameButton && devicePress_.at.window != read<quint32>(event, WindowAt))
        heldAway_[pointer] = devicePress_.at;
    const auto away = heldAway_.constFind(pointer);
    if (away != heldAway_.cend()) {
        put(event, *away);
        if (type == ButtonRelease)
            heldAway_.remove(pointer);
        return;
    }
    if (type == ButtonPress && sameButton) {
        put(event, devicePress_.at);
    } else {
        const auto seen = seen_.constFind(pointer);
        if (seen != seen_.cend() && seen->window == read<quint32>(event, WindowAt))
            put(event, *seen);
    }
    if (type == ButtonPress)
        giveToWindowShownAbove(event, pointer);
}

// sway gives a window in its global full screen (over several outputs) the
// pointer even where it shows another of the program's windows above it (one
// that stays on top, or that belongs to it), now and then as the button goes
// down: the press is that window's, as the user sees it, and so is what
// follows until the button is up.
void XWaylandPresses::giveToWindowShownAbove(quint8* event, quint16 pointer)
{
    const qint32* root = reinterpret_cast<const qint32*>(event + PositionAt);
    const quint32 above = windowShownAbove(read<quint32>(event, WindowAt), QPoint(root[0] >> 16, root[1] >> 16));
    if (!above)
        return;
    Seen held = inWindow(above, event);
    heldAway_[pointer] = held;
    put(event, held);
}

// While a button is held, a pointer's motion from a device other than the
// one that moved it up to the press or pressed it is dropped: XWayland's
// other device puts the pointer where the window has it, as if the window
// were at the screen's corner, and a dragged window would jump there.
bool XWaylandPresses::strayMotion(const quint8* event)
{
    const quint16 pointer = read<quint16>(event, DeviceAt), source = read<quint16>(event, SourceAt);
    if (pointer == source)
        return false;
    Sources& sources = sources_[pointer];
    if (!sources.pressed) {
        sources.moved = source;
        return false;
    }
    return source != sources.moved && source != sources.pressed;
}

// The X server has the button held in another window: its crossings mean
// nothing there, and its motions go to the window that has the press.
bool XWaylandPresses::followHeldAway(quint8* event)
{
    if (read<quint16>(event, TypeAt) != Motion)
        return true;
    Seen& held = heldAway_[read<quint16>(event, DeviceAt)];
    held = inWindow(held.window, event);
    put(event, held);
    return false;
}

// The event's place on the screen, in the window as the program has it now.
XWaylandPresses::Seen XWaylandPresses::inWindow(quint32 window, const quint8* event)
{
    Seen at;
    at.window = window;
    std::memcpy(at.position, event + PositionAt, 2 * sizeof at.position[0]);
    const QPoint origin = nativeOrigin(window);
    at.position[2] = at.position[0] - origin.x() * 65536;
    at.position[3] = at.position[1] - origin.y() * 65536;
    return at;
}

// The program's window shown at that point of the screen above the window
// given, when that one covers its whole screen; none otherwise.
quint32 XWaylandPresses::windowShownAbove(quint32 window, QPoint at)
{
    const QWindow* covering = topLevel(window);
    if (!covering || !covering->screen() || !covering->geometry().contains(covering->screen()->geometry()))
        return 0;
    QList<quint32> shown;
    for (QWindow* w : QGuiApplication::topLevelWindows()) {
        const bool above = w->flags().testFlag(Qt::WindowStaysOnTopHint) || w->transientParent() == covering;
        if (w != covering && w->handle() && w->isVisible() && above && showsPoint(w, at))
            shown << quint32(w->winId());
    }
    return topmost(shown);
}

QWindow* XWaylandPresses::topLevel(quint32 window)
{
    for (QWindow* w : QGuiApplication::topLevelWindows())
        if (w->handle() && w->winId() == window)
            return w;
    return nullptr;
}

// Inside the window and its mask (a point in device pixels of the screen).
bool XWaylandPresses::showsPoint(const QWindow* window, QPoint at)
{
    const qreal ratio = window->devicePixelRatio();
    const QPointF inside = QPointF(at) / ratio - window->geometry().topLeft();
    const QRectF area(QPointF(0, 0), window->geometry().size());
    return area.contains(inside) && (window->mask().isEmpty() || window->mask().contains(inside.toPoint()));
}

// Of these windows, the one the X server stacks highest.
quint32 XWaylandPresses::topmost(const QList<quint32>& windows)
{
    if (windows.size() < 2)
        return windows.value(0);
    xcb_connection_t* c = Desktop::Connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    quint32 top = windows.last();
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) // bottom to top
            if (windows.contains(children[i]))
                top = children[i];
        free(tree);
    }
    return top;
}

QPoint XWaylandPresses::nativeOrigin(quint32 window)
{
    const QWindow* w = topLevel(window);
    return w ? w->geometry().topLeft() * w->devicePixelRatio() : QPoint();
}

void XWaylandPresses::put(quint8* event, const Seen& at)
{
    std::memcpy(event + WindowAt, &at.window, sizeof at.window);
    std::memcpy(event + PositionAt, at.position, sizeof at.position);
}
