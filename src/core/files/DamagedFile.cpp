#include "DamagedFile.h"

#include <QFile>
#include <QFileInfo>

namespace DamagedFile {

QString keepAside(const QString &path)
{
    const QString base = path + QStringLiteral(".damaged");
    // Bounded, so a folder full of earlier damage cannot stall the launch.
    for (int n = 1; n <= 1000; ++n) {
        const QString aside = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
        if (QFileInfo::exists(aside) || QFileInfo(aside).isSymLink())
            continue;
        // QFile::rename never replaces an existing file.
        if (QFile::rename(path, aside))
            return aside;
        if (!QFileInfo::exists(aside))
            return QString();
    }
    return QString();
}

} // namespace DamagedFile
