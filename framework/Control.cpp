#include "Control.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>

namespace {

// Keeps the children aligned to the client area at their parent's size.
class ClientAligner : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize) {
            auto* parent = static_cast<QWidget*>(watched);
            for (QObject* child : parent->children()) {
                auto* w = qobject_cast<QWidget*>(child);
                if (w && w->property("alClient").toBool())
                    w->setGeometry(parent->rect());
            }
        }
        return false;
    }
};

} // namespace

void alignToParent(QWidget* widget)
{
    static ClientAligner aligner;
    widget->setProperty("alClient", true);
    if (QWidget* parent = widget->parentWidget()) {
        parent->removeEventFilter(&aligner);
        parent->installEventFilter(&aligner);
        widget->setGeometry(parent->rect());
    }
}
