#include "XWaylandPresses.h"

#include "Desktop.h"
#include "Session.h"

#include <QCoreApplication>
#include <cstring>
#include <xcb/xcb.h>

namespace {

// The input extension's events as the X connection hands them over: the
// generic event header, the window at byte 24 and, after the connection's
// full sequence number at 32, the four positions, the same in pointer and
// crossing events.
constexpr quint8 GenericEvent = 35;
constexpr quint16 ButtonPress = 4, ButtonRelease = 5, Motion = 6, Enter = 7, Leave = 8;
constexpr int TypeAt = 8, DeviceAt = 10, WindowAt = 24, PositionAt = 36, FlagsAt = 60;
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
    if (type == Motion || type == Enter) {
        Seen& seen = seen_[device];
        seen.window = window;
        std::memcpy(seen.position, event + PositionAt, sizeof seen.position);
    } else if (type == Leave) {
        seen_.remove(device);
    } else if (type == ButtonPress || type == ButtonRelease) {
        const auto seen = seen_.constFind(device);
        if (seen != seen_.cend() && seen->window == window && !(read<quint32>(event, FlagsAt) & PointerEmulated))
            std::memcpy(event + PositionAt, seen->position, sizeof seen->position);
    }
    return false;
}
