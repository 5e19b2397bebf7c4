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
