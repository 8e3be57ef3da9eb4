#include "Controls.h"

#include "Application.h"

#include <QEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QtMath>
#include <QPainter>
#include <QPaintEvent>
#include <QAbstractItemView>
#include <QScrollBar>
#include <QScreen>
#include <QWindow>

TShiftState shiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState s = 0;
    if (modifiers & Qt::ShiftModifier) s |= ssShift;
    if (modifiers & Qt::AltModifier) s |= ssAlt;
    if (modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

TMouseButton buttonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
    }
}

void fireNotify(const TNotifyEvent& handler, QObject* sender)
{
    if (!handler)
        return;
    const TNotifyEvent copy = handler; // the handler may replace itself
    Application->Guard([&] { copy(sender); });
}

namespace {
QPoint positionOf(const QMouseEvent* e, qreal scale)
{
    if (scale == 1)
        return e->position().toPoint();
    const QPointF p = e->position() * scale;
    return QPoint(qFloor(p.x()), qFloor(p.y()));
}
} // namespace

void fireMouse(const TMouseEvent& handler, QObject* sender, QMouseEvent* e, qreal scale)
{
    if (!handler)
        return;
    const QPoint pos = positionOf(e, scale);
    Application->Guard(
        [&] { handler(sender, buttonOf(e->button()), shiftOf(e->modifiers(), e->buttons()), pos.x(), pos.y()); });
}

void fireMouseMove(const TMouseMoveEvent& handler, QObject* sender, QMouseEvent* e, qreal scale)
{
    if (!handler)
        return;
    const QPoint pos = positionOf(e, scale);
    Application->Guard([&] { handler(sender, shiftOf(e->modifiers(), e->buttons()), pos.x(), pos.y()); });
}

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

// A classic caption: "&&" shows one "&", a single "&" marks the mnemonic.
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

// ---- TSpeedButton

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
    glyph_ = glyph;
    update();
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
    if (!glyph_.isNull()) {
        if (!isEnabled())
            p.setOpacity(0.4); // keeps the glyph's transparent background
        p.drawImage(QPoint((width() - glyph_.width()) / 2, (height() - glyph_.height()) / 2) + shift, glyph_);
        p.setOpacity(1.0);
    }
    if (!text().isEmpty()) {
        p.setPen(isEnabled() ? toQColor(fontColor_) : QColor(128, 128, 128));
        p.drawText(rect().translated(shift), Qt::AlignCenter, text());
    }
}

// ---- TBitBtn

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

// ---- TShape

TShape::TShape(QWidget* parent, int left, int top, int width, int height, TShapeType shape)
    : TControl(parent), shape_(shape)
{
    setGeometry(left, top, width, height);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TShape::SetPen(const TPen& pen) { pen_ = pen, update(); }
void TShape::SetPenColor(TColor color) { pen_.Color = color, update(); }
void TShape::SetPenWidth(int width) { pen_.Width = width, update(); }
void TShape::SetPenStyle(TPenStyle style) { pen_.Style = style, update(); }
void TShape::SetBrush(const TBrush& brush) { brush_ = brush, update(); }
void TShape::SetBrushColor(TColor color) { brush_.Color = color, update(); }
void TShape::SetBrushStyle(TBrushStyle style) { brush_.Style = style, update(); }
void TShape::SetShape(TShapeType shape) { shape_ = shape, update(); }

void TShape::paintEvent(QPaintEvent*)
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    TCanvas canvas(&image);
    canvas.Pen = pen_;
    canvas.Pen.Mode = pmCopy;
    canvas.Brush = brush_;
    // The figure lies inside the control whatever the pen width.
    const int half = pen_.Width / 2;
    int x = half, y = half;
    int w = width() - pen_.Width + 1, h = height() - pen_.Width + 1;
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        const int side = qMin(w, h);
        x += (w - side) / 2;
        y += (h - side) / 2;
        w = h = side;
    }
    switch (shape_) {
    case stRectangle:
    case stSquare: canvas.Rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: canvas.RoundRect(x, y, x + w, y + h, qMin(w, h) / 2, qMin(w, h) / 2); break;
    case stEllipse:
    case stCircle: canvas.Ellipse(x, y, x + w, y + h); break;
    }
    QPainter p(this);
    p.drawImage(0, 0, image);
}

// ---- TBevel

TBevel::TBevel(QWidget* parent, int left, int top, int width, int height) : TControl(parent)
{
    setGeometry(left, top, width, height);
    setFrameStyle(QFrame::Box | QFrame::Sunken);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

// ---- TLabel

TLabel::TLabel(QWidget* parent, const QString& caption, int left, int top, int width, int height)
    : TControl(parent), caption_(caption)
{
    move(left, top);
    if (width > 0) {
        AutoSize = false;
        resize(width, height);
        // A label of a set size keeps its text at the top, as a classic label
        // does, clear of what stands below it.
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    refresh();
}

void TLabel::SetCaption(const QString& caption)
{
    caption_ = caption;
    refresh();
}

void TLabel::SetFont(const TFont& font)
{
    font_ = font;
    refresh();
}

void TLabel::SetColor(TColor color)
{
    color_ = color;
    refresh();
}

void TLabel::SetTransparent(bool transparent)
{
    transparent_ = transparent;
    refresh();
}

void TLabel::refresh()
{
    applyFont(this, font_, font_.Color);
    const qreal ratio = devicePixelRatioF();
    if (DevicePixels && ratio != 1) {
        // A point size, as a pixel size of a window's coordinates has no fractions.
        QFont f = font();
        f.setPointSizeF(f.pixelSize() / ratio * 72 / logicalDpiY());
        setFont(f);
    }
    if (transparent_) {
        setAutoFillBackground(false);
    } else {
        fillBackground(this, color_);
    }
    setText(shownCaption(caption_));
    if (AutoSize)
        resize(sizeHint());
}

void TLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        fireNotify(OnClick, this);
}

// ---- TEdit

TEdit::TEdit(QWidget* parent, int left, int top, int width, int height) : TControl(parent)
{
    setGeometry(left, top, width, height);
    QObject::connect(this, &QLineEdit::textChanged, [this] {
        fireNotify(OnChange, this);
    });
}

void TEdit::SetColor(TColor color)
{
    color_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, toQColor(color));
    setPalette(p);
}

void TEdit::SetFont(const TFont& font) { applyFont(this, font, font.Color); }

void TEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Entering is moving into the box, not its window coming back to the front.
    const bool returning = event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason;
    if (!returning)
        fireNotify(OnEnter, this);
}

// ---- TCheckBox

TCheckBox::TCheckBox(QWidget* parent, const QString& caption, int left, int top, int width, int height)
    : TControl(caption, parent) // Qt reads "&&" and "&" as the classic captions do
{
    setGeometry(left, top, width, height);
    QObject::connect(this, &QCheckBox::toggled, [this] {
        fireNotify(OnClick, this);
    });
}

void TCheckBox::SetColor(TColor color) { fillBackground(this, color); }
void TCheckBox::SetFont(const TFont& font, TColor color) { applyFont(this, font, color); }

// ---- TComboBox

TComboBox::TComboBox(QWidget* parent, int left, int top, int width, int height) : TControl(parent)
{
    setGeometry(left, top, width, height);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    auto changed = [this] {
        fireNotify(OnChange, this);
    };
    QObject::connect(this, &QComboBox::activated, changed);
    QObject::connect(lineEdit(), &QLineEdit::textEdited, changed);
}

void TComboBox::SetText(const QString& text)
{
    const QSignalBlocker block(this);
    setEditText(text);
}

QStringList TComboBox::Items() const
{
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items << itemText(i);
    return items;
}

void TComboBox::AddItem(const QString& item)
{
    const QSignalBlocker block(this);
    const QString text = currentText();
    if (!sorted_) {
        addItem(item);
    } else {
        int at = 0;
        while (at < count() && QString::compare(itemText(at), item, Qt::CaseInsensitive) <= 0)
            ++at;
        insertItem(at, item);
    }
    setEditText(text);
}

void TComboBox::SetSorted(bool sorted)
{
    sorted_ = sorted;
    if (!sorted)
        return;
    const QSignalBlocker block(this);
    const QString text = currentText();
    QStringList items = Items();
    std::stable_sort(items.begin(), items.end(),
                     [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    clear();
    addItems(items);
    setCurrentIndex(-1);
    setEditText(text);
}

void TComboBox::showPopup()
{
    // The list is as wide as its longest entry; the box keeps its own size.
    const int scrollBar = view()->verticalScrollBar()->sizeHint().width();
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + scrollBar + 2 * view()->frameWidth());
    QComboBox::showPopup();
}

// ---- TTrackBar

TTrackBar::TTrackBar(QWidget* parent, int left, int top, int width, int height, int min, int max, int position)
    : TControl(Qt::Vertical, parent)
{
    setGeometry(left, top, width, height);
    setRange(min, max);
    setInvertedAppearance(true); // the minimum stands at the top
    setInvertedControls(true);
    setTickPosition(QSlider::TicksBothSides);
    setTickInterval(1);
    setPageStep(1);
    SetPosition(position);
    QObject::connect(this, &QSlider::valueChanged, [this] {
        if (!programmatic_)
            fireNotify(OnChange, this);
    });
}

void TTrackBar::SetPosition(int position)
{
    programmatic_ = true;
    setValue(qBound(minimum(), position, maximum()));
    programmatic_ = false;
}

// ---- TNotebook

TNotebook::TNotebook(QWidget* parent, const QStringList& pages, int left, int top, int width, int height)
    : TControl(parent), captions_(pages)
{
    setGeometry(left, top, width, height);
    for (const QString& caption : pages) {
        auto* page = new QWidget(this);
        page->setObjectName(caption);
        addWidget(page);
    }
}

// ---- TPanel

TPanel::TPanel(QWidget* parent, int left, int top, int width, int height) : TControl(parent)
{
    setGeometry(left, top, width, height);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void TPanel::SetCaption(const QString& caption) { caption_ = caption, update(); }
void TPanel::SetColor(TColor color) { color_ = color, update(); }
void TPanel::SetFont(const TFont& font) { font_ = font, update(); }

void TPanel::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(rect(), toQColor(color_));
    p.setFont(font_.toQFont());
    p.setPen(toQColor(font_.Color));
    p.drawText(rect(), Qt::AlignCenter, caption_);
    p.end();
    QFrame::paintEvent(event);
}

// ---- TImage

TImage::TImage(QWidget* parent, int left, int top, int width, int height) : TControl(parent)
{
    setGeometry(left, top, width, height);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    Picture.AddChangeListener([this] { update(); });
    Picture.Canvas().OnChange = [this](const QRegion& r) { repaintSoon(r); };
    nextFrame_.setSingleShot(true);
    nextFrame_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&nextFrame_, &QTimer::timeout, this, [this] { repaintPending(); });
    catchUp_.setSingleShot(true);
    catchUp_.setInterval(1000);
    QObject::connect(&catchUp_, &QTimer::timeout, this, [this] { catchUp(); });
}

int TImage::frameMs() const
{
    const qreal rate = screen() ? screen()->refreshRate() : 60;
    return qBound(4, int(1000 / qMax<qreal>(rate, 1)), 34);
}

void TImage::repaintSoon(const QRegion& area)
{
    pending_ += area;
    // Drawing the held-back figure in the middle of a frame adds to that frame.
    if (nextFrame_.isActive() || framing_)
        return;
    // The first change after a rest shows at once; later ones wait for the frame.
    const int frame = frameMs();
    const qint64 since = sinceRepaint_.isValid() ? sinceRepaint_.elapsed() : frame;
    if (since >= frame)
        repaintPending();
    else
        nextFrame_.start(int(frame - since));
}

void TImage::repaintPending()
{
    sinceRepaint_.start();
    framing_ = true;
    const QImage& bitmap = Picture.Bitmap(); // draws what the picture held back
    framing_ = false;
    if (pending_.isEmpty())
        return;
    // A megabyte goes faster through shared memory, as the toolkit puts it.
    qint64 pixels = 0;
    for (const QRect& r : pending_)
        pixels += qint64(r.width()) * r.height();
    if (PutStraight && pixels <= (1 << 18) && put_.Put(this, bitmap, pending_))
        putPast(pending_);
    else
        update(toWidget(pending_));
    pending_ = QRegion();
}

void TImage::putPast(const QRegion& area)
{
    putPast_ += area;
    // A long drag leaves a trail of strips; their box repaints faster at the end.
    if (putPast_.rectCount() > 64)
        putPast_ = putPast_.boundingRect();
    catchUp_.start();
    // The window restores what another window uncovers from the backing
    // store, so that must hold these pixels first.
    QWindow* window = this->window()->windowHandle();
    if (window != watched_) {
        if (watched_)
            watched_->removeEventFilter(this);
        window->installEventFilter(this);
        watched_ = window;
    }
}

void TImage::catchUp()
{
    catchUp_.stop();
    update(toWidget(putPast_));
    putPast_ = QRegion();
}

bool TImage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && !putPast_.isEmpty())
        catchUp();
    return TControl::eventFilter(watched, event);
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

// ---- TTimer

TTimer::TTimer(QObject* owner, int interval, bool enabled) : QObject(owner)
{
    timer_.setInterval(interval);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        fireNotify(OnTimer, this);
    });
    SetEnabled(enabled);
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled)
        timer_.start();
    else
        timer_.stop();
}
