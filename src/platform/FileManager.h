#pragma once

#include <QByteArray>
#include <QList>

// The desktop's file manager and default applications.
class FileManager {
public:
    virtual ~FileManager() = default;
    // Shows the files selected, in one file-manager window where it can.
    virtual void reveal(const QList<QByteArray> &paths) = 0;
    // Opens the file with its default application.
    virtual void open(const QByteArray &path) = 0;
};
