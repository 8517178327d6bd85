#include "view/grid.h"

#include <GL/gl.h>

#include <cmath>

namespace rdhost {

namespace {
constexpr long kMaxLinesPerSide = 1000;

// Maps in-plane coordinates (u, v) to 3D for each plane.
std::array<double, 3> inPlane(GridPlane plane, double u, double v) {
    switch (plane) {
    case GridPlane::XZ:
        return {u, 0.0, v};
    case GridPlane::XY:
        return {u, v, 0.0};
    case GridPlane::YZ:
        return {0.0, u, v};
    }
    return {u, 0.0, v};
}
}  // namespace

std::vector<GridLine> buildGrid(GridPlane plane, const GridSettings& s) {
    std::vector<GridLine> lines;
    if (!(s.halfSize > 0.0) || !(s.spacing > 0.0) || !std::isfinite(s.halfSize) || !std::isfinite(s.spacing))
        return lines;
    double count = std::floor(s.halfSize / s.spacing + 1e-9);
    long n = count > kMaxLinesPerSide ? kMaxLinesPerSide : static_cast<long>(count);
    const double h = s.halfSize;
    lines.reserve(static_cast<size_t>(2 * (2 * n + 1)));
    for (long k = -n; k <= n; ++k) {
        const double off = static_cast<double>(k) * s.spacing;
        GridLineKind kind = GridLineKind::Minor;
        if (k == 0)
            kind = GridLineKind::Axis;
        else if (s.majorEvery > 0 && k % s.majorEvery == 0)
            kind = GridLineKind::Major;
        lines.push_back({inPlane(plane, -h, off), inPlane(plane, h, off), kind});  // along u
        lines.push_back({inPlane(plane, off, -h), inPlane(plane, off, h), kind});  // along v
    }
    return lines;
}

std::array<float, 3> gridColor(GridLineKind kind) {
    switch (kind) {
    case GridLineKind::Minor:
        return {0.52f, 0.52f, 0.52f};
    case GridLineKind::Major:
        return {0.40f, 0.40f, 0.40f};
    case GridLineKind::Axis:
        return {0.15f, 0.15f, 0.15f};
    }
    return {0.5f, 0.5f, 0.5f};
}

void drawGrid(const std::vector<GridLine>& lines) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(1.0f);
    glBegin(GL_LINES);
    for (const GridLine& l : lines) {
        const auto c = gridColor(l.kind);
        glColor3f(c[0], c[1], c[2]);
        glVertex3d(l.a[0], l.a[1], l.a[2]);
        glVertex3d(l.b[0], l.b[1], l.b[2]);
    }
    glEnd();
    glPopAttrib();
}

}  // namespace rdhost
