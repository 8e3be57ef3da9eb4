#include "ScreenshotFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>

QImage decodeScreenshot(const QByteArray& bytes, QString* error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage picture;
    if (!reader.read(&picture) || picture.isNull()) {
        if (error)
            *error = reader.errorString();
        return QImage();
    }
    // A screenshot has no holes: whatever alpha the file carries is dropped.
    picture.setDevicePixelRatio(1);
    return picture.convertToFormat(QImage::Format_RGB32);
}

QImage readScreenshotFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return QImage();
    }
    QString reason;
    const QImage picture = decodeScreenshot(file.readAll(), &reason);
    if (picture.isNull() && error)
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
    return picture;
}

QImage fitToDesktop(const QImage& picture, const QSize& desktop)
{
    if (picture.isNull() || picture.size() == desktop || desktop.isEmpty())
        return picture;
    return picture.scaled(desktop, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
