#include "Services.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QColorDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <cmath>

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
        if (!r.fileName.isEmpty())
            dialog.selectFile(r.fileName);
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }
};

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
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen || rect.isEmpty())
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
        QTimer::singleShot(0, qApp, [] {
            const QImage screen = Services::Screen().Grab(QRect(QPoint(0, 0), Services::Screen().Size()));
            if (!screen.isNull())
                Services::Clipboard().SetPicture(screen);
        });
    }
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
