#!/usr/bin/python3
"""A Screenshot portal that never gives a picture, for the tests.

  refusing_portal.py CODE     answers every Screenshot request with response CODE
                              (1: the user cancelled, 2: it failed) and no uri
Owns org.freedesktop.portal.Desktop on the session bus; prints "ready" once it does.
"""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, code, results):
        pass


class Screenshot(dbus.service.Object):
    def __init__(self, bus, code):
        super().__init__(bus, PATH)
        self.bus, self.code, self.requests = bus, code, []

    @dbus.service.method("org.freedesktop.portal.Screenshot", in_signature="sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def Screenshot(self, parent_window, options, sender):
        token = str(options.get("handle_token", "t%d" % len(self.requests)))
        handle = "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)
        request = Request(self.bus, handle)
        self.requests.append(request)
        # The answer comes after the handle, as the real portal's does.
        GLib.timeout_add(50, lambda: request.Response(dbus.UInt32(self.code), dbus.Dictionary({}, signature="sv")) and False)
        return dbus.ObjectPath(handle)

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return dbus.UInt32(2) if name == "version" else dbus.String("")


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    portal = Screenshot(bus, int(sys.argv[1]))
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus, do_not_queue=True)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del portal, name


if __name__ == "__main__":
    main()
