#include "CheckedFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace CheckedFile {

QString write(const QString &path, const QByteArray &contents)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("the folder cannot be made");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // Buffered bytes meet the disk only at the flush; its failure must stop
    // the commit, which would otherwise rename an empty file over the old one.
    if (file.write(contents) != contents.size() || !file.flush()) {
        const QString problem = file.errorString();
        file.cancelWriting();
        return problem;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace CheckedFile
