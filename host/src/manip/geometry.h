// What the stock manipulators draw, as plain geometry that tests can check;
// submitManipGeometry is the only place that talks to GL.
#pragma once

#include <maya/MPoint.h>
#include <maya/MVector.h>

#include <array>
#include <vector>

namespace rdhost {

struct StockManip;

struct ManipPrimitive {
    enum Kind { Lines, LineStrip, LineLoop, Polygon };
    Kind kind = Lines;
    std::array<float, 4> color{1, 1, 1, 1};
    std::vector<MPoint> points;  // world space
};
using ManipGeometry = std::vector<ManipPrimitive>;

// Size of handles and markers, in world units, at manipulator scale 1.
constexpr double kManipHandleSize = 0.1;
constexpr int kManipCircleSegments = 64;

// The line from start along direction (extended to reach the current point)
// and a handle, a small square cross-hair, at the current point.
ManipGeometry distanceGeometry(const MPoint& start, const MVector& direction, const MPoint& current,
                               bool drawStart, bool drawLine, double scale = 1.0);
// A marker `length` long from start along direction, ending in a square that
// is filled when on and outlined when off.
ManipGeometry toggleGeometry(const MPoint& start, const MVector& direction, double length, bool on,
                             double scale = 1.0);
// The full circle (unless drawn as an arc only), the arc swept from the start
// circle point through `angle` (radians, about the normal, right-handed), the
// two radii bounding it and a handle at the arc's end.
ManipGeometry circleSweepGeometry(const MPoint& center, const MVector& normal, double radius,
                                  const MPoint& startCircle, double angle, double scale = 1.0,
                                  bool fullCircle = true);

// The geometry of a refreshed stock manipulator.
ManipGeometry geometryOf(const StockManip& manip);

// Issues the primitives with immediate-mode GL; lighting off, colours as given.
void submitManipGeometry(const ManipGeometry& geometry);

}  // namespace rdhost
