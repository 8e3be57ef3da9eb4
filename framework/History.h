// Undo and redo of the marks drawn into a picture. The canvas reports every
// area it draws on; when a mark ends, only the pixels it actually changed are
// kept, so a stroke costs its own area, not a whole frame. A step holds the
// pixels on the other side of it: undoing swaps them into the picture, and
// the same swap redoes it.
#pragma once

#include <QImage>
#include <QRegion>
#include <functional>
#include <memory>
#include <vector>

class TPicture;

class THistory {
public:
    static constexpr qint64 DefaultMaxBytes = qint64(256) << 20;
    static constexpr int DefaultMaxSteps = 100;

    // Follows the picture's canvas and replacements from now on.
    explicit THistory(TPicture& picture);
    THistory(const THistory&) = delete;
    THistory& operator=(const THistory&) = delete;

    // The oldest steps go once either is exceeded; the newest step is always kept.
    void SetLimits(qint64 maxBytes, int maxSteps);

    // Ends the mark in progress: what it changed becomes one step, and the
    // steps that could be redone are dropped. A mark that changed nothing
    // makes no step.
    void Commit();
    // Puts back every pixel drawn since the last step: a stroke given up.
    void Discard();
    // A picture replaced inside replace() becomes one undoable step (Clear);
    // any other replacement (a capture, a file opened) starts afresh.
    void RecordReplacement(const std::function<void()>& replace);
    bool Undo();
    bool Redo();
    void Reset();

    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < steps_.size(); }
    int Steps() const { return int(steps_.size()); }
    // The pixels all steps keep, in bytes.
    qint64 Bytes() const;

private:
    struct Patch {
        QRect rect;   // null: the whole picture, which had another size
        QImage pixels;
    };
    using Step = std::vector<Patch>;

    void touched(const QRegion& area);
    void replaced();
    // Takes the picture as it is now as the state after the last step.
    void rebase();
    Step changedPatches();
    void push(Step step);
    void swap(Step& step);
    // Tells the canvas's watchers of pixels put back by an undo, a redo or a discard.
    void announce(const QRegion& area);
    void trim();
    QRect tileRect(size_t index) const;

    TPicture& picture_;
    // The picture as it was after the last step.
    QImage base_;
    // Tiles of base_ that were drawn on since then.
    std::vector<bool> dirty_;
    int tilesAcross_ = 0;
    std::vector<Step> steps_;
    size_t done_ = 0; // steps_[0, done_) can be undone, the rest redone
    std::function<void(const QRegion&)> repaint_;
    qint64 maxBytes_ = DefaultMaxBytes;
    int maxSteps_ = DefaultMaxSteps;
    bool recording_ = false;
    bool swapping_ = false;
    std::shared_ptr<char> alive_ = std::make_shared<char>(); // lets late copies find us gone
};
