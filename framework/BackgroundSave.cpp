#include "BackgroundSave.h"

#include "Picture.h"

#include <QCoreApplication>

struct TBackgroundSave::Outcome {
    QString error;
    bool reported = false;
    std::function<void(const QString&)> onError;

    void report()
    {
        if (reported)
            return;
        reported = true;
        if (!error.isEmpty() && onError)
            onError(error);
    }
};

void TBackgroundSave::Start(const QImage& image, const QString& path, std::function<void(const QString&)> onError)
{
    Wait();
    outcome_ = std::make_shared<Outcome>();
    outcome_->onError = std::move(onError);
    auto outcome = outcome_;
    // The worker holds its own reference to the pixels: drawing on the shown
    // picture meanwhile gives the picture a copy and leaves these as they were.
    worker_ = std::thread([outcome, image, path] {
        outcome->error = writeBitmapFile(image, path);
        if (auto* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [outcome] { outcome->report(); }, Qt::QueuedConnection);
    });
}

void TBackgroundSave::Wait()
{
    if (worker_.joinable())
        worker_.join();
    if (outcome_)
        outcome_->report();
    outcome_.reset();
}
