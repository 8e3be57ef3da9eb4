#!/usr/bin/python3
"""The tests' pointer and keyboard on a headless wlroots session.

A headless seat has neither until virtual ones exist, so this makes one of
each (zwlr_virtual_pointer_manager_v1, zwp_virtual_keyboard_manager_v1,
spoken on the plain Wayland socket) and keeps them while it runs: sway drops
every virtual pointer when any one goes, and a keyboard made for one key
comes too late for XWayland now and then, which then misses the key.

  seat.py WIDTH HEIGHT      the size of the output layout, in layout pixels
Reads lines from stdin: "move X Y", "down", "up", "key NAME" (as xdotool names
keys: "ctrl+z", "Return"); answers "ok" on stdout once the compositor has
taken each one. Needs WAYLAND_DISPLAY and XDG_RUNTIME_DIR.
"""
import array
import os
import socket
import struct
import sys
import time

BUTTON_LEFT = 0x110

# A plain US keyboard, as a person's would be.
KEYMAP = b"""xkb_keymap {
    xkb_keycodes { include "evdev+aliases(qwerty)" };
    xkb_types { include "complete" };
    xkb_compat { include "complete" };
    xkb_symbols { include "pc+us+inet(evdev)" };
};
\0"""
# Their evdev codes and, for modifiers, their bits in that keymap.
MODIFIERS = {"shift": (42, 0x1), "ctrl": (29, 0x4), "alt": (56, 0x8), "super": (125, 0x40)}
KEYS = dict(zip("qwertyuiop", range(16, 26)), **dict(zip("asdfghjkl", range(30, 39))),
            **dict(zip("zxcvbnm", range(44, 51))), **dict(zip("1234567890", range(2, 12))),
            **{"F%d" % n: 58 + n for n in range(1, 11)}, F11=87, F12=88, Escape=1, BackSpace=14, Tab=15,
            Return=28, space=57, Home=102, Up=103, Left=105, Right=106, End=107, Down=108, Delete=111)


class Wayland:
    def __init__(self):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))
        self.last_id = 1
        self.pending = b""

    def new_id(self):
        self.last_id += 1
        return self.last_id

    def request(self, target, opcode, *words, tail=b"", fd=None):
        body = struct.pack("=%dI" % len(words), *words) + tail
        message = struct.pack("=II", target, (8 + len(body)) << 16 | opcode) + body
        if fd is None:
            self.sock.sendall(message)
        else:
            self.sock.sendmsg([message], [(socket.SOL_SOCKET, socket.SCM_RIGHTS, array.array("i", [fd]))])

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


def globals_of(wl):
    """The compositor's globals: interface name -> registry name."""
    registry = wl.new_id()
    wl.request(1, 1, registry)
    found = {}
    for target, opcode, data in wl.roundtrip():
        if target == registry and opcode == 0:
            name, length = struct.unpack("=II", data[:8])
            found[data[8:8 + length - 1].decode()] = name
    return registry, found


def bind(wl, registry, found, interface, version=1):
    if interface not in found:
        sys.exit("the compositor offers no " + interface)
    object_id = wl.new_id()
    wl.request(registry, 0, found[interface], tail=wl_string(interface) + struct.pack("=II", version, object_id))
    return object_id


def virtual_pointer(wl, registry, found):
    manager = bind(wl, registry, found, "zwlr_virtual_pointer_manager_v1")
    pointer = wl.new_id()
    wl.request(manager, 0, 0, pointer)  # create_virtual_pointer, on the default seat
    wl.roundtrip()
    return pointer


def virtual_keyboard(wl, registry, found):
    seat = bind(wl, registry, found, "wl_seat")
    manager = bind(wl, registry, found, "zwp_virtual_keyboard_manager_v1")
    keyboard = wl.new_id()
    wl.request(manager, 0, seat, keyboard)  # create_virtual_keyboard
    keymap = os.memfd_create("keymap")
    os.write(keymap, KEYMAP)
    wl.request(keyboard, 0, 1, len(KEYMAP), fd=keymap)  # keymap, xkb v1
    os.close(keymap)
    wl.roundtrip()
    return keyboard


def type_key(wl, keyboard, name, now):
    """Presses the modifiers, the key, and lets go in the reverse order."""
    *modifiers, key = name.split("+")
    held = 0
    for m in modifiers:
        code, bit = MODIFIERS[m.lower()]
        wl.request(keyboard, 1, now(), code, 1)
        held |= bit
        wl.request(keyboard, 2, held, 0, 0, 0)  # modifiers
    code = KEYS.get(key, KEYS.get(key.lower()))
    wl.request(keyboard, 1, now(), code, 1)
    wl.request(keyboard, 1, now(), code, 0)
    for m in reversed(modifiers):
        code, bit = MODIFIERS[m.lower()]
        wl.request(keyboard, 1, now(), code, 0)
        held &= ~bit
        wl.request(keyboard, 2, held, 0, 0, 0)


def main():
    width, height = int(sys.argv[1]), int(sys.argv[2])
    wl = Wayland()
    registry, found = globals_of(wl)
    pointer = virtual_pointer(wl, registry, found)
    keyboard = virtual_keyboard(wl, registry, found)
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
        elif words[:1] == ["key"]:
            type_key(wl, keyboard, words[1], now)
        if words[:1] != ["key"]:
            wl.request(pointer, 4, now())  # frame
        wl.roundtrip()
        print("ok", flush=True)


if __name__ == "__main__":
    main()
