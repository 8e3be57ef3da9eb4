// Reading the picture a desktop's screenshot service left in a file.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// The picture in those bytes (PNG, as the portals write, or any other
// format the toolkit reads), opaque, 32 bits a pixel; a null image and the
// reason when they hold none.
QImage decodeScreenshot(const QByteArray& bytes, QString* error);
// The same, read from a file; the reason names the file.
QImage readScreenshotFile(const QString& path, QString* error);
// The picture at the desktop's size in device pixels: a desktop that renders
// its screenshot at a larger scale than its X11 programs see it gives more
// pixels than the surface shows.
QImage fitToDesktop(const QImage& picture, const QSize& desktop);
