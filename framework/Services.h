// The platform services the forms use, each behind one seam: the real
// implementation by default, a scripted one that tests install.
#pragma once

#include "Canvas.h"
#include "Types.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

enum class MsgButtons { OK, YesNoCancel };
enum class MsgIcon { None, Question, Error, Information };

struct MessageRequest {
    QString text;
    QString caption;
    MsgButtons buttons = MsgButtons::OK;
    MsgIcon icon = MsgIcon::None;
};

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows a modal message box and returns the button pressed (mrYes, ...).
    virtual TModalResult Show(QWidget* owner, const MessageRequest& request) = 0;
};

struct FileDialogRequest {
    QString title;
    QString filter;           // classic "Description|*.ext|..." form
    QString defaultExtension; // added when the typed name has none
    QString initialDir;
    QString fileName;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    virtual std::optional<TColor> ChooseColor(QWidget* owner, TColor preset) = 0;
    virtual std::optional<TFont> ChooseFont(QWidget* owner, const TFont& preset) = 0;
    virtual std::optional<QString> OpenFile(QWidget* owner, const FileDialogRequest& request) = 0;
    virtual std::optional<QString> SaveFile(QWidget* owner, const FileDialogRequest& request) = 0;
};

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
};

// The Print Screen key: a key-down makes the platform put a picture of the
// whole primary screen on the clipboard, some time later.
class KeyboardService {
public:
    virtual ~KeyboardService() = default;
    virtual void KeyDown(int virtualKey) = 0;
    // Why the last Print Screen put no picture on the clipboard, said for the
    // user; empty while the picture is on its way, or came.
    virtual QString CaptureFailure() { return QString(); }
};
constexpr int VK_SNAPSHOT = 44;

class ShellService {
public:
    virtual ~ShellService() = default;
    // Starts a program; a result above 32 means it started.
    virtual int Execute(const QString& file, const QString& params, const QString& dir, int showCmd) = 0;
};
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;

class ToneService {
public:
    virtual ~ToneService() = default;
    // Sounds a tone and returns when it ends.
    virtual void Beep(int frequency, int milliseconds) = 0;
};

class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    virtual bool HasPicture() = 0;
    virtual QImage Picture() = 0;
    virtual void SetPicture(const QImage& image) = 0;
    virtual void Clear() = 0;
};

// Where each service is found; the real ones unless a test installed others.
namespace Services {
MessageService& Messages();
DialogService& Dialogs();
ScreenService& Screen();
KeyboardService& Keyboard();
ShellService& Shell();
ToneService& Tone();
ClipboardService& Clipboard();

void Install(std::unique_ptr<MessageService> service);
void Install(std::unique_ptr<DialogService> service);
void Install(std::unique_ptr<ScreenService> service);
void Install(std::unique_ptr<KeyboardService> service);
void Install(std::unique_ptr<ShellService> service);
void Install(std::unique_ptr<ToneService> service);
void Install(std::unique_ptr<ClipboardService> service);
} // namespace Services
