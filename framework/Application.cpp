#include "Application.h"

#include "Exceptions.h"
#include "Services.h"

#include <QCoreApplication>
#include <QWidget>

namespace {
TApplication theApplication;
}

TApplication* Application = &theApplication;

void TApplication::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

QList<QPointer<QWidget>> TApplication::HideWindows()
{
    QList<QPointer<QWidget>> hidden;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) {
            hidden << w;
            w->hide();
        }
    return hidden;
}

void TApplication::ShowWindows(const QList<QPointer<QWidget>>& windows)
{
    for (QWidget* w : windows)
        if (w && !w->isVisible())
            w->show();
}

void TApplication::Terminate()
{
    Terminated = true;
    // Straight out of the loop: quit() would first ask every window to close.
    QCoreApplication::exit(0);
}

void TApplication::ShowException(const std::exception& error)
{
    const auto* own = dynamic_cast<const Exception*>(&error);
    QString text = own ? own->Message : QString::fromLocal8Bit(error.what());
    if (!text.isEmpty() && !text.endsWith('.'))
        text += '.';
    Services::Messages().Show(MainForm, MessageRequest{text, Title, MsgButtons::OK, MsgIcon::Error});
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
