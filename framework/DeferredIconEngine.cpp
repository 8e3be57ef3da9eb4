#include "DeferredIconEngine.h"

#include <QPixmap>

const QIcon& DeferredIconEngine::drawn()
{
    if (drawn_.isNull() && draw_)
        drawn_ = QIcon(QPixmap::fromImage(draw_()));
    return drawn_;
}

void DeferredIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    drawn().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QPixmap DeferredIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return drawn().pixmap(size, mode, state);
}

QSize DeferredIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return size_.scaled(size, Qt::KeepAspectRatio).boundedTo(size_);
}
