// What the benchmarks on a virtual display observe without polling: windows
// mapped and pixels drawn on the screen (X Damage on the root window), a
// file landing in a folder (inotify), and the CPU time a process has used.
#pragma once

#include <QRect>
#include <QRegion>
#include <QString>
#include <QStringList>
#include <cstdint>

struct xcb_connection_t;

class XWatch {
public:
    XWatch();
    ~XWatch();
    bool ok() const { return connection_ != nullptr && damage_ != 0; }

    // Milliseconds on one clock shared by every wait below.
    static double nowMs();

    // Waits for a top-level window with that title (any, if empty) to be
    // mapped; returns its id (0 on timeout) and the moment the server said
    // so. What was drawn before no longer counts for waitPainted().
    uint32_t waitMapped(const QString& title, int timeoutMs, double* at = nullptr);
    // Waits until the screen has been drawn over all of area since the last
    // call of forget(); returns the moment the last piece landed, or -1.
    double waitPainted(const QRect& area, int timeoutMs);
    // Waits until nothing has been drawn for quietMs; returns the moment of
    // the last drawing.
    double waitQuiet(int quietMs, int timeoutMs);
    // Drops what was drawn so far.
    void forget();
    // The process that owns a window (_NET_WM_PID), or 0.
    int64_t windowPid(uint32_t window);
    // The whole screen as a PNG file, to see what a benchmark drove.
    bool saveScreen(const QString& path);
    // Full-screen floor: a shared-memory grab of the root window and one
    // full-frame put of it, to the server and back; milliseconds.
    double grabAndPutFloorMs();

private:
    bool handleNext(int timeoutMs, double* at);
    QString title(uint32_t window);

    xcb_connection_t* connection_ = nullptr;
    uint32_t root_ = 0;
    uint32_t damage_ = 0;
    uint8_t damageEvent_ = 0;
    QRegion drawn_;
    double lastDrawnAt_ = 0;
    uint32_t mapped_ = 0;
};

// Waits until a file of that name is closed after writing, renamed into the
// folder, or linked there whole (an anonymous temporary file given its name);
// returns the moment, or -1.
class FolderWatch {
public:
    explicit FolderWatch(const QString& folder);
    ~FolderWatch();
    double waitFor(const QString& name, int timeoutMs);

private:
    int fd_ = -1;
};

// CPU time in nanoseconds used so far by every thread of a process.
int64_t cpuNs(int64_t pid);
// Waits until the process has used under 2% of a core for quietMs, so that
// work it left for later (a background save) does not land in a measurement.
void waitCpuQuiet(int64_t pid, int quietMs, int timeoutMs);
// The X server's process for $DISPLAY (from its lock file), or 0.
int64_t displayServerPid();
// Runs xdotool with the arguments and waits for it to end.
bool runXdotool(const QStringList& args);
// Median of the values.
double median(QList<double> values);
