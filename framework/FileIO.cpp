#include "FileIO.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* TemporarySuffix = ".tmp-";

QString reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString cannotWrite(const QString& path, int error)
{
    return QStringLiteral("Cannot write file \"%1\": %2").arg(path, reason(error));
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) { // no progress and no reason: treat as a full disk
            errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// A fresh, unique name beside path; O_EXCL makes sure we never open a file
// (or follow a link) that someone else put there.
int createTemporary(const QByteArray& path, QByteArray* tempName, mode_t mode)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *tempName = path + TemporarySuffix + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(tempName->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void syncFolder(const QByteArray& path)
{
    const QByteArray folder = QFileInfo(QString::fromLocal8Bit(path)).absolutePath().toLocal8Bit();
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void removeStaleTemporaries(const QString& path, int ageSeconds)
{
    const QFileInfo target(path);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-ageSeconds);
    // Matched here rather than by a name filter, which is a pattern compiled
    // anew on every call on the way to the bar's first show.
    const QString prefix = target.fileName() + QLatin1String(TemporarySuffix);
    for (const QFileInfo& file : target.dir().entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
        if (file.fileName().startsWith(prefix, Qt::CaseInsensitive) && file.lastModified() < before)
            QFile::remove(file.filePath());
}

QString writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = QFile::encodeName(path);
    struct stat old {};
    const bool exists = ::lstat(target.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return cannotWrite(path, EISDIR);
    // A regular file keeps its permissions; anything new gets the usual ones.
    const mode_t mode = exists && S_ISREG(old.st_mode) ? (old.st_mode & 07777) : 0666;
    QByteArray temp;
    const int fd = createTemporary(target, &temp, mode);
    if (fd < 0)
        return cannotWrite(path, errno);
    if (exists && S_ISREG(old.st_mode))
        ::fchmod(fd, mode); // the umask narrowed it at creation
    int error = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    // rename() replaces a link at path, never the file it points to.
    if (error == 0 && ::rename(temp.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.constData());
        return cannotWrite(path, error);
    }
    syncFolder(target);
    return QString();
}

QString whyNotARegularFile(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT ? QStringLiteral("The file does not exist.") : reason(errno) + QLatin1Char('.');
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("It is a folder, not a file.");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("It is not a regular file.");
    return QString();
}

QString readRegularFile(const QString& path, qint64 maxBytes, QByteArray* bytes)
{
    bytes->clear();
    const QString cannot = QStringLiteral("Cannot read file \"%1\": %2").arg(path);
    // Non-blocking, so that a FIFO cannot hold the caller before it is refused.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return cannot.arg(reason(errno));
    struct stat st {};
    QString error;
    if (::fstat(fd, &st) != 0)
        error = cannot.arg(reason(errno));
    else if (S_ISDIR(st.st_mode))
        error = cannot.arg(QStringLiteral("it is a folder, not a file"));
    else if (!S_ISREG(st.st_mode))
        error = cannot.arg(QStringLiteral("it is not a regular file"));
    else if (st.st_size > maxBytes)
        error = cannot.arg(QStringLiteral("it is larger than %1 bytes").arg(maxBytes));
    if (error.isEmpty()) {
        bytes->resize(qsizetype(st.st_size));
        qint64 got = 0;
        int readError = 0;
        while (got < st.st_size) {
            const ssize_t n = ::read(fd, bytes->data() + got, size_t(st.st_size - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                readError = errno;
            if (n <= 0)
                break;
            got += n;
        }
        if (got < st.st_size) // the file failed or shrank while it was read
            error = cannot.arg(readError ? reason(readError) : QStringLiteral("it changed while it was read"));
        bytes->resize(qsizetype(got));
    }
    ::close(fd);
    if (!error.isEmpty())
        bytes->clear();
    return error;
}
