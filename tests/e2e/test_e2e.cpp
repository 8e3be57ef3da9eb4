// End to end: the built program on a real X server, used with the real
// mouse and keyboard, its windows and files checked as a user would.
#include "Harness.h"
#include "IniFile.h"

#include <QApplication>
#include <QPainter>
#include <QtTest>

namespace {

constexpr int ScreenW = 1024;
constexpr int ScreenH = 768;

// The tests' own full-screen window: what there is on the screen to capture.
class Backdrop : public QWidget {
public:
    QImage picture;
    explicit Backdrop(const QImage& p) : picture(p)
    {
        setWindowFlags(Qt::FramelessWindowHint);
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

private slots:
    void init() { showBackdrop(knownPicture(ScreenW, ScreenH)); }
    void cleanup() { backdrop.reset(); }

    void barStartsCompactAndQuitWritesTheSettings()
    {
        Program p;
        QVERIFY(!p.start().isEmpty());
        QCOMPARE(windowGeometry(p.bar).topLeft(), QPoint(10, 5));
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
        // The question comes before the bar is on the screen.
        p.start(false);
        const QString question = findWindow(QStringLiteral("Confimation"));
        QVERIFY(!question.isEmpty());
        key("n");
        QVERIFY(!findWindow(QStringLiteral("Screen Quillet")).isEmpty());
        QCOMPARE(TIniFile(p.file("setup.ini")).ReadString("Setup", "Mode", ""), QStringLiteral("2"));
        p.kill();
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

int main(int argc, char** argv)
{
    if (!startVirtualDisplay(ScreenW, ScreenH)) {
        qWarning("could not start a virtual display");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 0;
    {
        QApplication app(argc, argv);
        TestEndToEnd test;
        result = QTest::qExec(&test, argc, argv);
    }
    stopVirtualDisplay();
    return result;
}

#include "test_e2e.moc"
