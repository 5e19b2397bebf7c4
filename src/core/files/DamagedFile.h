#pragma once

#include <QString>

// A file Tarnwick could not read is kept, never overwritten.
namespace DamagedFile {
// Renames `path` to "<path>.damaged", or "<path>.damaged-2", "-3", … when
// that name is taken. Answers the new path, or an empty text when the file
// could not be moved.
QString keepAside(const QString &path);
} // namespace DamagedFile
