// The shaped picture control: the form shows exactly the pixels of the
// picture that differ from its bottom-left pixel, follows every picture and
// size change, and is dragged by the left button alone.
#include "Exceptions.h"
#include "Form.h"
#include "bmshapedform.h"

#include <QBitmap>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>
#include <functional>

namespace {

// A picture drawn from text rows: '.' white, '#' black, 'b' blue.
QImage pictureOf(const QStringList& rows)
{
    QImage image(rows[0].size(), rows.size(), QImage::Format_RGB32);
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows[y].size(); ++x) {
            const char c = rows[y][x].toLatin1();
            image.setPixel(x, y, c == '#' ? qRgb(0, 0, 0) : c == 'b' ? qRgb(0, 0, 255) : qRgb(255, 255, 255));
        }
    return image;
}

// White, with a black disc that has a white hole and a white speck inside.
QImage discPicture()
{
    QImage image(120, 90, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(20, 10, 80, 70);
    p.setBrush(Qt::white);
    p.drawEllipse(50, 40, 20, 16);
    p.end();
    image.setPixel(60, 20, qRgb(255, 255, 255));
    return image;
}

QImage filled(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A white picture with a black rectangle.
QImage blackRect(int w, int h, const QRect& rect)
{
    QImage image = filled(w, h, Qt::white);
    QPainter(&image).fillRect(rect, Qt::black);
    return image;
}

// The reference outline, one pixel at a time.
QRegion opaquePixels(const QImage& image)
{
    const QRgb key = image.pixel(0, image.height() - 1) & 0xFFFFFF;
    QRegion region;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != key)
                region += QRect(x, y, 1, 1);
    return region;
}

bool samePixels(const QRegion& a, const QRegion& b) { return (a ^ b).isEmpty(); }

QString placementError(const std::function<void()>& place)
{
    try {
        place();
    } catch (const Exception& error) {
        return error.Message;
    }
    return QString();
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, at, target->mapToGlobal(at), button, held, modifiers);
    QCoreApplication::sendEvent(target, &event);
}

// A borderless form of the given size carrying the control, stretched.
struct ShapedForm {
    explicit ShapedForm(QSize size, bool framed = false)
    {
        if (!framed)
            form.SetBorderStyle(bsNone);
        form.resize(size);
        shaped = new TBMShapedForm(&form);
        shaped->SetStretch(true);
    }
    void show()
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    TForm form;
    TBMShapedForm* shaped;
};

} // namespace

Q_DECLARE_METATYPE(Qt::MouseButton)
Q_DECLARE_METATYPE(Qt::MouseButtons)
Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

class TestBMShapedForm : public QObject {
    Q_OBJECT

private slots:
    void outlineIsEveryPixelNotOfTheBottomLeftColour_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("rects");
        QTest::newRow("one column") << QStringList{"#", ".", "#", "."} << 2 << 2;
        QTest::newRow("run ends at the last column") << QStringList{"..####", "#....#", "......"} << 3 << 3;
        QTest::newRow("run starts at the first column") << QStringList{"##....", "......"} << 1 << 1;
        QTest::newRow("every other pixel") << QStringList{"#.#.#", "....."} << 3 << 3;
        QTest::newRow("dark key colour") << QStringList{"..##", "#..#", "####"} << 2 << 2;
        QTest::newRow("other colours are opaque alike") << QStringList{"b#b", "..."} << 1 << 1;
        QTest::newRow("identical rows share a rectangle") << QStringList{".##.", ".##.", "...."} << 2 << 1;
        QTest::newRow("equal rows apart stay apart") << QStringList{".#.", "...", ".#.", "..."} << 2 << 2;
        QTest::newRow("run ends at a word boundary") << QStringList{QString(60, '.') + "####", QString(64, '.')}
                                                    << 1 << 1;
        QTest::newRow("run crosses a word boundary")
            << QStringList{QString(62, '.') + "#####" + QString(3, '.'), QString(70, '.')} << 1 << 1;
        QTest::newRow("single colour") << QStringList{"bbb", "bbb"} << 0 << 0;
        QTest::newRow("one pixel") << QStringList{"#"} << 0 << 0;
    }

    void outlineIsEveryPixelNotOfTheBottomLeftColour()
    {
        QFETCH(QStringList, rows);
        QFETCH(int, runs);
        QFETCH(int, rects);
        const QImage picture = pictureOf(rows);
        int found = -1;
        const QRegion outline = outlineOf(picture, &found);
        const QChar key = rows.last()[0];
        for (int y = 0; y < rows.size(); ++y)
            for (int x = 0; x < rows[y].size(); ++x)
                QCOMPARE(outline.contains(QPoint(x, y)), rows[y][x] != key);
        QVERIFY(outline.subtracted(picture.rect()).isEmpty());
        QCOMPARE(found, runs);
        QCOMPARE(outline.rectCount(), rects);
    }

    // The region is built in one step; it must be the same region that
    // pixel-by-pixel unions and Qt's own mask conversion give, or operations
    // on it (the window mask, hit tests) go wrong.
    void outlineEqualsRegionsBuiltOtherWays()
    {
        QRandomGenerator random(7);
        for (int round = 0; round < 25; ++round) {
            QImage image(150, 23, QImage::Format_RGB32);
            const QRgb palette[] = {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(10, 200, 30)};
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(x, y, palette[random.bounded(100) < 60 ? 0 : random.bounded(1, 3)]);
            // Repeated rows exercise the merging of bands.
            for (int y = 5; y < 12; ++y)
                memcpy(image.scanLine(y), image.constScanLine(4), image.bytesPerLine());
            const QRegion outline = outlineOf(image);
            const QRegion reference = opaquePixels(image);
            QVERIFY(samePixels(outline, reference));
            // The mask marks the transparent pixels; its region is the rest.
            const QImage mask = image.createMaskFromColor(image.pixel(0, 22));
            QVERIFY(samePixels(outline, QRegion(QBitmap::fromImage(mask))));
        }
    }

    void pixelTopByteAndFormatDoNotMatter()
    {
        QImage alpha = filled(8, 4, Qt::white).convertToFormat(QImage::Format_ARGB32);
        alpha.setPixel(0, 3, qRgba(255, 255, 255, 0));
        alpha.setPixel(5, 1, qRgba(0, 0, 0, 0));
        QCOMPARE(outlineOf(alpha), QRegion(5, 1, 1, 1));
        const QImage indexed = pictureOf({"..#.", "...."}).convertToFormat(QImage::Format_Indexed8);
        QCOMPARE(outlineOf(indexed), QRegion(2, 0, 1, 1));
    }

    void discPictureGivesDiscWindow()
    {
        ShapedForm f(QSize(120, 90));
        const QImage disc = discPicture();
        f.shaped->Picture.Assign(disc);
        const QRegion mask = f.form.mask();
        for (int y = 0; y < disc.height(); ++y)
            for (int x = 0; x < disc.width(); ++x)
                QCOMPARE(mask.contains(QPoint(x, y)), disc.pixel(x, y) == qRgb(0, 0, 0));
        QVERIFY(samePixels(*f.shaped->Region(), mask));
    }

    void windowWithoutOutlineIsShownWhole()
    {
        ShapedForm f(QSize(1063, 98));
        f.shaped->Picture.Assign(filled(205, 98, QColor(34, 177, 76)));
        QVERIFY(f.shaped->OutlineEmpty());
        QVERIFY(samePixels(f.form.mask(), QRegion(0, 0, 1063, 98)));

        f.shaped->Picture.Assign(blackRect(1063, 98, QRect(900, 0, 100, 98)));
        QVERIFY(!f.shaped->OutlineEmpty());
        QVERIFY(samePixels(f.form.mask(), QRegion(900, 0, 100, 98)));
        // An empty picture leaves the window as it was.
        f.shaped->Picture.Clear();
        QVERIFY(!f.shaped->Region());
        QVERIFY(samePixels(f.form.mask(), QRegion(900, 0, 100, 98)));
    }

    void outlineIsSampledAtControlOrPictureSize()
    {
        ShapedForm stretched(QSize(184, 132));
        stretched.shaped->Picture.Assign(blackRect(100, 50, QRect(50, 0, 50, 50)));
        QCOMPARE(QSize(stretched.shaped->ImageWidth(), stretched.shaped->ImageHeight()), QSize(184, 132));
        QCOMPARE(stretched.form.size(), QSize(184, 132));
        QVERIFY(samePixels(stretched.form.mask(), QRegion(92, 0, 92, 132)));

        ShapedForm autoSized(QSize(184, 132));
        autoSized.shaped->SetStretch(false);
        autoSized.shaped->SetAutoSize(true);
        autoSized.shaped->Picture.Assign(blackRect(200, 100, QRect(20, 10, 50, 30)));
        QCOMPARE(autoSized.form.size(), QSize(200, 100));
        QCOMPARE(QSize(autoSized.shaped->ImageWidth(), autoSized.shaped->ImageHeight()), QSize(200, 100));
        QVERIFY(samePixels(autoSized.form.mask(), QRegion(20, 10, 50, 30)));
    }

    void switchingOneSizingModeSwitchesTheOther()
    {
        ShapedForm f(QSize(184, 132));
        f.show();
        f.shaped->Picture.Assign(blackRect(200, 100, QRect(100, 0, 100, 100)));
        f.shaped->SetAutoSize(true);
        f.shaped->repaint();
        QVERIFY(!f.shaped->Stretch);
        QCOMPARE(f.form.size(), QSize(200, 100));

        f.shaped->SetStretch(true);
        f.shaped->repaint();
        QVERIFY(!f.shaped->AutoSize);
        f.form.resize(300, 150);
        QVERIFY(samePixels(f.form.mask(), QRegion(150, 0, 150, 150)));

        // AutoSize takes over once the paint is over, and resizes the form.
        f.shaped->SetStretch(false);
        f.shaped->repaint();
        QVERIFY(f.shaped->AutoSize);
        QTRY_COMPARE(f.form.size(), QSize(200, 100));
        QVERIFY(samePixels(f.form.mask(), QRegion(100, 0, 100, 100)));
    }

    void framedFormOutlineLinesUpWithItsClientArea()
    {
        ShapedForm f(QSize(184, 132), true);
        f.show();
        f.shaped->Picture.Assign(blackRect(184, 132, QRect(10, 10, 40, 40)));
        const QPoint frame = clientAreaOffset(f.form.geometry(), f.form.frameGeometry());
        // The offscreen platform frames a window by 2 pixels; a bare X server not at all.
        if (frame.isNull())
            QSKIP("this display draws no window frames");
        QVERIFY(samePixels(*f.shaped->Region(), QRegion(QRect(10, 10, 40, 40).translated(frame))));
        QVERIFY(samePixels(f.form.mask(), QRegion(10, 10, 40, 40)));
    }

    void dragNeedsTheLeftButtonAlone_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::MouseButtons>("held");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("moveable");
        QTest::addColumn<bool>("moves");
        const Qt::MouseButtons left = Qt::LeftButton;
        QTest::newRow("left") << Qt::LeftButton << left << Qt::KeyboardModifiers() << true << true;
        QTest::newRow("left, not moveable") << Qt::LeftButton << left << Qt::KeyboardModifiers() << false << false;
        QTest::newRow("ctrl") << Qt::LeftButton << left << Qt::KeyboardModifiers(Qt::ControlModifier) << true << false;
        QTest::newRow("shift") << Qt::LeftButton << left << Qt::KeyboardModifiers(Qt::ShiftModifier) << true << false;
        QTest::newRow("right") << Qt::RightButton << Qt::MouseButtons(Qt::RightButton) << Qt::KeyboardModifiers()
                               << true << false;
        QTest::newRow("left and right") << Qt::LeftButton << (Qt::LeftButton | Qt::RightButton)
                                        << Qt::KeyboardModifiers() << true << false;
    }

    void dragNeedsTheLeftButtonAlone()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::MouseButtons, held);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, moveable);
        QFETCH(bool, moves);
        ShapedForm f(QSize(184, 132));
        f.shaped->Picture.Assign(discPicture());
        f.shaped->SetMoveable(moveable);
        f.form.move(100, 100);
        TBMShapedForm* shaped = f.shaped;

        sendMouse(shaped, QEvent::MouseButtonPress, QPoint(10, 20), button, button, modifiers);
        QCOMPARE(shaped->MoveX(), 10);
        QCOMPARE(shaped->MoveY(), 20);
        QVERIFY(shaped->ButtonHeld());
        sendMouse(shaped, QEvent::MouseMove, QPoint(25, 28), Qt::NoButton, held, modifiers);
        QCOMPARE(f.form.pos(), moves ? QPoint(115, 108) : QPoint(100, 100));
        sendMouse(shaped, QEvent::MouseButtonRelease, QPoint(25, 28), button, Qt::NoButton, modifiers);
        QVERIFY(!shaped->ButtonHeld());
    }

    void ownerHandlersRunBeforeTheControlsOwnStep()
    {
        ShapedForm f(QSize(184, 132));
        TBMShapedForm* shaped = f.shaped;
        QList<bool> heldInHandlers;
        const TMouseEvent record = [&](QObject*, TMouseButton, TShiftState, int, int) {
            heldInHandlers << shaped->ButtonHeld();
        };
        shaped->OnMouseDown = record;
        shaped->OnMouseUp = record;
        sendMouse(shaped, QEvent::MouseButtonPress, QPoint(30, 5), Qt::RightButton, Qt::RightButton);
        sendMouse(shaped, QEvent::MouseButtonRelease, QPoint(30, 5), Qt::RightButton, Qt::NoButton);
        QCOMPARE(heldInHandlers, QList<bool>({false, true}));
        QVERIFY(!shaped->ButtonHeld());
    }

    void placementIsRefusedOffAFormOrTwicePerForm()
    {
        QWidget panel;
        QCOMPARE(placementError([&] { new TBMShapedForm(&panel); }), QStringLiteral("Please Drop on a Form"));
        QVERIFY(panel.findChildren<QWidget*>().isEmpty());

        TForm form;
        new TBMShapedForm(&form);
        QCOMPARE(placementError([&] { new TBMShapedForm(&form); }),
                 QStringLiteral("Please Drop only one TBMShapedForm per Form"));
        QCOMPARE(form.findChildren<TBMShapedForm*>().size(), 1);

        TForm other;
        auto* moved = new TBMShapedForm(&other);
        QCOMPARE(placementError([&] { moved->SetParent(&form); }),
                 QStringLiteral("Please Drop only one TBMShapedForm per Form"));
        QCOMPARE(moved->parentWidget(), &form);
        QCOMPARE(placementError([&] { moved->SetParent(&panel); }), QStringLiteral("Please Drop on a Form"));
        QCOMPARE(moved->parentWidget(), &panel);
        QCOMPARE(placementError([&] { moved->SetParent(&other); }), QString());
        QCOMPARE(moved->size(), other.size());
        QCOMPARE(placementError([&] { TBMShapedForm alone(nullptr); }), QString());
    }
};

QTEST_MAIN(TestBMShapedForm)
#include "test_bmshapedform.moc"
