#include "PainterPath.h"

QPainterPath toPainterPath(const OutlinePath &outline)
{
    QPainterPath path;
    const OutlinePath cubic = outline.withCubicCorners();
    for (const OutlinePath::Element &element : cubic.elements()) {
        switch (element.step) {
        case OutlinePath::Step::MoveTo:
            path.moveTo(element.to);
            break;
        case OutlinePath::Step::LineTo:
            path.lineTo(element.to);
            break;
        case OutlinePath::Step::CubicTo:
            path.cubicTo(element.corner, element.control, element.to);
            break;
        case OutlinePath::Step::Close:
            path.closeSubpath();
            break;
        case OutlinePath::Step::ArcTo: // withCubicCorners() leaves none
            break;
        }
    }
    return path;
}
