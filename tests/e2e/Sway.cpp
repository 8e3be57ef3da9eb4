#include "Sway.h"

#include "Harness.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <grp.h>
#include <memory>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr const char* SessionUser = "quillet-e2e";

struct Session {
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups;
    QString home;
    std::unique_ptr<QTemporaryDir> dir;
    pid_t sway = 0; // the compositor: sway or gnome-shell
    bool gnome = false;
    QProcessEnvironment env;
    QSize layout;
    std::unique_ptr<QProcess> seat, pipewire, portal, watchdog; // seat: the virtual pointer and keyboard
};
Session* session = nullptr;

// A helper script, copied where the session's user can read it.
QString helper(const char* name)
{
    const QString copy = session->dir->filePath(QLatin1String(name));
    if (!QFile::exists(copy))
        QFile::copy(QStringLiteral(QUILLET_E2E_HELPERS "/") + QLatin1String(name), copy);
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    return copy;
}

// In the child between fork and exec: only system calls from here on.
void becomeSessionUser()
{
    setpgid(0, 0);
    if (geteuid() == 0) {
        setgroups(session->groups.size(), session->groups.data());
        if (setgid(session->gid) != 0 || setuid(session->uid) != 0)
            _exit(126);
    }
}

bool findSessionUser()
{
    if (geteuid() == 0 && !getpwnam(SessionUser)) // CI runs as root; sway refuses to
        QProcess::execute(QStringLiteral("useradd"), {"-m", "-s", "/bin/sh", SessionUser});
    const passwd* user = geteuid() == 0 ? getpwnam(SessionUser) : getpwuid(geteuid());
    if (!user)
        return false;
    session->uid = user->pw_uid;
    session->gid = user->pw_gid;
    session->home = QString::fromLocal8Bit(user->pw_dir);
    int count = 64;
    session->groups.resize(count);
    getgrouplist(user->pw_name, user->pw_gid, session->groups.data(), &count);
    session->groups.resize(qMax(0, count));
    return true;
}

void giveToSessionUser(const QString& path, QFile::Permissions permissions)
{
    if (geteuid() == 0 && chown(QFile::encodeName(path).constData(), session->uid, session->gid) != 0)
        qWarning("cannot give %s to the session user", qPrintable(path));
    QFile::setPermissions(path, permissions);
}

QString swayConfig(int outputs, const QString& background)
{
    QString config = QStringLiteral(
        "xwayland enable\n"
        "default_border none\n"
        "default_floating_border none\n"
        "focus_follows_mouse yes\n" // as sway starts without a configuration
        "output HEADLESS-1 mode 1920x1080 position 0 0 bg %1 stretch\n").arg(background);
    if (outputs > 1)
        config += QStringLiteral("output HEADLESS-2 mode 1920x1080 position 1920 0 scale 2 bg %1 stretch\n").arg(background);
    // The portal is started by D-Bus and must find this session; the tests
    // learn the bus and the displays from the file written last.
    config += QStringLiteral(
        "exec dbus-update-activation-environment WAYLAND_DISPLAY SWAYSOCK XDG_CURRENT_DESKTOP DISPLAY && "
        "printf '%s\\n' \"$DBUS_SESSION_BUS_ADDRESS\" \"$DISPLAY\" \"$WAYLAND_DISPLAY\" \"$SWAYSOCK\" > %1/found && "
        "mv %1/found %1/session\n")
                  .arg(session->dir->path());
    return config;
}

// The compositor with its own session bus, as the session's user, in a process group of its own.
pid_t forkSession(QByteArrayList argBytes, const QStringList& env, const QString& logFile)
{
    QByteArrayList envBytes;
    for (const QString& e : env)
        envBytes << e.toLocal8Bit();
    std::vector<char*> envp, argv;
    for (QByteArray& e : envBytes)
        envp.push_back(e.data());
    for (QByteArray& a : argBytes)
        argv.push_back(a.data());
    envp.push_back(nullptr);
    argv.push_back(nullptr);
    const QByteArray log = QFile::encodeName(logFile);
    const pid_t compositor = fork();
    if (compositor == 0) {
        becomeSessionUser(); // the compositor, its bus and XWayland: one group
        if (FILE* out = freopen(log.constData(), "w", stderr))
            dup2(fileno(out), 1);
        execvpe("dbus-run-session", argv.data(), envp.data());
        _exit(127);
    }
    setpgid(compositor, compositor);
    return compositor;
}

bool useXwayland(const QString& display)
{
    session->env.insert(QStringLiteral("DISPLAY"), display);
    qputenv("DISPLAY", display.toLocal8Bit()); // the tests' X11 tools and windows live on XWayland
    // XWayland lets in only the session's user: the tests' own X11 clients too.
    return geteuid() != 0 || inSession({"xhost", "+si:localuser:root"}).contains("added");
}

bool startCompositor(int outputs)
{
    const QString dir = session->dir->path();
    giveToSessionUser(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QDir(dir).mkdir(QStringLiteral("run"));
    giveToSessionUser(dir + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString background = dir + "/known.png";
    knownPicture(1920, 1080).save(background);
    QFile config(dir + "/sway.config");
    config.open(QIODevice::WriteOnly);
    config.write(swayConfig(outputs, background).toUtf8());
    config.close();

    QStringList env = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", "HOME=" + session->home, "USER=" + QString(SessionUser),
                       "XDG_RUNTIME_DIR=" + dir + "/run", "XDG_CURRENT_DESKTOP=sway", "XDG_SESSION_TYPE=wayland",
                       "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman",
                       "WLR_HEADLESS_OUTPUTS=" + QString::number(outputs)};
    session->sway = forkSession({"dbus-run-session", "--", "sway", "-c", QFile::encodeName(dir + "/sway.config")}, env,
                                dir + "/sway.log");
    if (!waitFor([&] { return QFile::exists(dir + "/session"); }, 20000))
        return false;
    QFile found(dir + "/session");
    found.open(QIODevice::ReadOnly);
    const QStringList lines = QString::fromLocal8Bit(found.readAll()).split('\n');
    if (lines.size() < 4 || lines[1].isEmpty())
        return false;
    for (const QString& e : env.mid(0, 6))
        session->env.insert(e.section('=', 0, 0), e.section('=', 1));
    session->env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), lines[0]);
    session->env.insert(QStringLiteral("WAYLAND_DISPLAY"), lines[2]);
    session->env.insert(QStringLiteral("SWAYSOCK"), lines[3]);
    session->layout = QSize(outputs > 1 ? 1920 + 960 : 1920, 1080);
    return useXwayland(lines[1]);
}

std::unique_ptr<QProcess> startInSession(const QStringList& command, const QByteArray& readyLine)
{
    auto process = std::make_unique<QProcess>();
    prepareSessionProcess(*process);
    process->setProcessChannelMode(readyLine.isEmpty() ? QProcess::ForwardedChannels : QProcess::ForwardedErrorChannel);
    process->start(command.first(), command.mid(1));
    if (!process->waitForStarted(5000))
        return nullptr;
    if (!readyLine.isEmpty()) {
        while (!process->canReadLine() && process->waitForReadyRead(10000)) {
        }
        if (process->readLine().trimmed() != readyLine)
            return nullptr;
    }
    return process;
}

bool portalOnBus()
{
    return inSession({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
                      "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.NameHasOwner",
                      "org.freedesktop.portal.Desktop"})
        .contains("true");
}

// The portal's screenshot service writes every picture to the one file
// /tmp/out.png: one left by another user cannot be overwritten.
void freePortalPicture()
{
    const QFileInfo picture(QStringLiteral("/tmp/out.png"));
    if (geteuid() == 0 && picture.exists() && picture.ownerId() != session->uid)
        QFile::remove(picture.filePath());
}

bool startPortal()
{
    // Started directly, not by D-Bus activation, which here often stalls for
    // 25 s; its screenshot service needs pipewire.
    session->pipewire = startInSession({"pipewire"}, QByteArray());
    freePortalPicture();
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (session->portal)
            endProcessGroup(*session->portal);
        session->portal = startInSession({"/usr/libexec/xdg-desktop-portal"}, QByteArray());
        if (session->portal && waitFor(portalOnBus, 5000))
            return true;
    }
    return false;
}


// gnome-shell starts in its overview, which a person leaves with a click; an
// extension of the session's own leaves it for the tests.
constexpr const char* LeaveOverview = R"(const Main = imports.ui.main;
function init() {
    return {
        enable() {
            if (Main.layoutManager._startingUp)
                Main.layoutManager.connect('startup-complete', () => Main.overview.hide());
            else
                Main.overview.hide();
        },
        disable() {},
    };
}
)";

void writeSessionFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

// A home of the session's own: its settings (read from a key file, there is
// no dconf here) and the portal's screenshots go with it.
QString gnomeHome()
{
    const QString home = session->dir->path() + "/home";
    const QString extension = home + "/.local/share/gnome-shell/extensions/leave-overview@quillet.test";
    writeSessionFile(extension + "/metadata.json",
                     R"({"uuid": "leave-overview@quillet.test", "name": "Leave the overview",)"
                     R"( "description": "For the tests", "shell-version": ["43"]})");
    writeSessionFile(extension + "/extension.js", LeaveOverview);
    // No banner over the screen (the shell says it cannot lock it without a display manager).
    writeSessionFile(home + "/.config/glib-2.0/settings/keyfile",
                     "[org/gnome/shell]\nenabled-extensions=['leave-overview@quillet.test']\n"
                     "[org/gnome/desktop/notifications]\nshow-banners=false\n");
    giveFolderToSessionUser(home);
    return home;
}

bool startGnomeCompositor()
{
    const QString dir = session->dir->path();
    giveToSessionUser(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QDir(dir).mkdir(QStringLiteral("run"));
    giveToSessionUser(dir + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QStringList env = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", "HOME=" + gnomeHome(), "USER=" + QString(SessionUser),
                             "XDG_RUNTIME_DIR=" + dir + "/run", "XDG_CURRENT_DESKTOP=GNOME", "XDG_SESSION_TYPE=wayland",
                             "GSETTINGS_BACKEND=keyfile",
                             "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + dir + "/run/system-bus"};
    // Without a system bus (logind) the shell ends: it gets a private, empty one.
    const QByteArray script = "dbus-daemon --session --nofork --address=\"$DBUS_SYSTEM_BUS_ADDRESS\" & "
                              "printf '%s\\n' \"$DBUS_SESSION_BUS_ADDRESS\" > \"$XDG_RUNTIME_DIR/../bus\"; sleep 0.5; "
                              "exec gnome-shell --headless --wayland --virtual-monitor 1920x1080";
    const QString log = dir + "/gnome-shell.log";
    session->sway = forkSession({"dbus-run-session", "--", "sh", "-c", script}, env, log);
    QString display;
    const bool up = waitFor([&] {
        QFile f(log);
        const QByteArray said = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        const int at = said.indexOf("Using public X11 display ");
        if (at >= 0)
            display = QString::fromLatin1(said.mid(at + 25).split(',').first().trimmed());
        return !display.isEmpty() && QFile::exists(dir + "/bus");
    }, 20000);
    const QStringList auth = QDir(dir + "/run").entryList({".mutter-Xwaylandauth.*"}, QDir::Files | QDir::Hidden);
    if (!up || auth.isEmpty())
        return false;
    for (const QString& e : env)
        session->env.insert(e.section('=', 0, 0), e.section('=', 1));
    QFile bus(dir + "/bus");
    bus.open(QIODevice::ReadOnly);
    session->env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromLocal8Bit(bus.readAll()).trimmed());
    session->env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0"));
    session->env.insert(QStringLiteral("XAUTHORITY"), dir + "/run/" + auth.first());
    session->layout = QSize(1920, 1080);
    if (!useXwayland(display))
        return false;
    // The portal, started by D-Bus, must find this session.
    inSession({"dbus-update-activation-environment", "WAYLAND_DISPLAY", "DISPLAY", "XAUTHORITY", "XDG_CURRENT_DESKTOP",
               "XDG_SESSION_TYPE", "DBUS_SYSTEM_BUS_ADDRESS", "HOME", "GSETTINGS_BACKEND"});
    return true;
}

// The document portal, where /dev/fuse lets it, mounts itself in the runtime
// folder; ended, it leaves the mount behind, and the folder cannot go.
void unmountDocumentPortal()
{
    const QString doc = session->dir->path() + "/run/doc";
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    if (!mounts.open(QIODevice::ReadOnly) || !mounts.readAll().contains(" " + QFile::encodeName(doc) + " "))
        return;
    QProcess::execute(geteuid() == 0 ? QStringLiteral("umount") : QStringLiteral("fusermount"),
                      geteuid() == 0 ? QStringList{"-l", doc} : QStringList{"-u", "-z", doc});
}

// The GNOME portal asks the first time a program takes a screenshot without a
// dialog; a person answers once, the tests answer beforehand.
bool allowScreenshots()
{
    return !inSession({"gdbus", "call", "--session", "--dest", "org.freedesktop.impl.portal.PermissionStore",
                       "--object-path", "/org/freedesktop/impl/portal/PermissionStore", "--method",
                       "org.freedesktop.impl.portal.PermissionStore.SetPermission", "screenshot", "true", "screenshot",
                       "", "['yes']"})
                .isNull();
}

} // namespace

bool onWayland() { return session != nullptr; }

bool onGnomeShell() { return session && session->gnome; }

bool onSway() { return session && !session->gnome; }

QSize swayLayout() { return session ? session->layout : QSize(); }

void prepareSessionProcess(QProcess& process)
{
    process.setProcessEnvironment(session->env);
    process.setWorkingDirectory(session->dir->path());
    process.setChildProcessModifier(becomeSessionUser);
}

void giveFolderToSessionUser(const QString& folder)
{
    const QFile::Permissions mode = QFileInfo(folder).permissions();
    giveToSessionUser(folder, mode);
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        giveToSessionUser(path, QFileInfo(path).permissions());
    }
}

void endProcessGroup(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    const pid_t group = pid_t(process.processId());
    ::kill(-group, SIGTERM);
    if (!process.waitForFinished(3000))
        ::kill(-group, SIGKILL);
    process.waitForFinished(3000);
    ::kill(-group, SIGKILL); // what the leader left behind
}

QByteArray inSession(const QStringList& command, int timeoutMs)
{
    QProcess p;
    prepareSessionProcess(p);
    p.start(command.first(), command.mid(1));
    QElapsedTimer clock;
    clock.start();
    while (!p.waitForFinished(20)) {
        QCoreApplication::processEvents();
        if (clock.elapsed() > timeoutMs) {
            endProcessGroup(p);
            return QByteArray();
        }
    }
    return p.readAllStandardOutput();
}

// However the tests end, even killed, what ran in the session ends with them:
// a watchdog of their own waits for its input to close, then ends every
// process that has this session's runtime folder.
void startWatchdog()
{
    session->watchdog = std::make_unique<QProcess>();
    session->watchdog->setChildProcessModifier([] { setsid(); });
    session->watchdog->setProcessChannelMode(QProcess::ForwardedChannels);
    session->watchdog->start(QStringLiteral("/bin/sh"),
                             {"-c",
                              "cat >/dev/null; for e in /proc/[0-9]*/environ; do "
                              "{ tr '\\0' '\\n' <\"$e\"; } 2>/dev/null | grep -qxF \"$0\" || continue; "
                              "p=${e#/proc/}; kill -9 ${p%/environ} 2>/dev/null; done",
                              "XDG_RUNTIME_DIR=" + session->dir->path() + "/run"});
    session->watchdog->waitForStarted();
}

bool startSway(int outputs, bool withPortal)
{
    session = new Session;
    session->dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/quillet-sway-XXXXXX");
    startWatchdog();
    if (!findSessionUser() || !startCompositor(outputs)) {
        qWarning("sway did not start; its log: %s/sway.log", qPrintable(session->dir->path()));
        session->dir->setAutoRemove(false);
        return false;
    }
    session->seat = startInSession({"/usr/bin/python3", helper("seat.py"), QString::number(session->layout.width()),
                                       QString::number(session->layout.height())},
                                      "ok");
    if (!session->seat) {
        qWarning("no virtual pointer and keyboard");
        return false;
    }
    if (withPortal && !startPortal()) {
        qWarning("the Screenshot portal did not come up");
        return false;
    }
    return true;
}

bool startGnomeShell()
{
    session = new Session;
    session->gnome = true;
    session->dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/quillet-gnome-XXXXXX");
    startWatchdog();
    if (!findSessionUser() || !startGnomeCompositor()) {
        qWarning("gnome-shell did not start; its log: %s/gnome-shell.log", qPrintable(session->dir->path()));
        session->dir->setAutoRemove(false);
        return false;
    }
    if (!startPortal() || !allowScreenshots()) {
        qWarning("the Screenshot portal did not come up");
        return false;
    }
    QThread::msleep(1000); // the shell's start-up animation
    return true;
}

QImage gnomeShellScreenshot()
{
    const QString file = session->dir->filePath(QStringLiteral("shot.png"));
    inSession({"gnome-screenshot", "-f", file});
    const QImage shot(file);
    QFile::remove(file);
    return shot.convertToFormat(QImage::Format_RGB32);
}

bool useRefusingPortal(int code)
{
    if (session->portal)
        endProcessGroup(*session->portal);
    session->portal = startInSession({"/usr/bin/python3", helper("refusing_portal.py"), QString::number(code)}, "ready");
    return session->portal != nullptr;
}

namespace {
// A line to the virtual seat, answered once the compositor has taken it.
void tellSeat(const QByteArray& line)
{
    session->seat->write(line + '\n');
    while (!session->seat->canReadLine() && session->seat->waitForReadyRead(5000)) {
    }
    session->seat->readLine();
}
} // namespace

void swayPointerMove(QPoint p) { tellSeat(QStringLiteral("move %1 %2").arg(p.x()).arg(p.y()).toLatin1()); }

void swayPointerButton(bool down) { tellSeat(down ? "down" : "up"); }

void swayKey(const QString& name) { tellSeat("key " + name.toLatin1()); }

void stopSway()
{
    if (!session)
        return;
    for (auto* helper : {&session->seat, &session->portal, &session->pipewire})
        if (*helper)
            endProcessGroup(**helper);
    if (session->sway > 0) {
        ::kill(-session->sway, SIGTERM);
        QElapsedTimer clock;
        clock.start();
        while (waitpid(session->sway, nullptr, WNOHANG) == 0 && clock.elapsed() < 3000)
            QThread::msleep(50);
        ::kill(-session->sway, SIGKILL);
        waitpid(session->sway, nullptr, 0);
    }
    session->watchdog->closeWriteChannel(); // it ends what is left
    session->watchdog->waitForFinished(10000);
    unmountDocumentPortal();
    const QFileInfo picture(QStringLiteral("/tmp/out.png"));
    if (picture.exists() && picture.ownerId() == session->uid) // so that the next user's portal can write it
        QFile::remove(picture.filePath());
    delete session;
    session = nullptr;
}
