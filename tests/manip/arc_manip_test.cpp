// The rigDials arc slider's container driven by the runtime: a callback that
// changes other manipulators (radius, snapped sweep angles) is honoured in the
// placements a query reports.
#include "manip_fixture.h"

namespace {

class ArcManipTest : public ManipFixture {
protected:
    void SetUp() override {
        ManipFixture::SetUp();
        showArcSlider();
    }
    rdhost::StockManip& manip(size_t i) { return child(scene().findNode("arc1"), i); }
};

TEST_F(ArcManipTest, SweepsFollowRadiusSizeScaleAndSnap) {
    struct Case {
        const char* script;
        double radius, startDeg, endDeg, scaling, toggleLength;
    };
    const Case cases[] = {
        {"", 3, 16, 343, 1, 0.7},
        {"setAttr arc1.snap 0", 3, 16.042818, 343.774677, 1, 0.7},
        {"setAttr arc1.snap 1; setAttr arc1.snapValue 5", 3, 15, 340, 1, 0.7},
        {"setAttr arcXf.sy 2", 6, 15, 340, 2, 0.7},
        {"setAttr arc1.size 2", 12, 15, 340, 4, 1.4},
    };
    const double kDeg = 180.0 / 3.14159265358979323846;
    for (const Case& c : cases) {
        if (*c.script) ok(c.script);
        result("manipInfo arc1");
        for (size_t sweep = 0; sweep < 3; ++sweep)
            EXPECT_NEAR(manip(sweep).radius, c.radius, 1e-5) << c.script;
        EXPECT_NEAR(manip(1).angle * kDeg, c.startDeg, 1e-4) << c.script;
        EXPECT_NEAR(manip(2).angle * kDeg, c.endDeg, 1e-4) << c.script;
        EXPECT_NEAR(manip(3).scalingFactor, c.scaling, 1e-6) << c.script;
        EXPECT_NEAR(manip(3).distance, c.radius, 1e-5) << c.script;  // the radius conversion's value
        EXPECT_NEAR(manip(5).length, c.toggleLength, 1e-6) << c.script;
    }
}

TEST_F(ArcManipTest, DraggingTheHandleSweepMovesTheKeyToggle) {
    ok("dragManip arc1 \"Current Angle\" 90");
    EXPECT_EQ(result("getAttr arc1.angleValue"), "90");
    result("manipInfo arc1");
    // A quarter turn about +Y takes +X to -Z.
    EXPECT_NEAR(manip(5).startPoint.x, 0.0, 1e-5);
    EXPECT_NEAR(manip(5).startPoint.z, -3.0, 1e-5);
    // The sweeps share the name "sweepManip": it names neither.
    EXPECT_NE(error("dragManip arc1 sweepManip 10").find("'Current Angle', 'start Angle'"),
              std::string::npos);
}

}  // namespace
