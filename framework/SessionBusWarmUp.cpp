#include "SessionBusWarmUp.h"

#include <QDBusConnection>

// The toolkit keeps one connection to the session bus for the whole run:
// whoever asks for it later gets this one.
SessionBusWarmUp::SessionBusWarmUp() : connector_([] { QDBusConnection::sessionBus(); }) {}

SessionBusWarmUp::~SessionBusWarmUp()
{
    if (connector_.joinable())
        connector_.join();
}
