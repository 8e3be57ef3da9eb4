// The clipboard, as far as pictures go.
#pragma once

#include <QImage>
#include <memory>

class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    virtual bool HasPicture() = 0;
    virtual QImage Picture() = 0;
    virtual void SetPicture(const QImage& image) = 0;
    virtual void Clear() = 0;
    // The system clipboard.
    static std::unique_ptr<ClipboardService> MakeReal();
};
