#include "KeyboardService.h"

#include "Desktop.h"
#include "Services.h"
#include "Session.h"

#include <QImage>

namespace {

bool allBlack(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0xFFFFFFu) != 0)
                return false;
    }
    return true;
}

class RealKeyboard : public KeyboardService {
public:
    void KeyDown(int virtualKey) override
    {
        if (virtualKey != VK_SNAPSHOT)
            return;
        // The old content goes at once, so a paste waiting for the new picture
        // cannot take the old one; the picture arrives a little later, as the
        // real key's would.
        Services::Clipboard().Clear();
        last_->failure.clear();
        const int press = ++last_->press;
        Services::Screen().GrabDesktop([last = last_, press](const QImage& screen, const QString& failure) {
            if (press != last->press)
                return; // a later press takes over
            if (screen.isNull())
                last->failure = failure.isEmpty() ? QStringLiteral("The screen could not be read.") : failure;
            else if (Desktop::IsXWayland() && !Session::IsWayland() && allBlack(screen))
                last->failure = QStringLiteral("The screen came back all black from XWayland, the X11 side of a "
                                               "Wayland desktop, which shows X11 programs no pixels of the screen. "
                                               "Start the program from within the Wayland session (WAYLAND_DISPLAY "
                                               "set), so that it asks the desktop's screenshot portal.");
            else
                Services::Clipboard().SetPicture(screen);
        });
    }

    QString CaptureFailure() override { return last_->failure; }

private:
    // The last press's outcome; a grab may end after this service is gone.
    struct Press {
        int press = 0;
        QString failure;
    };
    std::shared_ptr<Press> last_ = std::make_shared<Press>();
};

} // namespace

std::unique_ptr<KeyboardService> KeyboardService::MakeReal() { return std::make_unique<RealKeyboard>(); }
