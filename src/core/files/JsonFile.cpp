#include "JsonFile.h"

#include <QFile>

JsonFile JsonFile::read(const QString &path)
{
    JsonFile result;
    QFile file(path);
    result.exists = file.exists();
    if (!result.exists)
        return result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.problem = QStringLiteral("cannot be read (%1)").arg(file.errorString());
        return result;
    }
    QJsonParseError error{};
    result.document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        result.problem =
            QStringLiteral("is damaged (%1 at byte %2)").arg(error.errorString()).arg(error.offset);
    return result;
}
