#include "Services.h"

#include <utility>

namespace {

// The one service of its kind: a replacement when one is given, the real
// one until then (and again after a null replacement).
template <class Interface>
Interface& slot(std::unique_ptr<Interface>* replacement = nullptr)
{
    static std::unique_ptr<Interface> service;
    if (replacement)
        service = std::move(*replacement);
    if (!service)
        service = Interface::MakeReal();
    return *service;
}

} // namespace

namespace Services {
MessageService& Messages() { return slot<MessageService>(); }
DialogService& Dialogs() { return slot<DialogService>(); }
ScreenService& Screen() { return slot<ScreenService>(); }
KeyboardService& Keyboard() { return slot<KeyboardService>(); }
ShellService& Shell() { return slot<ShellService>(); }
ToneService& Tone() { return slot<ToneService>(); }
ClipboardService& Clipboard() { return slot<ClipboardService>(); }

void Install(std::unique_ptr<MessageService> s) { slot(&s); }
void Install(std::unique_ptr<DialogService> s) { slot(&s); }
void Install(std::unique_ptr<ScreenService> s) { slot(&s); }
void Install(std::unique_ptr<KeyboardService> s) { slot(&s); }
void Install(std::unique_ptr<ShellService> s) { slot(&s); }
void Install(std::unique_ptr<ToneService> s) { slot(&s); }
void Install(std::unique_ptr<ClipboardService> s) { slot(&s); }
} // namespace Services
