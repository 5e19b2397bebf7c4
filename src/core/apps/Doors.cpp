#include "Doors.h"

#include "Log.h"
#include "Text.h"

#include <QRegularExpression>
#include <QSet>
#include <QUrlQuery>

#include <cmath>

namespace Doors {

namespace {

constexpr qsizetype maxTitleLength = 24;
const QString defaultSymbol = QStringLiteral("app");

// Logged with the entry's id; the value itself may be anything.
std::nullopt_t refused(const QString &appId, const char *why)
{
    qCWarning(lcApps).noquote().nospace()
        << "the desktop entry of " << cleanName(appId) << " declares a hub door that is refused: " << why;
    return std::nullopt;
}

} // namespace

bool isAllowedScheme(const QString &scheme)
{
    static const QRegularExpression shape(QStringLiteral("^[a-z][a-z0-9+.-]{1,30}$"));
    // Schemes the desktop hands to a browser, the file manager, a mail or
    // network client: an address to them would reach something else, or the network.
    static const QSet<QString> taken{
        QStringLiteral("http"),      QStringLiteral("https"),   QStringLiteral("file"),
        QStringLiteral("mailto"),    QStringLiteral("ftp"),     QStringLiteral("ftps"),
        QStringLiteral("sftp"),      QStringLiteral("ssh"),     QStringLiteral("smb"),
        QStringLiteral("nfs"),       QStringLiteral("afp"),     QStringLiteral("dav"),
        QStringLiteral("davs"),      QStringLiteral("webdav"),  QStringLiteral("webdavs"),
        QStringLiteral("data"),      QStringLiteral("about"),   QStringLiteral("trash"),
        QStringLiteral("recent"),    QStringLiteral("network"), QStringLiteral("admin"),
        QStringLiteral("mtp"),       QStringLiteral("ldap"),    QStringLiteral("ldaps"),
        QStringLiteral("tel"),       QStringLiteral("sms"),     QStringLiteral("irc"),
        QStringLiteral("ircs"),      QStringLiteral("vnc"),     QStringLiteral("rdp"),
        QStringLiteral("javascript")};
    return shape.match(scheme).hasMatch() && !taken.contains(scheme);
}

std::optional<HubDoor> door(const QString &appId, const QHash<QString, QString> &keys)
{
    if (keys.isEmpty())
        return std::nullopt;
    if (keys.value(QStringLiteral("Version")) != QLatin1String("1"))
        return refused(appId, "its version is not 1");
    const QString title = keys.value(QStringLiteral("Title"));
    if (title.isEmpty() || title.toUcs4().size() > maxTitleLength)
        return refused(appId, "its title is empty or longer than 24 characters");
    if (cleanName(title) != title)
        return refused(appId, "its title holds characters that cannot be shown");
    const QString scheme = keys.value(QStringLiteral("Scheme"));
    if (!isAllowedScheme(scheme))
        return refused(appId, "its scheme is not one of its own");
    QString symbol = keys.value(QStringLiteral("Symbol"));
    static const QRegularExpression iconName(QStringLiteral("^[A-Za-z0-9_.-]{1,64}$"));
    if (symbol.isEmpty())
        symbol = defaultSymbol;
    else if (!iconName.match(symbol).hasMatch())
        return refused(appId, "its symbol is not an icon name");
    return HubDoor{appId, title, symbol, scheme};
}

std::optional<QUrl> presentUrl(const HubDoor &door, const Cutout &cutout, quint32 display)
{
    const QRectF rect = cutout.rect();
    const double values[] = {rect.x(), rect.y(), rect.width(), rect.height()};
    for (const double value : values) {
        if (!std::isfinite(value) || std::abs(value) > 1e9)
            return std::nullopt;
    }
    if (!isAllowedScheme(door.scheme))
        return std::nullopt;
    const auto rounded = [](double value) { return QString::number(std::llround(value)); };
    QUrlQuery query;
    query.setQueryItems({{QStringLiteral("v"), QStringLiteral("1")},
                         {QStringLiteral("x"), rounded(rect.x())},
                         {QStringLiteral("y"), rounded(rect.y())},
                         {QStringLiteral("w"), rounded(rect.width())},
                         {QStringLiteral("h"), rounded(rect.height())},
                         {QStringLiteral("shape"), Cutout::kindText(cutout.kind())},
                         {QStringLiteral("display"), QString::number(display)},
                         {QStringLiteral("appearance"), QStringLiteral("dark")}});
    QUrl url;
    url.setScheme(door.scheme);
    url.setHost(QStringLiteral("tarnwick"));
    url.setPath(QStringLiteral("/present"));
    url.setQuery(query);
    return url;
}

} // namespace Doors
