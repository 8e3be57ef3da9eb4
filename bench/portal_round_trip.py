#!/usr/bin/env python3
"""Times the desktop's screenshot portal on its own: N requests without a
dialog, each from the call to the Response signal, in milliseconds, one a line.
Run inside the session (its bus).  portal_round_trip.py N"""
import os
import sys
import time

import dbus
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
portal = dbus.Interface(bus.get_object("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop"),
                        "org.freedesktop.portal.Screenshot")
sender = bus.get_unique_name()[1:].replace(".", "_")
for i in range(int(sys.argv[1]) if len(sys.argv) > 1 else 5):
    token = "bench%d_%d" % (os.getpid(), i)
    path = "/org/freedesktop/portal/desktop/request/%s/%s" % (sender, token)
    loop = GLib.MainLoop()
    answer = {}

    def done(code, results, answer=answer, loop=loop):
        answer["code"] = int(code)
        loop.quit()

    match = bus.add_signal_receiver(done, "Response", "org.freedesktop.portal.Request", None, path)
    start = time.monotonic()
    portal.Screenshot("", {"handle_token": token, "interactive": False, "modal": False}, timeout=30)
    GLib.timeout_add_seconds(10, loop.quit)
    loop.run()
    match.remove()
    if answer.get("code") != 0:
        sys.exit("the portal answered %s" % answer.get("code", "nothing"))
    print("%.2f" % ((time.monotonic() - start) * 1000), flush=True)
