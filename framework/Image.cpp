#include "Image.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

TImage::TImage(QWidget* parent, int left, int top, int width, int height)
    : TControl(parent),
      pacer_(
          this, [this] { Picture.Bitmap(); }, // draws what the picture held back
          [this](const QRegion& area) { showChanged(area); }),
      straight_(this, [this](const QRegion& area) { update(toWidget(area)); })
{
    setGeometry(left, top, width, height);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    Picture.AddChangeListener([this] { update(); });
    Picture.Canvas().OnChange = [this](const QRegion& r) { pacer_.Add(r); };
}

void TImage::showChanged(const QRegion& area)
{
    if (!PutStraight || !straight_.Put(Picture.Bitmap(), area))
        update(toWidget(area));
}

void TImage::SetStretch(bool stretch)
{
    Stretch = stretch;
    update();
}

QRect TImage::pictureRect() const
{
    if (Picture.Empty())
        return QRect();
    if (Stretch)
        return rect();
    QRect r(QPoint(0, 0), Picture.Bitmap().size());
    if (Center)
        r.moveCenter(rect().center());
    return r;
}

QRegion TImage::toWidget(const QRegion& bitmapArea) const
{
    const QRect target = pictureRect();
    if (target.size() == Picture.Bitmap().size())
        return bitmapArea.translated(target.topLeft()).intersected(rect());
    QRegion shown;
    for (const QRect& r : bitmapArea)
        shown += toWidget(r);
    return shown;
}

QRect TImage::toWidget(const QRect& b) const
{
    const QRect target = pictureRect();
    if (target.isEmpty())
        return QRect();
    const double sx = double(target.width()) / Picture.Width();
    const double sy = double(target.height()) / Picture.Height();
    const int l = target.x() + int(b.left() * sx) - 1;
    const int t = target.y() + int(b.top() * sy) - 1;
    const int r = target.x() + int((b.right() + 1) * sx) + 1;
    const int btm = target.y() + int((b.bottom() + 1) * sy) + 1;
    return QRect(QPoint(l, t), QPoint(r, btm)).intersected(rect());
}

void TImage::paintEvent(QPaintEvent* event)
{
    const QRect target = pictureRect();
    if (target.isEmpty())
        return;
    QPainter p(this);
    const bool oneToOne = target.size() == Picture.Bitmap().size();
    const double sx = double(Picture.Width()) / target.width();
    const double sy = double(Picture.Height()) / target.height();
    // Rectangle by rectangle: a thin band round a large figure repaints as a
    // thin band, not as the box around it.
    for (const QRect& r : event->region()) {
        const QRect dirty = r.intersected(target);
        if (dirty.isEmpty())
            continue;
        // A clip of one rectangle lets the blit go straight through instead of
        // line by line against the whole dirty region.
        p.setClipRect(dirty);
        if (oneToOne) {
            p.drawImage(dirty.topLeft(), Picture.Bitmap(), dirty.translated(-target.topLeft()));
            continue;
        }
        const QRectF source((dirty.x() - target.x()) * sx, (dirty.y() - target.y()) * sy, dirty.width() * sx,
                            dirty.height() * sy);
        p.drawImage(QRectF(dirty), Picture.Bitmap(), source);
    }
}

qreal TImage::mouseScale() const { return DevicePixels ? devicePixelRatioF() : 1; }
void TImage::mousePressEvent(QMouseEvent* e) { fireMouse(OnMouseDown, this, e, mouseScale()); }
void TImage::mouseMoveEvent(QMouseEvent* e) { fireMouseMove(OnMouseMove, this, e, mouseScale()); }
void TImage::mouseReleaseEvent(QMouseEvent* e) { fireMouse(OnMouseUp, this, e, mouseScale()); }
