// The screen: its size, and grabs of a rectangle of it or of the whole
// desktop.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class ScreenService {
public:
    virtual ~ScreenService() = default;
    virtual QSize Size() = 0;
    // A copy of that rectangle of the real screen; a null image when the
    // desktop refuses the grab.
    virtual QImage Grab(const QRect& rect) = 0;

    // The picture, or a null one and why there is none, said for the user
    // (empty where nothing more is known).
    using Captured = std::function<void(const QImage& picture, const QString& failure)>;
    // Takes the whole desktop, every monitor, without waiting for it: `done`
    // runs later, from the event loop.
    virtual void GrabDesktop(Captured done);
    // How long taking the whole desktop may take before it counts as failed.
    virtual int CaptureWaitMs() { return 3000; }
    // Readies what the first grab of the whole desktop sets up, so that it
    // costs no more than a later one.
    virtual void Prepare() {}

    // The X server's pixels on X11, the desktop's screenshot portal on
    // Wayland, the toolkit's grab elsewhere.
    static std::unique_ptr<ScreenService> MakeReal();
};
