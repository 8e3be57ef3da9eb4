#include "Application.h"

#include "Exceptions.h"
#include "Services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QWidget>

namespace {
TApplication theApplication;

// The signal handler's end of the self-pipe; the event loop reads the other.
int signalPipe[2] = {-1, -1};

void onSignal(int number)
{
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);
    errno = saved;
}
} // namespace

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

void TApplication::ActivateMainForm()
{
    const QWidget* active = QApplication::activeWindow();
    if (active && active->isVisible())
        return; // a window of the program has the keys already
    if (MainForm && MainForm->isVisible() && !Terminated)
        MainForm->activateWindow();
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

void runOnTerminationSignals(std::function<void()> orderlyEnd)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [orderlyEnd = std::move(orderlyEnd)] {
        char byte = 0;
        while (::read(signalPipe[1], &byte, 1) > 0) {
        }
        // A second signal during the close has nothing more to do.
        if (!Application->Terminated)
            orderlyEnd();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(number, &action, nullptr);
}
