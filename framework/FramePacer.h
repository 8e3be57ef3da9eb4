// The pointer can move several times in one frame of the display; what
// drawing touched meanwhile is gathered and shown once a frame.
#pragma once

#include <QElapsedTimer>
#include <QRegion>
#include <QTimer>
#include <functional>

class QWidget;

class TFramePacer {
public:
    // At each frame `settle` runs first (what it changes belongs to that
    // frame), then `show` gets what changed since the last one, if anything.
    TFramePacer(const QWidget* widget, std::function<void()> settle, std::function<void(const QRegion&)> show);

    // The first change after a rest shows at once; later ones wait for the frame.
    void Add(const QRegion& area);

private:
    void showPending();
    // One frame of the screen the widget is on.
    int frameMs() const;

    const QWidget* widget_;
    std::function<void()> settle_;
    std::function<void(const QRegion&)> show_;
    QRegion pending_;
    QTimer nextFrame_;
    QElapsedTimer sinceShown_;
    bool framing_ = false;
};
