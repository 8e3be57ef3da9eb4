// A picture file written on a worker thread, so the window that shows the
// picture stays responsive while a large bitmap is encoded and written.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <thread>

class TBackgroundSave {
public:
    TBackgroundSave() = default;
    TBackgroundSave(const TBackgroundSave&) = delete;
    TBackgroundSave& operator=(const TBackgroundSave&) = delete;
    ~TBackgroundSave() { Wait(); }

    // Waits for the previous save, then writes the image as a Windows bitmap
    // in the background. A failure is handed to onError on this thread, once.
    void Start(const QImage& image, const QString& path, std::function<void(const QString&)> onError);
    // Returns when the last save has ended, having reported its failure.
    void Wait();

private:
    struct Outcome;
    std::thread worker_;
    std::shared_ptr<Outcome> outcome_;
};
