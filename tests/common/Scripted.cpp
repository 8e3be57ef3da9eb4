#include "Scripted.h"

TModalResult ScriptedMessages::Show(QWidget*, const MessageRequest& request)
{
    if (onShow)
        onShow(request);
    TModalResult answer = answers.isEmpty() ? (request.buttons == MsgButtons::OK ? mrOk : mrCancel)
                                            : answers.dequeue();
    shown.append({request, answer});
    return answer;
}

std::optional<TColor> ScriptedDialogs::ChooseColor(QWidget*, TColor preset)
{
    colorPresets.append(preset);
    return colors.isEmpty() ? std::nullopt : colors.dequeue();
}

std::optional<TFont> ScriptedDialogs::ChooseFont(QWidget*, const TFont& preset)
{
    fontPresets.append(preset);
    return fonts.isEmpty() ? std::nullopt : fonts.dequeue();
}

std::optional<QString> ScriptedDialogs::OpenFile(QWidget*, const FileDialogRequest& request)
{
    fileRequests.append(request);
    return files.isEmpty() ? std::nullopt : files.dequeue();
}

std::optional<QString> ScriptedDialogs::SaveFile(QWidget*, const FileDialogRequest& request)
{
    fileRequests.append(request);
    return files.isEmpty() ? std::nullopt : files.dequeue();
}

QImage ScriptedScreen::Grab(const QRect& rect)
{
    grabs.append(rect);
    if (picture.isNull())
        return QImage();
    QImage out(rect.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    const QRect inside = rect.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            out.setPixel(x - rect.x(), y - rect.y(), picture.pixel(x, y));
    return out;
}

void ScriptedKeyboard::KeyDown(int virtualKey)
{
    keys.append(virtualKey);
    if (virtualKey == VK_SNAPSHOT)
        Services::Clipboard().Clear();
    if (delivers && virtualKey == VK_SNAPSHOT) {
        const QImage screen = Services::Screen().Grab(QRect(QPoint(0, 0), Services::Screen().Size()));
        if (!screen.isNull())
            Services::Clipboard().SetPicture(screen);
    }
}

int ScriptedShell::Execute(const QString& file, const QString& params, const QString& dir, int showCmd)
{
    calls.append({file, params, dir, showCmd});
    return 42;
}

ScriptedServices::ScriptedServices()
{
    auto m = std::make_unique<ScriptedMessages>();
    auto d = std::make_unique<ScriptedDialogs>();
    auto s = std::make_unique<ScriptedScreen>();
    auto k = std::make_unique<ScriptedKeyboard>();
    auto sh = std::make_unique<ScriptedShell>();
    auto t = std::make_unique<ScriptedTone>();
    auto c = std::make_unique<ScriptedClipboard>();
    messages = m.get();
    dialogs = d.get();
    screen = s.get();
    keyboard = k.get();
    shell = sh.get();
    tone = t.get();
    clipboard = c.get();
    Services::Install(std::move(m));
    Services::Install(std::move(d));
    Services::Install(std::move(s));
    Services::Install(std::move(k));
    Services::Install(std::move(sh));
    Services::Install(std::move(t));
    Services::Install(std::move(c));
}
