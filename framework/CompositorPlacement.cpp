#include "CompositorPlacement.h"

#include "Desktop.h"
#include "SwayCommands.h"
#include "SwayMaps.h"

#include <QByteArray>
#include <QEvent>
#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

constexpr char Position[] = "quilletCompositorPosition";
constexpr char Size[] = "quilletCompositorSize"; // what the program made it, before sway tiled it
constexpr char Moving[] = "quilletCompositorMoving"; // sway moves it with the pointer

// Sends the window's wanted place whenever it is shown anew, and keeps
// where it was when it goes. The compositor maps a shown window a moment
// later and centres it then, so the place is sent again for a while (a
// command for a window not mapped yet finds nothing, and does nothing).
class FollowMaps : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(watched);
        if (window && event->type() == QEvent::Hide) {
            window->setProperty(Position, window->frameGeometry().topLeft());
            window->setProperty(Moving, QVariant()); // closed before the button went up
        }
        if (window && event->type() == QEvent::Show) {
            // Shown before it is mapped: sway floats it at once rather than
            // tiling it first at another size.
            Desktop::MarkAsUtility(window);
            sendFor(window, {0, 30, 100, 300, 800, 1500});
        }
        return false;
    }

    // The window just mapped is placed again: sway has centred it.
    static void mapped(WId id)
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->testAttribute(Qt::WA_WState_Created) && window->winId() == id && window->property(Position).isValid())
                sendFor(window, {0, 30, 100, 300});
    }

    // The toolkit's own request for the window's geometry reaches the
    // compositor after the command, and sway centres the window again on it:
    // the command follows it.
    static void sendFor(QWidget* window, std::initializer_list<int> delaysMs)
    {
        for (int ms : delaysMs)
            QTimer::singleShot(ms, window, [window] { send(window, true); });
    }

    // With `resync` the window is moved a pixel and back: sway then tells the
    // X server where it put it, which it fails to do when its move crossed
    // the window's own resize (the X server then has the window elsewhere,
    // and the pointer's clicks miss it).
    static void send(QWidget* window, bool resync = false)
    {
        SwayCommands* sway = SwayCommands::Get();
        const QVariant at = window->property(Position);
        if (!sway || !at.isValid() || !window->testAttribute(Qt::WA_WState_Created) || window->property(Moving).toBool())
            return;
        const QPoint p = at.toPoint();
        const QByteArray id = "[id=" + QByteArray::number(window->winId()) + "] ";
        const QByteArray move = id + "move absolute position " + QByteArray::number(p.x()) + " " + QByteArray::number(p.y());
        if (resync)
            sway->Run(id + "move absolute position " + QByteArray::number(p.x()) + " " + QByteArray::number(p.y() + 1));
        const QByteArray reply = sway->Run(move);
        // A tiled window cannot be placed: it floats first (which centres it,
        // so only when it must). A window not mapped yet is found by nothing.
        if (reply.contains("\"success\": false") && !reply.contains("No matching node")) {
            sway->Run(id + "floating enable");
            const QSize size = window->property(Size).toSize();
            sway->Run(id + "resize set " + QByteArray::number(size.width()) + " px " + QByteArray::number(size.height()) + " px");
            sway->Run(move);
        }
    }
};

} // namespace

bool CompositorPlacement::PlacesWindows()
{
    return SwayCommands::Get() != nullptr;
}

void CompositorPlacement::Place(QWidget* window, QPoint frameTopLeft)
{
    if (!window || !SwayCommands::Get())
        return;
    static FollowMaps* follower = new FollowMaps;
    static SwayMaps* maps = new SwayMaps(&FollowMaps::mapped);
    Q_UNUSED(maps);
    if (!window->property(Position).isValid())
        window->installEventFilter(follower);
    window->setProperty(Position, frameTopLeft);
    window->setProperty(Size, window->size());
    if (window->isVisible()) {
        FollowMaps::send(window);
        FollowMaps::sendFor(window, {50, 250, 1500});
    }
}

bool CompositorPlacement::MoveWithPointer(QWidget* window)
{
    QWindow* handle = window ? window->windowHandle() : nullptr;
    if (!SwayCommands::Get() || !handle || !handle->startSystemMove())
        return false;
    window->setProperty(Moving, true);
    return true;
}

void CompositorPlacement::MovedWithPointer(QWidget* window)
{
    window->setProperty(Moving, QVariant());
    if (window->property(Position).isValid())
        window->setProperty(Position, window->frameGeometry().topLeft());
}

namespace {
// A window shown a moment ago is not mapped yet: what it is given is sent
// again for a while.
template <typename Send>
void forShownWindow(QWidget* window, Send send)
{
    if (!window || !SwayCommands::Get())
        return;
    for (int ms : {0, 100, 400}) {
        QTimer::singleShot(ms, window, [window, send] {
            if (window->isVisible() && window->testAttribute(Qt::WA_WState_Created))
                send(SwayCommands::Get(), "[id=" + QByteArray::number(window->winId()) + "]");
        });
    }
}

void runForShownWindow(QWidget* window, const QByteArray& command)
{
    forShownWindow(window, [command](SwayCommands* sway, const QByteArray& criteria) { sway->Run(criteria + " " + command); });
}

void focusShownWindow(QWidget* window)
{
    forShownWindow(window, [](SwayCommands* sway, const QByteArray& criteria) { sway->Focus(criteria); });
}
} // namespace

// sway lifts an X11 window that is clicked above the others for the X
// server, though it still shows the stay-on-top ones in front of it: the
// next click on one of those would reach the full-screen window beneath.
// A window floating over several outputs is lifted above them even for
// sway. So they are lifted again at the press in a window that covers its
// output, and at its release.
class LiftAfterClicks : public QObject {
public:
    // A window sway shows over a whole output, whether or not it told the
    // X server the window is in full screen.
    static bool coversItsScreen(const QWidget* window)
    {
        return window->isFullScreen() || (window->screen() && window->geometry().contains(window->screen()->geometry()));
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Every event of the program passes here.
        if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !coversItsScreen(widget->window()))
            return false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && !coversItsScreen(w) && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
                focusShownWindow(w);
        return false;
    }
};

void CompositorPlacement::Raise(QWidget* window)
{
    static const bool watching = [] {
        if (SwayCommands::Get())
            qApp->installEventFilter(new LiftAfterClicks);
        return true;
    }();
    Q_UNUSED(watching);
    focusShownWindow(window);
}

// sway's full screen covers one output, and its global full screen takes
// every click, even on the stay-on-top windows it shows above: the window
// floats over the whole desktop instead, below them.
void CompositorPlacement::CoverAllOutputs(QWidget* window)
{
    if (QGuiApplication::screens().size() < 2 || !window->screen())
        return;
    const QRect desktop = window->screen()->virtualGeometry();
    runForShownWindow(window, "fullscreen disable, floating enable, border none, resize set " +
                                  QByteArray::number(desktop.width()) + " px " + QByteArray::number(desktop.height()) +
                                  " px, move absolute position " + QByteArray::number(desktop.x()) + " " +
                                  QByteArray::number(desktop.y()));
}
