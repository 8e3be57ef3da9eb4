// Message boxes: the text, caption, buttons and icon a user is shown, and
// the button pressed.
#pragma once

#include "Types.h"

#include <QString>
#include <memory>

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
    // The toolkit's message box, on top of every window.
    static std::unique_ptr<MessageService> MakeReal();
};
