// The screenshot portal's client against a stand-in portal on a private
// session bus: each way the desktop can answer, and what the user is told.
#include "PortalScreenshot.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// What the stand-in does with a request.
struct Answer {
    int code = 0;         // the Response code; -1 sends none
    QString file;         // written and named in the URI when code is 0
    QByteArray bytes;     // the file's content
};

class StandInPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
public:
    QDBusConnection bus;
    Answer answer;
    QVariantMap lastOptions;
    explicit StandInPortal(const QDBusConnection& connection) : bus(connection) {}

public slots:
    QDBusObjectPath Screenshot(const QString&, const QVariantMap& options, const QDBusMessage& call)
    {
        lastOptions = options;
        const QString sender = call.service().mid(1).replace('.', '_');
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                 .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        if (answer.code == 0) {
            QFile f(answer.file);
            f.open(QIODevice::WriteOnly);
            f.write(answer.bytes);
        }
        if (answer.code >= 0)
            QTimer::singleShot(20, this, [this, path] {
                QDBusMessage response =
                    QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                               QStringLiteral("Response"));
                QVariantMap results;
                if (answer.code == 0)
                    results[QStringLiteral("uri")] = QUrl::fromLocalFile(answer.file).toString();
                response << uint(answer.code) << results;
                bus.send(response);
            });
        return QDBusObjectPath(path);
    }
};

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestPortal : public QObject {
    Q_OBJECT
    QProcess bus_;
    QTemporaryDir files_;

    struct Result {
        bool done = false;
        QImage picture;
        QString failure;
    };
    static Result ask(int timeoutMs = 2000)
    {
        Result r;
        PortalScreenshot portal;
        portal.Request([&](const QImage& p, const QString& f) {
            r.failure += r.done ? QStringLiteral(" (answered twice)") : f;
            r.done = true;
            r.picture = p;
        }, timeoutMs);
        QTest::qWaitFor([&] { return r.done; }, timeoutMs + 2000);
        return r;
    }

private slots:
    void initTestCase()
    {
        // A bus of the test's own, before anything talks to the session bus;
        // it starts no services, so no portal of this machine answers.
        const QString config = files_.filePath(QStringLiteral("bus.conf"));
        QFile standard(QStringLiteral("/usr/share/dbus-1/session.conf")), own(config);
        QVERIFY(standard.open(QIODevice::ReadOnly) && own.open(QIODevice::WriteOnly));
        own.write(standard.readAll().replace("<standard_session_servicedirs />", ""));
        own.close();
        bus_.start(QStringLiteral("dbus-daemon"), {"--config-file=" + config, "--nofork", "--print-address"});
        QVERIFY(bus_.waitForReadyRead(5000));
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus_.readLine().trimmed());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }
    void cleanupTestCase()
    {
        bus_.kill();
        bus_.waitForFinished();
    }

    void everyAnswerOfTheDesktop()
    {
        const Result none = ask();
        QVERIFY(none.picture.isNull());
        QVERIFY2(none.failure.contains("has no screenshot portal") && none.failure.contains("xdg-desktop-portal"),
                 qPrintable(none.failure));

        QDBusConnection desktop = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "stand-in");
        StandInPortal portal(desktop);
        QVERIFY(desktop.registerObject("/org/freedesktop/portal/desktop", &portal, QDBusConnection::ExportAllSlots));
        QVERIFY(desktop.registerService("org.freedesktop.portal.Desktop"));

        QImage screen(64, 40, QImage::Format_ARGB32);
        screen.fill(qRgba(10, 200, 30, 128));
        const QString temporary = QDir::temp().filePath(QStringLiteral("quillet-portal-test.png"));
        portal.answer = Answer{0, temporary, png(screen)};
        const Result shot = ask();
        QVERIFY2(shot.failure.isEmpty(), qPrintable(shot.failure));
        QCOMPARE(shot.picture.size(), screen.size());
        QCOMPARE(shot.picture.format(), QImage::Format_RGB32);
        QCOMPARE(shot.picture.pixel(5, 5), qRgb(10, 200, 30));
        QCOMPARE(portal.lastOptions.value("interactive").toBool(), false);
        QVERIFY(!QFile::exists(temporary)); // the portal's temporary file is gone

        // A file that holds no picture is named in the message.
        portal.answer = Answer{0, files_.filePath(QStringLiteral("Screenshot.png")), "not a picture"};
        const Result broken = ask();
        QVERIFY(broken.picture.isNull());
        QVERIFY2(broken.failure.contains("cannot be read") && broken.failure.contains("Screenshot.png"),
                 qPrintable(broken.failure));

        const QList<QPair<int, QString>> refusals = {{1, "cancelled"}, {2, "refused"}};
        for (const auto& [code, words] : refusals) {
            portal.answer = Answer{code, {}, {}};
            const Result r = ask();
            QVERIFY(r.picture.isNull());
            QVERIFY2(r.failure.contains(words), qPrintable(r.failure));
        }

        portal.answer = Answer{-1, {}, {}}; // never answers
        const Result silent = ask(600);
        QVERIFY(silent.picture.isNull());
        QVERIFY2(silent.failure.contains("did not answer"), qPrintable(silent.failure));
    }
};

QTEST_GUILESS_MAIN(TestPortal)
#include "test_portal.moc"
