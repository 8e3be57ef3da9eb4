// Pictures are read and written as real files; damaged files are refused
// and a save replaces the old file whole or not at all.
#include "Exceptions.h"
#include "FileIO.h"
#include "Picture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QThreadPool>
#include <QtTest>

#include <sys/stat.h>

namespace {

void putLE(QByteArray& bytes, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes += char((value >> (8 * i)) & 0xFF);
}

// An 8 x 8 bitmap with the old 12-byte header, 24 bits a pixel.
QByteArray coreHeaderBitmap()
{
    QByteArray b = "BM";
    putLE(b, 14 + 12 + 8 * 24, 4);
    putLE(b, 0, 4);
    putLE(b, 26, 4);
    for (quint32 v : {12u, 8u, 8u, 1u, 24u})
        putLE(b, v, v == 12u ? 4 : 2);
    return b + QByteArray(8 * 24, char(0x80));
}

// An 8 x 8 run-length bitmap of two colours: each row one run, then the end.
QByteArray runLengthBitmap()
{
    QByteArray data;
    for (int row = 0; row < 8; ++row)
        data += QByteArray("\x08\x01\x00\x00", 4);
    data += QByteArray("\x00\x01", 2);
    QByteArray b = "BM";
    putLE(b, 14 + 40 + 8 + data.size(), 4);
    putLE(b, 0, 4);
    putLE(b, 14 + 40 + 8, 4);
    for (quint32 v : {40u, 8u, 8u})
        putLE(b, v, 4);
    putLE(b, 1, 2);
    putLE(b, 8, 2);
    for (quint32 v : {1u, quint32(data.size()), 2835u, 2835u, 2u, 2u})
        putLE(b, v, 4);
    b += QByteArray("\xFF\xFF\xFF\x00\x00\x00\xFF\x00", 8);
    return b + data;
}

} // namespace

class TestPicture : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QImage sample() const
    {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, x % 48, qRgb(x * 4, 0, 255 - x * 4));
        return image;
    }

private slots:
    void bitmapIsWrittenAndReadBack()
    {
        TPicture picture;
        picture.Assign(sample());
        const QString path = dir.filePath(QStringLiteral("Screen.bmp"));
        picture.SaveToFile(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(2), QByteArray("BM"));
        TPicture back;
        back.LoadFromFile(path);
        QCOMPARE(back.Bitmap(), sample());
    }

    void damagedFilesAreRefusedAndThePictureKept_data()
    {
        QTest::addColumn<int>("keep");
        QTest::newRow("truncated") << 2000;
        QTest::newRow("header only") << 54;
        QTest::newRow("two bytes") << 2;
        QTest::newRow("empty") << 0;
    }

    void damagedFilesAreRefusedAndThePictureKept()
    {
        QFETCH(int, keep);
        const QString good = dir.filePath(QStringLiteral("good.bmp"));
        TPicture picture;
        picture.Assign(sample());
        picture.SaveToFile(good);
        QFile in(good);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll().left(keep);
        const QString torn = dir.filePath(QStringLiteral("torn.bmp"));
        QFile out(torn);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();

        TPicture shown;
        QImage before(10, 10, QImage::Format_RGB32);
        before.fill(Qt::green);
        shown.Assign(before);
        QVERIFY_THROWS_EXCEPTION(EInvalidGraphic, shown.LoadFromFile(torn));
        QCOMPARE(shown.Bitmap(), before);
    }

    // Bitmaps whose length is not fixed by their header are checked too.
    void shortHandMadeBitmapsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("readable");
        QTest::newRow("12-byte header") << coreHeaderBitmap() << true;
        QTest::newRow("12-byte header, cut") << coreHeaderBitmap().chopped(30) << false;
        QTest::newRow("run-length") << runLengthBitmap() << true;
        QTest::newRow("run-length, cut") << runLengthBitmap().chopped(6) << false;
    }

    void shortHandMadeBitmapsAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, readable);
        const QString path = dir.filePath(QStringLiteral("hand.bmp"));
        QCOMPARE(writeFileAtomically(path, bytes), QString());
        QString error;
        const QImage image = readPictureFile(path, &error);
        QCOMPARE(image.size(), readable ? QSize(8, 8) : QSize(0, 0));
        QCOMPARE(error.isEmpty(), readable);
        // A refusal names the file and why.
        if (!readable)
            QCOMPARE(error, QStringLiteral("Cannot read picture \"hand.bmp\": the bitmap is shorter than its header says"));
    }

    // What is in the way is named for what it is, and a FIFO does not block.
    void notAFileIsReportedForWhatItIs()
    {
        QDir(dir.path()).mkdir(QStringLiteral("folder.bmp"));
        QCOMPARE(mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo.bmp"))).constData(), 0600), 0);
        for (const auto& [name, told] : {std::pair{"folder.bmp", "It is a folder, not a file."},
                                         std::pair{"fifo.bmp", "It is not a regular file."},
                                         std::pair{"missing.bmp", "The file does not exist."}}) {
            QString error;
            QVERIFY(readPictureFile(dir.filePath(QLatin1String(name)), &error).isNull());
            QVERIFY2(error.endsWith(QLatin1String(told)), qPrintable(error));
        }
    }

    void notAPictureIsRefused()
    {
        const QString path = dir.filePath(QStringLiteral("notes.bmp"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is not a bitmap at all");
        f.close();
        TPicture picture;
        QVERIFY_THROWS_EXCEPTION(EInvalidGraphic, picture.LoadFromFile(path));
        QVERIFY_THROWS_EXCEPTION(EInvalidGraphic, picture.LoadFromFile(dir.filePath(QStringLiteral("missing.bmp"))));
    }

    void failedSaveLeavesTheOldFileWhole()
    {
        const QString path = dir.filePath(QStringLiteral("keep.bmp"));
        TPicture picture;
        picture.Assign(sample());
        picture.SaveToFile(path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray old = f.readAll();
        f.close();
        TPicture empty; // an empty picture cannot be written as a bitmap
        QVERIFY_THROWS_EXCEPTION(EFCreateError, empty.SaveToFile(path));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), old);
        QVERIFY_THROWS_EXCEPTION(EFCreateError, picture.SaveToFile(dir.filePath(QStringLiteral("none/x.bmp"))));
    }

    void canvasKeepsItsSettingsAcrossANewBitmap()
    {
        TPicture picture;
        picture.Canvas().Pen.Color = clRed;
        picture.Canvas().Pen.Width = 7;
        int changes = 0;
        picture.AddChangeListener([&] { ++changes; });
        picture.Assign(sample());
        QCOMPARE(changes, 1);
        QCOMPARE(picture.Canvas().Pen.Color, clRed);
        QCOMPARE(picture.Canvas().Pen.Width, 7);
        picture.Canvas().MoveTo(0, 10);
        picture.Canvas().LineTo(30, 10);
        QCOMPARE(fromPixel(picture.Bitmap().pixel(15, 10)), clRed);
    }

    // A pasted bitmap shares the clipboard's pixels until its own copy lands;
    // a stroke made before or after must end up on the picture only.
    void pastedBitmapGetsItsOwnPixelsAndKeepsEveryStroke()
    {
        for (const bool strokeFirst : {true, false}) {
            const QImage clipboard = sample();
            TPicture picture;
            picture.Assign(clipboard);
            picture.UnshareInBackground();
            auto stroke = [&] {
                picture.Canvas().Pen.Color = clRed;
                picture.Canvas().MoveTo(0, 20);
                picture.Canvas().LineTo(40, 20);
            };
            if (strokeFirst)
                stroke();
            QThreadPool::globalInstance()->waitForDone();
            QCoreApplication::processEvents(); // the copy is taken in, unless drawn on
            QVERIFY(picture.Bitmap().constBits() != clipboard.constBits());
            if (!strokeFirst)
                stroke();
            QCOMPARE(fromPixel(picture.Bitmap().pixel(20, 20)), clRed);
            QCOMPARE(clipboard, sample());
        }
    }
};

QTEST_MAIN(TestPicture)
#include "test_picture.moc"
