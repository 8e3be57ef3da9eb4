// The platform services the forms use, each behind one seam: the real
// implementation by default, a scripted one that tests install.
#pragma once

#include "ClipboardService.h"
#include "DialogService.h"
#include "KeyboardService.h"
#include "MessageService.h"
#include "ScreenService.h"
#include "ShellService.h"
#include "ToneService.h"

#include <memory>

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
