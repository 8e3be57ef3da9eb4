// The system information component in a program without a GUI application:
// there is no screen to read, and asking for one must not fail.
#include "Sys_info.h"

#include <QtTest>

class TestSysInfoGuiless : public QObject {
    Q_OBJECT

private slots:
    void theScreenFiguresAreZero()
    {
        TSysInfo info;
        QCOMPARE(info.ScreenWidth(), 0);
        QCOMPARE(info.ScreenHeight(), 0);
        QCOMPARE(info.PixelsPerInch(), 0);
        QVERIFY(info.TotalPhys() > 0);
        QCOMPARE(info.SystemDir(), QStringLiteral("/usr/bin"));
    }
};

QTEST_GUILESS_MAIN(TestSysInfoGuiless)
#include "tst_sysinfo_guiless.moc"
