#include "Services.h"

#include "Desktop.h"
#include "OwnWindows.h"
#include "PortalScreenshot.h"
#include "ScreenshotFile.h"
#include "Session.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QColorDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QRegularExpression>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <cmath>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

namespace {

class RealMessages : public MessageService {
public:
    TModalResult Show(QWidget* owner, const MessageRequest& request) override
    {
        QMessageBox box(owner);
        box.setWindowTitle(request.caption);
        box.setText(request.text);
        switch (request.icon) {
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        }
        if (request.buttons == MsgButtons::YesNoCancel) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Yes);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
        }
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        switch (box.exec()) {
        case QMessageBox::Yes: return mrYes;
        case QMessageBox::No: return mrNo;
        case QMessageBox::Ok: return mrOk;
        default: return mrCancel;
        }
    }
};

// "Windows Bitmap|*.bmp|all files|*" becomes Qt's "Windows Bitmap (*.bmp);;all files (*)".
QString qtFilter(const QString& classic)
{
    const QStringList parts = classic.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), QString(parts[i + 1]).replace(';', ' '));
    return filters.join(QStringLiteral(";;"));
}

class RealDialogs : public DialogService {
public:
    std::optional<TColor> ChooseColor(QWidget* owner, TColor preset) override
    {
        const QColor c = QColorDialog::getColor(toQColor(preset), owner);
        if (!c.isValid())
            return std::nullopt;
        return fromQColor(c);
    }

    std::optional<TFont> ChooseFont(QWidget* owner, const TFont& preset) override
    {
        bool ok = false;
        QFont initial = preset.toQFont();
        initial.setPointSize(preset.Size);
        const QFont f = QFontDialog::getFont(&ok, initial, owner);
        if (!ok)
            return std::nullopt;
        TFont font = preset;
        font.Name = f.family();
        font.Size = f.pointSize() > 0 ? f.pointSize() : (f.pixelSize() * 72 + 48) / 96;
        font.Style = (f.bold() ? fsBold : 0) | (f.italic() ? fsItalic : 0) | (f.underline() ? fsUnderline : 0) |
                     (f.strikeOut() ? fsStrikeOut : 0);
        return font;
    }

    std::optional<QString> OpenFile(QWidget* owner, const FileDialogRequest& r) override
    {
        return run(owner, r, QFileDialog::AcceptOpen);
    }

    std::optional<QString> SaveFile(QWidget* owner, const FileDialogRequest& r) override
    {
        return run(owner, r, QFileDialog::AcceptSave);
    }

private:
    static std::optional<QString> run(QWidget* owner, const FileDialogRequest& r, QFileDialog::AcceptMode mode)
    {
        QFileDialog dialog(owner, r.title, r.initialDir, qtFilter(r.filter));
        dialog.setAcceptMode(mode);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dialog.setDefaultSuffix(r.defaultExtension);
        // A name typed without an extension takes that of the filter chosen.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, r](const QString& filter) {
            static const QRegularExpression onePattern(QStringLiteral("\\(\\*\\.(\\w+)\\)$"));
            const QRegularExpressionMatch m = onePattern.match(filter);
            dialog.setDefaultSuffix(m.hasMatch() ? m.captured(1) : r.defaultExtension);
        });
        if (!r.fileName.isEmpty())
            dialog.selectFile(r.fileName);
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }
};

// A shared memory segment attached to the server, which a grab is written
// into. The images made from it hand it back when the last of them goes, and
// the next grab of the same size takes it again: a new segment costs more in
// page faults, on both sides, than the grab itself.
struct Segment {
    void* memory = nullptr;
    size_t bytes = 0;
    xcb_shm_seg_t id = 0;
};

// Images go on any thread; the grabber takes the segments back on its own.
class SegmentReturns {
public:
    void give(const Segment& s)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        returned_.push_back(s);
    }
    std::vector<Segment> takeAll()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(returned_, {});
    }

private:
    std::mutex mutex_;
    std::vector<Segment> returned_;
};

SegmentReturns& segmentReturns()
{
    static auto* returns = new SegmentReturns; // images may outlive every other object
    return *returns;
}

// The X server's own picture of the root window, read through a shared
// memory segment where the server allows it (no copying over the socket, no
// per-pixel conversion), by a plain image request where it does not (a
// remote display). Coordinates are device pixels of the whole desktop.
class X11Grabber {
public:
    // Null when the platform is not X11 or its pixels are not 32-bit BGRX.
    static std::unique_ptr<X11Grabber> open()
    {
        xcb_connection_t* connection = Desktop::Connection();
        if (!connection || !Desktop::PlainPixels())
            return nullptr;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        return std::unique_ptr<X11Grabber>(new X11Grabber(connection, screen));
    }

    QImage grab(const QRect& rect)
    {
        const QRect onRoot = rect.intersected(rootRect());
        if (onRoot == rect && shmUsable_) {
            QImage whole = grabShared(rect);
            if (!whole.isNull())
                return whole;
        }
        QImage image(rect.size(), QImage::Format_RGB32);
        if (image.isNull())
            return QImage();
        if (onRoot != rect)
            image.fill(Qt::black); // what lies beyond the desktop has no pixels
        if (onRoot.isEmpty())
            return image;
        const QPoint at = onRoot.topLeft() - rect.topLeft();
        if (shmUsable_ && grabShared(onRoot, image, at))
            return image;
        return grabPlain(onRoot, image, at) ? image : QImage();
    }

private:
    X11Grabber(xcb_connection_t* connection, const xcb_screen_t* screen) : connection_(connection), root_(*screen)
    {
        const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection_, &xcb_shm_id);
        shmUsable_ = shm && shm->present;
    }

    // Asked each time: the desktop grows and shrinks as monitors come and go.
    QRect rootRect() const
    {
        xcb_get_geometry_reply_t* geometry =
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, root_.root), nullptr);
        const QRect r = geometry ? QRect(0, 0, geometry->width, geometry->height) : QRect();
        free(geometry);
        return r;
    }

    // Rows of BGRX pixels into the image at `at`, opaque whatever the server
    // left in the padding byte.
    static void copyRows(const uchar* pixels, int width, int height, QImage& image, QPoint at)
    {
        for (int y = 0; y < height; ++y) {
            const auto* from = reinterpret_cast<const quint32*>(pixels) + size_t(y) * width;
            auto* to = reinterpret_cast<quint32*>(image.scanLine(at.y() + y)) + at.x();
            for (int x = 0; x < width; ++x)
                to[x] = from[x] | 0xFF000000u;
        }
    }

    // A segment of `bytes` the server can write into: one handed back by the
    // images of an earlier grab, or a new one; none when the server refuses.
    std::optional<Segment> segmentFor(size_t bytes)
    {
        std::optional<Segment> found;
        for (const Segment& s : segmentReturns().takeAll()) {
            if (!found && s.bytes == bytes)
                found = s;
            else
                release(s);
        }
        return found ? found : newSegment(bytes);
    }

    std::optional<Segment> newSegment(size_t bytes)
    {
        const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (id < 0)
            return std::nullopt;
        void* memory = shmat(id, nullptr, 0);
        shmctl(id, IPC_RMID, nullptr); // gone with the last detach, even after a crash
        if (memory == reinterpret_cast<void*>(-1))
            return std::nullopt;
        const Segment s{memory, bytes, xcb_generate_id(connection_)};
        if (xcb_generic_error_t* refused =
                xcb_request_check(connection_, xcb_shm_attach_checked(connection_, s.id, id, false))) {
            free(refused);
            shmUsable_ = false; // a remote server cannot see our memory: do not ask again
            shmdt(memory);
            return std::nullopt;
        }
        return s;
    }

    void release(const Segment& s)
    {
        xcb_shm_detach(connection_, s.id);
        xcb_flush(connection_);
        shmdt(s.memory);
    }

    // The rectangle's pixels in a shared segment, made opaque; nothing when
    // the server refuses.
    std::optional<Segment> grabIntoSegment(const QRect& r)
    {
        std::optional<Segment> s = segmentFor(size_t(r.width()) * r.height() * 4);
        if (!s)
            return std::nullopt;
        auto cookie = xcb_shm_get_image(connection_, root_.root, r.x(), r.y(), r.width(), r.height(), ~0u,
                                        XCB_IMAGE_FORMAT_Z_PIXMAP, s->id, 0);
        xcb_generic_error_t* error = nullptr;
        bool done = false;
        if (xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(connection_, cookie, &error)) {
            done = reply->size >= s->bytes;
            free(reply);
        }
        free(error);
        if (!done) {
            release(*s);
            return std::nullopt;
        }
        auto* pixel = static_cast<quint32*>(s->memory);
        for (size_t i = 0, n = s->bytes / 4; i < n; ++i)
            pixel[i] |= 0xFF000000u; // opaque whatever the server left in the padding byte
        return s;
    }

    // The whole picture straight from the segment, without a copy; the
    // segment is handed back when the last image sharing it goes.
    QImage grabShared(const QRect& r)
    {
        const std::optional<Segment> s = grabIntoSegment(r);
        if (!s)
            return QImage();
        auto* handed = new Segment(*s);
        QImage image(static_cast<uchar*>(s->memory), r.width(), r.height(), r.width() * 4, QImage::Format_RGB32,
                     [](void* segment) {
                         segmentReturns().give(*static_cast<Segment*>(segment));
                         delete static_cast<Segment*>(segment);
                     },
                     handed);
        if (image.isNull()) { // no image, so nobody hands it back
            delete handed;
            release(*s);
        }
        return image;
    }

    // Part of the picture into an image that reaches beyond the desktop.
    bool grabShared(const QRect& r, QImage& image, QPoint at)
    {
        const std::optional<Segment> s = grabIntoSegment(r);
        if (!s)
            return false;
        copyRows(static_cast<const uchar*>(s->memory), r.width(), r.height(), image, at);
        segmentReturns().give(*s);
        return true;
    }

    bool grabPlain(const QRect& r, QImage& image, QPoint at)
    {
        // One request holds at most the server's maximum request length, so
        // a large area comes in bands of rows.
        const uint32_t maxBytes = xcb_get_maximum_request_length(connection_) * 4u;
        const int bandRows = qMax(1, int(qMin<uint64_t>(maxBytes / 2, 16u << 20) / (uint64_t(r.width()) * 4)));
        for (int top = 0; top < r.height(); top += bandRows) {
            const int rows = qMin(bandRows, r.height() - top);
            auto cookie = xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_.root, r.x(), r.y() + top,
                                        r.width(), rows, ~0u);
            xcb_get_image_reply_t* reply = xcb_get_image_reply(connection_, cookie, nullptr);
            if (!reply)
                return false;
            const bool whole = xcb_get_image_data_length(reply) >= r.width() * rows * 4;
            if (whole)
                copyRows(xcb_get_image_data(reply), r.width(), rows, image, at + QPoint(0, top));
            free(reply);
            if (!whole)
                return false;
        }
        return true;
    }

    xcb_connection_t* connection_;
    xcb_screen_t root_;
    bool shmUsable_ = false;
};

// How long the desktop's screenshot portal may take to answer.
constexpr int PortalWaitMs = 5000;

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

class RealShell : public ShellService {
public:
    int Execute(const QString& file, const QString& params, const QString& dir, int) override
    {
        const QStringList args = QProcess::splitCommand(params);
        return QProcess::startDetached(file, args, dir) ? 42 : 2;
    }
};

QByteArray toneWave(int frequency, int milliseconds)
{
    constexpr int rate = 22050;
    const int samples = rate * milliseconds / 1000;
    QByteArray wav(44 + samples * 2, '\0');
    char* d = wav.data();
    auto put32 = [&](int at, quint32 v) { qToLittleEndian<quint32>(v, d + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian<quint16>(v, d + at); };
    memcpy(d, "RIFF", 4);
    put32(4, 36 + samples * 2);
    memcpy(d + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 1);
    put32(24, rate);
    put32(28, rate * 2);
    put16(32, 2);
    put16(34, 16);
    memcpy(d + 36, "data", 4);
    put32(40, samples * 2);
    for (int i = 0; i < samples; ++i)
        put16(44 + i * 2, quint16(qint16(8000 * std::sin(2 * M_PI * frequency * i / rate))));
    return wav;
}

class RealTone : public ToneService {
public:
    void Beep(int frequency, int milliseconds) override
    {
        const QString player = QStandardPaths::findExecutable(QStringLiteral("aplay"));
        QElapsedTimer clock;
        clock.start();
        if (!player.isEmpty()) {
            QProcess process;
            process.start(player, {QStringLiteral("-q"), QStringLiteral("-")});
            if (process.waitForStarted(500)) {
                process.write(toneWave(frequency, milliseconds));
                process.closeWriteChannel();
                process.waitForFinished(milliseconds + 1000);
                return;
            }
        }
        QApplication::beep();
        const qint64 left = milliseconds - clock.elapsed();
        if (left > 0)
            QThread::msleep(left);
    }
};

class RealClipboard : public ClipboardService {
public:
    bool HasPicture() override
    {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return data && data->hasImage();
    }
    QImage Picture() override { return QGuiApplication::clipboard()->image(); }
    void SetPicture(const QImage& image) override { QGuiApplication::clipboard()->setImage(image); }
    void Clear() override { QGuiApplication::clipboard()->clear(); }
};

template <class Interface, class Real>
Interface& slot(std::unique_ptr<Interface>* replacement = nullptr)
{
    static std::unique_ptr<Interface> service;
    if (replacement)
        service = std::move(*replacement);
    if (!service)
        service = std::make_unique<Real>();
    return *service;
}

} // namespace

void ScreenService::GrabDesktop(Captured done)
{
    QTimer::singleShot(0, qApp, [done] {
        ScreenService& screen = Services::Screen();
        done(screen.Grab(QRect(QPoint(0, 0), screen.Size())), QString());
    });
}

namespace Services {
MessageService& Messages() { return slot<MessageService, RealMessages>(); }
DialogService& Dialogs() { return slot<DialogService, RealDialogs>(); }
ScreenService& Screen() { return slot<ScreenService, RealScreen>(); }
KeyboardService& Keyboard() { return slot<KeyboardService, RealKeyboard>(); }
ShellService& Shell() { return slot<ShellService, RealShell>(); }
ToneService& Tone() { return slot<ToneService, RealTone>(); }
ClipboardService& Clipboard() { return slot<ClipboardService, RealClipboard>(); }

void Install(std::unique_ptr<MessageService> s) { slot<MessageService, RealMessages>(&s); }
void Install(std::unique_ptr<DialogService> s) { slot<DialogService, RealDialogs>(&s); }
void Install(std::unique_ptr<ScreenService> s) { slot<ScreenService, RealScreen>(&s); }
void Install(std::unique_ptr<KeyboardService> s) { slot<KeyboardService, RealKeyboard>(&s); }
void Install(std::unique_ptr<ShellService> s) { slot<ShellService, RealShell>(&s); }
void Install(std::unique_ptr<ToneService> s) { slot<ToneService, RealTone>(&s); }
void Install(std::unique_ptr<ClipboardService> s) { slot<ClipboardService, RealClipboard>(&s); }
} // namespace Services
