#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// An update feed in the appcast format (RSS 2.0 with the sparkle namespace),
// read for one thing: the newest release and the web page that tells about
// it. Enclosures are never fetched; the package manager installs updates.
namespace Appcast {

struct Release {
    QString version;        // what versions are compared by (sparkle:version)
    QString displayVersion; // what the user reads (sparkle:shortVersionString, else the version)
    QUrl page;              // https only: the item's link, else its release notes

    friend bool operator==(const Release &, const Release &) = default;
};

// The newest release of the feed, or nothing with `problem` set: text that
// is not XML, not an RSS channel, or has no item with a version and an https page.
std::optional<Release> newest(const QByteArray &feed, QString *problem = nullptr);

// Negative, 0 or positive as `a` is older than, as new as or newer than `b`.
// Runs of digits compare as numbers, other runs as text, and a release
// ("1.2") is newer than its pre-releases ("1.2b1") but older than "1.2.1".
int compareVersions(const QString &a, const QString &b);

} // namespace Appcast
