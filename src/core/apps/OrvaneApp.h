#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// One of the maker's applications, as the catalogue lists it.
struct OrvaneApp {
    QString id; // short; also names the picture ":/apps/app-<id>.png"
    QString name;
    QString tagline;
    QStringList appIds;  // desktop-file ids it may be installed under, preferred first
    QUrl site;           // its web page
    QString actionTitle; // an extra action; empty when there is none
    QUrl actionUrl;
    bool released = false;

    // Nothing when a field is missing or of the wrong type, or an address is
    // not a web address.
    static std::optional<OrvaneApp> fromJson(const QJsonObject &object);

    friend bool operator==(const OrvaneApp &, const OrvaneApp &) = default;
};
