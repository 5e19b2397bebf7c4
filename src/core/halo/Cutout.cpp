#include "Cutout.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>

QString Cutout::kindText(Kind kind)
{
    switch (kind) {
    case Kind::Notch:
        return QStringLiteral("notch");
    case Kind::Island:
        return QStringLiteral("island");
    case Kind::None:
        break;
    }
    return QStringLiteral("none");
}

Cutout::Cutout(Kind kind, const QRectF &rect, double cornerRadius)
    : m_kind(kind)
    , m_rect(rect)
    , m_cornerRadius(cornerRadius)
{}

Cutout Cutout::infer(const QRectF &screen, double safeTop, const QRectF &left, const QRectF &right,
                     double menuBarHeight)
{
    const auto isEmpty = [](const QRectF &area) { return area.width() == 0 || area.height() == 0; };
    const double width = right.left() - left.right();
    if (safeTop <= 0 || isEmpty(left) || isEmpty(right) || width <= 20)
        return virtualCutout(screen, menuBarHeight);

    const double screenTop = screen.top();
    const double bottom = screenTop + safeTop;
    // The higher of the two strips; a housing whose strips stop short of the
    // top edge floats below it.
    const double stripsTop = std::min(left.top(), right.top());
    if (stripsTop - screenTop > 1) {
        const double height = std::max(bottom - stripsTop, 1.0);
        return {Kind::Island, QRectF(left.right(), bottom - height, width, height), height * 0.5};
    }
    return {Kind::Notch, QRectF(left.right(), screenTop, width, safeTop), std::min(safeTop / 3, 10.0)};
}

Cutout Cutout::virtualCutout(const QRectF &screen, double menuBarHeight)
{
    const double bar = std::max(menuBarHeight, 24.0);
    return {Kind::None, QRectF(screen.center().x() - 95, screen.top(), 190, bar), 12};
}

namespace {

// What a display with a housing `width` by `height`, its top `below` the
// display's top edge, would report: the inset and the strips beside it.
Cutout inferHousing(const QRectF &screen, double width, double height, double below, double menuBarHeight)
{
    const QRectF left(screen.left(), screen.top() + below, (screen.width() - width) / 2, height);
    const QRectF right = left.translated(left.width() + width, 0);
    return Cutout::infer(screen, height + below, left, right, menuBarHeight);
}

} // namespace

std::optional<Cutout> Cutout::fake(const QString &value, const QRectF &screen, double menuBarHeight)
{
    if (value == QLatin1String("notch14"))
        return inferHousing(screen, 185, 32, 0, menuBarHeight);
    if (value == QLatin1String("notch16"))
        return inferHousing(screen, 200, 32, 0, menuBarHeight);
    if (value == QLatin1String("island"))
        return inferHousing(screen, 196, 34, 8, menuBarHeight);
    if (value == QLatin1String("none"))
        return virtualCutout(screen, menuBarHeight);

    const QLatin1String prefix("island:");
    if (!value.startsWith(prefix))
        return std::nullopt;
    QList<double> numbers;
    const QStringList pieces =
        value.mid(prefix.size()).split(QRegularExpression(QStringLiteral("[x+]")), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        bool ok = false;
        const double number = piece.toDouble(&ok);
        if (ok && std::isfinite(number))
            numbers.append(number);
    }
    // Wider or taller than the display, everything hung from it would lie off screen.
    if (numbers.size() != 3 || numbers[0] > screen.width() || numbers[1] + numbers[2] > screen.height())
        return std::nullopt;
    return inferHousing(screen, numbers[0], numbers[1], numbers[2], menuBarHeight);
}

double Cutout::gap(double screenTop) const
{
    return std::max(0.0, m_rect.top() - screenTop);
}

OutlinePath Cutout::outline(QSizeF size, const QRectF &in, double topInset, double radius, bool closed) const
{
    const double left = in.center().x() - size.width() / 2;
    const double right = in.center().x() + size.width() / 2;
    const double top = in.top() + topInset;
    const double bottom = top + size.height();
    double r = std::min(size.width() / 2, radius);

    OutlinePath path;
    if (m_kind == Kind::Island) {
        r = std::min(size.height() / 2, r);
        path.moveTo({left + r, top});
        path.lineTo({right - r, top});
        path.arcTo({right, top}, {right, top + r}, r);
        path.lineTo({right, bottom - r});
        path.arcTo({right, bottom}, {right - r, bottom}, r);
        path.lineTo({left + r, bottom});
        path.arcTo({left, bottom}, {left, bottom - r}, r);
        path.lineTo({left, top + r});
        path.arcTo({left, top}, {left + r, top}, r);
        path.close();
        return path;
    }

    r = std::min(size.height(), r);
    path.moveTo({left, top});
    path.lineTo({left, bottom - r});
    path.arcTo({left, bottom}, {left + r, bottom}, r);
    path.lineTo({right - r, bottom});
    path.arcTo({right, bottom}, {right, bottom - r}, r);
    path.lineTo({right, top});
    if (closed)
        path.close();
    return path;
}
