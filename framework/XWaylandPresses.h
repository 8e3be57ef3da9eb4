// XWayland can give a pointer button the position of another moment than the
// pointer's last motion: after the pointer jumps onto a window, or a window is
// shown under a still pointer, the press comes at the screen's top-left
// corner (seen with sway); after a drag in one window, the next press in
// another comes to the first at a corner of the screen. Its own input device
// has the press in the right window, just before, and mostly at the right
// place: the pointer's press is put there, and its release goes to the same
// window. A press or release is then put where that window was last told the
// pointer is (a window hidden under a still pointer can put even the
// device's press at a corner), before the toolkit sees it. While a button is
// held, motions from XWayland's other devices are dropped (they can put the
// pointer at a corner).
#pragma once

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QPoint>

class XWaylandPresses : public QAbstractNativeEventFilter {
public:
    // Installs the filter where the program is an X11 client of a Wayland
    // desktop; elsewhere nothing happens.
    static void InstallIfNeeded();
    // Called for every event of the X connection before the toolkit sees it.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    explicit XWaylandPresses(quint8 opcode) : opcode_(opcode) {}

    // Where a device's pointer was last seen (16.16 fixed point), and in
    // which window; forgotten when it leaves that window.
    struct Seen {
        quint32 window = 0;
        qint32 position[4] = {}; // on the screen x, y; in the window x, y
    };
    // The last press or release of an input device itself, which the
    // pointer it moves repeats at once, with the same button.
    struct DevicePress {
        quint16 type = 0;
        quint16 device = 0;
        quint32 time = 0;
        quint32 button = 0;
        Seen at;
    };
    void keepDevicePress(const quint8* event);
    void mendPress(quint8* event);
    bool strayMotion(const quint8* event);
    bool followHeldAway(quint8* event);
    static QPoint nativeOrigin(quint32 window);
    static void put(quint8* event, const Seen& at);

    quint8 opcode_;
    QHash<quint16, Seen> seen_;
    DevicePress devicePress_;
    // The devices that last moved a pointer, and that hold its button down.
    struct Sources {
        quint16 moved = 0;
        quint16 pressed = 0;
    };
    QHash<quint16, Sources> sources_;
    // A pointer's button pressed in another window than the pointer's own
    // event said, and where it was last moved there, until it is released.
    QHash<quint16, Seen> heldAway_;
};
