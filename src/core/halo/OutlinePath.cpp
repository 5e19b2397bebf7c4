#include "OutlinePath.h"

#include <QLineF>

#include <algorithm>
#include <cmath>

void OutlinePath::moveTo(QPointF to)
{
    m_elements.append({Step::MoveTo, to, {}, {}, 0});
}

void OutlinePath::lineTo(QPointF to)
{
    m_elements.append({Step::LineTo, to, {}, {}, 0});
}

void OutlinePath::arcTo(QPointF corner, QPointF to, double radius)
{
    m_elements.append({Step::ArcTo, to, corner, {}, radius});
}

void OutlinePath::close()
{
    m_elements.append({Step::Close, {}, {}, {}, 0});
}

namespace {

QPointF unit(QPointF vector)
{
    const double length = std::hypot(vector.x(), vector.y());
    return length > 0 ? vector / length : QPointF();
}

double dot(QPointF a, QPointF b)
{
    return a.x() * b.x() + a.y() * b.y();
}

} // namespace

OutlinePath OutlinePath::withCubicCorners() const
{
    OutlinePath result;
    QPointF current;
    for (const Element &element : m_elements) {
        if (element.step != Step::ArcTo) {
            result.m_elements.append(element);
            if (element.step != Step::Close)
                current = element.to;
            continue;
        }
        const QPointF back = unit(current - element.corner);
        const QPointF ahead = unit(element.to - element.corner);
        const double cosine = std::clamp(dot(back, ahead), -1.0, 1.0);
        const double between = std::acos(cosine); // angle at the corner
        // No radius, or the three points on one line: the corner stays sharp.
        if (element.radius <= 0 || back.isNull() || ahead.isNull() || between < 1e-9 ||
            M_PI - between < 1e-9) {
            result.lineTo(element.corner);
            current = element.corner;
            continue;
        }
        const double toTangent = element.radius / std::tan(between / 2);
        const QPointF first = element.corner + back * toTangent;
        const QPointF second = element.corner + ahead * toTangent;
        // Control points for a circular arc that sweeps pi - between.
        const double handle = 4.0 / 3.0 * std::tan((M_PI - between) / 4) * element.radius;
        result.lineTo(first);
        result.m_elements.append({Step::CubicTo, second, first - back * handle, second - ahead * handle, 0});
        current = second;
    }
    return result;
}
