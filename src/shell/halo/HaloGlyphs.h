#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QString>

// Symbols drawn once per name and colour for the life of the halo, so
// lighting it again costs no SVG rendering.
class HaloGlyphs {
public:
    QImage glyph(const QString &symbol, const QColor &color, QSize size);

private:
    QHash<QString, QImage> m_images;
};
