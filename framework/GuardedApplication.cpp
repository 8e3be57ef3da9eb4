#include "GuardedApplication.h"

#include "Application.h"
#include "XWaylandPresses.h"

#include <exception>

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    XWaylandPresses::InstallIfNeeded();
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        Application->ShowException(error);
    }
    return false;
}
