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

private:
    SwaySocket socket_;
};
