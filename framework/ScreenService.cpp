#include "ScreenService.h"

#include "Desktop.h"
#include "OwnWindows.h"
#include "PortalScreenshot.h"
#include "ScreenshotFile.h"
#include "Services.h"
#include "Session.h"
#include "X11Grabber.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cmath>

void ScreenService::GrabDesktop(Captured done)
{
    QTimer::singleShot(0, qApp, [done] {
        ScreenService& screen = Services::Screen();
        done(screen.Grab(QRect(QPoint(0, 0), screen.Size())), QString());
    });
}

namespace {

// How long the desktop's screenshot portal may take to answer.
constexpr int PortalWaitMs = 5000;

class RealScreen : public ScreenService {
public:
    // The whole desktop, every monitor, in device pixels.
    QSize Size() override
    {
        QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? (QSizeF(screen->virtualGeometry().size()) * screen->devicePixelRatio()).toSize()
                      : QSize(1024, 768);
    }

    // The rectangle is in device pixels; so is the picture, one to one.
    QImage Grab(const QRect& rect) override
    {
        if (rect.isEmpty())
            return QImage();
        if (Session::IsWayland())
            return grabOnWayland(rect);
        return x11() ? x11()->grab(rect) : grabThroughQt(rect);
    }

    void GrabDesktop(Captured done) override
    {
        if (Session::IsWayland()) {
            askPortal([done](const QImage& picture, const QString& failure) { done(picture, failure); });
            return;
        }
        QTimer::singleShot(0, qApp, [this, done] {
            const QImage screen = Grab(QRect(QPoint(0, 0), Size()));
            done(screen, screen.isNull() ? refusedGrab() : QString());
        });
    }

    int CaptureWaitMs() override { return Session::IsWayland() ? PortalWaitMs + 1000 : 3000; }

    // One grab, thrown away: its shared segment, now mapped on both sides,
    // waits for the first capture. The portal is not asked for nothing.
    void Prepare() override
    {
        if (!Session::IsWayland() && x11())
            x11()->grab(QRect(QPoint(0, 0), Size()));
    }

private:
    X11Grabber* x11()
    {
        if (!triedX11_) {
            triedX11_ = true;
            x11_ = X11Grabber::open();
        }
        return x11_.get();
    }

    static QString refusedGrab()
    {
        if (Desktop::IsXWayland())
            return QStringLiteral("This is the X11 side (XWayland) of a Wayland desktop, which shows X11 programs no "
                                  "pixels of the screen. Start the program from within the Wayland session "
                                  "(WAYLAND_DISPLAY set), so that it asks the desktop's screenshot portal.");
        return QStringLiteral("The X server refused to give the pixels of the screen.");
    }

    // The whole desktop from the portal, at the desktop's size in device pixels.
    void askPortal(const Captured& done)
    {
        auto* portal = new PortalScreenshot(qApp);
        const QSize desktop = Size();
        portal->Request([portal, done, desktop](const QImage& picture, const QString& failure) {
            portal->deleteLater();
            done(fitToDesktop(picture, desktop), failure);
        }, PortalWaitMs);
    }

    // Where only the program's windows lie, what they show; elsewhere the
    // portal's picture of the whole desktop, waited for.
    QImage grabOnWayland(const QRect& rect)
    {
        bool covered = false;
        const QImage own = composeOwnWindows(rect, &covered);
        if (covered)
            return own;
        QImage whole;
        bool answered = false;
        QEventLoop wait;
        askPortal([&](const QImage& picture, const QString&) {
            whole = picture;
            answered = true;
            wait.quit();
        });
        if (!answered)
            wait.exec(QEventLoop::ExcludeUserInputEvents);
        return whole.isNull() ? QImage() : whole.copy(rect);
    }

    // Other platforms, and X servers with pixels of another layout.
    static QImage grabThroughQt(const QRect& rect)
    {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen)
            return QImage();
        // The toolkit grabs by scaled coordinates and answers in device
        // pixels: grab the scaled rectangle around it and cut it out.
        const qreal ratio = screen->devicePixelRatio();
        const int left = int(std::floor(rect.left() / ratio)), top = int(std::floor(rect.top() / ratio));
        const int right = int(std::ceil((rect.right() + 1) / ratio)), bottom = int(std::ceil((rect.bottom() + 1) / ratio));
        QImage image = screen->grabWindow(0, left, top, right - left, bottom - top).toImage();
        if (image.isNull())
            return QImage();
        image.setDevicePixelRatio(1);
        const QPoint origin = (QPointF(left, top) * ratio).toPoint();
        return image.copy(rect.translated(-origin)).convertToFormat(QImage::Format_RGB32);
    }

    bool triedX11_ = false;
    std::unique_ptr<X11Grabber> x11_;
};

} // namespace

std::unique_ptr<ScreenService> ScreenService::MakeReal() { return std::make_unique<RealScreen>(); }
