#include "Text.h"

#include <QCoreApplication>

#include <cmath>

QString L(const char *key)
{
    return QCoreApplication::translate("Tarnwick", key);
}

namespace {

QString formatArgument(const QVariant &arg, QChar conversion, int precision, const QLocale &locale)
{
    switch (conversion.unicode()) {
    case 'd':
    case 'i':
    case 'u':
        return locale.toString(arg.toLongLong());
    case 'f':
        return locale.toString(arg.toDouble(), 'f', precision < 0 ? 6 : precision);
    default:
        return arg.toString();
    }
}

} // namespace

QString fillFormat(const QString &format, const QVariantList &args, const QLocale &locale)
{
    QString out;
    out.reserve(format.size() + 16);
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        qsizetype j = i + 1;
        if (format.at(j) == QLatin1Char('%')) {
            out += QLatin1Char('%');
            i = j;
            continue;
        }
        int precision = -1;
        if (format.at(j) == QLatin1Char('.')) {
            precision = 0;
            while (++j < format.size() && format.at(j).isDigit())
                precision = precision * 10 + format.at(j).digitValue();
        }
        while (j < format.size() && format.at(j) == QLatin1Char('l'))
            ++j;
        if (j >= format.size() || !QStringLiteral("@diuf").contains(format.at(j)) || next >= args.size()) {
            out += c; // not a placeholder we fill: keep the text as written
            continue;
        }
        out += formatArgument(args.at(next++), format.at(j), precision, locale);
        i = j;
    }
    return out;
}

QString formatBytes(quint64 bytes, const QLocale &locale)
{
    // Round half to even, as a platform number formatter does.
    const double gigabytes = double(bytes) / 1073741824.0;
    if (gigabytes >= 1.0)
        return locale.toString(std::nearbyint(gigabytes * 10.0) / 10.0, 'f', 1) + QStringLiteral(" GB");
    const double megabytes = double(bytes) / 1048576.0;
    const double shown = megabytes > 0 ? std::max(megabytes, 1.0) : 0.0;
    return locale.toString(std::nearbyint(shown), 'f', 0) + QStringLiteral(" MB");
}

namespace {

enum class Kept { Shown, Break, Dropped };

Kept kind(char32_t c)
{
    if (c == QChar::ReplacementCharacter)
        return Kept::Dropped;
    // Joiners hold emoji sequences together; every other format character
    // (bidirectional overrides among them) could disguise a name.
    if (c == 0x200C || c == 0x200D)
        return Kept::Shown;
    if (QChar::isSpace(c))
        return Kept::Break;
    switch (QChar::category(c)) {
    case QChar::Other_Control: // a line break or tab between two words still parts them
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return Kept::Break;
    case QChar::Other_Format:
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
    case QChar::Other_Surrogate:
        return Kept::Dropped;
    default:
        return Kept::Shown;
    }
}

} // namespace

QString cleanName(const QString &raw)
{
    QString out;
    bool pendingSpace = false;
    // Lone surrogates come out of toUcs4 as replacement characters.
    for (const char32_t c : raw.toUcs4()) {
        const Kept k = kind(c);
        if (k != Kept::Shown) {
            pendingSpace = pendingSpace || k == Kept::Break;
            continue;
        }
        const QString shown = QString::fromUcs4(&c, 1);
        const qsizetype space = pendingSpace && !out.isEmpty() ? 1 : 0;
        if (out.size() + space + shown.size() > maxNameLength)
            break;
        if (space)
            out += QLatin1Char(' ');
        out += shown;
        pendingSpace = false;
    }
    return out;
}

QString shownName(std::initializer_list<QString> names)
{
    for (const QString &name : names) {
        const QString clean = cleanName(name);
        if (!clean.isEmpty())
            return clean;
    }
    return L("Unnamed app");
}
