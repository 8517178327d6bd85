// Stock manipulator geometry and its GL submission.
#include "manip/geometry.h"

#include "manip/manip_impl.h"

#include <maya/MQuaternion.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace rdhost {

namespace {

const double kTwoPi = 6.283185307179586476925286766559;

const std::array<float, 4> kLineColor{0.1f, 0.45f, 1.0f, 1.0f};
const std::array<float, 4> kHandleColor{1.0f, 1.0f, 0.0f, 1.0f};
const std::array<float, 4> kToggleOffColor{0.9f, 0.15f, 0.15f, 1.0f};
const std::array<float, 4> kToggleOnColor{0.15f, 0.9f, 0.25f, 1.0f};
const std::array<float, 4> kCircleColor{0.55f, 0.55f, 0.1f, 1.0f};
const std::array<float, 4> kArcColor{1.0f, 0.85f, 0.0f, 1.0f};

// Two unit vectors spanning the plane perpendicular to n (n unit or zero).
void planeAxes(const MVector& n, MVector& u, MVector& v) {
    u = n ^ MVector(0.0, 0.0, 1.0);
    if (u.length() < 1e-6) u = n ^ MVector(1.0, 0.0, 0.0);
    if (u.length() < 1e-12) u = MVector(1.0, 0.0, 0.0);
    u.normalize();
    v = n ^ u;
    if (v.length() < 1e-12) v = MVector(0.0, 1.0, 0.0);
    v.normalize();
}

// A square of half-size h around p, in the plane perpendicular to `facing`.
ManipPrimitive square(const MPoint& p, const MVector& facing, double h, bool filled,
                      const std::array<float, 4>& color) {
    MVector u, v;
    planeAxes(facing.normal(), u, v);
    ManipPrimitive sq;
    sq.kind = filled ? ManipPrimitive::Polygon : ManipPrimitive::LineLoop;
    sq.color = color;
    sq.points = {p + (u + v) * h, p + (v - u) * h, p - (u + v) * h, p + (u - v) * h};
    return sq;
}

// Cross-hair handle: three short segments through p along the axes.
ManipPrimitive crossHair(const MPoint& p, double h, const std::array<float, 4>& color) {
    ManipPrimitive c;
    c.kind = ManipPrimitive::Lines;
    c.color = color;
    const MVector axes[3] = {MVector::xAxis, MVector::yAxis, MVector::zAxis};
    for (const MVector& a : axes) {
        c.points.push_back(p - a * h);
        c.points.push_back(p + a * h);
    }
    return c;
}

}  // namespace

ManipGeometry distanceGeometry(const MPoint& start, const MVector& direction, const MPoint& current,
                               bool drawStart, bool drawLine, double scale) {
    ManipGeometry g;
    const double h = kManipHandleSize * scale;
    const MVector dirN = direction.normal();
    if (drawLine) {
        MPoint end = start + direction;
        // Reach the handle even when it lies beyond the direction's length or behind the start.
        const double along = (current - start) * dirN;
        MPoint from = start;
        if (along > direction.length()) end = start + dirN * along;
        if (along < 0.0) from = start + dirN * along;
        ManipPrimitive line;
        line.kind = ManipPrimitive::Lines;
        line.color = kLineColor;
        line.points = {from, end};
        g.push_back(line);
    }
    if (drawStart) g.push_back(square(start, dirN, h * 0.5, false, kLineColor));
    g.push_back(square(current, dirN, h, true, kHandleColor));
    g.push_back(crossHair(current, h * 1.5, kHandleColor));
    return g;
}

ManipGeometry toggleGeometry(const MPoint& start, const MVector& direction, double length, bool on,
                             double scale) {
    ManipGeometry g;
    const MVector dirN = direction.normal();
    const MPoint end = start + dirN * length;
    ManipPrimitive stem;
    stem.kind = ManipPrimitive::Lines;
    stem.color = on ? kToggleOnColor : kToggleOffColor;
    stem.points = {start, end};
    g.push_back(stem);
    // The square is a quarter of the marker's length, but never vanishes.
    const double h = std::max(std::fabs(length) * 0.125, kManipHandleSize * 0.5 * scale);
    g.push_back(square(end, dirN, h, on, on ? kToggleOnColor : kToggleOffColor));
    return g;
}

ManipGeometry circleSweepGeometry(const MPoint& center, const MVector& normal, double radius,
                                  const MPoint& startCircle, double angle, double scale, bool fullCircle) {
    ManipGeometry g;
    const MVector n = normal.normal();
    MVector u, v;
    planeAxes(n, u, v);
    MVector radial = startCircle - center;
    radial -= n * (radial * n);
    if (radial.length() < 1e-12) radial = u;
    radial.normalize();
    const MVector side = n ^ radial;  // a quarter turn from radial about n

    if (fullCircle) {
        ManipPrimitive circle;
        circle.kind = ManipPrimitive::LineLoop;
        circle.color = kCircleColor;
        for (int i = 0; i < kManipCircleSegments; ++i) {
            const double a = kTwoPi * i / kManipCircleSegments;
            circle.points.push_back(center + (radial * std::cos(a) + side * std::sin(a)) * radius);
        }
        g.push_back(circle);
    }

    // The arc: one segment per 1/64 turn, at least one; past a few turns it
    // only winds over itself, so the count is bounded.
    const double sweep = std::isfinite(angle) ? angle : 0.0;
    const double wanted = std::ceil(std::fabs(sweep) / kTwoPi * kManipCircleSegments);
    const int steps = static_cast<int>(std::min(std::max(wanted, 1.0), 4.0 * kManipCircleSegments));
    ManipPrimitive arc;
    arc.kind = ManipPrimitive::LineStrip;
    arc.color = kArcColor;
    for (int i = 0; i <= steps; ++i) {
        const double a = sweep * i / steps;
        arc.points.push_back(center + (radial * std::cos(a) + side * std::sin(a)) * radius);
    }
    const MPoint endPoint = arc.points.back();
    g.push_back(arc);

    ManipPrimitive radii;
    radii.kind = ManipPrimitive::Lines;
    radii.color = kArcColor;
    radii.points = {center, arc.points.front(), center, endPoint};
    g.push_back(radii);
    g.push_back(square(endPoint, n, kManipHandleSize * scale, true, kHandleColor));
    return g;
}

ManipGeometry geometryOf(const StockManip& m) {
    switch (m.kind) {
    case ManipKind::Distance:
        return distanceGeometry(m.startPoint, m.direction, m.currentPoint, m.drawStart, m.drawLine,
                                m.manipScale);
    case ManipKind::Toggle:
        return toggleGeometry(m.startPoint, m.direction, m.length, m.toggle, m.manipScale);
    case ManipKind::CircleSweep:
        return circleSweepGeometry(m.center, m.normal, m.radius, m.startCircle, m.angle, m.manipScale,
                                   !m.drawAsArc);
    }
    return {};
}

void submitManipGeometry(const ManipGeometry& geometry) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POLYGON_BIT);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    for (const ManipPrimitive& p : geometry) {
        GLenum mode = GL_LINES;
        switch (p.kind) {
        case ManipPrimitive::Lines:
            mode = GL_LINES;
            break;
        case ManipPrimitive::LineStrip:
            mode = GL_LINE_STRIP;
            break;
        case ManipPrimitive::LineLoop:
            mode = GL_LINE_LOOP;
            break;
        case ManipPrimitive::Polygon:
            mode = GL_POLYGON;
            break;
        }
        glColor4f(p.color[0], p.color[1], p.color[2], p.color[3]);
        glBegin(mode);
        for (const MPoint& q : p.points) glVertex3d(q.x, q.y, q.z);
        glEnd();
    }
    glPopAttrib();
}

}  // namespace rdhost
