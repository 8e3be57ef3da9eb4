#include "util1.h"

#include "Services.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

constexpr int SplitInputLimit = 260; // FileSplit looks at this many characters
constexpr int SplitPartLimit = 255;  // and cuts a folder, name or extension here

bool isSeparator(QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); }

bool endsWithSeparator(const QString& s) { return !s.isEmpty() && isSeparator(s.back()); }

// The file-system functions read "\" as "/", the separator of this platform.
QString toPlatform(QString path) { return path.replace(QLatin1Char('\\'), QLatin1Char('/')); }

// "C:..." names a drive; there are none here, so such a path names nothing.
bool namesDrive(const QString& path)
{
    return path.size() >= 2 && path[1] == QLatin1Char(':') && DiskNumber(path) != 0;
}

bool hasWildcard(const QString& s) { return s.contains(QLatin1Char('*')) || s.contains(QLatin1Char('?')); }

// A pattern in the desktop's sense: "*" any run, "?" one character, every
// other character literal (so "[" stays a character, unlike a glob), and a
// trailing ".*" also matching a name without any dot, as "*.*" does there.
QRegularExpression wildcardExpression(const QString& pattern)
{
    QString body = pattern;
    bool optionalExtension = false;
    if (body.endsWith(QLatin1String(".*"))) {
        body.chop(2);
        optionalExtension = true;
    }
    QString rx;
    for (QChar c : body) {
        if (c == QLatin1Char('*'))
            rx += QLatin1String(".*");
        else if (c == QLatin1Char('?'))
            rx += QLatin1Char('.');
        else
            rx += QRegularExpression::escape(QString(c));
    }
    if (optionalExtension)
        rx += QLatin1String("(\\..*)?");
    return QRegularExpression(QRegularExpression::anchoredPattern(rx),
                              QRegularExpression::DotMatchesEverythingOption);
}

// The directory search: every entry of any kind (hidden, system, folder, ...)
// whose name matches the last component of the wildcard pattern `path`.
QFileInfoList searchEntries(const QString& path)
{
    const int cut = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = cut < 0 ? QStringLiteral(".") : cut == 0 ? QStringLiteral("/") : path.left(cut);
    const QString pattern = path.mid(cut + 1);
    const QFileInfo folderInfo(folder);
    if (pattern.isEmpty() || !folderInfo.isDir())
        return {};
    const QRegularExpression rx = wildcardExpression(pattern);
    QFileInfoList found;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries)
        if (rx.match(entry.fileName()).hasMatch())
            found.append(entry);
    return found;
}

// The low 32 bits of the byte count read as a signed int; a folder holds no
// bytes of its own.
int entrySize(const QFileInfo& entry)
{
    if (entry.isDir())
        return 0;
    return static_cast<int>(static_cast<quint32>(static_cast<quint64>(entry.size()) & 0xFFFFFFFFu));
}

} // namespace

QString GetDir(int Drive, QString SDrive)
{
    // No drives here: every drive number reads the one current folder. Blanks
    // are not trimmed, because a Linux folder name may end in a blank.
    Q_UNUSED(Drive);
    Q_UNUSED(SDrive);
    // A current folder that no longer exists reads as empty, and so as the root.
    QString dir = QDir::currentPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

int DiskNumber(QString Path)
{
    if (Path.isEmpty())
        return 0;
    const QChar c = Path[0].toUpper();
    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        return c.unicode() - 'A' + 1;
    return 0;
}

bool PathExist(QString Path)
{
    const QString currentDir = GetDir(0, QString());
    QString path = toPlatform(Path);
    if (namesDrive(path))
        return false;
    if (!endsWithSeparator(path))
        path += QLatin1Char('/');
    if (!QDir::setCurrent(path))
        return false;
    QDir::setCurrent(currentDir);
    return true;
}

bool ChFullDir(QString Path)
{
    const QString presentPath = GetDir(0, QString());
    QString path = toPlatform(Path);
    if (namesDrive(path))
        return true;
    if (!endsWithSeparator(path))
        path += QLatin1Char('/');
    // Compared with letter case: Linux folder names are case-sensitive.
    if (presentPath == path)
        return false;
    if (path.size() > 1) // the root "/" keeps its only character
        path.chop(1);
    if (QDir::setCurrent(path))
        return false;
    if (MakeDir(path) != 0)
        return true;
    return !QDir::setCurrent(path);
}

int MakeDir(QString stg)
{
    int error = 0;
    const QString originalDir = GetDir(0, QString());
    QString path = toPlatform(stg);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);

    // The drive selection: no drive can be selected here.
    if (namesDrive(path))
        error = -1;

    if (error == 0 && path.isEmpty())
        error = -2; // an empty name is no folder that could be created
    else if (error == 0 && !QDir::setCurrent(path)) {
        // Every level from the root down is attempted; an existing level
        // "fails", and the result is the deepest level's alone.
        QString segment;
        QString remaining = path;
        if (path.startsWith(QLatin1Char('/'))) {
            segment = QStringLiteral("/");
            remaining = path.mid(1);
        }
        while (!remaining.isEmpty()) {
            const int cut = remaining.indexOf(QLatin1Char('/'));
            QString piece;
            if (cut >= 0) {
                piece = remaining.left(cut + 1);
                remaining.remove(0, cut + 1);
            } else {
                piece = remaining;
                remaining.clear();
            }
            segment += piece;
            error = QDir().mkdir(segment) ? 0 : -2;
        }
    }

    ChFullDir(originalDir);
    return error;
}

bool FindFile(QString FileName)
{
    const QString path = toPlatform(FileName);
    if (!hasWildcard(path))
        return GettheFileSize(path) >= 0;
    if (namesDrive(path))
        return false;
    bool found = false;
    for (const QFileInfo& entry : searchEntries(path))
        if (!entry.isDir())
            found = true;
    return found;
}

int GettheFileSize(QString FileName)
{
    const QString path = toPlatform(FileName);
    if (path.isEmpty() || namesDrive(path))
        return -1;
    if (hasWildcard(path)) {
        const QFileInfoList entries = searchEntries(path);
        return entries.isEmpty() ? -1 : entrySize(entries.first());
    }
    const QFileInfo entry(path);
    if (!entry.exists())
        return -1;
    return entrySize(entry);
}

QString FileSplit(int Component, QString FullFileName)
{
    const QString path = FullFileName.left(SplitInputLimit);

    QString drive;
    bool hasDrive = false;
    QString driveSeparator = QStringLiteral("\\");
    int start = 0;
    if (path.size() >= 2 && path[1] == QLatin1Char(':')) {
        drive = path.left(2);
        hasDrive = true;
        start = 2;
        if (path.size() > 2 && path[2] == QLatin1Char('/'))
            driveSeparator = QStringLiteral("/");
    } else if (path.startsWith(QLatin1Char('/'))) {
        // The root of this platform stands where a drive root stands there.
        hasDrive = true;
        driveSeparator = QStringLiteral("/");
    }

    const QString rest = path.mid(start);
    int lastSeparator = -1;
    for (int i = rest.size() - 1; i >= 0; --i)
        if (isSeparator(rest[i])) {
            lastSeparator = i;
            break;
        }
    QString folder = rest.left(lastSeparator + 1);
    QString last = rest.mid(lastSeparator + 1);
    if (last == QLatin1String(".") || last == QLatin1String("..")) {
        folder += last;
        last.clear();
    }
    QString extension;
    const int dot = last.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        extension = last.mid(dot);
        last.truncate(dot);
    }
    const QString name = last.left(SplitPartLimit);
    folder.truncate(SplitPartLimit);
    extension.truncate(SplitPartLimit);

    const bool hasFolder = !folder.isEmpty();
    const bool hasName = !name.isEmpty();
    const bool hasExtension = !extension.isEmpty();

    switch (Component) {
    case 0:
        return hasDrive ? drive + driveSeparator : QString();
    case 1:
        return hasDrive && hasFolder ? drive + folder : QString();
    case 2:
        return hasName && hasExtension ? name + extension : QString();
    case 3:
        return hasName ? name : QString();
    case 4:
        if (!hasExtension)
            return QString();
        return extension.contains(QLatin1Char('.')) ? extension.mid(1) : extension;
    case 5:
        return hasDrive && hasFolder && hasName ? drive + folder + name : QString();
    default:
        return QString();
    }
}

int ExecuteFile(QString FileName, QString Params, QString DefaultDir, int ShowCmd)
{
    // A bare root ("/", "\", "C:\") keeps its separator; any other folder loses
    // a trailing one, as C:\Tools\ becomes C:\Tools.
    const bool bareRoot = DefaultDir.size() == 1
                          || (DefaultDir.size() == 3 && DefaultDir[1] == QLatin1Char(':'));
    if (endsWithSeparator(DefaultDir) && !bareRoot)
        DefaultDir.chop(1);
    return Services::Shell().Execute(FileName, Params, DefaultDir, ShowCmd);
}
