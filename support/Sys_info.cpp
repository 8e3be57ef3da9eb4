#include "Sys_info.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QSysInfo>

#include <climits>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

constexpr const char* AuthorCredit = "Screen Quillet support: system information component";
constexpr const char* VersionLabel = "1.0";
constexpr const char* SystemFolder = "/usr/bin";
constexpr const char* WindowsFolder = "/usr";

// The "Key:   value kB" lines of a /proc file, in bytes; keys without a unit
// keep their bare value.
std::map<std::string, unsigned long long> readProcTable(const char* file)
{
    std::map<std::string, unsigned long long> table;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::istringstream fields(line.substr(colon + 1));
        unsigned long long value = 0;
        std::string unit;
        if (!(fields >> value))
            continue;
        fields >> unit;
        table[line.substr(0, colon)] = unit == "kB" ? value * 1024ULL : value;
    }
    return table;
}

unsigned long long lookUp(const std::map<std::string, unsigned long long>& table, const char* key,
                          unsigned long long fallback = 0)
{
    const auto it = table.find(key);
    return it == table.end() ? fallback : it->second;
}

} // namespace

TSysInfo::TSysInfo(QObject* owner) : QObject(owner)
{
    FAuthor = QString::fromLatin1(AuthorCredit);
    FVersion = QString::fromLatin1(VersionLabel);
    Refresh();
}

int TSysInfo::CapTo32(unsigned long long bytes)
{
    return bytes >= static_cast<unsigned long long>(INT_MAX) ? INT_MAX : static_cast<int>(bytes);
}

void TSysInfo::SplitRelease(const QString& release, int& major, int& minor, int& build)
{
    static const QRegularExpression numbers(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
    const QRegularExpressionMatch m = numbers.match(release);
    // A part that did not match (or does not fit) reads as 0.
    major = m.captured(1).toInt();
    minor = m.captured(2).toInt();
    build = static_cast<int>(m.captured(3).toULongLong() & 0xFFFFu);
}

void TSysInfo::Refresh()
{
    GetMemoryInfo();
    GetRegistryInfo(GetOSVersionInfo());
    GetSysInfo();
    GetUserInfo();
}

void TSysInfo::GetMemoryInfo()
{
    const auto mem = readProcTable("/proc/meminfo");
    const unsigned long long totalPhys = lookUp(mem, "MemTotal");
    // MemAvailable is the kernel's estimate of what can be had without
    // swapping; older kernels lack it.
    const unsigned long long availPhys = lookUp(
        mem, "MemAvailable", lookUp(mem, "MemFree") + lookUp(mem, "Buffers") + lookUp(mem, "Cached"));
    const unsigned long long totalSwap = lookUp(mem, "SwapTotal");
    const unsigned long long freeSwap = lookUp(mem, "SwapFree");

    FMemoryLoad = totalPhys == 0 || availPhys >= totalPhys
                      ? 0
                      : static_cast<int>((totalPhys - availPhys) * 100ULL / totalPhys);
    FTotalPhys = CapTo32(totalPhys);
    FAvailPhys = CapTo32(availPhys);
    FTotalPageFile = CapTo32(totalSwap);
    FAvailPageFile = CapTo32(freeSwap);

    // The user address space is the process's address-space limit, or the
    // whole pointer range when there is none.
    unsigned long long totalVirtual = std::numeric_limits<unsigned long long>::max() >> (64 - 8 * sizeof(void*));
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        totalVirtual = limit.rlim_cur;
    const unsigned long long usedVirtual = lookUp(readProcTable("/proc/self/status"), "VmSize");
    FTotalVirtual = CapTo32(totalVirtual);
    FAvailVirtual = CapTo32(usedVirtual < totalVirtual ? totalVirtual - usedVirtual : 0);
}

bool TSysInfo::GetOSVersionInfo()
{
    utsname names{};
    if (uname(&names) == 0) {
        FOperatingSystem = QString::fromLocal8Bit(names.sysname);
        SplitRelease(QString::fromLocal8Bit(names.release), FOSMajorVersionNumber, FOSMinorVersionNumber,
                     FOSBuildNumber);
    } else {
        FOperatingSystem = QSysInfo::kernelType();
        SplitRelease(QSysInfo::kernelVersion(), FOSMajorVersionNumber, FOSMinorVersionNumber, FOSBuildNumber);
    }
    return false;
}

void TSysInfo::GetRegistryInfo(bool NT)
{
    // There is no registry to open, as when the key cannot be opened.
    Q_UNUSED(NT);
    FRegisteredOwner.clear();
    FRegisteredOrgn.clear();
    FProductID.clear();
}

void TSysInfo::GetSysInfo()
{
    unsigned int processors = std::thread::hardware_concurrency();
    if (processors == 0) {
        const long online = sysconf(_SC_NPROCESSORS_ONLN);
        processors = online > 0 ? static_cast<unsigned int>(online) : 1U;
    }
    FNumberOFProcessors = static_cast<int>(processors);

    FScreenHeight = 0;
    FScreenWidth = 0;
    FPixelsPerInch = 0;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect geometry = screen->geometry();
            FScreenHeight = geometry.height();
            FScreenWidth = geometry.width();
            FPixelsPerInch = qRound(screen->logicalDotsPerInch());
        }
    }
}

void TSysInfo::GetUserInfo()
{
    FUserName.clear();
    if (const passwd* user = getpwuid(geteuid()); user && user->pw_name && *user->pw_name)
        FUserName = QString::fromLocal8Bit(user->pw_name);
    if (FUserName.isEmpty())
        FUserName = qEnvironmentVariable("USER");
    if (FUserName.isEmpty())
        FUserName = qEnvironmentVariable("LOGNAME");
    FComputerName = QSysInfo::machineHostName();
    FSystemDir = QString::fromLatin1(SystemFolder);
    FWindowsDir = QString::fromLatin1(WindowsFolder);
}
