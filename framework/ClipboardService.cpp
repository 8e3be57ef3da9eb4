#include "ClipboardService.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

class RealClipboard : public ClipboardService {
public:
    bool HasPicture() override
    {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return data && data->hasImage();
    }
    QImage Picture() override { return QGuiApplication::clipboard()->image(); }
    void SetPicture(const QImage& image) override { QGuiApplication::clipboard()->setImage(image); }
    void Clear() override { QGuiApplication::clipboard()->clear(); }
};

} // namespace

std::unique_ptr<ClipboardService> ClipboardService::MakeReal() { return std::make_unique<RealClipboard>(); }
