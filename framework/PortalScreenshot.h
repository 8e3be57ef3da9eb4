// A picture of the whole screen from the desktop's screenshot portal
// (org.freedesktop.portal.Screenshot on the session bus), asked for without
// a dialog. The answer arrives later, through the event loop: the call
// returns a request object, whose Response signal carries the file.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <utility>
#include <functional>

class QDBusPendingCallWatcher;

class PortalScreenshot : public QObject {
    Q_OBJECT
public:
    // The picture, or a null one and why there is none, said for the user.
    using Done = std::function<void(const QImage& picture, const QString& failure)>;

    explicit PortalScreenshot(QObject* parent = nullptr);
    // Asks once; `done` runs exactly once, at the latest after timeoutMs.
    void Request(Done done, int timeoutMs);

private slots:
    // The request object's answer: 0 with the file's URI, 1 cancelled, 2 refused.
    void onResponse(uint code, const QVariantMap& results);

private:
    void onCallFinished(QDBusPendingCallWatcher* call);
    void listenTo(const QString& requestPath);
    void stopListening();
    void pictureFrom(const QString& uri);
    void finish(const QImage& picture, const QString& failure);

    Done done_;
    QString requestPath_;
    QTimer deadline_;
    int timeoutMs_ = 0;
};
