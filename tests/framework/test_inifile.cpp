// The settings file reader and writer: classic INI semantics, any content
// read without harm, and an atomic replace on write.
#include "IniFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("setup.ini")); }

private slots:
    void init() { QFile::remove(path()); }

    void readsWindowsFilesWithoutRegardToCase()
    {
        write(path(), "\xEF\xBB\xBF[setup]\r\nOPERATING = Yes\r\nMode=3\r\n\r\n[Stamp]\r\nFilename=C:\\Stamps\\a.bmp\r\n");
        TIniFile ini(path());
        QCOMPARE(ini.ReadString("Setup", "Operating", "x"), QStringLiteral("Yes"));
        QCOMPARE(ini.ReadString("SETUP", "mode", "0"), QStringLiteral("3"));
        // A backslash is just a character.
        QCOMPARE(ini.ReadString("Stamp", "Filename", ""), QStringLiteral("C:\\Stamps\\a.bmp"));
        QCOMPARE(ini.ReadString("Stamp", "Missing", "dflt"), QStringLiteral("dflt"));
        QCOMPARE(ini.ReadString("Nowhere", "Mode", "dflt"), QStringLiteral("dflt"));
    }

    void firstSectionAndKeyOfANameCount()
    {
        write(path(), "[Line]\nColor=1\nColor=2\n[Line]\nColor=3\nMarker=Yes\n");
        TIniFile ini(path());
        QCOMPARE(ini.ReadString("Line", "Color", ""), QStringLiteral("1"));
        QCOMPARE(ini.ReadString("Line", "Marker", "No"), QStringLiteral("No"));
    }

    void writingKeepsEverythingElseAndTheLineEndings()
    {
        write(path(), "; made by hand\r\n[Other]\r\nkeep=this\r\njunk line\r\n[Setup]\r\nOperating=Yes\r\n");
        {
            TIniFile ini(path());
            ini.WriteString("Setup", "Operating", "No");
            ini.WriteString("Setup", "Mode", "2");
            ini.WriteString("Font", "Name", "Arial");
            QCOMPARE(ini.UpdateFile(), QString());
        }
        QCOMPARE(read(path()), QByteArray("; made by hand\r\n[Other]\r\nkeep=this\r\njunk line\r\n[Setup]\r\n"
                                          "Operating=No\r\nMode=2\r\n[Font]\r\nName=Arial\r\n"));
    }

    void newFileGetsKeysInTheOrderWritten()
    {
        TIniFile ini(path());
        ini.WriteString("Setup", "Operating", "No");
        ini.WriteString("Setup", "Mode", "1");
        ini.WriteString("Line", "Thickness", "5");
        QCOMPARE(ini.UpdateFile(), QString());
        TIniFile back(path());
        QCOMPARE(back.Sections(), QStringList({"Setup", "Line"}));
        QCOMPARE(back.Keys("Setup"), QStringList({"Operating", "Mode"}));
    }

    void failedWriteReportsAndLeavesNoFile()
    {
        TIniFile ini(dir.filePath(QStringLiteral("no/such/folder/setup.ini")));
        ini.WriteString("Setup", "Operating", "No");
        QVERIFY(!ini.UpdateFile().isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("no/such/folder/setup.ini"))));
    }

    void replacesTheFileWholeOrNotAtAll()
    {
        write(path(), "[Setup]\nOperating=Yes\n");
        TIniFile ini(path());
        ini.WriteString("Setup", "Operating", "No");
        QCOMPARE(ini.UpdateFile(), QString());
        // No temporary file is left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"setup.ini"}));
        QCOMPARE(read(path()), QByteArray("[Setup]\nOperating=No\n"));
    }

    void anyContentIsReadWithoutHarm_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("no equals") << QByteArray("[Setup]\nOperating\n=Yes\nMode\n");
        QTest::newRow("no section") << QByteArray("Operating=Yes\nMode=3\n");
        QTest::newRow("unclosed header") << QByteArray("[Setup\nOperating=Yes\n");
        QTest::newRow("nul bytes") << QByteArray("[Setup]\0\nOperating=Y\0es\n", 24);
        QTest::newRow("latin1") << QByteArray("[Font]\nName=Caf\xE9\n");
        QByteArray junk(4096, '\0');
        QRandomGenerator random(42);
        for (char& c : junk)
            c = char(random.bounded(256));
        QTest::newRow("binary") << junk;
    }

    void anyContentIsReadWithoutHarm()
    {
        QFETCH(QByteArray, content);
        write(path(), content);
        TIniFile ini(path());
        QCOMPARE(ini.ReadString("Setup", "Operating", "dflt").isNull(), false);
        ini.WriteString("Setup", "Operating", "No");
        QCOMPARE(ini.UpdateFile(), QString());
        QCOMPARE(TIniFile(path()).ReadString("Setup", "Operating", ""), QStringLiteral("No"));
    }

    // Settings are small: a huge file is reported and left as it is.
    void aFileOverAMegabyteIsLeftUnread()
    {
        QByteArray big = "[Setup]\nOperating=Yes\n";
        big += QByteArray(TIniFile::MaxFileSize, ';');
        write(path(), big);
        TIniFile ini(path());
        QVERIFY2(ini.ReadError().contains(path()), qPrintable(ini.ReadError()));
        QCOMPARE(ini.ReadString("Setup", "Operating", "none"), QStringLiteral("none"));
        QCOMPARE(read(path()).size(), big.size());
    }

    // One stray Latin-1 value does not turn the UTF-8 ones into mojibake, and
    // everything is written back as UTF-8.
    void eachLineKeepsItsEncoding()
    {
        write(path(), "[Font]\nName=Caf\xE9\nText=Gr\xC3\xBC\xC3\x9F" "e\n");
        TIniFile ini(path());
        QCOMPARE(ini.ReadString("Font", "Name", ""), QStringLiteral("Caf\u00E9"));
        QCOMPARE(ini.ReadString("Font", "Text", ""), QStringLiteral("Gr\u00FC\u00DFe"));
        ini.WriteString("Font", "Text", QStringLiteral("Gr\u00FC\u00DFe \u2192 \u65E5\u672C"));
        QCOMPARE(ini.UpdateFile(), QString());
        QCOMPARE(read(path()), QByteArray("[Font]\nName=Caf\xC3\xA9\nText=Gr\xC3\xBC\xC3\x9F" "e \xE2\x86\x92 \xE6\x97\xA5\xE6\x9C\xAC\n"));
    }

    // Mutated settings files: whatever the damage, reading and writing back
    // neither crashes nor loses the keys that survived.
    void randomlyMutatedFilesAreHandled()
    {
        const QByteArray good = "[Setup]\r\nOperating=No\r\nMode=3\r\n[Line]\r\nThickness=5\r\nColor=255\r\n"
                                "[Font]\r\nName=Arial\r\nText=Type text here\r\n";
        QRandomGenerator random(1234);
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes = good;
            const int edits = 1 + random.bounded(8);
            for (int e = 0; e < edits; ++e) {
                const int at = random.bounded(bytes.size() + 1);
                switch (random.bounded(4)) {
                case 0: bytes.insert(at, char(random.bounded(256))); break;
                case 1: if (at < bytes.size()) bytes.remove(at, 1 + random.bounded(4)); break;
                case 2: if (at < bytes.size()) bytes[at] = char(random.bounded(256)); break;
                case 3: bytes.insert(at, "\n=[]"[random.bounded(4)]); break;
                }
            }
            write(path(), bytes);
            TIniFile ini(path());
            const QString text = ini.ReadString("Font", "Text", "?");
            ini.WriteString("Setup", "Operating", "Yes");
            QCOMPARE(ini.UpdateFile(), QString());
            TIniFile back(path());
            QCOMPARE(back.ReadString("Setup", "Operating", ""), QStringLiteral("Yes"));
            QCOMPARE(back.ReadString("Font", "Text", "?"), text);
        }
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_inifile.moc"
