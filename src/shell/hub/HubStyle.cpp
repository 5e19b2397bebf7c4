#include "HubStyle.h"

namespace HubStyle {

QPalette palette()
{
    QPalette dark;
    const QColor text(255, 255, 255);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        dark.setColor(group, QPalette::Window, Qt::black);
        dark.setColor(group, QPalette::Base, QColor(28, 28, 30));
        dark.setColor(group, QPalette::AlternateBase, QColor(38, 38, 40));
        dark.setColor(group, QPalette::WindowText, text);
        dark.setColor(group, QPalette::Text, text);
        dark.setColor(group, QPalette::ButtonText, text);
        dark.setColor(group, QPalette::Button, QColor(58, 58, 60));
        dark.setColor(group, QPalette::Highlight, color(HaloColor::mic));
        dark.setColor(group, QPalette::HighlightedText, text);
        dark.setColor(group, QPalette::PlaceholderText, secondary());
        dark.setColor(group, QPalette::ToolTipBase, QColor(44, 44, 46));
        dark.setColor(group, QPalette::ToolTipText, text);
    }
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::PlaceholderText})
        dark.setColor(QPalette::Disabled, role, QColor(255, 255, 255, 90));
    dark.setColor(QPalette::Disabled, QPalette::Button, QColor(40, 40, 42));
    dark.setColor(QPalette::Disabled, QPalette::Window, Qt::black);
    return dark;
}

QColor color(const SrgbColor &c)
{
    return QColor::fromRgbF(float(c.red), float(c.green), float(c.blue));
}

QColor secondary()
{
    return QColor(255, 255, 255, 140);
}

QFont font(const QFont &base, int pixels, QFont::Weight weight)
{
    QFont f = base;
    f.setPixelSize(pixels);
    f.setWeight(weight);
    return f;
}

QString buttonSheet()
{
    return QStringLiteral(
        "QPushButton, QToolButton { color: white; background: rgba(255,255,255,30); border: none;"
        " border-radius: 6px; padding: 3px 10px; }"
        "QPushButton:hover, QToolButton:hover { background: rgba(255,255,255,48); }"
        "QPushButton:pressed, QToolButton:pressed { background: rgba(255,255,255,64); }"
        "QPushButton:disabled, QToolButton:disabled { color: rgba(255,255,255,90); }");
}

} // namespace HubStyle
