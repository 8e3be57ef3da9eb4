// sway's commands, on a connection of their own; every command gets a reply.
#pragma once

#include "SwaySocket.h"

class SwayCommands {
public:
    // Nothing where there is no sway, or no X server to place windows on.
    static SwayCommands* Get();
    // The reply, or nothing when sway cannot be reached; a broken
    // connection is made anew for the next command.
    QByteArray Run(const QByteArray& command);
    // Focuses the window without moving the pointer: sway's focus command
    // warps it onto the window when it is on another output (or, with
    // "mouse_warping container", anywhere outside the window).
    QByteArray Focus(const QByteArray& criteria);

private:
    QByteArray ask(quint32 type, const QByteArray& payload);
    QByteArray configuredWarping();

    SwaySocket socket_;
    QByteArray warping_;
};
