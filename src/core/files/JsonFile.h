#pragma once

#include <QJsonDocument>
#include <QString>

// A JSON file read whole. Missing, unreadable and damaged files are told
// apart, so a caller can keep a damaged file aside instead of overwriting it.
struct JsonFile {
    bool exists = false;
    QJsonDocument document;
    // Empty when the file was read and parsed; otherwise why not, such as
    // "cannot be read (Permission denied)" or "is damaged (… at byte 12)".
    QString problem;

    static JsonFile read(const QString &path);
};
