#include "Folders.h"

#include "FileIO.h"
#include "Settings.h"
#include "util1.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <limits>

QString userDataFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         QStringLiteral("/screen-quillet/");
    QDir().mkpath(data);
    return data;
}

QString writableProgramFolder(const QString& programDir)
{
    QTemporaryFile probe(programDir + QStringLiteral("write-probe-XXXXXX"));
    if (probe.open())
        return programDir;
    // An installed copy in a system folder keeps its files with the user.
    return userDataFolder();
}

QString carryOverSettings(const QString& programDir, const QString& dataDir)
{
    const QString settings = QStringLiteral("setup.ini"), screen = QStringLiteral("Screen.bmp");
    QByteArray bytes;
    // Nothing to carry (the usual installed copy) or carried before: say nothing.
    if (QFileInfo::exists(dataDir + settings) ||
        !readRegularFile(programDir + settings, TIniFile::MaxFileSize, &bytes).isEmpty())
        return QString();
    QStringList errors;
    errors << writeFileAtomically(dataDir + settings, bytes);
    // A pending recovery comes along with its snapshot.
    const bool pending = TSettingsFile(programDir + settings).ReadFlag(Setting::Operating);
    QByteArray picture;
    if (pending && readRegularFile(programDir + screen, std::numeric_limits<int>::max(), &picture).isEmpty())
        errors << writeFileAtomically(dataDir + screen, picture);
    errors.removeAll(QString());
    QString notice = QStringLiteral("The program folder \"%1\" cannot be written.\nSettings and pictures are now kept "
                                    "in \"%2\".")
                         .arg(programDir, dataDir);
    if (!errors.isEmpty())
        notice += QLatin1Char('\n') + errors.join(QLatin1Char('\n'));
    return notice;
}

QString defaultStampFile(const QString& programDir, const QString& dataDir)
{
    const QString relative = QStringLiteral("Stamps/3dArrow-rt.bmp");
    QStringList candidates;
    if (dataDir != programDir)
        candidates << dataDir + relative;
    candidates << programDir + relative
               << QDir::cleanPath(programDir + QStringLiteral("../share/screen-quillet/") + relative)
               << QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("screen-quillet/") + relative);
    for (const QString& file : candidates)
        if (!file.isEmpty() && FindFile(file))
            return file;
    return programDir + relative;
}
