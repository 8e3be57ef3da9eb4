#include "SpeedButton.h"

#include <QMouseEvent>
#include <QPainter>

TSpeedButton::TSpeedButton(QWidget* parent, int left, int top, int width, int height) : TControl(parent)
{
    setGeometry(left, top, width, height);
    setFocusPolicy(Qt::NoFocus);
}

void TSpeedButton::SetDown(bool down)
{
    if (GroupIndex == 0)
        down = false;
    if (down == down_)
        return;
    if (down_ && !AllowAllUp)
        return;
    down_ = down;
    if (down_)
        releaseOthers();
    update();
}

void TSpeedButton::Release()
{
    down_ = false;
    update();
}

void TSpeedButton::releaseOthers()
{
    if (!parentWidget())
        return;
    for (QObject* child : parentWidget()->children()) {
        auto* other = dynamic_cast<TSpeedButton*>(child);
        if (other && other != this && other->GroupIndex == GroupIndex && other->down_) {
            other->down_ = false;
            other->update();
        }
    }
}

void TSpeedButton::SetGlyph(const QImage& glyph)
{
    drawGlyph_ = nullptr;
    glyph_ = glyph;
    update();
}

void TSpeedButton::SetGlyphMaker(std::function<QImage()> draw)
{
    glyph_ = QImage();
    drawGlyph_ = std::move(draw);
    update();
}

const QImage& TSpeedButton::Glyph() const
{
    if (drawGlyph_) {
        glyph_ = drawGlyph_();
        drawGlyph_ = nullptr;
    }
    return glyph_;
}

void TSpeedButton::SetCaption(const QString& caption)
{
    setText(caption);
    update();
}

void TSpeedButton::SetFont(const TFont& font)
{
    setFont(font.toQFont());
    fontColor_ = font.Color;
    update();
}

void TSpeedButton::Click()
{
    if (GroupIndex != 0) {
        if (!down_)
            SetDown(true);
        else if (AllowAllUp)
            SetDown(false);
    }
    fireNotify(OnClick, this);
}

void TSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool inside = rect().contains(event->position().toPoint());
    setDown(false); // the Qt pressed look only; Down() is ours
    if (event->button() == Qt::LeftButton && inside && isEnabled())
        Click();
    event->accept();
}

void TSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool sunken = down_ || isDown();
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.fillRect(rect(), sunken ? QColor(224, 224, 224) : QColor(192, 192, 192));
    p.setPen(sunken ? QColor(128, 128, 128) : Qt::white);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(sunken ? Qt::white : QColor(64, 64, 64));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    const QPoint shift = sunken ? QPoint(1, 1) : QPoint(0, 0);
    if (const QImage& glyph = Glyph(); !glyph.isNull()) {
        if (!isEnabled())
            p.setOpacity(0.4); // keeps the glyph's transparent background
        p.drawImage(QPoint((width() - glyph.width()) / 2, (height() - glyph.height()) / 2) + shift, glyph);
        p.setOpacity(1.0);
    }
    if (!text().isEmpty()) {
        p.setPen(isEnabled() ? toQColor(fontColor_) : QColor(128, 128, 128));
        p.drawText(rect().translated(shift), Qt::AlignCenter, text());
    }
}
