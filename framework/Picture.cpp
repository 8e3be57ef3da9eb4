#include "Picture.h"

#include "Exceptions.h"
#include "FileIO.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QThreadPool>
#include <QtEndian>

namespace {

quint32 le32(const QByteArray& data, int offset) { return qFromLittleEndian<quint32>(data.constData() + offset); }
quint16 le16(const QByteArray& data, int offset) { return qFromLittleEndian<quint16>(data.constData() + offset); }

// Whether run-length data from offset on reaches its end-of-bitmap mark
// before the file ends; nibbles is true for the 4-bit kind.
bool runLengthDataIsWhole(const QByteArray& data, qint64 offset, bool nibbles)
{
    qint64 at = offset;
    while (at + 1 < data.size()) {
        const quint8 count = quint8(data[at]), value = quint8(data[at + 1]);
        at += 2;
        if (count != 0)
            continue; // an encoded run
        if (value == 1)
            return true; // end of bitmap
        if (value == 0)
            continue; // end of line
        if (value == 2) {
            at += 2; // a move
            continue;
        }
        const qint64 bytes = nibbles ? (value + 1) / 2 : value;
        at += (bytes + 1) & ~qint64(1); // a literal run, padded to a word
    }
    return false;
}

// Qt's reader accepts some truncated bitmaps and fills the missing rows with
// black; a bitmap whose pixel data is shorter than its header says is refused
// here instead, so a torn file is never shown as a picture. Returns the reason.
QString checkBitmapLength(QIODevice& device)
{
    const QString invalid = QStringLiteral("the bitmap is shorter than its header says");
    const QByteArray head = device.peek(34);
    if (head.size() < 2 || head[0] != 'B' || head[1] != 'M')
        return QString();
    if (head.size() < 26)
        return invalid;
    const quint32 offBits = le32(head, 10);
    const quint32 headerSize = le32(head, 14);
    qint64 width = 0, height = 0, bitCount = 0, compression = 0;
    if (headerSize == 12) { // the old header: 16-bit sizes, never compressed
        width = le16(head, 18);
        height = le16(head, 20);
        bitCount = le16(head, 24);
    } else if (headerSize >= 40) {
        if (head.size() < 34)
            return invalid;
        width = qint32(le32(head, 18));
        height = qAbs(qint64(qint32(le32(head, 22))));
        bitCount = le16(head, 28);
        compression = le32(head, 30);
    } else {
        return QString(); // an unknown header: leave it to the reader
    }
    const qint64 size = device.size();
    if (width <= 0 || bitCount == 0 || offBits >= size)
        return invalid;
    if (compression == 1 || compression == 2) {
        const QByteArray all = device.peek(size);
        return runLengthDataIsWhole(all, offBits, compression == 2) ? QString() : invalid;
    }
    if (compression != 0 && compression != 3)
        return QString();
    // Each factor is bounded by the file size first, so the product cannot overflow.
    const qint64 stride = ((width * bitCount + 31) / 32) * 4;
    if (stride > size || height > size || offBits + stride * height > size)
        return invalid;
    return QString();
}

bool startsAsBitmap(QIODevice& device) { return device.peek(2) == "BM"; }

// Reads a picture from the start of device; name is what a refusal names.
QImage readPicture(QIODevice& device, const QString& name, QString* error)
{
    const QString cannot = QStringLiteral("Cannot read picture \"%1\": %2");
    const QString torn = checkBitmapLength(device);
    if (!torn.isEmpty()) {
        *error = cannot.arg(name, torn);
        return QImage();
    }
    // A bitmap goes straight to the built-in reader: deciding by content asks
    // every image plugin first, which loads them all (and their libraries).
    QImageReader reader(&device);
    if (startsAsBitmap(device)) {
        reader.setFormat("bmp");
        reader.setAutoDetectImageFormat(false);
    } else {
        reader.setDecideFormatFromContent(true);
    }
    QImage image = reader.read();
    if (image.isNull()) {
        *error = cannot.arg(name, reader.errorString());
        return QImage();
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

QImage readPictureFile(const QString& path, QString* error)
{
    const QString notAFile = whyNotARegularFile(path);
    if (!notAFile.isEmpty()) {
        *error = QStringLiteral("Cannot open file \"%1\". %2").arg(path, notAFile);
        return QImage();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString());
        return QImage();
    }
    return readPicture(file, QFileInfo(path).fileName(), error);
}

QImage readPictureBytes(const QByteArray& bytes, const QString& name, QString* error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readPicture(buffer, name, error);
}

QString writeBitmapFile(const QImage& image, const QString& path, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, format))
        return QStringLiteral("Cannot write file \"%1\": there is no picture to write.").arg(path);
    return writeFileAtomically(path, bytes);
}

TPicture::TPicture() { canvas_.SetTarget(&image_); }

void TPicture::Assign(const QImage& image)
{
    finishHeldBack();
    image_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
    changed();
}

void TPicture::LoadFromFile(const QString& path)
{
    QString error;
    QImage image = readPictureFile(path, &error);
    if (image.isNull())
        throw EInvalidGraphic(error);
    finishHeldBack();
    image_ = std::move(image);
    changed();
}

void TPicture::SaveToFile(const QString& path) const
{
    // A name ending in ".png" is written as PNG, any other as a bitmap.
    const bool png = path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
    const QString error = writeBitmapFile(Bitmap(), path, png ? "PNG" : "BMP");
    if (!error.isEmpty())
        throw EFCreateError(error);
}

void TPicture::UnshareInBackground()
{
    if (image_.isNull() || image_.isDetached())
        return;
    copyInBackground(image_, self_, [this, key = image_.cacheKey()](QImage&& own) {
        // Any drawing since has made a copy of its own already.
        if (image_.cacheKey() == key)
            image_ = std::move(own);
    });
}

void copyInBackground(const QImage& shared, std::weak_ptr<void> alive, std::function<void(QImage&& own)> take)
{
    QThreadPool::globalInstance()->start([shared, alive, take] {
        QImage own = shared.copy();
        if (own.isNull() || !QCoreApplication::instance())
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [own, alive, take]() mutable {
                if (alive.lock())
                    take(std::move(own));
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
