#include "SwayCommands.h"

#include "Desktop.h"

SwayCommands* SwayCommands::Get()
{
    static SwayCommands* commands = qEnvironmentVariableIsEmpty("SWAYSOCK") || !Desktop::Connection()
                                        ? nullptr
                                        : new SwayCommands;
    return commands;
}

QByteArray SwayCommands::Run(const QByteArray& command)
{
    QByteArray reply;
    quint32 type = 0;
    if (socket_.Open() && !(socket_.Send(0, command) && socket_.Read(type, reply)))
        socket_.Close();
    return reply;
}
