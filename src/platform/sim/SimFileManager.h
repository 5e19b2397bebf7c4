#pragma once

#include "FileManager.h"

// Remembers what it was asked to show and open.
class SimFileManager : public FileManager {
public:
    void reveal(const QList<QByteArray> &paths) override { revealed.append(paths); }
    void open(const QByteArray &path) override { opened.append(path); }

    QList<QByteArray> revealed;
    QList<QByteArray> opened;
};
