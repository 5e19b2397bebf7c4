#include "HaloGlyphs.h"

#include "Symbols.h"

QImage HaloGlyphs::glyph(const QString &symbol, const QColor &color, QSize size)
{
    // Drawn at twice the size, which stays sharp on the usual displays.
    const QString key = symbol + QLatin1Char(' ') + color.name(QColor::HexArgb) + QLatin1Char(' ') +
                        QString::number(size.width()) + QLatin1Char('x') + QString::number(size.height());
    auto found = m_images.constFind(key);
    if (found == m_images.constEnd())
        found = m_images.insert(key, Symbols::tinted(symbol, color, size, 2));
    return *found;
}
