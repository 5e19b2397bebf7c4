#pragma once

#include <QList>
#include <QPointF>

// A small vector path built from QtCore types only, so the geometry of the
// halo can be computed and tested without a GUI. Corners are stored as
// arcs to tangent points (a corner point, an end point and a radius); the
// drawing side asks for `withCubicCorners()` and only has to know straight
// lines and cubic curves.
class OutlinePath {
public:
    enum class Step { MoveTo, LineTo, ArcTo, CubicTo, Close };
    struct Element {
        Step step = Step::MoveTo;
        QPointF to;        // end point of every step but Close
        QPointF corner;    // ArcTo: the corner the arc rounds; CubicTo: first control point
        QPointF control;   // CubicTo: second control point
        double radius = 0; // ArcTo
        bool operator==(const Element &) const = default;
    };

    void moveTo(QPointF to);
    void lineTo(QPointF to);
    // A circular arc of `radius` tangent to the line from the current point to
    // `corner` and to the line from `corner` to `to`; the path reaches the first
    // tangent point with a straight line and ends at the second one.
    void arcTo(QPointF corner, QPointF to, double radius);
    void close();

    const QList<Element> &elements() const { return m_elements; }
    bool isEmpty() const { return m_elements.isEmpty(); }
    bool isClosed() const { return !m_elements.isEmpty() && m_elements.last().step == Step::Close; }

    // The same outline with every arc replaced by a line to its first tangent
    // point and a cubic curve to its second.
    OutlinePath withCubicCorners() const;

    bool operator==(const OutlinePath &) const = default;

private:
    QList<Element> m_elements;
};
