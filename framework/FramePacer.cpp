#include "FramePacer.h"

#include <QScreen>
#include <QWidget>
#include <utility>

TFramePacer::TFramePacer(const QWidget* widget, std::function<void()> settle, std::function<void(const QRegion&)> show)
    : widget_(widget), settle_(std::move(settle)), show_(std::move(show))
{
    nextFrame_.setSingleShot(true);
    nextFrame_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&nextFrame_, &QTimer::timeout, &nextFrame_, [this] { showPending(); });
}

int TFramePacer::frameMs() const
{
    const qreal rate = widget_->screen() ? widget_->screen()->refreshRate() : 60;
    return qBound(4, int(1000 / qMax<qreal>(rate, 1)), 34);
}

void TFramePacer::Add(const QRegion& area)
{
    pending_ += area;
    // Drawing the held-back figure in the middle of a frame adds to that frame.
    if (nextFrame_.isActive() || framing_)
        return;
    const int frame = frameMs();
    const qint64 since = sinceShown_.isValid() ? sinceShown_.elapsed() : frame;
    if (since >= frame)
        showPending();
    else
        nextFrame_.start(int(frame - since));
}

void TFramePacer::showPending()
{
    sinceShown_.start();
    framing_ = true;
    settle_();
    framing_ = false;
    if (pending_.isEmpty())
        return;
    show_(std::exchange(pending_, QRegion()));
}
