#include "History.h"

#include "Picture.h"

#include <cstring>

namespace {

// The grain in which drawn areas are remembered until a mark ends; only the
// pixels that really changed inside a tile are kept.
constexpr int Tile = 64;

// Copies a rectangle of pixels between two 32-bit pictures.
void copyPixels(const QImage& from, QPoint fromAt, QImage& to, const QRect& toRect)
{
    const size_t bytes = 4 * size_t(toRect.width());
    for (int row = 0; row < toRect.height(); ++row)
        std::memcpy(to.scanLine(toRect.top() + row) + 4 * toRect.left(),
                    from.constScanLine(fromAt.y() + row) + 4 * fromAt.x(), bytes);
}

// The smallest rectangle inside area that holds every pixel in which a and b differ.
QRect differing(const QImage& a, const QImage& b, const QRect& area)
{
    int left = area.right() + 1, right = area.left() - 1, top = -1, bottom = -1;
    const size_t bytes = 4 * size_t(area.width());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* pa = reinterpret_cast<const quint32*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const quint32*>(b.constScanLine(y));
        if (std::memcmp(pa + area.left(), pb + area.left(), bytes) == 0)
            continue;
        int first = area.left(), last = area.right();
        while (pa[first] == pb[first])
            ++first;
        while (pa[last] == pb[last])
            --last;
        left = qMin(left, first);
        right = qMax(right, last);
        if (top < 0)
            top = y;
        bottom = y;
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

THistory::THistory(TPicture& picture) : picture_(picture)
{
    TCanvas& canvas = picture.Canvas();
    repaint_ = canvas.OnChange;
    canvas.OnChange = [this](const QRegion& area) {
        touched(area);
        if (repaint_)
            repaint_(area);
    };
    picture.AddChangeListener([this] { replaced(); });
    Reset();
}

void THistory::SetLimits(qint64 maxBytes, int maxSteps)
{
    maxBytes_ = maxBytes;
    maxSteps_ = maxSteps;
    trim();
}

void THistory::Reset()
{
    steps_.clear();
    done_ = 0;
    rebase();
}

void THistory::rebase()
{
    base_ = picture_.Bitmap();
    // The picture's pixels may be shared with another image (the clipboard's)
    // as well: the first mark would then copy the whole frame when it ends.
    if (!base_.isNull())
        copyInBackground(base_, alive_, [this, key = base_.cacheKey()](QImage&& own) {
            if (base_.cacheKey() == key) // untouched since
                base_ = std::move(own);
        });
    tilesAcross_ = (base_.width() + Tile - 1) / Tile;
    const int tilesDown = (base_.height() + Tile - 1) / Tile;
    dirty_.assign(size_t(tilesAcross_) * size_t(tilesDown), false);
}

QRect THistory::tileRect(size_t index) const
{
    const int across = int(index % size_t(tilesAcross_)), down = int(index / size_t(tilesAcross_));
    return QRect(across * Tile, down * Tile, Tile, Tile).intersected(base_.rect());
}

void THistory::touched(const QRegion& area)
{
    if (swapping_ || dirty_.empty())
        return;
    for (const QRect& drawn : area) {
        const QRect r = drawn.intersected(base_.rect());
        if (r.isEmpty())
            continue;
        for (int down = r.top() / Tile; down <= r.bottom() / Tile; ++down)
            for (int across = r.left() / Tile; across <= r.right() / Tile; ++across)
                dirty_[size_t(down) * size_t(tilesAcross_) + size_t(across)] = true;
    }
}

void THistory::replaced()
{
    if (swapping_)
        return;
    if (!recording_) {
        Reset();
        return;
    }
    if (picture_.Bitmap().size() == base_.size()) {
        std::fill(dirty_.begin(), dirty_.end(), true);
        Commit();
    } else {
        push(Step{Patch{QRect(), base_}});
        rebase();
    }
}

THistory::Step THistory::changedPatches()
{
    Step step;
    const QImage& now = picture_.Bitmap();
    for (size_t i = 0; i < dirty_.size(); ++i) {
        if (!dirty_[i])
            continue;
        dirty_[i] = false;
        const QRect changed = differing(base_, now, tileRect(i));
        if (changed.isNull())
            continue;
        step.push_back(Patch{changed, base_.copy(changed)});
        copyPixels(now, changed.topLeft(), base_, changed);
    }
    return step;
}

void THistory::Commit()
{
    Step step = changedPatches();
    if (!step.empty())
        push(std::move(step));
}

void THistory::Discard()
{
    QImage* picture = picture_.Canvas().Target();
    QRegion restored;
    for (size_t i = 0; i < dirty_.size(); ++i) {
        if (!dirty_[i])
            continue;
        dirty_[i] = false;
        const QRect tile = tileRect(i);
        copyPixels(base_, tile.topLeft(), *picture, tile);
        restored += tile;
    }
    announce(restored);
}

void THistory::announce(const QRegion& area)
{
    // Through the canvas as a stroke would go, so that whoever watches the
    // picture beside the screen (the marked picture's saver) sees it too.
    const auto& onChange = picture_.Canvas().OnChange;
    if (area.isEmpty() || !onChange)
        return;
    swapping_ = true;
    onChange(area);
    swapping_ = false;
}

void THistory::RecordReplacement(const std::function<void()>& replace)
{
    Commit();
    struct Recording {
        bool& flag;
        explicit Recording(bool& f) : flag(f) { flag = true; }
        ~Recording() { flag = false; }
    } recording(recording_);
    replace();
}

bool THistory::Undo()
{
    Commit();
    if (!CanUndo())
        return false;
    --done_;
    swap(steps_[done_]);
    return true;
}

bool THistory::Redo()
{
    Commit();
    if (!CanRedo())
        return false;
    swap(steps_[done_]);
    ++done_;
    return true;
}

void THistory::push(Step step)
{
    steps_.erase(steps_.begin() + std::ptrdiff_t(done_), steps_.end());
    steps_.push_back(std::move(step));
    done_ = steps_.size();
    trim();
}

void THistory::trim()
{
    while (done_ > 1 && (int(steps_.size()) > maxSteps_ || Bytes() > maxBytes_)) {
        steps_.erase(steps_.begin());
        --done_;
    }
}

qint64 THistory::Bytes() const
{
    qint64 total = 0;
    for (const Step& step : steps_)
        for (const Patch& patch : step)
            total += patch.pixels.sizeInBytes();
    return total;
}

void THistory::swap(Step& step)
{
    QRegion changed;
    for (Patch& patch : step) {
        if (patch.rect.isNull()) {
            // The picture had another size on the other side of this step.
            const QImage other = picture_.Bitmap();
            swapping_ = true;
            picture_.Assign(patch.pixels);
            swapping_ = false;
            patch.pixels = other;
            rebase();
            continue;
        }
        QImage* picture = picture_.Canvas().Target();
        const QImage current = picture->copy(patch.rect);
        copyPixels(patch.pixels, QPoint(0, 0), *picture, patch.rect);
        copyPixels(patch.pixels, QPoint(0, 0), base_, patch.rect);
        patch.pixels = current;
        changed += patch.rect;
    }
    announce(changed);
}
