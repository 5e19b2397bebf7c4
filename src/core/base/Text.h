#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <initializer_list>

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

// A name another program chose (a process, an application, an audio client),
// made safe to show and to write on one line: control, format and separator
// characters and replacement characters (from bytes that were not UTF-8) go,
// runs of white space become one space, and it is cut to `maxNameLength`
// characters. Empty when nothing readable remains.
constexpr qsizetype maxNameLength = 64;
QString cleanName(const QString &raw);
// The first of `names` with something readable left, cleaned; "Unnamed app"
// when none has.
QString shownName(std::initializer_list<QString> names);

// A short memory size such as "1.5 GB" or "640 MB" (binary units).
QString formatBytes(quint64 bytes, const QLocale &locale = QLocale());
