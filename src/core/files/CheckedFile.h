#pragma once

#include <QByteArray>
#include <QString>

// The one way Tarnwick writes a file of its own. The new content lands
// whole or not at all: every write and the flush are checked before the
// file is replaced, because QSaveFile::commit() alone can report success
// after a write that failed (a full disk then leaves an empty file behind).
// On any failure the old file stays as it was.
namespace CheckedFile {
// Creates the folder when needed. Empty on success, otherwise why not.
QString write(const QString &path, const QByteArray &contents);
} // namespace CheckedFile
