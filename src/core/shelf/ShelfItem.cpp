#include "ShelfItem.h"

#include "StoredDate.h"

#include <QJsonValue>
#include <QList>
#include <QStringDecoder>

namespace {

bool isUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

} // namespace

QByteArray ShelfItem::fileName() const
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QString ShelfItem::name() const
{
    return QString::fromUtf8(fileName());
}

QJsonObject ShelfItem::toJson() const
{
    QJsonObject object{
        {QStringLiteral("id"), id.toString(QUuid::WithoutBraces).toUpper()},
        {QStringLiteral("path"), QString::fromUtf8(path)},
        {QStringLiteral("addedAt"), StoredDate::seconds(addedAt)},
        {QStringLiteral("isOwnCopy"), isOwnCopy},
    };
    if (!bookmark.isEmpty())
        object.insert(QStringLiteral("bookmark"), QString::fromLatin1(bookmark.toBase64()));
    if (!isUtf8(path))
        object.insert(QStringLiteral("pathBytes"), QString::fromLatin1(path.toBase64()));
    return object;
}

std::optional<ShelfItem> ShelfItem::fromJson(const QJsonObject &object)
{
    const QJsonValue id = object.value(QStringLiteral("id"));
    const QJsonValue path = object.value(QStringLiteral("path"));
    const QJsonValue addedAt = object.value(QStringLiteral("addedAt"));
    const QJsonValue ownCopy = object.value(QStringLiteral("isOwnCopy"));
    const QJsonValue bookmark = object.value(QStringLiteral("bookmark"));
    const QJsonValue pathBytes = object.value(QStringLiteral("pathBytes"));
    const std::optional<QDateTime> added = StoredDate::read(addedAt);
    if (!id.isString() || !path.isString() || !added || !ownCopy.isBool() ||
        !(bookmark.isUndefined() || bookmark.isString()) ||
        !(pathBytes.isUndefined() || pathBytes.isString()))
        return std::nullopt;
    ShelfItem item;
    item.id = QUuid::fromString(id.toString());
    item.path = pathBytes.isString() ? QByteArray::fromBase64(pathBytes.toString().toLatin1())
                                     : path.toString().toUtf8();
    if (item.id.isNull() || !item.path.startsWith('/'))
        return std::nullopt;
    item.bookmark = QByteArray::fromBase64(bookmark.toString().toLatin1());
    item.addedAt = *added;
    item.isOwnCopy = ownCopy.toBool();
    return item;
}

QByteArray standardisedPath(const QByteArray &path)
{
    if (!path.startsWith('/'))
        return {};
    QList<QByteArray> parts;
    for (const QByteArray &part : path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return '/' + parts.join('/');
}
