#include "MessageService.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon boxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Error: return QMessageBox::Critical;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

class RealMessages : public MessageService {
public:
    TModalResult Show(QWidget* owner, const MessageRequest& request) override
    {
        QMessageBox box(owner);
        box.setWindowTitle(request.caption);
        box.setText(request.text);
        box.setIcon(boxIcon(request.icon));
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

} // namespace

std::unique_ptr<MessageService> MessageService::MakeReal() { return std::make_unique<RealMessages>(); }
