#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QString>

#include <initializer_list>

// Every user-visible text is Text::tr("English text"), all in the one
// translation context "Tarnwick", so lupdate finds each of them. Placeholders
// are %1, %2 … filled with QString::arg, so a translation may reorder them; a
// text with a count passes it: tr("%n items on the shelf", nullptr, n), and a
// translation gives every plural form its language has.
class Text {
    Q_DECLARE_TR_FUNCTIONS(Tarnwick)

public:
    Text() = delete;
};

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

// The locale's short time format without seconds, which some locales'
// short format carries ("14:30", "2:30 PM").
QString minutesTimeFormat(const QLocale &locale = QLocale());

// A short memory size such as "1.5 GB" or "640 MB" (binary units).
QString formatBytes(quint64 bytes, const QLocale &locale = QLocale());
