#include "GuardedApplication.h"

#include "Application.h"

#include <exception>

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        Application->ShowException(error);
    }
    return false;
}
