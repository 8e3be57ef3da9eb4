#include "OwnWindows.h"

#include "Form.h"

#include <QApplication>
#include <QPainter>
#include <QRegion>
#include <QTransform>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

// Windows being shown are not on the screen until the desktop maps them.
QList<QWidget*> windowsOnScreen()
{
    QList<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed())
            windows << w;
    // A full-screen surface lies beneath the bar and the floating windows.
    std::stable_sort(windows.begin(), windows.end(), [](const QWidget* a, const QWidget* b) {
        return qint64(a->width()) * a->height() > qint64(b->width()) * b->height();
    });
    return windows;
}

// The part of the desktop the window paints, in device pixels.
QRegion paintedArea(const QWidget* w, const QRect& onDesktop)
{
    if (w->mask().isEmpty())
        return QRegion(onDesktop);
    const qreal ratio = w->devicePixelRatioF();
    return QTransform::fromScale(ratio, ratio).map(w->mask()).translated(onDesktop.topLeft());
}

} // namespace

QImage composeOwnWindows(const QRect& rect, bool* covered)
{
    QImage picture(rect.size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    QRegion shown;
    QPainter painter(&picture);
    for (QWidget* w : windowsOnScreen()) {
        const QRect onDesktop = DevicePixels(w, w->geometry());
        const QRegion area = paintedArea(w, onDesktop).intersected(rect);
        if (area.isEmpty())
            continue;
        QImage drawn = w->grab().toImage();
        drawn.setDevicePixelRatio(1);
        painter.setClipRegion(area.translated(-rect.topLeft()));
        painter.drawImage(onDesktop.topLeft() - rect.topLeft(), drawn);
        shown += area;
    }
    if (covered)
        *covered = QRegion(rect).subtracted(shown).isEmpty();
    return picture;
}
