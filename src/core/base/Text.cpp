#include "Text.h"

#include <QRegularExpression>

#include <cmath>

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
    return Text::tr("Unnamed app");
}

QString minutesTimeFormat(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(QRegularExpression(QStringLiteral("[:.]ss?")));
    return format;
}
