#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>
#include <QVariantList>

// Every user-visible text goes through L: the English text is the key, so an
// untranslated text shows in English.
QString L(const char *key);

// Fills a printf-style text ("%@", "%d", "%.1f", "%%") in order, numbers by
// the locale's rules.
QString fillFormat(const QString &format, const QVariantList &args, const QLocale &locale = QLocale());

template <typename... Args> QString L(const char *key, const Args &...args)
{
    return fillFormat(L(key), QVariantList{QVariant::fromValue(args)...});
}

// A short memory size such as "1.5 GB" or "640 MB" (binary units).
QString formatBytes(quint64 bytes, const QLocale &locale = QLocale());
