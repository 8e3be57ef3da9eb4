#include "Desktop.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <vector>
#include <xcb/xcb.h>

namespace {

xcb_connection_t* connection() { return Desktop::Connection(); }

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return a;
}

xcb_window_t rootOf(xcb_connection_t* c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

// A request to the window manager about a mapped window (EWMH client message).
void sendToWindowManager(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type, const uint32_t (&data)[5])
{
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    for (int i = 0; i < 5; ++i)
        event.data.data32[i] = data[i];
    xcb_send_event(c, 0, rootOf(c), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

// The values of a window's property, of 32-bit items.
std::vector<uint32_t> property32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    std::vector<uint32_t> values;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1024), nullptr);
    if (reply && reply->format == 32) {
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        values.assign(v, v + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    return values;
}

// Where a window lies on the screen, in device pixels.
QRect onScreen(xcb_connection_t* c, xcb_window_t window)
{
    xcb_get_geometry_reply_t* size = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    xcb_translate_coordinates_reply_t* at =
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, rootOf(c), 0, 0), nullptr);
    const QRect r = size && at ? QRect(at->dst_x, at->dst_y, size->width, size->height) : QRect();
    free(size);
    free(at);
    return r;
}

} // namespace

namespace Desktop {

void SetTransientFor(QWidget* window, QWidget* owner)
{
    xcb_connection_t* c = connection();
    if (!c || !window || !window->testAttribute(Qt::WA_WState_Created))
        return;
    const xcb_window_t id = xcb_window_t(window->winId());
    if (owner && owner->testAttribute(Qt::WA_WState_Created)) {
        const xcb_window_t ownerId = xcb_window_t(owner->winId());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &ownerId);
    } else {
        xcb_delete_property(c, id, XCB_ATOM_WM_TRANSIENT_FOR);
    }
    xcb_flush(c);
}

QMargins FrameExtents(const QWidget* window)
{
    xcb_connection_t* c = connection();
    if (!c || !window || !window->testAttribute(Qt::WA_WState_Created))
        return QMargins();
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, xcb_window_t(window->winId()), extents, XCB_ATOM_CARDINAL, 0, 4), nullptr);
    QMargins margins;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 16) {
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        margins = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3])); // left, right, top, bottom
    }
    free(reply);
    return margins;
}

void SkipTaskbar(QWidget* window)
{
    xcb_connection_t* c = connection();
    if (!c || !window || !window->testAttribute(Qt::WA_WState_Created))
        return;
    constexpr uint32_t add = 1;
    const uint32_t data[5] = {add, atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), atom(c, "_NET_WM_STATE_SKIP_PAGER"), 1, 0};
    sendToWindowManager(c, xcb_window_t(window->winId()), atom(c, "_NET_WM_STATE"), data);
    xcb_flush(c);
}

void MarkAsUtility(QWidget* window)
{
    xcb_connection_t* c = connection();
    if (!c || !window || !window->testAttribute(Qt::WA_WState_Created))
        return;
    const xcb_atom_t utility = atom(c, "_NET_WM_WINDOW_TYPE_UTILITY");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), atom(c, "_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 1, &utility);
}

void CoverAllMonitors(QWidget* window)
{
    xcb_connection_t* c = connection();
    if (!c || !window || !window->testAttribute(Qt::WA_WState_Created))
        return;
    const QList<QScreen*> screens = QGuiApplication::screens();
    // The monitors at the desktop's edges, as the window manager numbers them
    // (in the order the toolkit lists them).
    int top = 0, bottom = 0, left = 0, right = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect g = screens[i]->geometry();
        if (g.top() < screens[top]->geometry().top()) top = i;
        if (g.bottom() > screens[bottom]->geometry().bottom()) bottom = i;
        if (g.left() < screens[left]->geometry().left()) left = i;
        if (g.right() > screens[right]->geometry().right()) right = i;
    }
    const uint32_t data[5] = {uint32_t(top), uint32_t(bottom), uint32_t(left), uint32_t(right), 1};
    sendToWindowManager(c, xcb_window_t(window->winId()), atom(c, "_NET_WM_FULLSCREEN_MONITORS"), data);
    xcb_flush(c);
}

QRect WorkArea(const QScreen* screen)
{
    QRect area = screen->availableGeometry();
    xcb_connection_t* c = connection();
    if (!c)
        return area;
    const xcb_atom_t type = atom(c, "_NET_WM_WINDOW_TYPE"), dock = atom(c, "_NET_WM_WINDOW_TYPE_DOCK");
    const qreal ratio = screen->devicePixelRatio();
    for (uint32_t window : property32(c, rootOf(c), atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) {
        const std::vector<uint32_t> types = property32(c, window, type, XCB_ATOM_ATOM);
        if (std::find(types.begin(), types.end(), dock) == types.end())
            continue;
        const QRect device = onScreen(c, window);
        const QRect panel((QPointF(device.topLeft()) / ratio).toPoint(), (QSizeF(device.size()) / ratio).toSize());
        if (panel.intersects(area) && panel.bottom() >= area.bottom() && panel.top() > area.center().y())
            area.setBottom(panel.top() - 1);
    }
    return area;
}

} // namespace Desktop

xcb_connection_t* Desktop::Connection()
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

bool Desktop::PlainPixels()
{
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    const xcb_setup_t* setup = xcb_get_setup(c);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    if (!screen)
        return false;
    bool bpp32 = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == screen->root_depth)
            bpp32 = f.data->bits_per_pixel == 32;
    if (!bpp32 || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d))
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == screen->root_visual)
                return v.data->red_mask == 0xFF0000 && v.data->green_mask == 0xFF00 && v.data->blue_mask == 0xFF;
    return false;
}

bool Desktop::IsXWayland()
{
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    static const char name[] = "XWAYLAND";
    xcb_query_extension_reply_t* reply =
        xcb_query_extension_reply(c, xcb_query_extension(c, uint16_t(strlen(name)), name), nullptr);
    const bool present = reply && reply->present;
    free(reply);
    // XWayland before 23.1 has no extension of its own, but has always named
    // its outputs XWAYLAND0, XWAYLAND1, ...
    const QList<QScreen*> screens = QGuiApplication::screens();
    return present || std::any_of(screens.begin(), screens.end(), [](const QScreen* s) {
               return s->name().startsWith(QLatin1String(name));
           });
}
