#!/usr/bin/python3
"""The tests' pointer on a headless wlroots session.

A headless seat has no pointer until a virtual one exists, so this makes one
(zwlr_virtual_pointer_manager_v1, spoken on the plain Wayland socket) and
keeps it while it runs: sway drops every virtual pointer when any one goes.

  pointer.py WIDTH HEIGHT      the size of the output layout, in layout pixels
Reads lines from stdin: "move X Y", "down", "up"; answers "ok" on stdout once
the compositor has taken each one. Needs WAYLAND_DISPLAY and XDG_RUNTIME_DIR.
"""
import os
import socket
import struct
import sys
import time

BUTTON_LEFT = 0x110


class Wayland:
    def __init__(self):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))
        self.last_id = 1
        self.pending = b""

    def new_id(self):
        self.last_id += 1
        return self.last_id

    def request(self, target, opcode, *words, tail=b""):
        body = struct.pack("=%dI" % len(words), *words) + tail
        self.sock.sendall(struct.pack("=II", target, (8 + len(body)) << 16 | opcode) + body)

    def roundtrip(self):
        """Every event up to the answer of a wl_display.sync."""
        done = self.new_id()
        self.request(1, 0, done)
        events = []
        while True:
            while len(self.pending) >= 8:
                target, word = struct.unpack("=II", self.pending[:8])
                size = word >> 16
                if len(self.pending) < size:
                    break
                event = (target, word & 0xFFFF, self.pending[8:size])
                self.pending = self.pending[size:]
                if target == 1 and event[1] == 0:
                    sys.exit("wayland error: %r" % event[2])
                if target == done:
                    return events
                events.append(event)
            data = self.sock.recv(65536)
            if not data:
                sys.exit("the compositor closed the connection")
            self.pending += data


def wl_string(text):
    raw = text.encode() + b"\0"
    return struct.pack("=I", len(raw)) + raw + b"\0" * (-len(raw) % 4)


def virtual_pointer(wl):
    registry = wl.new_id()
    wl.request(1, 1, registry)
    for target, opcode, data in wl.roundtrip():
        if target != registry or opcode != 0:
            continue
        name, length = struct.unpack("=II", data[:8])
        if data[8:8 + length - 1] == b"zwlr_virtual_pointer_manager_v1":
            manager = wl.new_id()
            wl.request(registry, 0, name, tail=wl_string("zwlr_virtual_pointer_manager_v1") + struct.pack("=II", 1, manager))
            pointer = wl.new_id()
            wl.request(manager, 0, 0, pointer)  # create_virtual_pointer, on the default seat
            wl.roundtrip()
            return pointer
    sys.exit("the compositor offers no virtual pointer")


def main():
    width, height = int(sys.argv[1]), int(sys.argv[2])
    wl = Wayland()
    pointer = virtual_pointer(wl)
    start = time.monotonic()

    def now():
        return int((time.monotonic() - start) * 1000) & 0xFFFFFFFF

    print("ok", flush=True)
    for line in sys.stdin:
        words = line.split()
        if words[:1] == ["move"]:
            wl.request(pointer, 1, now(), int(words[1]), int(words[2]), width, height)  # motion_absolute
        elif words[:1] in (["down"], ["up"]):
            wl.request(pointer, 2, now(), BUTTON_LEFT, int(words[0] == "down"))  # button
        wl.request(pointer, 4, now())  # frame
        wl.roundtrip()
        print("ok", flush=True)


if __name__ == "__main__":
    main()
