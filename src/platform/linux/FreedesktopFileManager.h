#pragma once

#include "FileManager.h"

#include <QDBusConnection>

// Reveals through the file manager's org.freedesktop.FileManager1 service on
// the session bus; without one, the folder of the first file is opened with
// xdg-open. Opening a file is xdg-open, run without a shell.
class FreedesktopFileManager : public FileManager {
public:
    explicit FreedesktopFileManager(QDBusConnection bus);

    void reveal(const QList<QByteArray> &paths) override;
    void open(const QByteArray &path) override;

private:
    QDBusConnection m_bus;
};
