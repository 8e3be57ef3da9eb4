#include "Picture.h"

#include "Exceptions.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QThreadPool>
#include <QtEndian>

namespace {

quint32 le32(const QByteArray& data, int offset) { return qFromLittleEndian<quint32>(data.constData() + offset); }
quint16 le16(const QByteArray& data, int offset) { return qFromLittleEndian<quint16>(data.constData() + offset); }

// Qt's reader accepts some truncated bitmaps and fills the missing rows with
// black; a bitmap whose pixel data is shorter than its header says is refused
// here instead, so a torn file is never shown as a picture.
QString checkBitmapLength(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QByteArray head = file.read(54);
    if (head.size() < 2 || head[0] != 'B' || head[1] != 'M')
        return QString();
    if (head.size() < 54)
        return QStringLiteral("Bitmap image is not valid");
    const quint32 offBits = le32(head, 10);
    const quint32 headerSize = le32(head, 14);
    if (headerSize < 40)
        return QString(); // old-style header: leave it to the reader
    const qint64 width = qint32(le32(head, 18));
    const qint64 height = qAbs(qint64(qint32(le32(head, 22))));
    const quint16 bitCount = le16(head, 28);
    const quint32 compression = le32(head, 30);
    if (compression != 0 && compression != 3)
        return QString(); // run-length data has no fixed size
    const qint64 stride = ((width * bitCount + 31) / 32) * 4;
    if (width <= 0 || bitCount == 0 || offBits + stride * height > file.size())
        return QStringLiteral("Bitmap image is not valid");
    return QString();
}

} // namespace

QImage readPictureFile(const QString& path, QString* error)
{
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("Cannot open file \"%1\". The file does not exist.").arg(path);
        return QImage();
    }
    const QString torn = checkBitmapLength(path);
    if (!torn.isEmpty()) {
        *error = torn;
        return QImage();
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull()) {
        *error = QStringLiteral("Cannot read picture \"%1\": %2").arg(QFileInfo(path).fileName(), reader.errorString());
        return QImage();
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

QString writeBitmapFile(const QImage& image, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString());
    if (!image.save(&file, "BMP")) {
        file.cancelWriting();
        return QStringLiteral("Cannot write file \"%1\".").arg(path);
    }
    if (!file.commit())
        return QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString());
    return QString();
}

TPicture::TPicture() { canvas_.SetTarget(&image_); }

void TPicture::Assign(const QImage& image)
{
    image_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
    changed();
}

void TPicture::LoadFromFile(const QString& path)
{
    QString error;
    QImage image = readPictureFile(path, &error);
    if (image.isNull())
        throw EInvalidGraphic(error);
    image_ = std::move(image);
    changed();
}

void TPicture::SaveToFile(const QString& path) const
{
    const QString error = writeBitmapFile(image_, path);
    if (!error.isEmpty())
        throw EFCreateError(error);
}

void TPicture::UnshareInBackground()
{
    if (image_.isNull() || image_.isDetached())
        return;
    const QImage shared = image_;
    const qint64 key = image_.cacheKey();
    std::weak_ptr<TPicture*> self = self_;
    QThreadPool::globalInstance()->start([shared, key, self] {
        QImage own = shared.copy();
        if (own.isNull() || !QCoreApplication::instance())
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [own, key, self]() mutable {
                const auto alive = self.lock();
                // Any drawing since has made a copy of its own already.
                if (alive && (*alive)->image_.cacheKey() == key)
                    (*alive)->image_ = std::move(own);
            },
            Qt::QueuedConnection);
    });
}

void TPicture::changed()
{
    canvas_.SetTarget(&image_);
    for (const auto& listener : listeners_)
        listener();
}
