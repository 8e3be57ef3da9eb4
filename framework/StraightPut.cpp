#include "StraightPut.h"

#include <QEvent>
#include <QImage>
#include <QWidget>
#include <utility>

TStraightPut::TStraightPut(const QWidget* widget, std::function<void(const QRegion&)> repaint)
    : widget_(widget), repaint_(std::move(repaint))
{
    catchUp_.setSingleShot(true);
    catchUp_.setInterval(1000);
    QObject::connect(&catchUp_, &QTimer::timeout, this, [this] { catchUp(); });
}

bool TStraightPut::Put(const QImage& bitmap, const QRegion& area)
{
    // A megabyte goes faster through shared memory, as the toolkit puts it.
    qint64 pixels = 0;
    for (const QRect& r : area)
        pixels += qint64(r.width()) * r.height();
    if (pixels > (1 << 18) || !put_.Put(widget_, bitmap, area))
        return false;
    putPast(area);
    return true;
}

void TStraightPut::putPast(const QRegion& area)
{
    putPast_ += area;
    // A long drag leaves a trail of strips; their box repaints faster at the end.
    if (putPast_.rectCount() > 64)
        putPast_ = putPast_.boundingRect();
    catchUp_.start();
    // The window restores what another window uncovers from the backing
    // store, so that must hold these pixels first.
    QWindow* window = widget_->window()->windowHandle();
    if (window != watched_) {
        if (watched_)
            watched_->removeEventFilter(this);
        window->installEventFilter(this);
        watched_ = window;
    }
}

void TStraightPut::catchUp()
{
    catchUp_.stop();
    repaint_(std::exchange(putPast_, QRegion()));
}

bool TStraightPut::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && !putPast_.isEmpty())
        catchUp();
    return QObject::eventFilter(watched, event);
}
