// A picture: one bitmap with a canvas that draws into it, change
// notifications, and loading and saving of picture files. Files are replaced
// atomically, so a failed or interrupted save leaves the old file whole.
#pragma once

#include "Canvas.h"

#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class TPicture {
public:
    TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    const QImage& Bitmap() const
    {
        finishHeldBack();
        return image_;
    }
    // The canvas keeps its pen, brush and font when the bitmap is replaced.
    TCanvas& Canvas()
    {
        finishHeldBack();
        return canvas_;
    }
    // Drawing held back until the display's next frame (a rubber band that
    // follows the pointer several times a frame): it is done before anything
    // reads the bitmap or draws on it. A later hold replaces an earlier one.
    void HoldBack(std::function<void()> drawing) { heldBack_ = std::move(drawing); }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool Empty() const { return image_.isNull() || image_.width() == 0 || image_.height() == 0; }

    // Replaces the bitmap (a copy is kept) and notifies.
    void Assign(const QImage& image);
    void Clear() { Assign(QImage()); }
    // Raises EInvalidGraphic when the file is missing, unreadable, truncated or
    // not a picture; the current bitmap is then left as it was.
    void LoadFromFile(const QString& path);
    // Saves a Windows bitmap; raises EFCreateError on failure.
    void SaveToFile(const QString& path) const;

    // A bitmap given by Assign may still share its pixels with the image it
    // came from (the clipboard's, say), so the first drawing would copy the
    // whole bitmap on the spot. This makes that copy on a worker thread now
    // and takes it in unseen, unless the bitmap has changed meanwhile.
    void UnshareInBackground();

    // Called after every Assign or load.
    void AddChangeListener(std::function<void()> listener) { listeners_.push_back(std::move(listener)); }

private:
    void changed();
    void finishHeldBack() const
    {
        if (heldBack_)
            std::exchange(heldBack_, nullptr)();
    }

    QImage image_;
    TCanvas canvas_;
    std::vector<std::function<void()>> listeners_;
    mutable std::function<void()> heldBack_;
    std::shared_ptr<TPicture*> self_ = std::make_shared<TPicture*>(this); // lets late copies find us gone
};

// Copies an image whose pixels are shared on a worker thread, and hands the
// copy to take on the user-interface thread, unless alive has gone by then.
void copyInBackground(const QImage& shared, std::weak_ptr<void> alive, std::function<void(QImage&& own)> take);

// Reads a picture file into an RGB32 image, or returns the reason it cannot.
QImage readPictureFile(const QString& path, QString* error);
// The same for a picture's bytes from elsewhere; name is what a refusal names.
QImage readPictureBytes(const QByteArray& bytes, const QString& name, QString* error);
// Writes an image as a Windows bitmap (or in another format Qt writes, such
// as "PNG"), atomically; returns an error text or "".
QString writeBitmapFile(const QImage& image, const QString& path, const char* format = "BMP");
