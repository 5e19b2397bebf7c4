#include "Appcast.h"

#include <QStringList>
#include <QXmlStreamReader>

namespace Appcast {

namespace {

const QString sparkle = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");
// Longer is not a version number but damage, and would be shown to the user.
constexpr qsizetype maxVersionLength = 64;

bool isWebPage(const QUrl &url)
{
    return url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty();
}

std::optional<Release> readItem(QXmlStreamReader &xml)
{
    Release release;
    QString enclosureVersion;
    QString enclosureDisplay;
    QUrl link;
    QUrl notes;
    while (xml.readNextStartElement()) {
        const bool own = xml.namespaceUri() == sparkle;
        const auto name = xml.name();
        if (xml.namespaceUri().isEmpty() && name == QLatin1String("link")) {
            link = QUrl(xml.readElementText().trimmed());
        } else if (own && name == QLatin1String("version")) {
            release.version = xml.readElementText().trimmed();
        } else if (own && name == QLatin1String("shortVersionString")) {
            release.displayVersion = xml.readElementText().trimmed();
        } else if (own && name == QLatin1String("releaseNotesLink")) {
            notes = QUrl(xml.readElementText().trimmed());
        } else {
            if (xml.namespaceUri().isEmpty() && name == QLatin1String("enclosure")) {
                enclosureVersion =
                    xml.attributes().value(sparkle, QLatin1String("version")).toString().trimmed();
                enclosureDisplay =
                    xml.attributes().value(sparkle, QLatin1String("shortVersionString")).toString().trimmed();
            }
            xml.skipCurrentElement();
        }
    }
    if (release.version.isEmpty())
        release.version = enclosureVersion;
    if (release.displayVersion.isEmpty())
        release.displayVersion = enclosureDisplay.isEmpty() ? release.version : enclosureDisplay;
    release.page = isWebPage(link) ? link : isWebPage(notes) ? notes : QUrl();
    if (release.version.isEmpty() || release.version.size() > maxVersionLength ||
        release.displayVersion.size() > maxVersionLength || release.page.isEmpty())
        return std::nullopt;
    return release;
}

// Runs of digits and runs of other characters; separators only separate.
QStringList pieces(const QString &version)
{
    QStringList found;
    QString run;
    bool digits = false;
    for (const QChar c : version) {
        const bool separator = !c.isLetterOrNumber();
        if (!run.isEmpty() && (separator || c.isDigit() != digits)) {
            found.append(run);
            run.clear();
        }
        if (!separator) {
            run.append(c);
            digits = c.isDigit();
        }
    }
    if (!run.isEmpty())
        found.append(run);
    return found;
}

bool isNumber(const QString &piece)
{
    return piece.front().isDigit();
}

// Digits of any length, without converting (and overflowing).
int compareNumbers(QString a, QString b)
{
    while (a.size() > 1 && a.front() == QLatin1Char('0'))
        a.remove(0, 1);
    while (b.size() > 1 && b.front() == QLatin1Char('0'))
        b.remove(0, 1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

} // namespace

std::optional<Release> newest(const QByteArray &feed, QString *problem)
{
    const auto fail = [problem](const QString &why) -> std::optional<Release> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    QXmlStreamReader xml(feed);
    const auto damaged = [&xml] {
        return QStringLiteral("%1 (line %2)").arg(xml.errorString()).arg(xml.lineNumber());
    };
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("rss"))
        return fail(xml.hasError() ? damaged() : QStringLiteral("not an RSS feed"));
    std::optional<Release> best;
    bool channel = false;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("channel")) {
            xml.skipCurrentElement();
            continue;
        }
        channel = true;
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("item")) {
                xml.skipCurrentElement();
                continue;
            }
            std::optional<Release> release = readItem(xml);
            if (release && (!best || compareVersions(release->version, best->version) > 0))
                best = std::move(release);
        }
    }
    if (xml.hasError())
        return fail(damaged());
    if (!channel)
        return fail(QStringLiteral("no channel"));
    if (!best)
        return fail(QStringLiteral("no release with a version and an https page"));
    return best;
}

int compareVersions(const QString &a, const QString &b)
{
    const QStringList left = pieces(a);
    const QStringList right = pieces(b);
    for (qsizetype i = 0; i < std::min(left.size(), right.size()); ++i) {
        const bool leftNumber = isNumber(left[i]);
        if (leftNumber != isNumber(right[i]))
            return leftNumber ? 1 : -1; // "1.0.1" is newer than "1.0b"
        const int order = leftNumber ? compareNumbers(left[i], right[i]) : left[i].compare(right[i]);
        if (order != 0)
            return order < 0 ? -1 : 1;
    }
    if (left.size() == right.size())
        return 0;
    // What the longer one has more decides: a number makes it newer, a word a pre-release.
    const bool leftLonger = left.size() > right.size();
    const bool moreIsNumber = isNumber(leftLonger ? left[right.size()] : right[left.size()]);
    return (leftLonger == moreIsNumber) ? 1 : -1;
}

} // namespace Appcast
