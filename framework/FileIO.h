// Checked file reading and writing that any thread may call: no GUI objects
// inside. Each returns "" on success or a text naming the file and the
// system's reason, for the caller to show.
#pragma once

#include <QByteArray>
#include <QString>

// Replaces path with bytes, all or nothing: the bytes go to a new file beside
// it, are written to the end and flushed to the disk, and only then take the
// name. A failure at any step keeps the old file. A symlink at path is
// replaced by the file itself; its target is never touched.
QString writeFileAtomically(const QString& path, const QByteArray& bytes);

// Removes the new files that writes of path interrupted at least
// ageSeconds ago left behind (a killed process cannot clean up after itself).
void removeStaleTemporaries(const QString& path, int ageSeconds);

// Reads a regular file of at most maxBytes. Anything else (a folder, a FIFO,
// a device, a larger file) is refused without waiting on it.
QString readRegularFile(const QString& path, qint64 maxBytes, QByteArray* bytes);

// Why path cannot be opened as a file, in the user's words; "" when it can.
QString whyNotARegularFile(const QString& path);
