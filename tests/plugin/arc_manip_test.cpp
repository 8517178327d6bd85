// The arc slider's manipulator container driven by the host's runtime, as a
// user would: its six manipulators, where the conversions place them for a
// given node and transform, and drags of each of them into the node.
#include "expect_near.h"
#include "manip_fixture.h"

#include "manip/manip_impl.h"

#include <cmath>
#include <string>

namespace {

using rdhost::ManipKind;
using rdhost::StockManip;

const double kDeg = M_PI / 180.0;

class ArcManipTest : public ManipFixture {
protected:
    void SetUp() override {
        ManipFixture::SetUp();
        arc = showArcSlider();
        ASSERT_NE(arc, nullptr);
    }

    // Placements as the host has them after a refresh.
    StockManip& manip(size_t i) {
        result("manipInfo arc1");
        return child(arc, i);
    }
    void drag(size_t i, double value) {
        rdhost::ShownManip& s = shown(arc);
        rdhost::dragManipValue(scene(), s, *s.state->children.at(i), value, "drag");
        scene().runIdle();
    }
    void dragTo(size_t i, const MPoint& p) {
        rdhost::ShownManip& s = shown(arc);
        rdhost::dragManipToPoint(scene(), s, *s.state->children.at(i), p, "drag");
        scene().runIdle();
    }

    rdhost::Node* arc = nullptr;
};

enum { kCurrent, kStart, kEnd, kRadius, kSize, kKey };

TEST_F(ArcManipTest, SixManipulatorsWithTheirNamesValuesAndPlugs) {
    const struct {
        const char* name;
        const char* value;
        ManipKind kind;
        const char* plug;
    } rows[] = {
        {"sweepManip", "Current Angle", ManipKind::CircleSweep, "currentAngle"},
        {"sweepManip", "start Angle", ManipKind::CircleSweep, "startAngle"},
        {"endSweepManip", "end Angle", ManipKind::CircleSweep, "endAngle"},
        {"arcRradiusManip", "arcRadius", ManipKind::Distance, "radius"},
        {"sizeManip", "size", ManipKind::Distance, "size"},
        {"setKeyManip", "setKey", ManipKind::Toggle, "KeyCurrentAngle"},
    };
    ASSERT_EQ(shown(arc).state->children.size(), 6u);
    EXPECT_EQ(shown(arc).type->name, "KelArcSliderManipulatorManip");
    EXPECT_EQ(shown(arc).type->id, 0x80670u);
    for (size_t i = 0; i < 6; ++i) {
        const StockManip& m = child(arc, i);
        SCOPED_TRACE(rows[i].value);
        EXPECT_EQ(m.name, rows[i].name);
        EXPECT_EQ(m.valueName, rows[i].value);
        EXPECT_EQ(m.kind, rows[i].kind);
        EXPECT_EQ(m.plug.node, arc);
        EXPECT_EQ(m.plug.attr, slot(arc, rows[i].plug));
    }
    // Sixteen registrations of seven callbacks.
    EXPECT_EQ(shown(arc).state->callbacks.size(), 16u);
}

TEST_F(ArcManipTest, FreshNodePlacements) {
    for (int i : {kCurrent, kStart, kEnd}) {
        const StockManip& m = manip(i);
        SCOPED_TRACE(m.valueName);
        EXPECT_VEC_NEAR(m.center, 0, 0, 0, 1e-9);
        EXPECT_VEC_NEAR(m.normal, 0, 1, 0, 1e-9);
        EXPECT_VEC_NEAR(m.startCircle, 3, 0, 0, 1e-6);
        EXPECT_NEAR(m.radius, 3.0, 1e-6);
    }
    EXPECT_NEAR(manip(kCurrent).angle, 3.1415, 1e-6);
    EXPECT_NEAR(manip(kStart).angle / kDeg, 16.0, 1e-4);  // 16.04 snapped down
    EXPECT_NEAR(manip(kEnd).angle / kDeg, 343.0, 1e-4);   // 343.77 snapped down

    const StockManip& radius = manip(kRadius);
    EXPECT_VEC_NEAR(radius.startPoint, 0, 0, 0, 1e-9);
    EXPECT_VEC_NEAR(radius.direction, 1, 0, 0, 1e-9);
    EXPECT_NEAR(radius.scalingFactor, 1.0, 1e-9);
    EXPECT_NEAR(radius.distance, 3.0, 1e-6);

    const StockManip& size = manip(kSize);
    EXPECT_VEC_NEAR(size.startPoint, 0, 0, 0, 1e-9);
    EXPECT_VEC_NEAR(size.direction, 0, 1, 0, 1e-9);

    // The key toggle sits on the far side of the arc, at the handle.
    const StockManip& key = manip(kKey);
    EXPECT_VEC_NEAR(key.startPoint, -3, 0, 0, 1e-3);
    EXPECT_VEC_NEAR(key.direction, -1, 0, 0, 1e-3);
    EXPECT_NEAR(key.length, 0.7, 1e-6);
    EXPECT_NEAR(std::atan2(-key.startPoint.z, key.startPoint.x), 3.1415, 1e-5);
}

TEST_F(ArcManipTest, StartAndEndSweepsFollowTheSnapSettings) {
    const struct {
        const char* script;
        double start, end;
    } cases[] = {
        {"setAttr arc1.snap 0", 0.28f / kDeg, 6.0f / kDeg},  // unrounded
        {"setAttr arc1.snap 1; setAttr arc1.snapValue 5", 15.0, 340.0},
        {"setAttr arc1.snapValue 0", 0.28f / kDeg, 6.0f / kDeg},  // zero step: unrounded
        {"setAttr arc1.snapValue 100", 0.0, 300.0},
        {"setAttr arc1.snapValue 1e-40", 0.28f / kDeg, 6.0f / kDeg},  // would overflow: unrounded
        // 31 degrees reads 30.999998 in single precision: still on its step.
        {"setAttr arc1.snapValue 1; setAttr arc1.startAngle 31; setAttr arc1.endAngle 100", 31.0, 100.0},
    };
    for (const auto& c : cases) {
        ok(c.script);
        EXPECT_NEAR(manip(kStart).angle / kDeg, c.start, 1e-3) << c.script;
        EXPECT_NEAR(manip(kEnd).angle / kDeg, c.end, 1e-3) << c.script;
        EXPECT_TRUE(std::isfinite(manip(kStart).angle)) << c.script;
    }
}

TEST_F(ArcManipTest, ScaleAndSizeSetTheRadiusButTheToggleFollowsSizeAlone) {
    const struct {
        const char* script;
        double R, scaling, toggle;
    } cases[] = {
        {"setAttr arcXf.scale 1 2 1", 6.0, 2.0, 0.7},
        {"setAttr arcXf.scale 1 1 1; setAttr arc1.size 2", 6.0, 2.0, 1.4},
        {"setAttr arcXf.scale 3 2 5", 12.0, 4.0, 1.4},  // only the Y scale counts
        {"setAttr arc1.radius 0.5", 2.0, 4.0, 1.4},
    };
    for (const auto& c : cases) {
        ok(c.script);
        SCOPED_TRACE(c.script);
        for (int i : {kCurrent, kStart, kEnd}) EXPECT_NEAR(manip(i).radius, c.R, 1e-5);
        EXPECT_NEAR(manip(kRadius).scalingFactor, c.scaling, 1e-6);
        EXPECT_NEAR(manip(kRadius).distance, c.R, 1e-5);
        EXPECT_NEAR(manip(kKey).length, c.toggle, 1e-6);
        EXPECT_NEAR(manip(kStart).startCircle.x, c.R, 1e-5);
        EXPECT_NEAR(manip(kKey).startPoint.x, -c.R, 1e-3);
    }
}

TEST_F(ArcManipTest, TransformMovesAndTurnsEveryPlacement) {
    // Rotating 90 degrees about Z turns +Y to -X and +X to +Y.
    ok("setAttr arcXf.translate 5 0 0; setAttr arcXf.rotateZ 90; setAttr arc1.currentAngle 90");
    for (int i : {kCurrent, kStart, kEnd}) {
        const StockManip& m = manip(i);
        EXPECT_VEC_NEAR(m.center, 5, 0, 0, 1e-6);
        EXPECT_VEC_NEAR(m.normal, -1, 0, 0, 1e-6);
        EXPECT_VEC_NEAR(m.startCircle, 5, 3, 0, 1e-5);
    }
    EXPECT_VEC_NEAR(manip(kRadius).startPoint, 5, 0, 0, 1e-6);
    EXPECT_VEC_NEAR(manip(kRadius).direction, 0, 1, 0, 1e-6);
    EXPECT_VEC_NEAR(manip(kSize).startPoint, 5, 0, 0, 1e-6);
    EXPECT_VEC_NEAR(manip(kSize).direction, -1, 0, 0, 1e-6);
    // The handle at 90 degrees: X turned a quarter about N = (-1, 0, 0).
    const StockManip& key = manip(kKey);
    EXPECT_VEC_NEAR(key.direction, 0, 0, -1, 1e-5);
    EXPECT_VEC_NEAR(key.startPoint, 5, 0, -3, 1e-5);
}

TEST_F(ArcManipTest, DraggingEachSweepSetsItsAngle) {
    drag(kCurrent, 90 * kDeg);
    EXPECT_NEAR(getNumber(arc, "currentAngle"), 90 * kDeg, 1e-6);
    EXPECT_EQ(getNumber(arc, "angleValue"), 90.0);
    EXPECT_VEC_NEAR(manip(kKey).startPoint, 0, 0, -3, 1e-5);

    drag(kStart, 30 * kDeg);
    EXPECT_NEAR(getNumber(arc, "startAngle"), 30 * kDeg, 1e-6);
    drag(kEnd, 200 * kDeg);
    EXPECT_NEAR(getNumber(arc, "endAngle"), 200 * kDeg, 1e-6);
    EXPECT_NEAR(manip(kEnd).angle / kDeg, 200.0, 1e-3);

    // A drag to a point of the circle: 270 degrees is (0, 0, 3) on the arc.
    dragTo(kCurrent, MPoint(0, 0, 3));
    EXPECT_NEAR(getNumber(arc, "currentAngle"), 270 * kDeg, 1e-6);
    EXPECT_EQ(getNumber(arc, "angleValue"), 270.0);
}

TEST_F(ArcManipTest, DraggingRadiusAndSizeRespectTheScalingFactor) {
    drag(kRadius, 4.0);
    EXPECT_NEAR(getNumber(arc, "radius"), 4.0, 1e-9);
    EXPECT_NEAR(manip(kCurrent).radius, 4.0, 1e-6);

    // With "size" 2 a drag to world distance 6 is a radius of 3.
    ok("setAttr arc1.size 2");
    dragTo(kRadius, MPoint(6, 0, 0));
    EXPECT_NEAR(getNumber(arc, "radius"), 3.0, 1e-6);
    EXPECT_NEAR(manip(kCurrent).radius, 6.0, 1e-6);

    drag(kSize, 1.5);
    EXPECT_NEAR(getNumber(arc, "size"), 1.5, 1e-9);
    EXPECT_NEAR(manip(kKey).length, 1.05, 1e-6);
    EXPECT_NEAR(manip(kRadius).scalingFactor, 1.5, 1e-6);
}

TEST_F(ArcManipTest, KeyToggleKeysTheCurrentAngleOncePerFlip) {
    EXPECT_TRUE(manip(kKey).toggle);  // a new node starts with the request on
    // Each flip of the toggle, on to off as well as off to on, keys once, and
    // the node switches the toggle off again.
    ok("currentTime 1");
    drag(kKey, 0.0);
    ok("currentTime 5; setAttr arc1.currentAngle 45");
    drag(kKey, 1.0);
    EXPECT_EQ(getNumber(arc, "KeyCurrentAngle"), 0.0);
    EXPECT_FALSE(manip(kKey).toggle);
    const rdhost::PlugRef src = arc->source(slot(arc, "currentAngle"));
    ASSERT_TRUE(src);
    EXPECT_EQ(src.node->type->name, "animCurveTA");
    EXPECT_EQ(result("keyframe -q -keyframeCount arc1.currentAngle"), "2");
    EXPECT_EQ(result("keyframe -q -valueChange arc1.currentAngle"), "179.9946913403481 45");
}

}  // namespace
