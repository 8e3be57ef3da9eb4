#include "SwayCommands.h"

#include "Desktop.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

SwayCommands* SwayCommands::Get()
{
    static SwayCommands* commands = qEnvironmentVariableIsEmpty("SWAYSOCK") || !Desktop::Connection()
                                        ? nullptr
                                        : new SwayCommands;
    return commands;
}

QByteArray SwayCommands::Run(const QByteArray& command) { return ask(0, command); }

QByteArray SwayCommands::Focus(const QByteArray& criteria)
{
    return Run("mouse_warping none; " + criteria + " focus; mouse_warping " + configuredWarping());
}

QByteArray SwayCommands::ask(quint32 type, const QByteArray& payload)
{
    QByteArray reply;
    if (socket_.Open() && !(socket_.Send(type, payload) && socket_.Read(type, reply)))
        socket_.Close();
    return reply;
}

// The user's setting as the loaded configuration file has it (files it
// includes are not looked into), sway's default otherwise.
QByteArray SwayCommands::configuredWarping()
{
    if (!warping_.isEmpty())
        return warping_;
    constexpr quint32 GetConfig = 9;
    const QString config = QJsonDocument::fromJson(ask(GetConfig, QByteArray())).object().value("config").toString();
    static const QRegularExpression setting(QStringLiteral("^\\s*mouse_warping\\s+(output|container|none)\\s*$"),
                                            QRegularExpression::MultilineOption);
    warping_ = "output";
    for (auto it = setting.globalMatch(config); it.hasNext();)
        warping_ = it.next().captured(1).toLatin1();
    return warping_;
}
