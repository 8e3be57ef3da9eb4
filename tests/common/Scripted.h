// Scripted stand-ins for the platform services, so that a test can read the
// exact words a user would be shown and answer them without a person.
#pragma once

#include "Services.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>

struct ShownMessage {
    MessageRequest request;
    TModalResult answer;
};

class ScriptedMessages : public MessageService {
public:
    QList<ShownMessage> shown;
    QQueue<TModalResult> answers; // taken in order; OK or Cancel when empty
    std::function<void(const MessageRequest&)> onShow;
    TModalResult Show(QWidget* owner, const MessageRequest& request) override;
};

class ScriptedDialogs : public DialogService {
public:
    // Each dialog takes the next answer; an empty optional is Cancel.
    QQueue<std::optional<TColor>> colors;
    QQueue<std::optional<TFont>> fonts;
    QQueue<std::optional<QString>> files;
    QList<TColor> colorPresets;
    QList<TFont> fontPresets;
    QList<FileDialogRequest> fileRequests;
    std::optional<TColor> ChooseColor(QWidget*, TColor preset) override;
    std::optional<TFont> ChooseFont(QWidget*, const TFont& preset) override;
    std::optional<QString> OpenFile(QWidget*, const FileDialogRequest& request) override;
    std::optional<QString> SaveFile(QWidget*, const FileDialogRequest& request) override;
};

// A screen that shows a given picture; a null picture refuses every grab.
class ScriptedScreen : public ScreenService {
public:
    QImage picture;
    QList<QRect> grabs;
    QSize Size() override { return picture.isNull() ? QSize(1024, 768) : picture.size(); }
    QImage Grab(const QRect& rect) override;
};

// The Print Screen key puts the scripted screen on the clipboard at once,
// unless told to put nothing.
class ScriptedKeyboard : public KeyboardService {
public:
    QList<int> keys;
    bool delivers = true;
    QString failure; // what a press that delivers nothing says of it
    void KeyDown(int virtualKey) override;
    QString CaptureFailure() override { return delivers ? QString() : failure; }
};

struct ShellCall {
    QString file, params, dir;
    int showCmd;
};

class ScriptedShell : public ShellService {
public:
    QList<ShellCall> calls;
    int Execute(const QString& file, const QString& params, const QString& dir, int showCmd) override;
};

class ScriptedTone : public ToneService {
public:
    QList<QPair<int, int>> tones;
    void Beep(int frequency, int milliseconds) override { tones.append({frequency, milliseconds}); }
};

class ScriptedClipboard : public ClipboardService {
public:
    QImage picture;
    bool HasPicture() override { return !picture.isNull(); }
    QImage Picture() override { return picture; }
    void SetPicture(const QImage& image) override { picture = image; }
    void Clear() override { picture = QImage(); }
};

// Installs a fresh set of scripted services and gives access to them.
struct ScriptedServices {
    ScriptedServices();
    ScriptedMessages* messages;
    ScriptedDialogs* dialogs;
    ScriptedScreen* screen;
    ScriptedKeyboard* keyboard;
    ScriptedShell* shell;
    ScriptedTone* tone;
    ScriptedClipboard* clipboard;
};
