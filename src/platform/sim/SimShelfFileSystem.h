#pragma once

#include "ShelfFileSystem.h"

// Real files through Qt, for demonstrations: names are taken as UTF-8 and a
// bookmark remembers the path only, so a renamed file is not followed.
class SimShelfFileSystem : public ShelfFileSystem {
public:
    bool isFile(const QByteArray &path) const override;
    bool exists(const QByteArray &path) const override;
    std::optional<quint64> size(const QByteArray &path) const override;
    QString copy(const QByteArray &from, const QByteArray &to) const override;
    QString move(const QByteArray &from, const QByteArray &to) const override;
    bool remove(const QByteArray &path) const override;
    QByteArray bookmark(const QByteArray &path) const override;
    std::optional<QByteArray> find(const QByteArray &bookmark,
                                   const QList<QByteArray> &places) const override;
};
