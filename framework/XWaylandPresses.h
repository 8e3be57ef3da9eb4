// XWayland can give a pointer button the position of another moment than the
// pointer's last motion: after the pointer jumps onto a window, or a window is
// shown under a still pointer, the press comes at the screen's top-left
// corner (seen with sway). Each press and release is put where the same
// window was last told the pointer is, before the toolkit sees it.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QHash>

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
    quint8 opcode_;
    QHash<quint16, Seen> seen_;
};
