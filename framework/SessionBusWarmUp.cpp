#include "SessionBusWarmUp.h"

#include <QDBusConnection>
#include <QThread>

// The toolkit keeps one connection to the session bus for the whole run:
// whoever asks for it later gets this one. The toolkit takes the first
// thread that calls it for the main one: the caller's, before the connector
// starts.
SessionBusWarmUp::SessionBusWarmUp()
{
    QThread::currentThread();
    connector_ = std::thread([] { QDBusConnection::sessionBus(); });
}

SessionBusWarmUp::~SessionBusWarmUp()
{
    if (connector_.joinable())
        connector_.join();
}
