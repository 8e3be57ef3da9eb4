#include "PortalScreenshot.h"

#include "ScreenshotFile.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString Portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");

const QString InstallPortal = QStringLiteral(
    "install xdg-desktop-portal with the part for this desktop (xdg-desktop-portal-gnome, xdg-desktop-portal-kde, "
    "or xdg-desktop-portal-wlr with xdg-desktop-portal-gtk), then log out and in again");

QString failureOfCall(const QDBusError& error)
{
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
        return QStringLiteral("This Wayland desktop has no screenshot portal (org.freedesktop.portal.Desktop is not "
                              "on the session bus): %1.").arg(InstallPortal);
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownObject:
        return QStringLiteral("The desktop portal here takes no screenshots (it offers no "
                              "org.freedesktop.portal.Screenshot): %1.").arg(InstallPortal);
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        return QString(); // told as the answer that never came
    default:
        return QStringLiteral("The desktop's screenshot portal failed: %1 (%2).").arg(error.message(), error.name());
    }
}

// The portals write to a folder of temporary files unless the desktop keeps
// its screenshots for the user; only the first are ours to remove.
bool isTemporary(const QString& file)
{
    const QString folder = QFileInfo(file).absolutePath() + QLatin1Char('/');
    for (const QString& temporary : {QDir::tempPath(), qEnvironmentVariable("XDG_RUNTIME_DIR")})
        if (!temporary.isEmpty() && folder.startsWith(QDir(temporary).absolutePath() + QLatin1Char('/')))
            return true;
    return false;
}

int nextToken()
{
    static int serial = 0;
    return ++serial;
}

} // namespace

PortalScreenshot::PortalScreenshot(QObject* parent) : QObject(parent)
{
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        finish(QImage(), QStringLiteral("The desktop's screenshot portal did not answer within %1 seconds. If the "
                                        "desktop asked whether to allow the screenshot, allow it and capture again; "
                                        "otherwise check that xdg-desktop-portal and the part for this desktop run.")
                             .arg(timeoutMs_ / 1000));
    });
}

void PortalScreenshot::Request(Done done, int timeoutMs)
{
    done_ = std::move(done);
    timeoutMs_ = timeoutMs;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        finish(QImage(), QStringLiteral("There is no D-Bus session bus, through which a Wayland desktop hands out "
                                        "screenshots: start the program from within the desktop session."));
        return;
    }
    // The answer may come before the call returns its request object: listen
    // where the portal puts that object for this token first.
    const QString token = QStringLiteral("quillet%1").arg(nextToken());
    const QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    listenTo(QStringLiteral("%1/request/%2/%3").arg(PortalPath, sender, token));
    QDBusMessage call = QDBusMessage::createMethodCall(Portal, PortalPath, ScreenshotInterface,
                                                       QStringLiteral("Screenshot"));
    call << QString() << QVariantMap{{QStringLiteral("handle_token"), token},
                                     {QStringLiteral("interactive"), false},
                                     {QStringLiteral("modal"), false}};
    deadline_.start(timeoutMs);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &PortalScreenshot::onCallFinished);
}

void PortalScreenshot::onCallFinished(QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    if (reply.isError()) {
        const QString failure = failureOfCall(reply.error());
        if (!failure.isEmpty())
            finish(QImage(), failure);
        return;
    }
    // Older portals put the request object elsewhere.
    if (done_ && reply.value().path() != requestPath_)
        listenTo(reply.value().path());
}

void PortalScreenshot::listenTo(const QString& requestPath)
{
    stopListening();
    requestPath_ = requestPath;
    QDBusConnection::sessionBus().connect(QString(), requestPath_, RequestInterface, QStringLiteral("Response"), this,
                                          SLOT(onResponse(uint, QVariantMap)));
}

void PortalScreenshot::stopListening()
{
    if (requestPath_.isEmpty())
        return;
    QDBusConnection::sessionBus().disconnect(QString(), requestPath_, RequestInterface, QStringLiteral("Response"),
                                             this, SLOT(onResponse(uint, QVariantMap)));
    requestPath_.clear();
}

void PortalScreenshot::onResponse(uint code, const QVariantMap& results)
{
    if (code == 0)
        pictureFrom(results.value(QStringLiteral("uri")).toString());
    else if (code == 1)
        finish(QImage(), QStringLiteral("The screenshot was cancelled at the desktop's screenshot portal."));
    else
        finish(QImage(), QStringLiteral("The desktop refused the screenshot (its portal answered %1). Allow this "
                                        "program to take screenshots in the desktop's privacy settings (some desktops "
                                        "ask the first time), then capture again.").arg(code));
}

void PortalScreenshot::pictureFrom(const QString& uri)
{
    const QUrl url(uri);
    if (!url.isLocalFile()) {
        finish(QImage(), QStringLiteral("The desktop's screenshot portal answered without a picture file (\"%1\").")
                             .arg(uri));
        return;
    }
    const QString file = url.toLocalFile();
    QString error;
    const QImage picture = readScreenshotFile(file, &error);
    if (isTemporary(file))
        QFile::remove(file);
    finish(picture, picture.isNull()
                        ? QStringLiteral("The picture from the desktop's screenshot portal cannot be read: %1.").arg(error)
                        : QString());
}

void PortalScreenshot::finish(const QImage& picture, const QString& failure)
{
    if (!done_)
        return;
    deadline_.stop();
    stopListening();
    const Done done = std::exchange(done_, nullptr);
    done(picture, failure);
}
