// The Print Screen key: a key-down makes the platform put a picture of the
// whole primary screen on the clipboard, some time later.
#pragma once

#include <QString>
#include <memory>

class KeyboardService {
public:
    virtual ~KeyboardService() = default;
    virtual void KeyDown(int virtualKey) = 0;
    // Why the last Print Screen put no picture on the clipboard, said for the
    // user; empty while the picture is on its way, or came.
    virtual QString CaptureFailure() { return QString(); }
    // Print Screen grabs the desktop through the screen service and puts the
    // picture on the clipboard service.
    static std::unique_ptr<KeyboardService> MakeReal();
};
constexpr int VK_SNAPSHOT = 44;
