#include "SwayMaps.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>

SwayMaps::SwayMaps(std::function<void(WId)> mapped) : mapped_(std::move(mapped))
{
    quint32 type = 0;
    QByteArray reply;
    if (!socket_.Open() || !socket_.Send(2, R"(["window"])") || !socket_.Read(type, reply)) {
        socket_.Close();
        return;
    }
    notifier_ = new QSocketNotifier(socket_.Fd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SwayMaps::readEvent);
}

void SwayMaps::readEvent()
{
    quint32 type = 0;
    QByteArray event;
    if (!socket_.Read(type, event)) {
        notifier_->setEnabled(false);
        socket_.Close();
        return;
    }
    const QJsonObject window = QJsonDocument::fromJson(event).object();
    if (window.value(QLatin1String("change")).toString() == QLatin1String("new"))
        mapped_(WId(window.value(QLatin1String("container")).toObject().value(QLatin1String("window")).toDouble()));
}
