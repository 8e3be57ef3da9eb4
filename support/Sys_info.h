// The system information component: one snapshot of facts about
// the machine, taken when it is created. The control bar owns one and reads
// only SystemDir from it.
//
// On this platform:
// - Memory comes from /proc/meminfo (physical memory, swap for the paging
//   file) and from the process's address-space limit and /proc/self/status
//   (virtual memory). The figures stay 32-bit signed as the published
//   interface has them: a value of 2 GiB or more is capped at INT_MAX.
// - OperatingSystem is the kernel's name from uname ("Linux"); the major,
//   minor and build numbers are the first three numbers of the kernel release
//   ("6.1.0-18-amd64" gives 6, 1, 0), the build ANDed with 0xFFFF. The
//   platform is not NT, so GetOSVersionInfo returns false.
// - There is no registry: RegisteredOwner, RegisteredOrgn and ProductID are
//   empty texts.
// - SystemDir is "/usr/bin", where the on-screen keyboard program is looked
//   for (callers append "/" + OnScreenKeyboardProgram); WindowsDir is "/usr",
//   the tree that holds the installed system the way the Windows folder holds
//   the system folder. Neither ends in a separator.
// - The screen figures come from the primary screen when a QGuiApplication
//   exists, and are 0 otherwise.
#pragma once

#include <QObject>
#include <QString>

// The file name of the platform's on-screen keyboard program, looked for in
// SystemDir.
constexpr const char* OnScreenKeyboardProgram = "onboard";

class TSysInfo : public QObject {
public:
    // Takes the snapshot; the owner, when given, frees the component.
    explicit TSysInfo(QObject* owner = nullptr);
    ~TSysInfo() override = default;

    int MemoryLoad() const { return FMemoryLoad; }
    int TotalPhys() const { return FTotalPhys; }
    int AvailPhys() const { return FAvailPhys; }
    int TotalPageFile() const { return FTotalPageFile; }
    int AvailPageFile() const { return FAvailPageFile; }
    int TotalVirtual() const { return FTotalVirtual; }
    int AvailVirtual() const { return FAvailVirtual; }
    QString OperatingSystem() const { return FOperatingSystem; }
    int OSMinorVersionNumber() const { return FOSMinorVersionNumber; }
    int OSMajorVersionNumber() const { return FOSMajorVersionNumber; }
    int OSBuildNumber() const { return FOSBuildNumber; }
    QString RegisteredOwner() const { return FRegisteredOwner; }
    QString RegisteredOrgn() const { return FRegisteredOrgn; }
    QString ProductID() const { return FProductID; }
    int NumberOFProcessors() const { return FNumberOFProcessors; }
    int ScreenHeight() const { return FScreenHeight; }
    int ScreenWidth() const { return FScreenWidth; }
    int PixelsPerInch() const { return FPixelsPerInch; }
    QString UserName() const { return FUserName; }
    QString ComputerName() const { return FComputerName; }
    QString SystemDir() const { return FSystemDir; }
    QString WindowsDir() const { return FWindowsDir; }
    QString Author() const { return FAuthor; }
    QString Version() const { return FVersion; }

    // The property writers: each hands the value to a discarding setter, so
    // the values always stay those of the machine the program runs on.
    void SetMemoryLoad(int value) { WriteInt(value); }
    void SetTotalPhys(int value) { WriteInt(value); }
    void SetAvailPhys(int value) { WriteInt(value); }
    void SetTotalPageFile(int value) { WriteInt(value); }
    void SetAvailPageFile(int value) { WriteInt(value); }
    void SetTotalVirtual(int value) { WriteInt(value); }
    void SetAvailVirtual(int value) { WriteInt(value); }
    void SetOperatingSystem(const QString& value) { WriteString(value); }
    void SetOSMinorVersionNumber(int value) { WriteInt(value); }
    void SetOSMajorVersionNumber(int value) { WriteInt(value); }
    void SetOSBuildNumber(int value) { WriteInt(value); }
    void SetRegisteredOwner(const QString& value) { WriteString(value); }
    void SetRegisteredOrgn(const QString& value) { WriteString(value); }
    void SetProductID(const QString& value) { WriteString(value); }
    void SetNumberOFProcessors(int value) { WriteInt(value); }
    void SetScreenHeight(int value) { WriteInt(value); }
    void SetScreenWidth(int value) { WriteInt(value); }
    void SetPixelsPerInch(int value) { WriteInt(value); }
    void SetUserName(const QString& value) { WriteString(value); }
    void SetComputerName(const QString& value) { WriteString(value); }
    void SetSystemDir(const QString& value) { WriteString(value); }
    void SetWindowsDir(const QString& value) { WriteString(value); }
    void SetAuthor(const QString& value) { WriteString(value); }
    void SetVersion(const QString& value) { WriteString(value); }

    // The discarding setters behind every property.
    void WriteInt(int) {}
    void WriteString(const QString&) {}

    // Gathers every value again: memory, version, registry, system, user.
    void Refresh();
    void GetMemoryInfo();
    // True for the NT platform (never, here).
    bool GetOSVersionInfo();
    void GetRegistryInfo(bool NT);
    void GetSysInfo();
    void GetUserInfo();

    // A byte count as the 32-bit signed figure: 2 GiB or more gives INT_MAX.
    static int CapTo32(unsigned long long bytes);
    // The first three numbers of a kernel release ("6.1.0-18-amd64"), the
    // third ANDed with 0xFFFF; a number that is missing gives 0.
    static void SplitRelease(const QString& release, int& major, int& minor, int& build);

private:
    int FMemoryLoad = 0;
    int FTotalPhys = 0;
    int FAvailPhys = 0;
    int FTotalPageFile = 0;
    int FAvailPageFile = 0;
    int FTotalVirtual = 0;
    int FAvailVirtual = 0;
    QString FOperatingSystem;
    int FOSMinorVersionNumber = 0;
    int FOSMajorVersionNumber = 0;
    int FOSBuildNumber = 0;
    QString FRegisteredOwner;
    QString FRegisteredOrgn;
    QString FProductID;
    int FNumberOFProcessors = 0;
    int FScreenHeight = 0;
    int FScreenWidth = 0;
    int FPixelsPerInch = 0;
    QString FUserName;
    QString FComputerName;
    QString FSystemDir;
    QString FWindowsDir;
    QString FAuthor;
    QString FVersion;
};
