// Checked writes and bounded reads under the faults a user's disk can throw
// at them: a full disk, a read-only folder, links, folders and FIFOs where a
// file is expected.
#include "FileIO.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A file-size limit stands in for a full disk; with SIGXFSZ ignored the
// write fails with EFBIG instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

} // namespace

class TestFileIO : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    void init()
    {
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
    }

    // Each fault: the write is refused with the file's name and the system's
    // reason, the old content stays, no temporary file is left behind.
    void failedWritesKeepTheOldFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full disk") << "fsize" << "File too large";
        QTest::newRow("read-only folder") << "readonly" << "Permission denied";
        QTest::newRow("folder in the way") << "folder" << "Is a directory";
    }

    void failedWritesKeepTheOldFile()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        if (fault == "readonly" && geteuid() == 0)
            QSKIP("permissions do not bind root");
        const QString target = fault == "folder" ? path("sub") : path("setup.ini");
        if (fault == "folder")
            QDir().mkdir(target);
        else
            put(target, "[Setup]\nOperating=No\n");
        const QByteArray big(64 * 1024, 'x');
        QString error;
        if (fault == "fsize") {
            FileSizeLimit limit(4096);
            error = writeFileAtomically(target, big);
        } else if (fault == "readonly") {
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
            error = writeFileAtomically(target, big);
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        } else {
            error = writeFileAtomically(target, big);
        }
        QVERIFY2(error.contains(target) && error.contains(reason), qPrintable(error));
        if (fault != "folder")
            QCOMPARE(readAll(target), QByteArray("[Setup]\nOperating=No\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".tmp-"), QStringList());
    }

    // A link is replaced by the file; what it pointed to is never changed,
    // and a dangling link is no obstacle.
    void linksAreReplacedNotFollowed()
    {
        put(path("other.txt"), "someone else's file\n");
        QVERIFY(QFile::link(path("other.txt"), path("setup.ini")));
        QVERIFY(QFile::link(path("nowhere/x"), path("Text.bmp")));
        for (const char* name : {"setup.ini", "Text.bmp"}) {
            QCOMPARE(writeFileAtomically(path(name), "new\n"), QString());
            QVERIFY(!QFileInfo(path(name)).isSymLink());
            QCOMPARE(readAll(path(name)), QByteArray("new\n"));
        }
        QCOMPARE(readAll(path("other.txt")), QByteArray("someone else's file\n"));
        QVERIFY(!QFile::exists(path("nowhere")));
    }

    void aReplacedFileKeepsItsPermissions()
    {
        put(path("setup.ini"), "old");
        chmod(QFile::encodeName(path("setup.ini")).constData(), 0640);
        QCOMPARE(writeFileAtomically(path("setup.ini"), "new"), QString());
        struct stat st {};
        QCOMPARE(stat(QFile::encodeName(path("setup.ini")).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
    }

    // Only the old unfinished files of that name go; the file and a write
    // still under way stay.
    void staleTemporariesAreRemoved()
    {
        for (const char* name : {"setup.ini", "setup.ini.tmp-old", "setup.ini.tmp-new", "Screen.bmp.tmp-old"})
            put(path(name), "x");
        for (const char* name : {"setup.ini.tmp-old", "Screen.bmp.tmp-old"}) {
            QFile f(path(name));
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime));
        }
        removeStaleTemporaries(path("setup.ini"), 60);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList({"Screen.bmp.tmp-old", "setup.ini", "setup.ini.tmp-new"}));
    }

    // Only a regular file within the limit is read; nothing else blocks.
    void readsOnlyASmallRegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("regular") << "regular" << "";
        QTest::newRow("too large") << "large" << "larger than 1024 bytes";
        QTest::newRow("FIFO") << "fifo" << "not a regular file";
        QTest::newRow("folder") << "folder" << "folder";
        QTest::newRow("endless device") << "zero" << "not a regular file";
        QTest::newRow("missing") << "missing" << "No such file";
    }

    void readsOnlyASmallRegularFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString file = path("setup.ini");
        if (kind == "regular")
            put(file, "[Setup]\n");
        else if (kind == "large")
            put(file, QByteArray(1025, 'x'));
        else if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else if (kind == "folder")
            QDir().mkdir(file);
        else if (kind == "zero")
            QVERIFY(QFile::link("/dev/zero", file));
        QByteArray bytes("stale");
        const QString error = readRegularFile(file, 1024, &bytes);
        QVERIFY2(reason.isEmpty() ? error.isEmpty() : error.contains(reason), qPrintable(error));
        QCOMPARE(bytes, reason.isEmpty() ? QByteArray("[Setup]\n") : QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestFileIO)
#include "test_fileio.moc"
