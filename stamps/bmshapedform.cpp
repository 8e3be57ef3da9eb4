#include "bmshapedform.h"

#include "CompositorPlacement.h"
#include "Exceptions.h"
#include "Form.h"
#include "Session.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QtAlgorithms>
#include <QtMath>
#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr QRgb colourBits = 0x00FFFFFF;
constexpr size_t maxReservedRects = size_t(1) << 21;

// Collects the runs of one picture, row by row, in the banded order a region
// keeps internally, so the region is made in one step instead of by one union
// per run. Rows with the same runs as the band above extend that band.
class OutlineBuilder {
public:
    // Room for the most runs a screen-sized picture can have, so the list
    // never moves; only the pages it fills are ever touched.
    OutlineBuilder(int width, int height)
    {
        rects_.reserve(std::min(size_t(height) * size_t((width + 1) / 2), maxReservedRects));
    }

    // One run of pixels X1..X2 (inclusive) of row Y.
    void AddRegion(int x1, int x2, int y)
    {
        rects_.emplace_back(x1, y, x2 - x1 + 1, 1);
        ++runs_;
    }

    void EndRow()
    {
        if (continuesBandAbove()) {
            for (size_t i = bandStart_; i < rowStart_; ++i)
                rects_[i].setBottom(rects_[i].bottom() + 1);
            rects_.resize(rowStart_);
        } else {
            bandStart_ = rowStart_;
        }
        rowStart_ = rects_.size();
    }

    QRegion Region() const
    {
        QRegion region;
        region.setRects(rects_.data(), int(rects_.size()));
        return region;
    }

    int Runs() const { return runs_; }

private:
    // The band above always ends at the row above: an empty row leaves no band.
    bool continuesBandAbove() const
    {
        const size_t above = rowStart_ - bandStart_;
        if (above == 0 || rects_.size() - rowStart_ != above)
            return false;
        for (size_t i = 0; i < above; ++i) {
            const QRect& a = rects_[bandStart_ + i];
            const QRect& b = rects_[rowStart_ + i];
            if (a.left() != b.left() || a.right() != b.right())
                return false;
        }
        return true;
    }

    std::vector<QRect> rects_;
    size_t bandStart_ = 0;
    size_t rowStart_ = 0;
    int runs_ = 0;
};

// Bit i set: pixel i of the count given (at most 64) is not transparent.
quint64 opaqueBits(const QRgb* pixels, int count, QRgb transparent)
{
    quint64 bits = 0;
    int i = 0;
#if defined(__SSE2__)
    // Four pixels to a compare: the scan then costs the same for runs of any
    // length, instead of a mispredicted branch at each end of every run.
    const __m128i key = _mm_set1_epi32(int(transparent));
    const __m128i colour = _mm_set1_epi32(int(colourBits));
    for (; i + 4 <= count; i += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
        const __m128i same = _mm_cmpeq_epi32(_mm_and_si128(four, colour), key);
        bits |= quint64(~_mm_movemask_ps(_mm_castsi128_ps(same)) & 0xF) << i;
    }
#endif
    for (; i < count; ++i)
        bits |= quint64((pixels[i] & colourBits) != transparent) << i;
    return bits;
}

// The pixels of one row that are not transparent, as bits, 64 to a word.
void markOpaque(const QRgb* row, int width, QRgb transparent, std::vector<quint64>& bits)
{
    for (size_t w = 0; w < bits.size(); ++w) {
        const int begin = int(w) * 64;
        bits[w] = opaqueBits(row + begin, std::min(64, width - begin), transparent);
    }
}

// The first column from `from` on whose bit is `set`, or width.
int nextColumn(const std::vector<quint64>& bits, int from, bool set, int width)
{
    if (from >= width)
        return width;
    size_t w = size_t(from) / 64;
    quint64 word = (set ? bits[w] : ~bits[w]) & (~quint64(0) << (from % 64));
    while (word == 0) {
        if (++w == bits.size())
            return width;
        word = set ? bits[w] : ~bits[w];
    }
    return std::min(width, int(w) * 64 + int(qCountTrailingZeroBits(word)));
}

void scanRow(const std::vector<quint64>& bits, int width, int y, OutlineBuilder& builder)
{
    int x = nextColumn(bits, 0, true, width);
    while (x < width) {
        const int end = nextColumn(bits, x, false, width);
        builder.AddRegion(x, end - 1, y);
        x = nextColumn(bits, end, true, width);
    }
    builder.EndRow();
}

// The pixels of an RGB32 picture that differ from the transparent colour.
QRegion outlineWithout(const QImage& pixels, QRgb transparent, int* runCount)
{
    const int width = pixels.width();
    const int height = pixels.height();
    OutlineBuilder builder(width, height);
    std::vector<quint64> bits((size_t(width) + 63) / 64);
    for (int y = 0; y < height; ++y) {
        markOpaque(reinterpret_cast<const QRgb*>(pixels.constScanLine(y)), width, transparent, bits);
        scanRow(bits, width, y, builder);
    }
    if (runCount)
        *runCount = builder.Runs();
    return builder.Region();
}

// The pixels of a window's coordinates that an outline in device pixels
// touches. Qt masks whole pixels of the window's coordinates, so where the two
// grids do not line up the mask is rounded out: no pixel of the picture is
// ever cut off, at the price of at most one device pixel of its background
// beside an edge.
QRegion coveringOutline(const QRegion& devicePixels, qreal ratio, const QSize& size)
{
    QImage covered(size, QImage::Format_RGB32);
    covered.fill(Qt::black);
    QPainter painter(&covered);
    const auto down = [ratio](const QPoint& device) { return QPoint(qFloor(device.x() / ratio), qFloor(device.y() / ratio)); };
    for (const QRect& r : devicePixels)
        painter.fillRect(QRect(down(r.topLeft()), down(r.bottomRight())), Qt::white);
    painter.end();
    return outlineWithout(covered, qRgb(0, 0, 0) & colourBits, nullptr);
}

} // namespace

QRegion outlineOf(const QImage& sampled, int* runCount)
{
    if (runCount)
        *runCount = 0;
    if (sampled.isNull())
        return QRegion();
    const bool direct = sampled.format() == QImage::Format_RGB32 || sampled.format() == QImage::Format_ARGB32;
    const QImage pixels = direct ? sampled : sampled.convertToFormat(QImage::Format_RGB32);
    const QRgb bottomLeft = reinterpret_cast<const QRgb*>(pixels.constScanLine(pixels.height() - 1))[0];
    return outlineWithout(pixels, bottomLeft & colourBits, runCount);
}

QImage samplePicture(const QImage& picture, const QSize& size)
{
    if (picture.isNull() || size.isEmpty())
        return QImage();
    const QImage source =
        picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    if (source.size() == size)
        return source;
    // Unsmoothed, as the control paints: blending would give the background's
    // edge pixels new colours and leave a fringe around the outline.
    QImage sampled(size, QImage::Format_RGB32);
    QPainter painter(&sampled);
    painter.drawImage(QRect(QPoint(0, 0), size), source);
    return sampled;
}

QPoint clientAreaOffset(const QRect& geometry, const QRect& frameGeometry)
{
    return geometry.topLeft() - frameGeometry.topLeft();
}

TBMShapedForm::TBMShapedForm(QWidget* parent)
    : TImage(parent, 0, 0, parent ? parent->width() : 0, parent ? parent->height() : 0)
{
    checkPlacement(parent);
    AlignClient();
    seeThroughOutside(parent);
    Picture.AddChangeListener([this] { PictureUpdate(this); });
}

void TBMShapedForm::seeThroughOutside(QWidget* form)
{
    // A Wayland desktop shows X11 windows whole, whatever their shape: the
    // form is cut to its outline by being clear outside it instead.
    if (!form || !Session::IsWayland())
        return;
    form->setAttribute(Qt::WA_TranslucentBackground);
    form->setAutoFillBackground(false);
}

void TBMShapedForm::checkPlacement(QWidget* parent) const
{
    if (!parent)
        return;
    if (!dynamic_cast<TForm*>(parent))
        throw Exception(QStringLiteral("Please Drop on a Form"));
    for (QObject* child : parent->children()) {
        if (child != this && dynamic_cast<TBMShapedForm*>(child))
            throw Exception(QStringLiteral("Please Drop only one TBMShapedForm per Form"));
    }
}

void TBMShapedForm::SetParent(QWidget* parent)
{
    const bool shown = !isHidden();
    setParent(parent);
    // Qt hides a widget that changes parent; a control keeps its visibility.
    if (parent && shown)
        show();
    AlignClient();
    checkPlacement(parent);
    seeThroughOutside(parent);
    PictureUpdate(this);
}

void TBMShapedForm::SetAutoSize(bool autoSize)
{
    AutoSize = autoSize;
    update();
    if (autoSize != sampledAutoSize_)
        PictureUpdate(this);
}

void TBMShapedForm::Loaded()
{
    ObtainRegion();
    RefreshForm();
}

void TBMShapedForm::PictureUpdate(QObject*)
{
    // Resizing the form under AutoSize resizes this control again.
    if (updating_)
        return;
    QScopedValueRollback<bool> guard(updating_, true);
    FRegion.reset();
    shown_ = QImage();
    QWidget* form = parentWidget();
    // Pictures and outlines are in device pixels: on a scaled desktop a
    // picture is shown one to one, not enlarged by the desktop's factor.
    if (AutoSize && form && !Picture.Empty()) {
        form->resize(LogicalSize(form, Picture.Bitmap().size()));
        FImageWidth = Picture.Width();
        FImageHeight = Picture.Height();
    } else {
        const QSize device = ::DevicePixels(this, rect()).size();
        FImageWidth = device.width();
        FImageHeight = device.height();
    }
    sampledAutoSize_ = AutoSize;
    ObtainRegion();
    RefreshForm();
}

void TBMShapedForm::ObtainRegion()
{
    QWidget* form = parentWidget();
    if (!form || Picture.Empty())
        return;
    if (FRegion && FImageWidth == OldFWidth && FImageHeight == OldFHeight)
        return;
    FRegion.reset();
    OldFWidth = FImageWidth;
    OldFHeight = FImageHeight;
    if (FImageWidth <= 0 || FImageHeight <= 0)
        return;
    const qreal ratio = form->devicePixelRatioF();
    FOffset = form->isWindow() ? clientAreaOffset(form->geometry(), form->frameGeometry()) * ratio : QPoint();
    const QImage sampled = samplePicture(Picture.Bitmap(), QSize(FImageWidth, FImageHeight));
    FRegion = outlineOf(sampled);
    if (ratio != 1) {
        // Shown as sampled, so what is shown matches the outline pixel for pixel.
        shown_ = sampled;
        shown_.setDevicePixelRatio(ratio);
    }
    if (!FOffset.isNull())
        FRegion->translate(FOffset);
    OSOwned = false;
}

void TBMShapedForm::RefreshForm()
{
    QWidget* form = parentWidget();
    if (!form || !FRegion)
        return;
    if (FRegion->isEmpty()) {
        // A window with no outline could never take the click that closes
        // it, so it is shown whole instead.
        form->setMask(QRegion(form->rect()));
    } else {
        // The outline is kept as a window region, frame included; Qt masks
        // the client area only, in the window's coordinates.
        const QRegion outline = FRegion->translated(-FOffset);
        const qreal ratio = form->devicePixelRatioF();
        form->setMask(ratio == 1 ? outline : coveringOutline(outline, ratio, form->size()));
    }
    OSOwned = true;
    update();
}

bool TBMShapedForm::keepSizingExclusive()
{
    if (OldAutoSize != AutoSize) {
        if (!AutoSize && !Stretch) {
            Stretch = true;
            OldStretch = true;
        } else if (AutoSize && Stretch) {
            Stretch = false;
            OldStretch = false;
        }
    }
    if (OldStretch != Stretch) {
        if (AutoSize && Stretch)
            AutoSize = false;
        else if (!AutoSize && !Stretch)
            AutoSize = true;
    }
    if (AutoSize && Stretch)
        Stretch = false;
    if (!AutoSize && !Stretch)
        AutoSize = true;
    OldStretch = Stretch;
    OldAutoSize = AutoSize;
    return AutoSize != sampledAutoSize_;
}

void TBMShapedForm::resampleLater()
{
    // The outline is never made inside a paint: the form may be resized by it.
    if (resamplePending_)
        return;
    resamplePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            resamplePending_ = false;
            PictureUpdate(this);
        },
        Qt::QueuedConnection);
}

void TBMShapedForm::paintEvent(QPaintEvent* event)
{
    if (!Picture.Empty() && keepSizingExclusive())
        resampleLater();
    if (!shown_.isNull() && shown_.devicePixelRatio() == devicePixelRatioF())
        QPainter(this).drawImage(QPoint(0, 0), shown_);
    else
        TImage::paintEvent(event);
    clearOutsideOutline();
}

void TBMShapedForm::clearOutsideOutline()
{
    const QWidget* form = parentWidget();
    if (!form || !form->testAttribute(Qt::WA_TranslucentBackground) || form->mask().isEmpty())
        return;
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setClipRegion(QRegion(rect()).subtracted(form->mask().translated(-pos())));
    p.fillRect(rect(), Qt::transparent);
}

void TBMShapedForm::mousePressEvent(QMouseEvent* event)
{
    TImage::mousePressEvent(event);
    const QPoint pos = event->position().toPoint();
    FMoveX = pos.x();
    FMoveY = pos.y();
    InMove = true;
    if (dragsForm(event))
        movedByCompositor_ = CompositorPlacement::MoveWithPointer(parentWidget());
}

// A motion that still comes while the compositor moves the form must not
// move it too: asked through the X server, sway would centre it.
void TBMShapedForm::mouseMoveEvent(QMouseEvent* event)
{
    TImage::mouseMoveEvent(event);
    if (InMove && !movedByCompositor_ && dragsForm(event))
        dragParent(event->globalPosition().toPoint());
}

bool TBMShapedForm::dragsForm(const QMouseEvent* event) const
{
    return FMoveable && shiftOf(event->modifiers(), event->buttons()) == ssLeft;
}

// The form goes where the pointer is, less where it was pressed: a compositor
// that moves the window a moment later than asked (sway) would otherwise
// make every step, measured in the window that has not moved yet, count
// twice.
void TBMShapedForm::dragParent(QPoint pointer)
{
    if (QWidget* form = parentWidget()) {
        const QPoint frame = form->geometry().topLeft() - form->pos(); // none on a frameless form
        form->move(pointer - frame - mapTo(form, QPoint(FMoveX, FMoveY)));
        CompositorPlacement::Place(form, form->pos());
    }
}

void TBMShapedForm::mouseReleaseEvent(QMouseEvent* event)
{
    if (movedByCompositor_)
        CompositorPlacement::MovedWithPointer(parentWidget());
    movedByCompositor_ = false;
    TImage::mouseReleaseEvent(event);
    InMove = false;
}

void TBMShapedForm::resizeEvent(QResizeEvent* event)
{
    TImage::resizeEvent(event);
    // Only the size matters: the outline always starts at the client origin.
    if (parentWidget())
        PictureUpdate(this);
}
