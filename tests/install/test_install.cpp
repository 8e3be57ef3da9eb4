// The installed program: installed from the build into a temporary prefix,
// its menu entry and software-centre data checked by the desktop's own
// validators, started by the menu entry's command from a folder it cannot
// write, and packaged for Debian.
#include "Harness.h"
#include "IniFile.h"

#include <QDirIterator>
#include <QtTest>
#include <unistd.h>

namespace {

constexpr int ScreenW = 1280;
constexpr int ScreenH = 800;
constexpr uid_t Nobody = 65534;
const QString AppId = QStringLiteral(QUILLET_APP_ID);

struct Outcome {
    int code = -1;
    QString output;
};

Outcome run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(300000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAll())};
}

// Near-white pixels: the default stamp's background, which the bar itself never shows.
int whitish(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += qRed(image.pixel(x, y)) > 235 && qGreen(image.pixel(x, y)) > 235 && qBlue(image.pixel(x, y)) > 235;
    return n;
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT
    QTemporaryDir root;
    QString prefix() const { return root.filePath(QStringLiteral("prefix")); }
    QString installed(const QString& relative) const { return prefix() + QLatin1Char('/') + relative; }

    QString desktopExec() const
    {
        QFile entry(installed(QStringLiteral("share/applications/%1.desktop").arg(AppId)));
        if (!entry.open(QIODevice::ReadOnly))
            return QString();
        for (const QByteArray& line : entry.readAll().split('\n'))
            if (line.startsWith("Exec="))
                return QString::fromUtf8(line.mid(5)).trimmed();
        return QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        const Outcome install = run(QStringLiteral("cmake"),
                                    {"--install", QStringLiteral(QUILLET_BUILD_DIR), "--prefix", prefix()});
        QVERIFY2(install.code == 0, qPrintable(install.output));
    }

    // Lets the temporary folder go again after a run as an ordinary user.
    void cleanupTestCase()
    {
        for (const char* folder : {"bin", "share"})
            QFile::setPermissions(installed(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void installsWhatTheDesktopNeedsAndTheValidatorsAcceptIt()
    {
        QVERIFY(QFileInfo(installed("bin/quillet")).isExecutable());
        for (const QString& file : {QStringLiteral("share/screen-quillet/Stamps/3dArrow-rt.bmp"),
                                    QStringLiteral("share/man/man1/quillet.1")})
            QVERIFY2(QFileInfo(installed(file)).size() > 0, qPrintable(file));
        for (const QString& size : QStringLiteral(QUILLET_ICON_SIZES).split(' ')) {
            const QImage icon(installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size, AppId)));
            QCOMPARE(icon.size(), QSize(size.toInt(), size.toInt()));
            QVERIFY(icon.hasAlphaChannel());
        }
        const QList<QStringList> validators = {
            {"desktop-file-validate", installed(QStringLiteral("share/applications/%1.desktop").arg(AppId))},
            {"appstreamcli", "validate", "--no-net", installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(AppId))},
        };
        for (QStringList command : validators) {
            const Outcome check = run(command.takeFirst(), command);
            QVERIFY2(check.code == 0, qPrintable(check.output));
            QVERIFY2(!check.output.contains(QStringLiteral("error"), Qt::CaseInsensitive), qPrintable(check.output));
        }
    }

    // Started as the menu would start it, from a folder it cannot write: the
    // bar comes up with the installed default stamp, and the settings go to
    // the user's data folder, not beside the program or into the current folder.
    void startsFromTheMenuAndKeepsItsFilesInTheDataFolder()
    {
        const QString exec = desktopExec();
        QCOMPARE(exec, QStringLiteral("quillet"));
        const QString home = root.filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home));
        QProcess program;
        QStringList command = {QStringLiteral("env"), exec};
        if (geteuid() == 0) {
            // Root writes anywhere: run as an ordinary user, as a desktop would.
            QVERIFY(chown(qPrintable(home), Nobody, Nobody) == 0);
            QFile::setPermissions(root.path(), QFile::permissions(root.path()) | QFile::ExeOther | QFile::ReadOther);
            command = QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"} + command;
        } else {
            QFile::setPermissions(installed("bin"), QFile::ReadOwner | QFile::ExeOwner);
            QFile::setPermissions(installed("share"), QFile::ReadOwner | QFile::ExeOwner);
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("PATH"), installed("bin") + QStringLiteral(":/usr/bin:/bin"));
        // Only the prefix's own data: a copy installed elsewhere must not help.
        env.insert(QStringLiteral("XDG_DATA_DIRS"), root.filePath(QStringLiteral("no-data")));
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(installed("share"));
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(command.takeFirst(), command);
        QVERIFY(program.waitForStarted());

        const QString bar = findWindow(QStringLiteral("Screen Quillet"));
        QVERIFY(!bar.isEmpty());
        pause(300);
        const QPoint origin = windowGeometry(bar).topLeft();
        click(origin + QPoint(152, 20)); // "Tool Bar": the stamp preview is on the full bar
        pause(400);
        const QImage screen = grabScreen();
        QVERIFY(whitish(screen, QRect(1136, ScreenH - 43 + 6, 41, 32)) > 100);

        const QString data = home + QStringLiteral("/.local/share/screen-quillet/");
        QCOMPARE(TIniFile(data + "setup.ini").ReadString("Setup", "Operating", ""), QStringLiteral("Yes"));
        click(QPoint(257, ScreenH - 43 + 20)); // "&Quit"
        QTRY_VERIFY_WITH_TIMEOUT(program.state() == QProcess::NotRunning, 15000);
        QCOMPARE(TIniFile(data + "setup.ini").ReadString("Setup", "Operating", ""), QStringLiteral("No"));
        QDirIterator strays(prefix(), {"setup.ini", "Screen.bmp"}, QDir::Files, QDirIterator::Subdirectories);
        QVERIFY2(!strays.hasNext(), qPrintable(strays.hasNext() ? strays.next() : QString()));
    }

    void debianPackageDeclaresItsRuntimeDependencies()
    {
        const QString out = root.filePath(QStringLiteral("deb"));
        const Outcome pack = run(QStringLiteral("cpack"), {"-G", "DEB", "--config",
                                                           QStringLiteral(QUILLET_BUILD_DIR "/CPackConfig.cmake"), "-B", out});
        QVERIFY2(pack.code == 0, qPrintable(pack.output));
        const QStringList debs = QDir(out).entryList({"screen-quillet_*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        const QString deb = out + QLatin1Char('/') + debs.first();
        const QString depends = run(QStringLiteral("dpkg-deb"), {"--field", deb, "Depends"}).output.trimmed();
        qInfo("%s depends on: %s", qPrintable(debs.first()), qPrintable(depends));
        for (const char* package : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "qt6-qpa-plugins",
                                    "fonts-liberation", "fonts-dejavu-core"})
            QVERIFY2(depends.contains(QString::fromLatin1(package)), package);
        const QString contents = run(QStringLiteral("dpkg-deb"), {"--contents", deb}).output;
        for (const QString& file : {QStringLiteral("./usr/bin/quillet"),
                                    QStringLiteral("./usr/share/screen-quillet/Stamps/3dArrow-rt.bmp"),
                                    QStringLiteral("./usr/share/applications/%1.desktop").arg(AppId),
                                    QStringLiteral("./usr/share/metainfo/%1.metainfo.xml").arg(AppId),
                                    QStringLiteral("./usr/share/icons/hicolor/48x48/apps/%1.png").arg(AppId)})
            QVERIFY2(contents.contains(file), qPrintable(file));
    }
};

int main(int argc, char** argv)
{
    return runOnVirtualDisplay(argc, argv, ScreenW, ScreenH, [&] {
        TestInstall test;
        return QTest::qExec(&test, argc, argv);
    });
}

#include "test_install.moc"
