#include "BitBtn.h"

#include "DeferredIconEngine.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

TBitBtn::TBitBtn(QWidget* parent, const QString& caption, int left, int top, int width, int height)
    : TControl(caption, parent)
{
    setGeometry(left, top, width, height);
    QObject::connect(this, &QPushButton::clicked, [this] {
        fireNotify(OnClick, this);
    });
}

void TBitBtn::SetFontColor(TColor color)
{
    fontColor_ = color;
    QPalette p = palette();
    p.setColor(QPalette::ButtonText, toQColor(color));
    setPalette(p);
}

void TBitBtn::SetBold(bool bold)
{
    QFont f = font();
    f.setBold(bold);
    setFont(f);
}

void TBitBtn::SetGlyph(const QImage& glyph)
{
    setIcon(QIcon(QPixmap::fromImage(glyph)));
    setIconSize(glyph.size());
}

void TBitBtn::SetGlyphMaker(std::function<QImage()> draw, QSize size)
{
    setIcon(QIcon(new DeferredIconEngine(std::move(draw), size)));
    setIconSize(size);
}
