// What the stock manipulators draw: the plain geometry, and the container's
// draw through the viewport's overlay in a real GL context.
#include "manip_fixture.h"

#include "gl_capture.h"
#include "manip/geometry.h"
#include "view/viewport.h"

#include <cmath>

namespace {

using rdhost::ManipPrimitive;

const double kPi = 3.14159265358979323846;

double dist(const MPoint& a, const MPoint& b) { return a.distanceTo(b); }

bool finitePoints(const rdhost::ManipGeometry& g) {
    for (const auto& p : g)
        for (const MPoint& q : p.points)
            if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z)) return false;
    return true;
}

TEST(ManipGeometryTest, DistanceLineReachesTheHandle) {
    struct Case {
        MPoint start, current;
        MVector direction;
        MPoint lineFrom, lineTo;
    };
    const Case cases[] = {
        {MPoint(0, 0, 0), MPoint(0, 2.5, 0), MVector(0, 5, 0), MPoint(0, 0, 0), MPoint(0, 5, 0)},
        {MPoint(1, 0, 0), MPoint(1, 8, 0), MVector(0, 5, 0), MPoint(1, 0, 0), MPoint(1, 8, 0)},    // beyond
        {MPoint(1, 0, 0), MPoint(1, -2, 0), MVector(0, 5, 0), MPoint(1, -2, 0), MPoint(1, 5, 0)},  // behind
        {MPoint(0, 0, 0), MPoint(0, 0, 0), MVector(0, 0, 0), MPoint(0, 0, 0), MPoint(0, 0, 0)},  // collapsed
    };
    for (const Case& c : cases) {
        const rdhost::ManipGeometry g = rdhost::distanceGeometry(c.start, c.direction, c.current, true, true);
        ASSERT_FALSE(g.empty());
        EXPECT_TRUE(finitePoints(g));
        ASSERT_EQ(g[0].kind, ManipPrimitive::Lines);
        EXPECT_LT(dist(g[0].points[0], c.lineFrom), 1e-12);
        EXPECT_LT(dist(g[0].points[1], c.lineTo), 1e-12);
        // The filled handle is centred on the current point.
        const ManipPrimitive* handle = nullptr;
        for (const auto& p : g)
            if (p.kind == ManipPrimitive::Polygon) handle = &p;
        ASSERT_NE(handle, nullptr);
        MVector centre;
        for (const MPoint& q : handle->points) centre += MVector(q) / double(handle->points.size());
        EXPECT_LT(dist(MPoint(centre), c.current), 1e-12);
    }
    // Without line or start marker only the handle remains.
    const rdhost::ManipGeometry bare =
        rdhost::distanceGeometry(MPoint(), MVector(0, 1, 0), MPoint(0, 1, 0), false, false);
    for (const auto& p : bare) EXPECT_LT(dist(p.points[0], MPoint(0, 1, 0)), 0.3);
}

TEST(ManipGeometryTest, ToggleIsFilledOnlyWhenOn) {
    for (bool on : {false, true}) {
        const rdhost::ManipGeometry g = rdhost::toggleGeometry(MPoint(0, 2.5, 0), MVector(-2, 0, 0), 0.5, on);
        ASSERT_EQ(g.size(), 2u);
        EXPECT_LT(dist(g[0].points[1], MPoint(-0.5, 2.5, 0)), 1e-12);  // length along the unit direction
        EXPECT_EQ(g[1].kind, on ? ManipPrimitive::Polygon : ManipPrimitive::LineLoop);
    }
    EXPECT_TRUE(finitePoints(rdhost::toggleGeometry(MPoint(), MVector(), 1.0, true)));
}

TEST(ManipGeometryTest, SweepArcRunsFromStartPointThroughAngle) {
    struct Case {
        MVector normal;
        MPoint start;
        double angle;
        MPoint end;
    };
    const Case cases[] = {
        {MVector(0, 1, 0), MPoint(3, 0, 0), kPi, MPoint(-3, 0, 0)},
        {MVector(0, 1, 0), MPoint(3, 0, 0), kPi / 2, MPoint(0, 0, -3)},  // right-handed about +Y
        {MVector(0, 0, 1), MPoint(0, 3, 0), -kPi / 2, MPoint(3, 0, 0)},
        {MVector(0, 0, 2), MPoint(3, 0, 0), 0.0, MPoint(3, 0, 0)},
    };
    for (const Case& c : cases) {
        const rdhost::ManipGeometry g =
            rdhost::circleSweepGeometry(MPoint(), c.normal, 3.0, c.start, c.angle);
        ASSERT_GE(g.size(), 2u);
        EXPECT_EQ(g[0].kind, ManipPrimitive::LineLoop);
        EXPECT_EQ(g[0].points.size(), size_t(rdhost::kManipCircleSegments));
        for (const MPoint& q : g[0].points) {
            EXPECT_NEAR(q.distanceTo(MPoint()), 3.0, 1e-12);
            EXPECT_NEAR(MVector(q) * c.normal.normal(), 0.0, 1e-12);
        }
        const ManipPrimitive& arc = g[1];
        EXPECT_LT(dist(arc.points.front(), c.start), 1e-12);
        EXPECT_LT(dist(arc.points.back(), c.end), 1e-9) << c.angle;
    }
    // Drawn as an arc: no full circle.
    const rdhost::ManipGeometry arcOnly =
        rdhost::circleSweepGeometry(MPoint(), MVector(0, 1, 0), 3.0, MPoint(3, 0, 0), 1.0, 1.0, false);
    for (const auto& p : arcOnly) EXPECT_NE(p.kind, ManipPrimitive::LineLoop);
    // Degenerate input stays finite and bounded.
    const rdhost::ManipGeometry wild = rdhost::circleSweepGeometry(MPoint(), MVector(), 0.0, MPoint(), 1e12);
    EXPECT_TRUE(finitePoints(wild));
    EXPECT_LE(wild[1].points.size(), size_t(4 * rdhost::kManipCircleSegments + 1));
}

TEST_F(ManipFixture, ContainerDrawsItsManipulatorsInWorldSpace) {
    makeProbe();
    ok("setAttr xf.translate 1 2 3; setAttr probe1.flag 1; showManip probe1");
    rdhost::Viewport& vp = rdhost::viewportFor(scene());
    ASSERT_EQ(vp.overlays.size(), 1u);
    EXPECT_EQ(vp.overlays[0].type, "manipProbeManip");
    rdtest::Capture c = rdtest::captureDraw(scene(), [&](M3dView& view) { vp.overlays[0].draw(view); });
    EXPECT_TRUE(c.balanced());
    EXPECT_TRUE(c.warnings.empty());
    // The distance manipulator's line, start to start + direction.
    bool track = false;
    for (const rdtest::Line& l : c.lines)
        track = track ||
                (std::fabs(l.a.x - 1) < 1e-5 && std::fabs(l.a.y - 2) < 1e-5 && std::fabs(l.a.z - 3) < 1e-5 &&
                 std::fabs(l.b.x - 1) < 1e-5 && std::fabs(l.b.y - 4) < 1e-5 && std::fabs(l.b.z - 3) < 1e-5);
    EXPECT_TRUE(track);
    // Handles and the "on" toggle are filled; the sweeps' circles are lines
    // at radius 2 around the transform's position.
    EXPECT_GE(c.polygons.size(), 4u);
    int onCircle = 0;
    for (const rdtest::Line& l : c.lines)
        if (std::fabs(std::hypot(l.a.x - 1, l.a.y - 2) - 2.0) < 1e-4 && std::fabs(l.a.z - 3) < 1e-5)
            ++onCircle;
    EXPECT_GE(onCircle, rdhost::kManipCircleSegments);

    // Hidden manipulators are not drawn.
    for (auto& m : shown(scene().findNode("probe1")).state->children) m->visible = false;
    rdtest::Capture none = rdtest::captureDraw(scene(), [&](M3dView& view) { vp.overlays[0].draw(view); });
    EXPECT_TRUE(none.lines.empty());
    EXPECT_TRUE(none.polygons.empty());
}

}  // namespace
