#include "SwaySocket.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

bool SwaySocket::Open()
{
    const QByteArray path = qgetenv("SWAYSOCK");
    if (fd_ >= 0 || size_t(path.size()) >= sizeof(sockaddr_un::sun_path))
        return fd_ >= 0;
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, path.constData(), size_t(path.size()));
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        Close();
    return fd_ >= 0;
}

void SwaySocket::Close()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

bool SwaySocket::Send(quint32 type, const QByteArray& payload)
{
    QByteArray message("i3-ipc");
    const quint32 header[2] = {quint32(payload.size()), type};
    message.append(reinterpret_cast<const char*>(header), sizeof header).append(payload);
    const char* from = message.constData();
    for (size_t left = size_t(message.size()); left > 0;) {
        const ssize_t sent = write(fd_, from, left);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        from += sent;
        left -= size_t(sent);
    }
    return true;
}

bool SwaySocket::Read(quint32& type, QByteArray& payload)
{
    char header[14];
    if (!readAll(header, sizeof header))
        return false;
    quint32 length = 0;
    memcpy(&length, header + 6, sizeof length);
    memcpy(&type, header + 10, sizeof type);
    payload = QByteArray(int(length), '\0');
    return readAll(payload.data(), length);
}

bool SwaySocket::readAll(char* into, size_t bytes)
{
    while (bytes > 0) {
        const ssize_t got = read(fd_, into, bytes);
        if (got < 0 && errno == EINTR)
            continue; // a signal of the toolkit's own (a child process ended)
        if (got <= 0)
            return false;
        into += got;
        bytes -= size_t(got);
    }
    return true;
}
