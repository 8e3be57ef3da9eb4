#include "ControlLooks.h"

#include "Canvas.h"

#include <QString>
#include <QWidget>

void applyFont(QWidget* widget, const TFont& font, TColor color)
{
    widget->setFont(font.toQFont());
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, toQColor(color));
    p.setColor(QPalette::ButtonText, toQColor(color));
    p.setColor(QPalette::Text, toQColor(color));
    widget->setPalette(p);
}

void fillBackground(QWidget* widget, TColor color)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, toQColor(color));
    p.setColor(QPalette::Base, toQColor(color));
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

QString shownCaption(const QString& caption)
{
    QString shown;
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&')
                shown += '&', ++i;
            continue;
        }
        shown += caption[i];
    }
    return shown;
}
