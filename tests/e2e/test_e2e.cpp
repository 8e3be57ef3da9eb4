// End to end: the built program on a real X server, used with the real
// mouse and keyboard, its windows and files checked as a user would.
#include "Controls.h"
#include "Desktop.h"
#include "Harness.h"
#include "IniFile.h"
#include "Picture.h"
#include "Services.h"
#include "Sway.h"

#include <QApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <csignal>

namespace {

int ScreenW = 1280;
int ScreenH = 800;

// The desktops the program is tried on: screen, monitors, window manager and
// panel, scale factor.
struct DesktopRow {
    const char* name;
    int width, height, monitors;
    const char* desktop;
    int scale;
};
constexpr DesktopRow Desktops[] = {
    {"bare", 1280, 800, 1, "", 1},
    {"openbox", 1280, 800, 1, "openbox", 1},
    {"xfce", 1280, 800, 1, "xfce", 1},
    {"mutter", 1280, 800, 1, "mutter", 1},
    {"hidpi", 2560, 1600, 1, "", 2},
    {"two-monitors", 3840, 1080, 2, "", 1},
    // Headless sway with XWayland: one output, or a second at scale 2 beside
    // it; the last without the Screenshot portal.
    {"sway", 1920, 1080, 1, "sway", 1},
    {"sway-two-outputs", 2880, 1080, 2, "sway", 1},
    {"sway-no-portal", 1920, 1080, 1, "sway-without-portal", 1},
    // Headless gnome-shell with XWayland and the GNOME portal.
    {"gnome-shell", 1920, 1080, 1, "gnome-shell", 1},
};
const DesktopRow* Row = &Desktops[0];

// The tests' own full-screen window: what there is on the screen to capture.
class Backdrop : public QWidget {
public:
    QImage picture;
    explicit Backdrop(const QImage& p) : picture(p)
    {
        // Beneath everything and never focused, as a desktop's wallpaper:
        // a window manager must not lift it over the program.
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint | Qt::WindowDoesNotAcceptFocus);
        setGeometry(0, 0, ScreenW, ScreenH);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, picture); }
};

int count(const QImage& image, const QRect& area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

// Pixels that differ between two pictures inside an area.
int differences(const QImage& a, const QImage& b, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
    return n;
}

const QRect AboveFullBar(0, 0, ScreenW, ScreenH - 43);

// Where the setup dialog's controls are on the screen (it opens at 369, 93).
QPoint onSetup(int x, int y) { return QPoint(369 + x, 93 + y); }

// The picture with the given areas blacked out.
QImage without(QImage image, const QList<QRect>& areas)
{
    QPainter painter(&image);
    for (const QRect& r : areas)
        painter.fillRect(r, Qt::black);
    return image;
}

// A stamp shown at `stamp` and printed `by` away: of its shown pixels (those
// unlike the picture without it), how many there are and how many were
// printed otherwise; pixels printed into `skip` are not looked at.
struct StampPrint {
    int shown = 0, misprinted = 0;
};
StampPrint printOf(const QImage& unstamped, const QImage& stampUp, const QImage& stamped, const QRect& stamp, QPoint by,
                   const QRect& skip = QRect())
{
    StampPrint print;
    for (int y = stamp.top(); y <= stamp.bottom(); ++y)
        for (int x = stamp.left(); x <= stamp.right(); ++x) {
            const QPoint at(x, y);
            if (stampUp.pixel(at) == unstamped.pixel(at) || skip.contains(at + by))
                continue;
            ++print.shown;
            print.misprinted += stamped.pixel(at + by) != stampUp.pixel(at);
        }
    return print;
}

bool near(QRgb a, QRgb b, int tolerance = 8)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

int countNear(const QImage& image, const QRect& area, QRgb colour, int tolerance = 8)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += near(image.pixel(x, y), colour, tolerance);
    return n;
}

// Pixels of a that are near those of b, inside an area.
int countNearTo(const QImage& a, const QImage& b, const QRect& area, int tolerance)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += near(a.pixel(x, y), b.pixel(x, y), tolerance);
    return n;
}

// The full bar with its controls named beneath it: the picture in the README.
QImage namedBar(const QImage& bar)
{
    const QList<QPair<int, QString>> names = {
        {49, "Capture / Remove"}, {152, "Tool Bar / Hide Bar"}, {257, "Quit"}, {365, "Clear"}, {453, "Setup"},
        {525, "Freehand"}, {565, "Line"}, {612, "line pen"}, {676, "Rectangle"}, {708, "Round rectangle"},
        {740, "Ellipse"}, {842, "Text"}, {880, "Tablet"}, {924, "Banner"}, {1008, "text box"}, {1108, "Stamp"},
        {1156, "stamp picture"}};
    constexpr int Row = 16;
    QImage named(bar.width(), bar.height() + 3 * Row + 6, QImage::Format_RGB32);
    named.fill(Qt::white);
    QPainter p(&named);
    p.drawImage(0, 0, bar);
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    for (int i = 0; i < names.size(); ++i) {
        const int x = names[i].first;
        const int baseline = bar.height() + Row * (i % 3 + 1);
        const int width = p.fontMetrics().horizontalAdvance(names[i].second);
        const QRect label(qBound(0, x - width / 2, named.width() - width), baseline - Row + 4, width, Row - 2);
        p.setPen(Qt::gray);
        p.drawLine(x, bar.height(), x, label.top());
        p.fillRect(label, Qt::white);
        p.setPen(Qt::black);
        p.drawText(label, Qt::AlignCenter, names[i].second);
    }
    return named;
}

// Another program's window, as a terminal beneath the surface would be: it
// counts the keys it is given.
class KeyCatcher : public QWidget {
public:
    int keys = 0;
    KeyCatcher()
    {
        setWindowTitle(QStringLiteral("Beneath"));
        setGeometry(600, 200, 300, 200);
    }

protected:
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
    std::unique_ptr<Backdrop> backdrop;

    void showBackdrop(const QImage& picture)
    {
        backdrop = std::make_unique<Backdrop>(picture);
        backdrop->show();
        pause(400);
    }

    // The full bar along the bottom: every button within reach.
    static void openFullBar(Program& p)
    {
        click(p.onBar(152, 20));
        pause(300);
    }
    static QPoint fullBar(int x, int y) { return QPoint(x, ScreenH - 43 + y); }

    // Starts the program, stretches the bar along the bottom and captures.
    static bool startAndCapture(Program& p)
    {
        if (p.start().isEmpty())
            return false;
        openFullBar(p);
        click(fullBar(49, 20)); // "Capture"
        pause(1200);
        return true;
    }

    // Setup, Options, Save: the snapshot saved through the real dialog.
    static bool saveScreenAs(const QString& name)
    {
        click(fullBar(453, 20));  // "Setup"
        click(onSetup(133, 260)); // "Options"
        click(onSetup(69, 28));   // "Save"
        if (findWindow(QStringLiteral("Save Screen")).isEmpty())
            return false;
        pause(300);
        type(name);
        key(QStringLiteral("Return"));
        pause(800);
        return true;
    }

    // Capture through the desktop's portal: the snapshot written and the
    // surface up; its window, or "" when the portal gave no picture.
    static QString captureThroughThePortal(Program& p, QPoint capture)
    {
        click(capture); // "Capture"
        for (int waited = 0; waited < 6000 && !QFile::exists(p.file("Screen.bmp")); waited += 100) // the portal's time
            pause(100);
        if (!findWindow(QStringLiteral("Error: Clipboard failure"), 100).isEmpty())
            return QString();
        pause(500);
        return findWindow(QStringLiteral("fViewer"));
    }

    // The first capture on gnome-shell: the GNOME portal's picture of the
    // screen, shown 1:1 under the bar, and a stroke on it.
    void firstMinuteOnGnomeShell()
    {
        Program p;
        QVERIFY(!p.start().isEmpty());
        const QRect bar = windowGeometry(p.bar);
        const QImage before = grabScreen();
        const QString surface = captureThroughThePortal(p, bar.topLeft() + QPoint(49, 20));
        QVERIFY2(!surface.isEmpty(), "the portal gave no picture, or the surface did not show");
        QCOMPARE(windowGeometry(surface), QRect(0, 0, 1920, 1080));
        // Without the bar and its shadow, and the clock in the top panel, which may tick.
        const QList<QRect> program = {frameGeometry(p.bar).united(bar).adjusted(-30, -30, 30, 30), QRect(760, 0, 400, 40)};
        const QImage snapshot = QImage(p.file("Screen.bmp")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(snapshot.size(), QSize(1920, 1080));
        QCOMPARE(differences(without(snapshot, program), without(before, program), snapshot.rect()), 0);
        QVERIFY(differences(snapshot, before, bar) > bar.width() * bar.height() / 2);
        const QImage shown = grabScreen();
        QVERIFY(differences(without(shown, program), without(snapshot, program), snapshot.rect()) < 50);
        QVERIFY(differences(shown, snapshot, bar) > bar.width() * bar.height() / 2);
        drag({300, 300}, {{400, 330}, {500, 300}});
        QVERIFY(near(grabScreen().pixel(400, 330), qRgb(0, 255, 255), 0));
        p.kill();
    }

    // The first minute on a Wayland session, through the compact bar: sway
    // places the program's windows itself, so they are found, not expected
    // anywhere. Capture takes the screen through the portal.
    void firstMinuteOnWayland()
    {
        const QRect layout(QPoint(0, 0), swayLayout());
        QVERIFY(Desktop::IsXWayland()); // known as such, so that a black grab there is never taken for a picture
        Program p;
        QVERIFY(!p.start().isEmpty());
        const QRect compact = windowGeometry(p.bar);
        QCOMPARE(compact.size(), QSize(318, 86));
        // The full bar along the bottom of its output (sway's smallest
        // floating height makes it 50 pixels tall, not 43).
        // (sway maps it centred or tiled first; it is moved a moment later.)
        const auto fullBarPlaced = [&] {
            waitFor([&] {
                const QRect r = windowGeometry(p.bar);
                return r.topLeft() == QPoint(0, 1080 - 43) && r.width() == 1920 && r.height() <= 50;
            }, 3000);
            return settledGeometry(p.bar);
        };
        // (The pointer rests on the button a moment first, as a hand's does.)
        mouseMove(compact.topLeft() + QPoint(152, 20));
        pause(300);
        click(compact.topLeft() + QPoint(152, 20)); // "Tool Bar"
        pause(300);
        const QRect full = fullBarPlaced();
        QCOMPARE(full.topLeft(), QPoint(0, 1080 - 43));
        QCOMPARE(full.width(), 1920);
        QVERIFY2(full.height() <= 50, qPrintable(QString::number(full.height())));
        click(full.topLeft() + QPoint(152, 20)); // "Hide Bar"
        pause(300);
        const QRect bar = settledGeometry(p.bar);
        QCOMPARE(bar.size(), QSize(318, 86));

        mouseMove(bar.topLeft() + QPoint(49, 20)); // the pointer, as grim sees it, on the bar
        const QImage before = grabScreen();
        const QString surface = captureThroughThePortal(p, bar.topLeft() + QPoint(49, 20));
        QVERIFY2(!surface.isEmpty(), "the portal gave no picture, or the surface did not show");
        QCOMPARE(windowGeometry(surface), layout);
        // The snapshot is the compositor's picture of the screen, native
        // Wayland windows and all, without the bar.
        const QRect barAbove = settledGeometry(p.bar); // where sway keeps it above the surface
        const QList<QRect> program = {bar.adjusted(-2, -2, 2, 2), barAbove.adjusted(-2, -2, 2, 2)};
        const QImage snapshot = QImage(p.file("Screen.bmp")).convertToFormat(QImage::Format_RGB32);
        qInfo("X root %dx%d, Screen.bmp %dx%d, grim at its own scale %s", QGuiApplication::primaryScreen()->virtualSize().width(),
              QGuiApplication::primaryScreen()->virtualSize().height(), snapshot.width(), snapshot.height(),
              qPrintable(QString::fromLatin1(inSession({"sh", "-c", "grim -t ppm - | head -c 20 | sed -n 2p"})).trimmed()));
        QCOMPARE(snapshot.size(), layout.size());
        const QImage outside = without(snapshot, program), expected = without(before, program);
        if (layout.width() == 1920) {
            QCOMPARE(differences(outside, expected, layout), 0);
        } else {
            // The portal's picture is at the larger scale; scaled down, by
            // another filter than grim's, it is close, not equal.
            const int unlike = layout.width() * layout.height() - countNearTo(outside, expected, layout, 24);
            QVERIFY2(unlike < layout.width() * layout.height() / 100, qPrintable(QString::number(unlike)));
        }
        QVERIFY(differences(snapshot, before, bar) > bar.width() * bar.height() / 2);
        // Shown 1:1 with the bar above it (and the pointer, which grim
        // shows, over the bar).
        // (The pointer, which grim shows, rests in a corner left out of the
        // comparison, long enough for the Capture button's tip to go.)
        const QPoint rest(1900, 20);
        mouseMove(rest);
        pause(1000);
        const QImage shown = grabScreen();
        const auto pointerAt = [](QPoint p) { return QRect(p - QPoint(8, 8), QSize(40, 48)); };
        const QList<QRect> hidden = program + QList<QRect>{pointerAt(rest)};
        QVERIFY(differences(without(shown, hidden), without(snapshot, hidden), QRect(0, 0, 1920, 1080)) < 50);
        if (layout.width() > 1920) { // the second output, 960x540 at scale 2: scaled up by sway, down by grim
            const QRect second(1920, 0, 960, 540);
            QVERIFY(countNearTo(shown, snapshot, second, 24) > second.width() * second.height() * 99 / 100);
        }
        QVERIFY(differences(shown, snapshot, barAbove) > bar.width() * bar.height() / 2);

        // Strokes under the virtual pointer.
        QList<QList<QPoint>> strokes = {{{40, 12}, {160, 14}, {300, 16}}, {{300, 300}, {400, 330}, {500, 300}}};
        if (layout.width() > 1920)
            strokes.append({{2100, 200}, {2300, 230}, {2500, 200}}); // on the second output
        QImage unmarked = shown;
        // The pointer comes from the bar, as after a click on Capture, and
        // jumps onto the surface: the press has had no motion there yet.
        QPoint pointer = barAbove.center(), pointerUnmarked = pointer;
        mouseMove(pointer);
        QImage barWhileHeld;
        for (const QList<QPoint>& stroke : strokes) {
            unmarked = grabScreen();
            pointerUnmarked = pointer;
            // The bar stays above the surface while the button is held.
            drag(stroke.first(), stroke.mid(1), 1, [&] { barWhileHeld = grabScreen().copy(barAbove); });
            QVERIFY(differences(barWhileHeld, snapshot.copy(barAbove), barWhileHeld.rect()) > bar.width() * bar.height() / 2);
            pointer = stroke.last();
            const QImage marked = grabScreen();
            QVERIFY(near(marked.pixel(stroke[1]), qRgb(0, 255, 255), 0));
            QVERIFY2(near(marked.pixel(stroke.first()), qRgb(0, 255, 255), 0), "no ink where the stroke began");
        }
        // Undone from sway's keyboard: the last stroke is gone everywhere but
        // under the pointer, which grim shows, then and now (and which lifting
        // the bar after the stroke has not moved onto the bar's output).
        key(QStringLiteral("ctrl+z"));
        const QList<QRect> pointers = {pointerAt(pointerUnmarked), pointerAt(pointer)};
        QCOMPARE(differences(without(grabScreen(), pointers), without(unmarked, pointers), layout), 0);

        // The first click on the bar after a stroke reaches the bar, and so
        // does every one after it, from sway's own pointer, over one output
        // or two.
        const auto clickOnBar = [&](QPoint at) {
            mouseMove(at);
            pause(300);
            click(at);
        };

        // A stamp from the full bar, printed where it was let go, pixel for
        // pixel as it was shown (the pointer rests aside for each
        // picture).
        clickOnBar(windowGeometry(p.bar).topLeft() + QPoint(152, 20)); // "Tool Bar"
        const QRect fullBar = fullBarPlaced();
        QCOMPARE(fullBar, full);
        mouseMove(rest);
        const QImage unstamped = grabScreen();
        clickOnBar(fullBar.topLeft() + QPoint(1108, 22)); // the stamp button
        const QString stampWindow = findWindow(QStringLiteral("icon - Form"));
        QVERIFY(!stampWindow.isEmpty());
        const QRect stamp = settledGeometry(stampWindow);
        QCOMPARE(stamp.size(), QSize(184, 132));
        mouseMove(rest);
        const QImage stampUp = grabScreen();
        // Dragged by sway's own pointer, over one output or two, and let go.
        const QPoint by(-150, 100);
        drag(stamp.center(), {stamp.center() + by / 2, stamp.center() + by});
        mouseMove(rest);
        pause(600);
        QVERIFY(findWindow(QStringLiteral("icon - Form"), 500).isEmpty());
        const QImage stamped = grabScreen();
        const StampPrint print = printOf(unstamped, stampUp, stamped, stamp, by);
        QVERIFY2(print.shown > 184 * 132 / 4 && print.shown < 184 * 132 * 3 / 4, qPrintable(QString::number(print.shown)));
        QCOMPARE(print.misprinted, 0);

        const QPoint remove = windowGeometry(p.bar).topLeft() + QPoint(49, 20);
        const auto surfaceGone = [] {
            for (int waited = 0; waited < 1500; waited += 100)
                if (findWindow(QStringLiteral("fViewer"), 100).isEmpty())
                    return true;
            return false;
        };
        clickOnBar(remove);
        QVERIFY(surfaceGone());
        // Shown again, from a click where the pointer has rested since
        // Remove, the surface covers every output again, under the bar.
        clickOnBar(remove); // "Capture"
        pause(1500);
        const QString again = findWindow(QStringLiteral("fViewer"));
        QVERIFY(!again.isEmpty());
        QCOMPARE(settledGeometry(again), layout);
        clickOnBar(remove);
        QVERIFY(surfaceGone());
        p.kill();
    }

private slots:
    void init()
    {
        if (!onWayland()) // there the session shows a known background itself
            showBackdrop(knownPicture(ScreenW, ScreenH));
    }
    void cleanup() { backdrop.reset(); }

    void barStartsCompactAndQuitWritesTheSettings()
    {
        Program p;
        SessionBus bus;
        QVERIFY(!bus.address.isEmpty());
        p.environment = QStringList{"DBUS_SESSION_BUS_ADDRESS=" + bus.address, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"};
        QVERIFY(!p.start().isEmpty());
        QCOMPARE(windowGeometry(p.bar).topLeft(), QPoint(10, 5));
        // A screen reader calls every button and box of the bar by its name.
        const QStringList controls = accessibleControls(bus, QStringLiteral("Screen Quillet"));
        QVERIFY2(controls.size() >= 15, qPrintable(controls.join(", ")));
        for (const QString& control : controls)
            QVERIFY2(!control.section('=', 1).trimmed().isEmpty(), qPrintable(control));
        for (const char* known : {"push button=Freehand", "push button=Banner", "check box=Tablet", "text=Text box"})
            QVERIFY2(controls.contains(QLatin1String(known)), known);
        QCOMPARE(TIniFile(p.file("setup.ini")).ReadString("Setup", "Operating", ""), QStringLiteral("Yes"));
        click(p.onBar(257, 20)); // "&Quit"
        QVERIFY(p.waitForExit());
        const TIniFile ini(p.file("setup.ini"));
        const QList<QStringList> expected = {
            {"Setup", "Operating", "No"},    {"Setup", "Mode", "1"},          {"Line", "Thickness", "5"},
            {"Line", "Color", "16776960"},   {"Line", "Marker", "No"},        {"Shape", "PenThickness", "4"},
            {"Shape", "PenColor", "65280"},  {"Shape", "BrushStyle", ""},     {"Font", "Name", "Arial"},
            {"Font", "Size", "10"},          {"Font", "Text", "Type text here"},
            {"Font", "Backgd", "No"},        {"Font", "Bold", "No"},          {"Keyboard", "Tablet", "No"},
            {"Stamp", "Filename", ""}};
        for (const QStringList& e : expected)
            QCOMPARE(ini.ReadString(e[0], e[1], "<missing>") + " " + e[1], e[2] + " " + e[1]);
        QCOMPARE(ini.Sections(), QStringList({"Setup", "Line", "Shape", "Font", "Keyboard", "Stamp"}));
    }

    void improperEndAsksTheRecoveryQuestion()
    {
        Program p;
        p.writeFile("setup.ini", "[Setup]\r\nOperating=Yes\r\nMode=2\r\n");
        QVERIFY(knownPicture(64, 48).save(p.file("Screen.bmp"), "BMP")); // something to reload
        // The question comes before the bar is on the screen.
        p.start(false);
        const QString question = findWindow(QStringLiteral("Confimation"));
        QVERIFY(!question.isEmpty());
        key("n");
        QVERIFY(!findWindow(QStringLiteral("Screen Quillet")).isEmpty());
        QCOMPARE(TIniFile(p.file("setup.ini")).ReadString("Setup", "Mode", ""), QStringLiteral("2"));
        p.kill();
    }

    // The real grab, of the desktop and of parts of it: exact pixels, and
    // black where a rectangle reaches beyond the desktop, never stretched.
    void grabsAreExactAndBlackBeyondTheDesktop()
    {
        QVERIFY(!Desktop::IsXWayland()); // which would word a refused grab as XWayland's
        const QImage known = backdrop->picture;
        const QRect desktop(0, 0, ScreenW, ScreenH);
        for (const QRect& asked : {desktop, QRect(100, 50, 301, 203), QRect(ScreenW - 40, ScreenH - 30, 100, 80),
                                   QRect(-20, -10, 60, 40)}) {
            const QImage grabbed = Services::Screen().Grab(asked);
            QCOMPARE(grabbed.size(), asked.size());
            QCOMPARE(grabbed.format(), QImage::Format_RGB32);
            const QImage expected = known.copy(asked); // black outside the known picture
            QCOMPARE(differences(grabbed, expected, QRect(QPoint(0, 0), asked.size())), 0);
            QCOMPARE(qAlpha(grabbed.pixel(asked.width() / 2, asked.height() / 2)), 255);
        }
        // A grab still held keeps its pixels through the next one; let go,
        // its memory serves a later grab, which still shows the screen as it is.
        QImage held = Services::Screen().Grab(desktop);
        const QImage mirrored = known.mirrored(true, false);
        showBackdrop(mirrored);
        QImage next = Services::Screen().Grab(desktop);
        QCOMPARE(differences(held, known, desktop), 0);
        QCOMPARE(differences(next, mirrored, desktop), 0);
        held = next = QImage();
        showBackdrop(known);
        QCOMPARE(differences(Services::Screen().Grab(desktop), known, desktop), 0);
    }

    void captureDrawAndClear()
    {
        const QImage known = backdrop->picture;
        Program p;
        QVERIFY(!p.start().isEmpty());
        openFullBar(p);
        QCOMPARE(windowGeometry(p.bar), QRect(0, ScreenH - 43, ScreenW, 43));
        click(fullBar(49, 20)); // "Capture"
        pause(1200);
        QVERIFY(!findWindow(QStringLiteral("fViewer")).isEmpty());

        // The clean snapshot on disk is the screen without the bar.
        const QImage snapshot = QImage(p.file("Screen.bmp")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(snapshot.size(), QSize(ScreenW, ScreenH));
        QCOMPARE(differences(snapshot, known, QRect(0, 0, ScreenW, ScreenH)), 0);

        drag({200, 300}, {{300, 320}, {400, 300}, {500, 340}}); // freehand, the aqua pen
        click(fullBar(676, 22));                                  // rectangle tool
        drag({600, 150}, {{700, 250}, {800, 350}});
        const QImage marked = grabScreen();
        marked.save(QStringLiteral("/tmp/e2e-marked.png"));
        QVERIFY(count(marked, QRect(190, 280, 320, 70), qRgb(0, 255, 255)) > 300);
        QVERIFY(count(marked, QRect(595, 145, 210, 10), qRgb(0, 255, 0)) > 150); // the top edge
        QCOMPARE(differences(marked, known, QRect(640, 190, 120, 120)), 0);        // a clear fill

        click(fullBar(365, 20)); // "Clear"
        pause(600);
        QCOMPARE(differences(grabScreen(), known, AboveFullBar), 0);
        p.kill();
    }

    void undoRedoAndCopyWithTheKeys()
    {
        Program p;
        QVERIFY(startAndCapture(p));
        const QImage snapshot = QImage(p.file("Screen.bmp")).convertToFormat(QImage::Format_RGB32);
        click(fullBar(676, 22)); // rectangle tool
        drag({600, 150}, {{700, 250}, {800, 350}});
        const QImage withRectangle = grabScreen();
        // A dialog over the rectangle and away again at once: the window is
        // restored with the rectangle, though its pixels went straight onto it.
        click(fullBar(453, 20)); // "Setup"
        QVERIFY(!findWindow(QStringLiteral("Setup")).isEmpty());
        click(onSetup(229, 260)); // "Finished"
        pause(300);
        QCOMPARE(differences(grabScreen(), withRectangle, AboveFullBar), 0);
        click(fullBar(564, 22)); // line tool
        drag({100, 500}, {{250, 550}, {400, 600}});
        QVERIFY(differences(grabScreen(), withRectangle, AboveFullBar) > 100);
        key(QStringLiteral("ctrl+z"));
        key(QStringLiteral("ctrl+z"));
        QCOMPARE(differences(grabScreen(), snapshot, AboveFullBar), 0);
        key(QStringLiteral("ctrl+shift+z"));
        QCOMPARE(differences(grabScreen(), withRectangle, AboveFullBar), 0);
        key(QStringLiteral("ctrl+z"));
        key(QStringLiteral("ctrl+y"));
        QCOMPARE(differences(grabScreen(), withRectangle, AboveFullBar), 0);

        // Escape in the middle of a line gives it up; the program goes on.
        mouseMove({100, 400});
        xdotool({"mousedown", "1"});
        mouseMove({300, 450});
        pause(100);
        QVERIFY(differences(grabScreen(), withRectangle, QRect(100, 400, 200, 50)) > 100); // the band follows
        key(QStringLiteral("Escape"));
        mouseMove({320, 460});
        xdotool({"mouseup", "1"});
        QCOMPARE(differences(grabScreen(), withRectangle, AboveFullBar), 0);
        QVERIFY(p.running());

        // Another program pastes the marked-up picture.
        key(QStringLiteral("ctrl+c"));
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard", "-t", "image/png"});
        QVERIFY(xclip.waitForFinished(10000));
        const QImage pasted = QImage::fromData(xclip.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(pasted.size(), QSize(ScreenW, ScreenH));
        QCOMPARE(differences(pasted, withRectangle, AboveFullBar), 0);
        p.kill();
    }

    void ellipseWithACrossFillIsRememberedAcrossRuns()
    {
        const QImage known = backdrop->picture;
        QString folder;
        {
            Program p;
            QVERIFY(!p.start().isEmpty());
            openFullBar(p);
            click(fullBar(740, 22)); // the ellipse tool
            click(fullBar(453, 20)); // "Setup"
            QVERIFY(!findWindow(QStringLiteral("Setup")).isEmpty());
            click(onSetup(223, 177)); // the cross-hatched fill
            click(onSetup(229, 260)); // "Finished"
            click(fullBar(49, 20));   // "Capture"
            pause(1200);
            drag({300, 150}, {{500, 300}, {700, 450}});
            const QImage shown = grabScreen();
            // Inside the ellipse: white hatch lines over the snapshot, both.
            const QRect inside(420, 230, 160, 140);
            QVERIFY(countNear(shown, inside, qRgb(255, 255, 255), 0) > 400);
            QVERIFY(differences(shown, known, inside) < inside.width() * inside.height() / 2);
            QVERIFY(countNear(shown, QRect(295, 295, 12, 12), qRgb(0, 255, 0), 0) > 10); // the outline
            click(fullBar(257, 20)); // "&Quit"
            pause(500);
            QVERIFY(p.waitForExit());
            const TIniFile ini(p.file("setup.ini"));
            QCOMPARE(ini.ReadString("Setup", "Mode", ""), QStringLiteral("5"));
            QCOMPARE(ini.ReadString("Shape", "BrushStyle", ""), QStringLiteral("CrossBrush"));

            Program again;
            again.writeFile("setup.ini", p.readFile("setup.ini"));
            QVERIFY(!again.start().isEmpty());
            openFullBar(again);
            const QImage bar = grabScreen();
            QVERIFY(near(bar.pixel(724 + 2, ScreenH - 43 + 20), qRgb(255, 255, 0))); // ellipse indicator lit
            QVERIFY(near(bar.pixel(548 + 2, ScreenH - 43 + 20), qRgb(0, 0, 0)));     // line indicator not
            click(fullBar(453, 20));
            pause(300);
            const QImage dialog = grabScreen();
            QVERIFY(near(dialog.pixel(onSetup(211 + 2, 165 + 2).x(), onSetup(211 + 2, 165 + 2).y()), qRgb(224, 224, 224), 2));
            QVERIFY(near(dialog.pixel(onSetup(19 + 2, 165 + 2).x(), onSetup(19 + 2, 165 + 2).y()), qRgb(192, 192, 192), 2));
            again.kill();
        }
    }

    void saveThroughTheDialogAndOpenAgain()
    {
        Program p;
        QVERIFY(startAndCapture(p));
        drag({200, 200}, {{600, 220}, {900, 260}}); // an aqua stroke
        QVERIFY(saveScreenAs(QStringLiteral("marked")));
        const QImage saved = QImage(p.file("Screens/marked.bmp")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(saved.size(), QSize(ScreenW, ScreenH));
        QVERIFY(count(saved, QRect(190, 180, 720, 100), qRgb(0, 255, 255)) > 1000);

        click(onSetup(229, 260)); // "Finished"
        click(fullBar(365, 20));  // "Clear"
        pause(600);
        QCOMPARE(count(grabScreen(), QRect(190, 180, 720, 100), qRgb(0, 255, 255)), 0);
        click(fullBar(453, 20));  // "Setup": it opens on the line page
        click(onSetup(133, 260)); // "Options"
        click(onSetup(68, 68));   // "Open"
        QVERIFY(!findWindow(QStringLiteral("Open Screen snapshot")).isEmpty());
        pause(300);
        key(QStringLiteral("ctrl+a"));
        type(QStringLiteral("marked.bmp"));
        key(QStringLiteral("Return"));
        pause(600);
        click(onSetup(229, 260)); // "Finished"
        pause(300);
        QVERIFY(count(grabScreen(), QRect(190, 180, 720, 100), qRgb(0, 255, 255)) > 1000);
        p.kill();
    }

    void stampIsPrintedWhereItIsReleased()
    {
        const QImage known = backdrop->picture;
        Program p;
        QVERIFY(!p.start().isEmpty());
        openFullBar(p);
        const QImage blueBar = grabScreen().copy(0, ScreenH - 43, ScreenW, 43);
        click(fullBar(49, 20)); // "Capture"
        pause(1200);
        const QImage maroonBar = grabScreen().copy(0, ScreenH - 43, ScreenW, 43);
        click(fullBar(1108, 22)); // the stamp button
        QVERIFY(!findWindow(QStringLiteral("icon - Form")).isEmpty());
        pause(400);
        const QImage silverBar = grabScreen().copy(0, ScreenH - 43, ScreenW, 43);
        for (const auto& shot : {qMakePair(blueBar, "blue"), qMakePair(maroonBar, "maroon"), qMakePair(silverBar, "silver")})
            shot.first.save(QStringLiteral("bar-%1.png").arg(QLatin1String(shot.second)));
        namedBar(blueBar).save(QStringLiteral("bar-named.png"));
        QVERIFY(qBlue(blueBar.pixel(600, 2)) > 200 && qRed(blueBar.pixel(600, 2)) < 20);
        QVERIFY(qRed(maroonBar.pixel(600, 2)) > 100 && qBlue(maroonBar.pixel(600, 2)) < 20);
        QVERIFY(qRed(silverBar.pixel(600, 2)) > 150 && qBlue(silverBar.pixel(600, 2)) > 150);

        // Centred at first; dragged by 150 to the right and 120 up.
        const QRect start((ScreenW - 184) / 2, (ScreenH - 132) / 2, 184, 132);
        drag(start.center(), {start.center() + QPoint(75, -60), start.center() + QPoint(150, -120)});
        pause(600);
        QVERIFY(findWindow(QStringLiteral("icon - Form"), 500).isEmpty());
        const QRect placed = start.translated(150, -120);
        QVERIFY(saveScreenAs(QStringLiteral("stamped"))); // the snapshot as a file
        const QImage saved = QImage(p.file("Screens/stamped.bmp")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(saved.size(), QSize(ScreenW, ScreenH));
        // The arrow's blue inside, the snapshot itself at the white corners.
        int blue = 0;
        for (int y = placed.top(); y <= placed.bottom(); ++y)
            for (int x = placed.left(); x <= placed.right(); ++x)
                blue += qBlue(saved.pixel(x, y)) > 150 && qRed(saved.pixel(x, y)) < 120 && qGreen(saved.pixel(x, y)) < 160 &&
                        (saved.pixel(x, y) & 0xFFFFFF) != (known.pixel(x, y) & 0xFFFFFF);
        QVERIFY(blue > 2000);
        QCOMPARE(differences(saved, known, QRect(placed.topLeft(), QSize(8, 8))), 0);
        QCOMPARE(differences(saved, known, QRect(placed.bottomRight() - QPoint(7, 7), QSize(8, 8))), 0);
        QCOMPARE(differences(saved, known, QRect(start.left() - 1, start.bottom() + 2, 100, 10)), 0);
        p.kill();
    }

    void bannerIsPrintedFromTypedText()
    {
        // A busy screen: the banner's outline, taken from beneath it, is whole.
        QImage busy(ScreenW, ScreenH, QImage::Format_RGB32);
        for (int y = 0; y < ScreenH; ++y)
            for (int x = 0; x < ScreenW; ++x)
                busy.setPixel(x, y, qRgb((x * 37 + y * 11) % 200 + 20, (x * 13 + y * 29) % 200 + 20, 120));
        showBackdrop(busy);
        Program p;
        QVERIFY(startAndCapture(p));
        click(fullBar(842, 22));  // the text tool opens the text box
        click(fullBar(1000, 20)); // the text box
        key(QStringLiteral("ctrl+a"));
        type(QStringLiteral("HELLO THERE"));
        click(fullBar(924, 22)); // the banner button
        QVERIFY(!findWindow(QStringLiteral("fStamp2")).isEmpty());
        pause(500);
        const QRect banner = windowGeometry(findWindow(QStringLiteral("fStamp2")));
        const QImage outline(p.file("Text.bmp"));
        QCOMPARE(outline.size(), banner.size());
        // It holds the screen beneath the banner's starting place.
        QCOMPARE(differences(outline.convertToFormat(QImage::Format_RGB32), busy.copy(banner), outline.rect()), 0);
        drag(banner.center(), {banner.center() + QPoint(0, -100), banner.center() + QPoint(0, -200)});
        pause(600);
        QVERIFY(findWindow(QStringLiteral("fStamp2"), 500).isEmpty());
        const QRect placed = banner.translated(0, -200);
        const QImage shown = grabScreen();
        // The label: black letters on white, printed where it was let go.
        QVERIFY(count(shown, placed, qRgb(255, 255, 255)) > placed.width() * placed.height() / 2);
        QVERIFY(count(shown, placed, qRgb(0, 0, 0)) > 30);
        QCOMPARE(differences(shown, busy, banner.adjusted(0, 10, 0, 0)), 0); // nothing left where it began
        p.kill();
    }

    // A logout, Ctrl+C or a plain kill closes as Quit does.
    void signalsCloseAsQuitDoes()
    {
        for (int number : {SIGTERM, SIGINT, SIGHUP}) {
            Program p;
            QVERIFY(!p.start().isEmpty());
            p.signal(number);
            QVERIFY(p.waitForExit());
            const TIniFile ini(p.file("setup.ini"));
            QCOMPARE(ini.ReadString("Setup", "Operating", "") + QString::number(number), "No" + QString::number(number));
            QCOMPARE(ini.ReadString("Font", "Text", ""), QStringLiteral("Type text here"));
        }
    }

    // Killed at random moments of the start, a capture or a stroke, the
    // program never leaves a torn file, and the next start offers the
    // recovery exactly when there is a snapshot to bring back.
    void randomKillsNeverTearAFile()
    {
        Program p;
        QRandomGenerator random(2026);
        for (int round = 0; round < 30; ++round) {
            const bool offer = QFile::exists(p.file("setup.ini")) &&
                               (QFile::exists(p.file("Screen.bmp")) || QFile::exists(p.file("Marked.bmp")));
            p.start(false);
            if (random.bounded(4) == 0) {
                pause(random.bounded(800)); // somewhere in the start
            } else {
                if (offer) {
                    QVERIFY(!findWindow(QStringLiteral("Confimation")).isEmpty());
                    key("n");
                }
                const QString bar = findWindow(QStringLiteral("Screen Quillet"));
                QVERIFY(!bar.isEmpty());
                QVERIFY(findWindow(QStringLiteral("Confimation"), 50).isEmpty() || offer);
                pause(200);
                const QPoint origin = windowGeometry(bar).topLeft();
                click(origin + QPoint(49, 20)); // "Capture"
                pause(random.bounded(1500));
                if (random.bounded(2))
                    drag(QPoint(300, 300), {QPoint(400, 350), QPoint(500, 300)});
            }
            p.kill();
            const TIniFile ini(p.file("setup.ini"));
            if (QFile::exists(p.file("setup.ini")))
                QCOMPARE(ini.ReadString("Setup", "Operating", "") + " " + QString::number(round), "Yes " + QString::number(round));
            for (const char* name : {"Screen.bmp", "Marked.bmp"}) {
                QString error;
                if (QFile::exists(p.file(name)))
                    QVERIFY2(!readPictureFile(p.file(name), &error).isNull(), qPrintable(error));
            }
        }
    }

    // What a new user does first, on each desktop: the bar on the screen,
    // Capture with the setup dialog open, strokes and a rectangle with the
    // real mouse, the bar and the dialog above the surface after each one,
    // Remove.
    void firstMinuteOnThisDesktop()
    {
        if (onGnomeShell())
            return firstMinuteOnGnomeShell();
        if (onWayland())
            return firstMinuteOnWayland();
        const int scale = Row->scale;
        // sway puts the program's windows where it likes: there the rows
        // find them and leave their places to the X11 rows.
        const bool placed = !onWayland();
        Program p;
        p.scale = scale;
        QVERIFY(!p.start().isEmpty());
        const QRect area = workArea();
        const QRect compact = frameGeometry(p.bar);
        if (placed)
            QCOMPARE(compact, QRect(QPoint(10 * scale, qMax(5 * scale, area.top())), QSize(318, 86) * scale));

        click(p.onBar(152, 20)); // "Tool Bar"
        pause(500);
        const QRect bar = windowGeometry(p.bar);
        // Along the bottom of the monitor the bar is on, clear of panels.
        const QRect monitor = QGuiApplication::screenAt(compact.center())->geometry();
        if (placed)
            QCOMPARE(bar, QRect(monitor.left(), area.intersected(monitor).bottom() + 1 - 43 * scale, monitor.width(), 43 * scale));
        const auto onFullBar = [&](int x, int y) { return bar.topLeft() + QPoint(x, y) * scale; };
        // Opens a floating window with a button of the full bar; where it lies, or nothing.
        const auto openFromBar = [&](int x, const QString& title, int settleMs) {
            click(onFullBar(x, 22));
            const QString id = findWindow(title);
            pause(settleMs);
            return id.isEmpty() ? QRect() : windowGeometry(id);
        };
        click(onFullBar(453, 20)); // "Setup"
        const QString setupWindow = findWindow(QStringLiteral("Setup"));
        QVERIFY(!setupWindow.isEmpty());
        pause(500);
        const QRect setup = frameGeometry(setupWindow);
        if (placed)
            QCOMPARE(setup.topLeft(), QPoint(369, 93) * scale);

        const QImage before = grabScreen();
        click(onFullBar(49, 20)); // "Capture"
        pause(1500);
        const QString surface = findWindow(QStringLiteral("fViewer"));
        QVERIFY(!surface.isEmpty());
        QCOMPARE(windowGeometry(surface), QRect(0, 0, Row->width, Row->height));
        if (*Row->desktop && placed)
            QCOMPARE(taskListEntries(), QStringList{"Screen Quillet"});

        // The whole desktop at full resolution, without any window of the
        // program (a compositor's shadows reach past the frames).
        const QList<QRect> program = {bar.adjusted(-50, -50, 50, 50), setup.adjusted(-50, -50, 50, 50)};
        const QImage snapshot = QImage(p.file("Screen.bmp")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(snapshot.size(), QSize(Row->width, Row->height));
        // (Panels change as the bar leaves their task lists.)
        QCOMPARE(differences(without(snapshot, program), without(before, program), area), 0);
        QVERIFY(differences(snapshot, before, setup) > setup.width() * setup.height() * 9 / 10);
        QVERIFY(differences(snapshot, before, bar) > bar.width() * bar.height() / 2);
        // Shown 1:1 from the top-left corner, over any panel.
        mouseMove(QPoint(Row->width / 2, Row->height / 2)); // no button lit by the pointer
        const QImage shown = grabScreen();
        QVERIFY(differences(without(shown, program), without(snapshot, program), snapshot.rect()) < 50);
        const QImage barAbove = shown.copy(bar), setupAbove = shown.copy(setup);

        const QList<QList<QPoint>> strokes = {
            {{40, 12}, {160, 14}, {300, 16}},
            {{Row->width / 20, Row->height * 2 / 5}, {Row->width / 20 + 100, Row->height * 2 / 5 + 30}},
            {{Row->width * 3 / 4, Row->height / 2}, {Row->width * 3 / 4 + 120, Row->height / 2 + 40},
             {Row->width * 3 / 4 + 240, Row->height / 2}}};
        for (const QList<QPoint>& stroke : strokes) {
            drag(stroke.first(), stroke.mid(1));
            const QImage marked = grabScreen();
            for (const QPoint& at : stroke.mid(1, stroke.size() - 2) + QList<QPoint>{stroke.first()})
                QVERIFY2(near(marked.pixel(at), qRgb(0, 255, 255), 0), qPrintable(QStringLiteral("no ink under %1,%2").arg(at.x()).arg(at.y())));
            QCOMPARE(differences(marked.copy(bar), barAbove, barAbove.rect()), 0);
            QCOMPARE(differences(marked.copy(setup), setupAbove, setupAbove.rect()), 0);
        }

        // A rectangle: the outline where the mouse went down and came up, and
        // nothing where the rubber band passed.
        click(onFullBar(676, 22)); // the rectangle tool
        mouseMove(QPoint(Row->width / 2, Row->height / 2));
        const QImage barWithBoxTool = grabScreen().copy(bar);
        const QPoint from(Row->width / 10, Row->height * 2 / 3), to = from + QPoint(200, 100);
        drag(from, {to + QPoint(80, 60), to});
        const QImage boxed = grabScreen();
        const QRgb lime = qRgb(0, 255, 0);
        QVERIFY(near(boxed.pixel(from), lime, 0));
        QVERIFY(near(boxed.pixel(to - QPoint(1, 1)), lime, 0));
        QVERIFY(!near(boxed.pixel(from + QPoint(100, 50)), lime, 0));
        QCOMPARE(differences(boxed, shown, QRect(to + QPoint(4, -100), to + QPoint(90, 70))), 0);
        QCOMPARE(differences(boxed.copy(bar), barWithBoxTool, barAbove.rect()), 0);
        // Undo reaches the program wherever the window manager left the focus.
        key("ctrl+z");
        QCOMPARE(differences(grabScreen(), shown, QRect(from, to).adjusted(-4, -4, 4, 4)), 0);
        key("ctrl+y");
        QVERIFY(near(grabScreen().pixel(from), lime, 0));

        // The stamp above the surface, dragged and printed where it is let go.
        const QImage unstamped = grabScreen();
        const QRect stamp = openFromBar(1108, QStringLiteral("icon - Form"), 400); // the stamp button
        QVERIFY(stamp.isValid());
        // As many pixels of the snapshot as at any scale, cut to the arrow.
        QCOMPARE(stamp.size(), QSize(184, 132));
        const QImage stampUp = grabScreen();
        const QPoint by(-150 * scale, 100 * scale);
        drag(stamp.center(), {stamp.center() + by / 2, stamp.center() + by});
        pause(600);
        QVERIFY(findWindow(QStringLiteral("icon - Form"), 500).isEmpty());
        const QImage stamped = grabScreen();
        int blue = 0;
        for (const QPoint& at : {stamp.center(), stamp.center() + QPoint(20, 0), stamp.center() - QPoint(20, 0)})
            blue += qBlue(stamped.pixel(at + by)) > 150 && qRed(stamped.pixel(at + by)) < 120;
        QCOMPARE(blue, 3); // the arrow's middle
        // Printed as it was shown, pixel for pixel, where nothing of the
        // program lies above the picture.
        const QRect setupAround = setup.adjusted(-50, -50, 50, 50);
        const StampPrint print = printOf(unstamped, stampUp, stamped, stamp, by, setupAround);
        QVERIFY2(print.shown > 184 * 132 / 4 && print.shown < 184 * 132 * 3 / 4, qPrintable(QString::number(print.shown)));
        QCOMPARE(print.misprinted, 0);

        // The banner's letters as tall on the picture as at any scale.
        const QImage noBanner = grabScreen();
        const QRect banner = openFromBar(924, QStringLiteral("fStamp2"), 500); // the banner button
        QVERIFY(banner.isValid());
        // (The text and font settings' defaults; letters laid out at half
        // size come out a little wider.)
        TLabel unscaled(nullptr, QStringLiteral(" Type text here"), 0, 0);
        unscaled.SetFont(TFont{QStringLiteral("Arial"), 10, 128, 0});
        QVERIFY2(qAbs(banner.width() - unscaled.width()) <= unscaled.width() / 10 &&
                     qAbs(banner.height() - unscaled.height()) <= 2,
                 qPrintable(QStringLiteral("%1x%2, not %3x%4")
                                .arg(banner.width())
                                .arg(banner.height())
                                .arg(unscaled.width())
                                .arg(unscaled.height())));
        // Let go where it shows, it closes.
        const QImage bannerUp = grabScreen();
        QPoint onBanner = banner.center();
        for (int x = banner.left(); x <= banner.right() && onBanner == banner.center(); ++x)
            if (bannerUp.pixel(x, banner.center().y()) != noBanner.pixel(x, banner.center().y()))
                onBanner = QPoint(x, banner.center().y());
        click(onBanner);
        QVERIFY(findWindow(QStringLiteral("fStamp2"), 500).isEmpty());

        click(onFullBar(49, 20)); // "Remove"
        QVERIFY(findWindow(QStringLiteral("fViewer"), 1000).isEmpty());
        p.kill();
    }

    // After an improper end, on each desktop: the marks come back with the
    // snapshot, the bar stands where it belongs and stays above the surface,
    // the keys come back to the program from a window beneath the surface,
    // and the close box ends the program.
    void recoveryOnThisDesktop()
    {
        KeyCatcher beneath;
        beneath.show();
        pause(300);
        Program p;
        QVERIFY(!p.start().isEmpty());
        openFullBar(p);
        const QPoint onFullBar = windowGeometry(p.bar).topLeft();
        click(onFullBar + QPoint(49, 20)); // "Capture"
        pause(1200);
        const QRgb aqua = qRgb(0, 255, 255);
        const QPoint marked(Row->width / 4, Row->height / 2);
        drag(marked - QPoint(100, 0), {marked + QPoint(100, 0)});
        // Cleared and brought back by undo: the marks at rest past their
        // settling time each time.
        pause(1500);
        click(onFullBar + QPoint(365, 20)); // "Clear"
        pause(1500);
        key("ctrl+z");
        pause(1500);
        p.kill();

        p.start(false);
        QVERIFY(!findWindow(QStringLiteral("Confimation")).isEmpty());
        pause(2000); // the question read
        key("y");
        QVERIFY(!p.waitForBar().isEmpty());
        const QRect area = workArea();
        // Framed at its start place, its whole client area the buttons'.
        QCOMPARE(frameGeometry(p.bar), QRect(QPoint(10, qMax(5, area.top())), QSize(318, 86)));
        const QImage snapshot = QImage(p.file("Screen.bmp")).convertToFormat(QImage::Format_RGB32);
        const auto barAbove = [&] {
            const QRect bar = windowGeometry(p.bar);
            return differences(grabScreen(), snapshot, bar) > bar.width() * bar.height() / 2;
        };
        QVERIFY(near(grabScreen().pixel(marked), aqua, 0)); // the marks came back
        QVERIFY(barAbove());
        const QPoint again(Row->width / 4, Row->height * 3 / 4);
        drag(again - QPoint(100, 0), {again + QPoint(100, 0)});
        QVERIFY(near(grabScreen().pixel(again), aqua, 0));
        QVERIFY(barAbove());

        // The keyboard focus left on a window beneath: a click on the
        // surface brings the keys back.
        xdotool({"windowfocus", QString::number(beneath.winId())});
        pause(300);
        click(QPoint(Row->width / 2, Row->height / 5)); // a dot
        key("ctrl+z");
        key("ctrl+z");
        QVERIFY(!near(grabScreen().pixel(again), aqua, 0));
        QCOMPARE(beneath.keys, 0);
        if (*Row->desktop) {
            // Help closed by its close box gives the keys back to the bar too.
            key("F1");
            const QString help = findWindow(QStringLiteral("Screen Quillet Help"));
            QVERIFY(!help.isEmpty());
            pause(300);
            closeWindow(help);
            QVERIFY(findWindow(QStringLiteral("Screen Quillet Help"), 1000).isEmpty());
            key("ctrl+y");
            QVERIFY(near(grabScreen().pixel(again), aqua, 0));
            QCOMPARE(beneath.keys, 0);

            // The close box, at the right of the title bar.
            const QRect frame = frameGeometry(p.bar), inside = windowGeometry(p.bar);
            click(QPoint(frame.right() - 10, frame.top() + (inside.top() - frame.top()) / 2));
            QVERIFY(p.waitForExit());
            QCOMPARE(TIniFile(p.file("setup.ini")).ReadString("Setup", "Operating", ""), QStringLiteral("No"));
        }
        p.kill();
    }

    // The portal refuses (1: the user said no, 2: it failed): Capture says
    // so once, writes no picture, shows no surface, and the program goes on.
    void captureRefusedByThePortal()
    {
        if (!onWayland())
            QSKIP("a row of a Wayland session without the portal");
        Program p;
        QVERIFY(!p.start().isEmpty());
        // Each refused Capture says so, the second as the first.
        for (int code : {1, 2}) {
            QVERIFY(useRefusingPortal(code));
            click(windowGeometry(p.bar).topLeft() + QPoint(49, 20)); // "Capture"
            const QString caption = QStringLiteral("Error: Clipboard failure");
            const QString message = findWindow(caption);
            QVERIFY(!message.isEmpty());
            pause(300);
            // (Sent to the box itself: XWayland gives the focus to no X11 window here.)
            xdotool({"key", "--window", message, "Return"});
            // (Here the X server can be left holding that Return down; it
            // would repeat into the next box and answer it at once.)
            xdotool({"keyup", "Return"});
            QVERIFY(findWindow(caption, 1500).isEmpty());
            QVERIFY(!QFile::exists(p.file("Screen.bmp")));
            QVERIFY(findWindow(QStringLiteral("fViewer"), 500).isEmpty());
            QVERIFY(!findWindow(QStringLiteral("Screen Quillet")).isEmpty());
        }
        // It goes on: the bar still answers.
        click(windowGeometry(p.bar).topLeft() + QPoint(152, 20)); // "Tool Bar"
        pause(500);
        QVERIFY(windowGeometry(p.bar).width() > 318);
        QVERIFY(p.running());
        p.kill();
    }

    void snapshotComesBackAfterACrash()
    {
        const QImage known = backdrop->picture;
        {
            Program p;
            QVERIFY(!p.start().isEmpty());
            click(p.onBar(49, 20)); // "Capture"
            pause(1200);
            QVERIFY(QFile::exists(p.file("Screen.bmp")));
            const QByteArray snapshot = p.readFile("Screen.bmp");
            const QByteArray settings = p.readFile("setup.ini");
            p.kill(); // no orderly end

            // Something else on the screen now; the recovery brings the old one back.
            QImage other(ScreenW, ScreenH, QImage::Format_RGB32);
            other.fill(Qt::darkGreen);
            showBackdrop(other);
            Program again;
            again.writeFile("Screen.bmp", snapshot);
            again.writeFile("setup.ini", settings);
            again.start(false);
            QVERIFY(!findWindow(QStringLiteral("Confimation")).isEmpty());
            key("y");
            QVERIFY(!findWindow(QStringLiteral("Screen Quillet")).isEmpty());
            pause(600);
            const QImage shown = grabScreen();
            QVERIFY(differences(shown, known, QRect(0, 100, ScreenW, ScreenH - 100)) < 50);
            again.kill();
        }
    }
};

// "--desktop=NAME" picks a row of Desktops; the rest goes to the test runner.
int main(int argc, char** argv)
{
    QList<char*> args;
    for (int i = 0; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (!arg.startsWith("--desktop=")) {
            args << argv[i];
            continue;
        }
        for (const DesktopRow& row : Desktops)
            if (arg.mid(10) == row.name)
                Row = &row;
    }
    ScreenW = Row->width;
    ScreenH = Row->height;
    argc = int(args.size());
    argv = args.data();
    return runOnVirtualDisplay(argc, argv, ScreenW, ScreenH, [&] {
        TestEndToEnd test;
        return QTest::qExec(&test, argc, argv);
    }, Row->monitors, QString::fromLatin1(Row->desktop));
}

#include "test_e2e.moc"
