// The system information component: a snapshot of this machine that no
// assignment changes.
#include "Sys_info.h"

#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QtTest>

#include <climits>
#include <sys/utsname.h>

namespace {

// Every published value, in the published order, as text.
QStringList snapshot(const TSysInfo& s)
{
    return {QString::number(s.MemoryLoad()),
            QString::number(s.TotalPhys()),
            QString::number(s.AvailPhys()),
            QString::number(s.TotalPageFile()),
            QString::number(s.AvailPageFile()),
            QString::number(s.TotalVirtual()),
            QString::number(s.AvailVirtual()),
            s.OperatingSystem(),
            QString::number(s.OSMinorVersionNumber()),
            QString::number(s.OSMajorVersionNumber()),
            QString::number(s.OSBuildNumber()),
            s.RegisteredOwner(),
            s.RegisteredOrgn(),
            s.ProductID(),
            QString::number(s.NumberOFProcessors()),
            QString::number(s.ScreenHeight()),
            QString::number(s.ScreenWidth()),
            QString::number(s.PixelsPerInch()),
            s.UserName(),
            s.ComputerName(),
            s.SystemDir(),
            s.WindowsDir(),
            s.Author(),
            s.Version()};
}

} // namespace

class TestSysInfo : public QObject {
    Q_OBJECT

private slots:
    void everyAssignmentLeavesTheValueUnchanged()
    {
        TSysInfo info;
        const QStringList before = snapshot(info);
        const int i = 123456;
        const QString t = QStringLiteral("C:\\stored\\at design time");
        info.SetMemoryLoad(i);
        info.SetTotalPhys(i);
        info.SetAvailPhys(i);
        info.SetTotalPageFile(i);
        info.SetAvailPageFile(i);
        info.SetTotalVirtual(i);
        info.SetAvailVirtual(i);
        info.SetOperatingSystem(t);
        info.SetOSMinorVersionNumber(i);
        info.SetOSMajorVersionNumber(i);
        info.SetOSBuildNumber(i);
        info.SetRegisteredOwner(t);
        info.SetRegisteredOrgn(t);
        info.SetProductID(t);
        info.SetNumberOFProcessors(i);
        info.SetScreenHeight(i);
        info.SetScreenWidth(i);
        info.SetPixelsPerInch(i);
        info.SetUserName(t);
        info.SetComputerName(t);
        info.SetSystemDir(t);
        info.SetWindowsDir(t);
        info.SetAuthor(t);
        info.SetVersion(t);
        info.WriteInt(0);
        info.WriteString(QString());
        QCOMPARE(snapshot(info), before);
    }

    void theFieldsComeFromThisMachine()
    {
        TSysInfo info;
        QVERIFY(info.TotalPhys() > 0);
        QVERIFY(info.AvailPhys() >= 0);
        QVERIFY(info.AvailPhys() <= info.TotalPhys());
        QVERIFY(info.MemoryLoad() >= 0 && info.MemoryLoad() <= 100);
        QVERIFY(info.TotalPageFile() >= 0);
        QVERIFY(info.AvailPageFile() >= 0 && info.AvailPageFile() <= info.TotalPageFile());
        QVERIFY(info.TotalVirtual() > 0);
        QVERIFY(info.AvailVirtual() >= 0 && info.AvailVirtual() <= info.TotalVirtual());
        QVERIFY(info.NumberOFProcessors() >= 1);
        QVERIFY(!info.UserName().isEmpty());
        QCOMPARE(info.ComputerName(), QSysInfo::machineHostName());
        QVERIFY(!info.Author().isEmpty());
        QVERIFY(!info.Version().isEmpty());
    }

    void physicalMemoryIsMemTotalCapped()
    {
        QFile meminfo(QStringLiteral("/proc/meminfo"));
        QVERIFY(meminfo.open(QIODevice::ReadOnly | QIODevice::Text));
        qint64 totalKiB = 0;
        for (const QByteArray& line : meminfo.readAll().split('\n'))
            if (line.startsWith("MemTotal:"))
                totalKiB = line.mid(9).trimmed().split(' ').first().toLongLong();
        QVERIFY(totalKiB > 0);
        const qint64 bytes = totalKiB * 1024;
        QCOMPARE(TSysInfo().TotalPhys(), bytes >= (qint64(1) << 31) ? INT_MAX : int(bytes));
    }

    void memoryFiguresAreCappedAt32Bits()
    {
        QCOMPARE(TSysInfo::CapTo32(0), 0);
        QCOMPARE(TSysInfo::CapTo32(1000), 1000);
        QCOMPARE(TSysInfo::CapTo32(2147483647ULL), INT_MAX);
        QCOMPARE(TSysInfo::CapTo32(2147483648ULL), INT_MAX); // 2 GiB
        QCOMPARE(TSysInfo::CapTo32(5ULL << 30), INT_MAX);
        QCOMPARE(TSysInfo::CapTo32(~0ULL), INT_MAX);
    }

    void theOperatingSystemIsTheKernel()
    {
        TSysInfo info;
        utsname names{};
        QCOMPARE(uname(&names), 0);
        QCOMPARE(info.OperatingSystem(), QString::fromLocal8Bit(names.sysname));
        int major = -1, minor = -1, build = -1;
        TSysInfo::SplitRelease(QString::fromLocal8Bit(names.release), major, minor, build);
        QCOMPARE(info.OSMajorVersionNumber(), major);
        QCOMPARE(info.OSMinorVersionNumber(), minor);
        QCOMPARE(info.OSBuildNumber(), build);
        QVERIFY(info.OSMajorVersionNumber() >= 2);
        QVERIFY(info.OSBuildNumber() >= 0 && info.OSBuildNumber() <= 0xFFFF);
        QCOMPARE(info.GetOSVersionInfo(), false); // not the NT platform
    }

    void splitRelease_data()
    {
        QTest::addColumn<QString>("release");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("build");
        QTest::newRow("debian") << "6.1.0-18-amd64" << 6 << 1 << 0;
        QTest::newRow("patch level") << "5.15.153.1-microsoft-standard-WSL2" << 5 << 15 << 153;
        QTest::newRow("upper 16 bits dropped") << "4.19.70000" << 4 << 19 << (70000 & 0xFFFF);
        QTest::newRow("no build") << "5.10" << 5 << 10 << 0;
        QTest::newRow("major only") << "7-rc1" << 7 << 0 << 0;
        QTest::newRow("empty") << "" << 0 << 0 << 0;
        QTest::newRow("no numbers") << "unknown" << 0 << 0 << 0;
    }

    void splitRelease()
    {
        QFETCH(QString, release);
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, build);
        int a = -1, b = -1, c = -1;
        TSysInfo::SplitRelease(release, a, b, c);
        QCOMPARE(a, major);
        QCOMPARE(b, minor);
        QCOMPARE(c, build);
    }

    void thereIsNoRegistry()
    {
        TSysInfo info;
        QCOMPARE(info.RegisteredOwner(), QString());
        QCOMPARE(info.RegisteredOrgn(), QString());
        QCOMPARE(info.ProductID(), QString());
        info.GetRegistryInfo(true);
        QCOMPARE(info.RegisteredOwner(), QString());
    }

    void theKeyboardIsLookedForInSystemDir()
    {
        TSysInfo info;
        QCOMPARE(info.SystemDir(), QStringLiteral("/usr/bin"));
        QVERIFY(!info.SystemDir().endsWith('/') && !info.SystemDir().endsWith('\\'));
        QVERIFY(!info.WindowsDir().isEmpty());
        QVERIFY(!info.WindowsDir().endsWith('/') && !info.WindowsDir().endsWith('\\'));
        QCOMPARE(QString::fromLatin1(OnScreenKeyboardProgram), QStringLiteral("onboard"));
    }

    void theScreenIsThePrimaryOne()
    {
        TSysInfo info;
        const QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        QCOMPARE(info.ScreenWidth(), screen->geometry().width());
        QCOMPARE(info.ScreenHeight(), screen->geometry().height());
        QCOMPARE(info.PixelsPerInch(), qRound(screen->logicalDotsPerInch()));
        QVERIFY(info.ScreenWidth() > 0 && info.PixelsPerInch() > 0);
    }

    void theOwnerFreesIt()
    {
        auto* owner = new QObject;
        QPointer<TSysInfo> info = new TSysInfo(owner);
        QCOMPARE(info->parent(), owner);
        delete owner;
        QVERIFY(info.isNull());
    }
};

QTEST_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
