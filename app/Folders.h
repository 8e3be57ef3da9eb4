// Where the program keeps the files it writes, and where its default stamp lies.
#pragma once

#include <QString>

// The folder where the program keeps the files it writes: its own folder
// when that can be written, the user's data folder otherwise.
QString writableProgramFolder(const QString& programDir);
// The user's own folder for the program's files, made if need be.
QString userDataFolder();
// Brings existing settings, and the snapshot of a pending recovery, from a
// program folder that cannot be written into the data folder, the first time
// only; returns what to tell the user, or "" when there was nothing to bring.
QString carryOverSettings(const QString& programDir, const QString& dataDir);
// The default stamp: a copy in the data folder wins, then the one beside the
// program (a build or an unpacked copy), then the installed one.
QString defaultStampFile(const QString& programDir, const QString& dataDir);
