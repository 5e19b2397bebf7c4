#include "DropReader.h"

#include "ShelfStore.h"
#include "Text.h"

#include <QMimeData>
#include <QStringDecoder>

namespace DropReader {

namespace {

// A file URL's path as bytes, percent-decoded byte by byte, so a name that
// is not UTF-8 survives; nothing for other URLs.
std::optional<QByteArray> filePath(QByteArray url)
{
    if (!url.startsWith("file://"))
        return std::nullopt;
    url = url.mid(7);
    if (url.startsWith("localhost/"))
        url = url.mid(9);
    if (!url.startsWith('/'))
        return std::nullopt; // another host's file
    return QByteArray::fromPercentEncoding(url);
}

QList<QByteArray> uris(const QMimeData &mime)
{
    QList<QByteArray> list;
    for (const QByteArray &raw : mime.data(QStringLiteral("text/uri-list")).split('\n')) {
        const QByteArray line = raw.trimmed();
        if (!line.isEmpty() && !line.startsWith('#'))
            list.append(line);
    }
    return list;
}

// "7 Dec 2026 14.03.59": the locale's order and clock, no colons (file
// managers elsewhere refuse them).
QString stamp(const QDateTime &now, const QLocale &locale)
{
    QString time = locale.timeFormat(QLocale::ShortFormat);
    if (!time.contains(QLatin1String("ss")))
        time.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    QString text = locale.toString(now, QStringLiteral("d MMM yyyy ") + time);
    text.replace(QLatin1Char(':'), QLatin1Char('.'));
    return text;
}

// Cut at a character boundary at most `maxTextBytes` in.
QByteArray cutText(const QByteArray &utf8)
{
    qsizetype end = maxTextBytes;
    while (end > 0 && (uchar(utf8.at(end)) & 0xc0) == 0x80)
        --end;
    return utf8.left(end);
}

} // namespace

QStringList types()
{
    return {QStringLiteral("text/uri-list"), QStringLiteral("image/png"), QStringLiteral("image/jpeg"),
            QStringLiteral("image/tiff"), QStringLiteral("text/plain")};
}

Contents read(const QMimeData &mime, const QDateTime &now, const QLocale &locale)
{
    Contents contents;
    const QList<QByteArray> urls = uris(mime);
    QList<QByteArray> webUrls;
    for (const QByteArray &url : urls) {
        if (std::optional<QByteArray> path = filePath(url))
            contents.paths.append(*path);
        else
            webUrls.append(url);
    }
    if (!contents.paths.isEmpty())
        return contents;

    const QString when = stamp(now, locale);
    const QList<std::pair<const char *, const char *>> pictures{
        {"image/png", ".png"}, {"image/jpeg", ".jpg"}, {"image/tiff", ".tiff"}};
    for (const auto &[type, extension] : pictures) {
        const QByteArray data = mime.data(QString::fromLatin1(type));
        if (!data.isEmpty()) {
            contents.content.append({data, Text::tr("Picture %1").arg(when) + QLatin1String(extension)});
            return contents;
        }
    }
    QByteArray text = mime.hasText() ? mime.text().toUtf8() : webUrls.join('\n');
    if (text.isEmpty())
        return contents;
    if (text.size() > maxTextBytes) {
        text = cutText(text);
        contents.textCut = true;
    }
    contents.content.append({text, Text::tr("Text %1").arg(when) + QStringLiteral(".txt")});
    return contents;
}

Dropped drop(const QMimeData &mime, ShelfStore &store, const QDateTime &now)
{
    const Contents contents = read(mime, now);
    Dropped dropped;
    dropped.textCut = contents.textCut;
    dropped.added = store.add(contents.paths, &dropped.notFiles);
    for (const OwnContent &content : contents.content) {
        if (store.addOwnCopy(content.data, content.name))
            ++dropped.added;
    }
    return dropped;
}

QString Dropped::note() const
{
    QStringList parts;
    if (added > 0)
        // English says one item apart; a translation gives every plural form the count needs.
        parts.append(added == 1 ? Text::tr("1 item on the shelf")
                                : Text::tr("%n items on the shelf", nullptr, added));
    if (notFiles > 0)
        parts.append(Text::tr("Folders and other things that are not files stay off the shelf"));
    if (textCut)
        parts.append(Text::tr("Only the first 10 MB of the dropped text were kept"));
    return parts.join(QStringLiteral(" · "));
}

} // namespace DropReader
