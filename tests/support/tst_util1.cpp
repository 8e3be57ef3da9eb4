// The file and folder utilities: what each function answers for the paths the
// program passes, and that the current folder is where it was afterwards.
#include "Scripted.h"
#include "util1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write(bytes);
}

QString backslashed(QString path) { return path.replace(QLatin1Char('/'), QLatin1Char('\\')); }

} // namespace

class TestUtil1 : public QObject {
    Q_OBJECT

    QString startDir_;
    QTemporaryDir tmp_;
    QString root_; // the temporary folder, without a trailing separator

    QStringList tree(const QString& folder) const
    {
        QStringList all;
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            all << it.next();
        all.sort();
        return all;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(tmp_.isValid());
        // The canonical form, since the current folder reads back resolved.
        root_ = QFileInfo(tmp_.path()).canonicalFilePath();
    }

    void init()
    {
        startDir_ = QDir::currentPath();
        // A fresh work folder for each test, the process in a folder of its own.
        QDir(root_).removeRecursively();
        QVERIFY(QDir().mkpath(root_ + "/work"));
        QVERIFY(QDir::setCurrent(root_ + "/work"));
    }

    void cleanup() { QDir::setCurrent(startDir_); }

    // --- FileSplit ---------------------------------------------------------

    void fileSplit_data()
    {
        QTest::addColumn<int>("component");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");

        QTest::newRow("double extension: name") << 3 << R"(C:\Dir\archive.tar.gz)" << "archive.tar";
        QTest::newRow("double extension: ext") << 4 << R"(C:\Dir\archive.tar.gz)" << "gz";
        QTest::newRow("double extension: name+ext") << 2 << R"(C:\Dir\archive.tar.gz)" << "archive.tar.gz";
        QTest::newRow("ext keeps its case") << 4 << R"(C:\Shots\pic.BMP)" << "BMP";
        QTest::newRow("no ext: name+ext empty") << 2 << R"(C:\Dir\name)" << "";
        QTest::newRow("no ext: name") << 3 << R"(C:\Dir\name)" << "name";
        QTest::newRow("no ext: ext empty") << 4 << R"(C:\Dir\name)" << "";
        QTest::newRow("no drive: drive+folder empty") << 1 << R"(Dir\name.ext)" << "";
        QTest::newRow("no drive: name+ext") << 2 << R"(Dir\name.ext)" << "name.ext";
        QTest::newRow("no drive: 5 empty") << 5 << R"(Dir\name.ext)" << "";
        QTest::newRow("bare name: drive empty") << 0 << "name.ext" << "";
        QTest::newRow("bare name: name") << 3 << "name.ext" << "name";
        QTest::newRow("drive+folder+name") << 5 << R"(C:\Dir\name.ext)" << R"(C:\Dir\name)";
        QTest::newRow("drive root") << 0 << R"(C:\Dir\name.ext)" << R"(C:\)";
        QTest::newRow("drive+folder") << 1 << R"(C:\Dir\name.ext)" << R"(C:\Dir\)";
        QTest::newRow("nested folder kept") << 1 << R"(C:\Dir\Sub\name.ext)" << R"(C:\Dir\Sub\)";
        QTest::newRow("component -1") << -1 << R"(C:\Dir\name.ext)" << "";
        QTest::newRow("component 6") << 6 << R"(C:\Dir\name.ext)" << "";
        QTest::newRow("drive without folder: 1 empty") << 1 << "C:name.ext" << "";
        QTest::newRow("drive without folder: 2") << 2 << "C:name.ext" << "name.ext";
        QTest::newRow("trailing dot: ext empty") << 4 << R"(C:\Dir\name.)" << "";
        QTest::newRow("trailing dot: name") << 3 << R"(C:\Dir\name.)" << "name";
        QTest::newRow("trailing separator: no name") << 3 << R"(C:\Dir\)" << "";
        QTest::newRow("trailing separator: folder") << 1 << R"(C:\Dir\)" << R"(C:\Dir\)";

        QTest::newRow("'..' is folder: 1") << 1 << R"(C:\Dir\..)" << R"(C:\Dir\..)";
        QTest::newRow("'..' is folder: name") << 3 << R"(C:\Dir\..)" << "";
        QTest::newRow("'..' is folder: ext") << 4 << R"(C:\Dir\..)" << "";
        QTest::newRow("'..' is folder: 2") << 2 << R"(C:\Dir\..)" << "";
        QTest::newRow("'.' is folder: 1") << 1 << R"(C:\Dir\.)" << R"(C:\Dir\.)";
        QTest::newRow("'.' is folder: ext") << 4 << R"(C:\Dir\.)" << "";
        QTest::newRow("bare '..': name") << 3 << ".." << "";
        QTest::newRow("bare '.': ext") << 4 << "." << "";

        QTest::newRow("slash: dot in folder, no ext") << 4 << "/home/u/my.shots/shot" << "";
        QTest::newRow("slash: dot in folder, name") << 3 << "/home/u/my.shots/shot" << "shot";
        QTest::newRow("slash: dot in folder, 2") << 2 << "/home/u/my.shots/shot" << "";
        QTest::newRow("slash: ext") << 4 << "/home/u/Screens/shot.bmp" << "bmp";
        QTest::newRow("slash: name") << 3 << "/home/u/Stamps/3dArrow-rt.bmp" << "3dArrow-rt";
        QTest::newRow("slash: root is the drive root") << 0 << "/home/u/shot.bmp" << "/";
        QTest::newRow("slash: folder") << 1 << "/home/u/shot.bmp" << "/home/u/";
        QTest::newRow("slash: folder+name") << 5 << "/home/u/shot.bmp" << "/home/u/shot";
        QTest::newRow("slash: relative has no drive") << 1 << "u/shot.bmp" << "";
        QTest::newRow("slash: '..' last") << 3 << "/home/u/.." << "";
        QTest::newRow("mixed separators") << 1 << R"(C:/Dir\Sub/pic.bmp)" << R"(C:/Dir\Sub/)";
        QTest::newRow("drive root with slash") << 0 << "C:/Dir/pic.bmp" << "C:/";
    }

    void fileSplit()
    {
        QFETCH(int, component);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(FileSplit(component, path), expected);
    }

    void fileSplitLooksAt260CharactersAndCutsPartsAt255()
    {
        // The name runs past character 260, so its extension is never seen.
        const QString longName = QString(300, QLatin1Char('a'));
        const QString path = QStringLiteral("C:\\") + longName + QStringLiteral(".bmp");
        QCOMPARE(FileSplit(4, path), QString());
        QCOMPARE(FileSplit(3, path), QString(255, QLatin1Char('a')));

        // A folder of 258 characters within the first 260 is cut at 255; the
        // name after it lies past character 260.
        const QString longFolder = QStringLiteral("\\") + QString(256, QLatin1Char('d')) + QStringLiteral("\\");
        const QString deep = QStringLiteral("C:") + longFolder + QStringLiteral("x.bmp");
        QCOMPARE(FileSplit(1, deep), QStringLiteral("C:") + longFolder.left(255));
        QCOMPARE(FileSplit(3, deep), QString());

        // Within the limits everything is kept.
        const QString name250 = QString(250, QLatin1Char('n'));
        QCOMPARE(FileSplit(2, QStringLiteral("C:\\D\\") + name250 + QStringLiteral(".bmp")),
                 name250 + QStringLiteral(".bmp"));
    }

    // --- DiskNumber, GetDir -----------------------------------------------

    void diskNumber()
    {
        QCOMPARE(DiskNumber(QStringLiteral("A:\\")), 1);
        QCOMPARE(DiskNumber(QStringLiteral("c:\\Dir")), 3);
        QCOMPARE(DiskNumber(QStringLiteral("Z")), 26);
        QCOMPARE(DiskNumber(QString()), 0);
        QCOMPARE(DiskNumber(QStringLiteral("/tmp")), 0);
        QCOMPARE(DiskNumber(QStringLiteral("1:\\")), 0);
    }

    void getDirIsTheCurrentFolderWithSeparator()
    {
        QCOMPARE(GetDir(0, QString()), root_ + "/work/");
        QCOMPARE(GetDir(3, QString()), root_ + "/work/");
        QCOMPARE(GetDir(0, QStringLiteral("C:")), root_ + "/work/");
        QVERIFY(QDir::setCurrent(QStringLiteral("/")));
        QCOMPARE(GetDir(0, QString()), QStringLiteral("/"));
    }

    void getDirKeepsTrailingBlanksOfAFolderName()
    {
        QVERIFY(QDir().mkdir(root_ + "/blank "));
        QVERIFY(QDir::setCurrent(root_ + "/blank "));
        QCOMPARE(GetDir(0, QString()), root_ + "/blank /");
    }

    // --- FindFile, GettheFileSize -----------------------------------------

    void findFile()
    {
        writeFile(root_ + "/setup.ini", "[Setup]\r\n");
        QVERIFY(QDir().mkdir(root_ + "/Stamps"));
        QVERIFY(QDir().mkdir(root_ + "/Stamps/sub.bmp")); // a folder that looks like a file

        QVERIFY(FindFile(root_ + "/setup.ini"));
        QVERIFY(!FindFile(root_ + "/missing.ini"));
        QVERIFY(!FindFile(QString()));
        QVERIFY(FindFile(root_ + "/Stamps"));   // a folder counts as found
        QVERIFY(FindFile(root_ + "/Stamps/"));
        QVERIFY(FindFile(backslashed(root_ + "/setup.ini")));
        QVERIFY(!FindFile(root_ + "/setup.ini/")); // a file is no folder
        QVERIFY(FindFile(QStringLiteral("../setup.ini"))); // relative to the current folder
        QVERIFY(!FindFile(QStringLiteral("setup.ini")));

        // Wildcards: only entries that are not folders count.
        QVERIFY(FindFile(root_ + "/*.ini"));
        QVERIFY(FindFile(root_ + "/setup.?ni"));
        QVERIFY(!FindFile(root_ + "/*.bmp"));
        QVERIFY(!FindFile(root_ + "/Stamps/*.bmp"));  // matches only the folder sub.bmp
        QVERIFY(!FindFile(root_ + "/Stamp*"));       // matches only the folder Stamps
        QVERIFY(!FindFile(root_ + "/missing/*.ini")); // no such folder
        writeFile(root_ + "/Stamps/arrow.bmp", "BM");
        QVERIFY(FindFile(root_ + "/Stamps/*.bmp"));
        QVERIFY(FindFile(backslashed(root_ + "/Stamps/*.bmp")));
    }

    void findFileWildcardsAreTheDesktopOnes()
    {
        writeFile(root_ + "/a1.bmp", "x");
        writeFile(root_ + "/noext", "x");
        // "[" is a plain character, not a glob set.
        QVERIFY(!FindFile(root_ + "/a[1]*"));
        writeFile(root_ + "/a[1].bmp", "x");
        QVERIFY(FindFile(root_ + "/a[1]*"));
        // "*.*" matches a name without a dot as well.
        QDir(root_).remove("a1.bmp");
        QDir(root_).remove("a[1].bmp");
        QVERIFY(FindFile(root_ + "/*.*"));
        QVERIFY(!FindFile(root_ + "/*.bmp"));
        QVERIFY(!FindFile(root_ + "/?"));
        QVERIFY(FindFile(root_ + "/?????"));
        QVERIFY(!FindFile(root_ + "/????"));
        QVERIFY(!FindFile(root_ + "/NOEXT")); // letter case counts here
        // Hidden files are found too.
        writeFile(root_ + "/.hidden.bmp", "x");
        QVERIFY(FindFile(root_ + "/*.bmp"));
    }

    void gettheFileSize()
    {
        writeFile(root_ + "/empty.bmp", "");
        writeFile(root_ + "/five.bmp", "12345");
        QCOMPARE(GettheFileSize(root_ + "/missing.bmp"), -1);
        QCOMPARE(GettheFileSize(QString()), -1);
        QCOMPARE(GettheFileSize(root_ + "/empty.bmp"), 0);
        QCOMPARE(GettheFileSize(root_ + "/five.bmp"), 5);
        QCOMPARE(GettheFileSize(backslashed(root_ + "/five.bmp")), 5);
        QCOMPARE(GettheFileSize(root_ + "/work"), 0); // a folder: found, no bytes of its own
        QCOMPARE(GettheFileSize(root_ + "/f*.bmp"), 5);
        QCOMPARE(GettheFileSize(root_ + "/z*.bmp"), -1);
        QCOMPARE(GettheFileSize(QStringLiteral("C:\\Screen.bmp")), -1);
    }

    void gettheFileSizeIsTheLow32BitsSigned()
    {
        // Sparse files: no disk space is used.
        QFile big(root_ + "/big.bmp");
        QVERIFY(big.open(QIODevice::WriteOnly));
        if (!big.resize(3LL * 1024 * 1024 * 1024))
            QSKIP("the file system refuses a 3 GiB sparse file");
        big.close();
        QCOMPARE(GettheFileSize(root_ + "/big.bmp"), static_cast<int>(0xC0000000u)); // negative
        QVERIFY(big.resize(5LL * 1024 * 1024 * 1024 + 7));
        QCOMPARE(GettheFileSize(root_ + "/big.bmp"), 1024 * 1024 * 1024 + 7);
        QVERIFY(big.resize(4LL * 1024 * 1024 * 1024));
        QCOMPARE(GettheFileSize(root_ + "/big.bmp"), 0);
        QVERIFY(FindFile(root_ + "/big.bmp")); // 0 is still found
        big.remove();
    }

    // --- PathExist ----------------------------------------------------------

    void pathExist()
    {
        const QString here = QDir::currentPath();
        QVERIFY(QDir().mkdir(root_ + "/Screens"));
        writeFile(root_ + "/file.bmp", "x");

        QVERIFY(PathExist(root_ + "/Screens"));
        QCOMPARE(QDir::currentPath(), here);
        QVERIFY(PathExist(root_ + "/Screens/"));
        QCOMPARE(QDir::currentPath(), here);
        QVERIFY(PathExist(backslashed(root_ + "/Screens\\")));
        QCOMPARE(QDir::currentPath(), here);

        QVERIFY(!PathExist(root_ + "/Stamps"));
        QCOMPARE(QDir::currentPath(), here);
        QVERIFY(!PathExist(root_ + "/Stamps/"));
        QVERIFY(!PathExist(root_ + "/file.bmp"));
        QVERIFY(!PathExist(QStringLiteral("C:\\Screens\\")));
        QCOMPARE(QDir::currentPath(), here);

        QVERIFY(PathExist(QString())); // the root
        QCOMPARE(QDir::currentPath(), here);
        QVERIFY(!QFileInfo::exists(here + "/C:"));
    }

    // --- MakeDir ------------------------------------------------------------

    void makeDirCreatesEveryMissingLevel()
    {
        const QString here = QDir::currentPath();
        QVERIFY(QDir().mkdir(root_ + "/A"));
        QCOMPARE(MakeDir(root_ + "/A/B/C"), 0);
        QVERIFY(QFileInfo(root_ + "/A/B").isDir());
        QVERIFY(QFileInfo(root_ + "/A/B/C").isDir());
        QCOMPARE(QDir::currentPath(), here);

        QCOMPARE(MakeDir(root_ + "/X/Y/"), 0); // a trailing separator is dropped
        QVERIFY(QFileInfo(root_ + "/X/Y").isDir());
        QCOMPARE(MakeDir(backslashed(root_ + "/P/Q")), 0);
        QVERIFY(QFileInfo(root_ + "/P/Q").isDir());
        QCOMPARE(MakeDir(root_ + "/Names/KeepTheirCase"), 0);
        QVERIFY(QFileInfo(root_ + "/Names/KeepTheirCase").isDir());
        QCOMPARE(QDir::currentPath(), here);
    }

    void makeDirOnAnExistingFolderCreatesNothing()
    {
        const QString here = QDir::currentPath();
        QVERIFY(QDir().mkpath(root_ + "/Screens/old"));
        const QStringList before = tree(root_);
        QCOMPARE(MakeDir(root_ + "/Screens"), 0);
        QCOMPARE(MakeDir(root_ + "/Screens/"), 0);
        QCOMPARE(tree(root_), before);
        QCOMPARE(QDir::currentPath(), here);
    }

    void makeDirFailsWhenTheDeepestLevelCannotBeMade()
    {
        const QString here = QDir::currentPath();
        // Under a regular file nothing can be made (the tests run as root, so
        // permissions would not stop it).
        writeFile(root_ + "/file", "x");
        QCOMPARE(MakeDir(root_ + "/file/Screens"), -2);
        QCOMPARE(MakeDir(root_ + "/file"), -2);
        QCOMPARE(QDir::currentPath(), here);

        // The upper levels that could be made stay.
        const QString tooLong(300, QLatin1Char('n'));
        QCOMPARE(MakeDir(root_ + "/Up/Mid/" + tooLong), -2);
        QVERIFY(QFileInfo(root_ + "/Up/Mid").isDir());
        QCOMPARE(QDir::currentPath(), here);
    }

    void makeDirNamesNoDrive()
    {
        const QString here = QDir::currentPath();
        const QStringList before = tree(root_);
        QCOMPARE(MakeDir(QStringLiteral("C:\\Screens")), -1);
        QCOMPARE(MakeDir(QStringLiteral("z:\\Stamps\\")), -1);
        QCOMPARE(tree(root_), before); // no "C:" folder appeared in the current one
        QCOMPARE(QDir::currentPath(), here);
    }

    void makeDirRestoresTheCurrentFolderAtTheRoot()
    {
        QVERIFY(QDir::setCurrent(QStringLiteral("/")));
        QCOMPARE(MakeDir(root_ + "/FromRoot/Deep"), 0);
        QVERIFY(QFileInfo(root_ + "/FromRoot/Deep").isDir());
        QCOMPARE(QDir::currentPath(), QStringLiteral("/"));
    }

    // --- ChFullDir ------------------------------------------------------------

    void chFullDir()
    {
        QVERIFY(QDir().mkdir(root_ + "/Exists"));
        QCOMPARE(ChFullDir(root_ + "/Exists"), false);
        QCOMPARE(QDir::currentPath(), root_ + "/Exists");
        QCOMPARE(ChFullDir(root_ + "/Exists/"), false); // already current
        QCOMPARE(QDir::currentPath(), root_ + "/Exists");

        QCOMPARE(ChFullDir(root_ + "/New/Level"), false);
        QVERIFY(QFileInfo(root_ + "/New/Level").isDir());
        QCOMPARE(QDir::currentPath(), root_ + "/New/Level");

        // Letter case counts: a folder of another case is another folder.
        QCOMPARE(ChFullDir(root_ + "/new/level"), false);
        QVERIFY(QFileInfo(root_ + "/new/level").isDir());
        QCOMPARE(QDir::currentPath(), root_ + "/new/level");

        writeFile(root_ + "/file", "x");
        QCOMPARE(ChFullDir(root_ + "/file/Sub"), true);
        QCOMPARE(QDir::currentPath(), root_ + "/new/level");
        QCOMPARE(ChFullDir(QStringLiteral("C:\\Dir")), true);
        QCOMPARE(QDir::currentPath(), root_ + "/new/level");

        QCOMPARE(ChFullDir(QStringLiteral("/")), false);
        QCOMPARE(QDir::currentPath(), QStringLiteral("/"));
    }

    // --- ExecuteFile --------------------------------------------------------

    void executeFileTrimsTheFolderSeparator()
    {
        ScriptedServices services;
        QCOMPARE(ExecuteFile("/opt/Tools/onboard", "--x 1", "/opt/Tools/", SW_HIDE), 42);
        QCOMPARE(ExecuteFile(R"(C:\Tools\osk.exe)", "", R"(C:\Tools\)", SW_SHOWNORMAL), 42);
        ExecuteFile("a", "", R"(C:\)", 1);
        ExecuteFile("a", "", "/", 1);
        ExecuteFile("a", "", "", 1);
        ExecuteFile("a", "", "/usr/bin", 1);
        ExecuteFile("a", "", "/u/", 1);

        const QList<ShellCall>& calls = services.shell->calls;
        QCOMPARE(calls.size(), 7);
        QCOMPARE(calls[0].file, QStringLiteral("/opt/Tools/onboard"));
        QCOMPARE(calls[0].params, QStringLiteral("--x 1"));
        QCOMPARE(calls[0].dir, QStringLiteral("/opt/Tools"));
        QCOMPARE(calls[0].showCmd, SW_HIDE);
        QCOMPARE(calls[1].file, QStringLiteral(R"(C:\Tools\osk.exe)"));
        QCOMPARE(calls[1].dir, QStringLiteral(R"(C:\Tools)"));
        QCOMPARE(calls[1].showCmd, SW_SHOWNORMAL);
        QCOMPARE(calls[2].dir, QStringLiteral(R"(C:\)"));
        QCOMPARE(calls[3].dir, QStringLiteral("/"));
        QCOMPARE(calls[4].dir, QString());
        QCOMPARE(calls[5].dir, QStringLiteral("/usr/bin"));
        QCOMPARE(calls[6].dir, QStringLiteral("/u"));
    }

    void executeFileDoesNotCutLongTexts()
    {
        ScriptedServices services;
        const QString longDir = QStringLiteral("/") + QString(200, QLatin1Char('d'));
        const QString longFile = longDir + QStringLiteral("/") + QString(150, QLatin1Char('f'));
        const QString longParams = QString(300, QLatin1Char('p'));
        ExecuteFile(longFile, longParams, longDir + QStringLiteral("/"), 1);
        QCOMPARE(services.shell->calls.size(), 1);
        QCOMPARE(services.shell->calls[0].file, longFile);
        QCOMPARE(services.shell->calls[0].params, longParams);
        QCOMPARE(services.shell->calls[0].dir, longDir);
    }
};

QTEST_GUILESS_MAIN(TestUtil1)
#include "tst_util1.moc"
