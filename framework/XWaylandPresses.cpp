#include "XWaylandPresses.h"

#include "Desktop.h"
#include "Session.h"

#include <QGuiApplication>
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
    // The device's own press can be at the corner too (after a window went
    // from under a still pointer): where that window last saw the pointer
    // holds.
    if (type == ButtonPress && sameButton)
        put(event, devicePress_.at);
    const auto seen = seen_.constFind(pointer);
    if (seen != seen_.cend() && seen->window == read<quint32>(event, WindowAt))
        put(event, *seen);
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
    std::memcpy(held.position, event + PositionAt, 2 * sizeof held.position[0]);
    const QPoint origin = nativeOrigin(held.window);
    held.position[2] = held.position[0] - origin.x() * 65536;
    held.position[3] = held.position[1] - origin.y() * 65536;
    put(event, held);
    return false;
}

QPoint XWaylandPresses::nativeOrigin(quint32 window)
{
    for (QWindow* w : QGuiApplication::topLevelWindows())
        if (w->handle() && w->winId() == window)
            return w->geometry().topLeft() * w->devicePixelRatio();
    return {};
}

void XWaylandPresses::put(quint8* event, const Seen& at)
{
    std::memcpy(event + WindowAt, &at.window, sizeof at.window);
    std::memcpy(event + PositionAt, at.position, sizeof at.position);
}
