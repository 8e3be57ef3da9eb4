// A connection to sway's socket: "i3-ipc", the payload's length and the
// message type, then the payload.
#pragma once

#include <QByteArray>

class SwaySocket {
public:
    ~SwaySocket() { Close(); }
    bool Open();
    void Close();
    int Fd() const { return fd_; }
    bool Send(quint32 type, const QByteArray& payload);
    bool Read(quint32& type, QByteArray& payload);

private:
    bool readAll(char* into, size_t bytes);
    int fd_ = -1;
};
