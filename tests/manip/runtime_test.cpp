// The manipulator runtime through the host, as a user and a container see it:
// placements from conversion callbacks, drags reaching plugs, manipInfo, and
// the containers' lifetime.
#include "manip_fixture.h"

#include "manip/manip_impl.h"
#include "view/viewport.h"

#include <maya/MFnDistanceManip.h>
#include <maya/MFnToggleManip.h>

#include <cmath>

namespace {

using rdhost::ManipKind;

const double kPi = 3.14159265358979323846;

TEST_F(ManipFixture, ManipInfoListsChildrenWithCallbackPlacements) {
    makeProbe();
    ok("setAttr xf.translate 1 2 3; showManip probe1");
    EXPECT_EQ(result("manipInfo probe1"),
              "[{\"name\": \"reachManip\", \"kind\": \"distance\", \"plug\": \"probe1.reach\", "
              "\"startPoint\": [1, 2, 3], \"direction\": [0, 2, 0], \"currentPoint\": [1, 3, 3], "
              "\"scalingFactor\": 1, \"value\": 1}, "
              "{\"name\": \"flagManip\", \"kind\": \"toggle\", \"plug\": \"probe1.flag\", "
              "\"startPoint\": [1, 3, 3], \"direction\": [-1, 0, 0], \"length\": 0.5, \"value\": false}, "
              "{\"name\": \"turnManip\", \"kind\": \"circleSweep\", \"plug\": \"probe1.turn\", "
              "\"center\": [1, 2, 3], \"normal\": [0, 0, 1], \"startCirclePoint\": [3, 2, 3], "
              "\"radius\": 2, \"angle\": 28.64789}, "
              "{\"name\": \"turnManip\", \"kind\": \"circleSweep\", \"plug\": \"probe1.turnTwo\", "
              "\"center\": [1, 2, 3], \"normal\": [0, 0, 1], \"startCirclePoint\": [3, 2, 3], "
              "\"radius\": 2, \"angle\": 0}]");
}

TEST_F(ManipFixture, PlacementsFollowPlugsAndTransformOnEveryQuery) {
    rdhost::Node* probe = makeProbe();
    ok("showManip probe1");
    struct Case {
        const char* script;
        double start[3], current[3], scaling;
    };
    const Case cases[] = {
        {"setAttr probe1.reach 1.5", {0, 0, 0}, {0, 1.5, 0}, 1},
        {"setAttr probe1.gain 2", {0, 0, 0}, {0, 3, 0}, 2},
        {"setAttr xf.translate 5 0 0", {5, 0, 0}, {5, 3, 0}, 2},
        {"setAttr xf.rotateZ 90", {5, 0, 0}, {2, 0, 0}, 2},  // +Y turned to -X
        {"setAttr probe1.reach -1", {5, 0, 0}, {7, 0, 0}, 2},
        {"setAttr probe1.gain 0", {5, 0, 0}, {5, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        ok(c.script);
        result("manipInfo probe1");  // a query refreshes
        const rdhost::StockManip& m = child(probe, 0);
        EXPECT_NEAR(m.startPoint.x, c.start[0], 1e-9) << c.script;
        EXPECT_NEAR(m.startPoint.y, c.start[1], 1e-9) << c.script;
        EXPECT_NEAR(m.currentPoint.x, c.current[0], 1e-9) << c.script;
        EXPECT_NEAR(m.currentPoint.y, c.current[1], 1e-9) << c.script;
        EXPECT_NEAR(m.currentPoint.z, c.current[2], 1e-9) << c.script;
        EXPECT_DOUBLE_EQ(m.scalingFactor, c.scaling) << c.script;
    }
}

TEST_F(ManipFixture, DragManipWritesTheBoundPlug) {
    makeProbe();
    ok("showManip probe1");
    struct Case {
        const char* drag;
        const char* query;
        const char* expected;
    };
    const Case cases[] = {
        {"dragManip probe1 reachManip 2.5", "getAttr probe1.reach", "2.5"},
        {"dragManip probe1 reachManip 7; undo", "getAttr probe1.reach", "2.5"},  // a drag is one step
        {"dragManip probe1 flagManip 1", "getAttr probe1.flag", "1"},
        {"dragManip probe1 flagManip off", "getAttr probe1.flag", "0"},
        {"dragManip probe1 turn 90", "getAttr probe1.turn", "90"},  // by value name: "turnManip" repeats
        {"dragManip probe1 turnTwo -45", "getAttr probe1.turnTwo", "-45"},
    };
    for (const Case& c : cases) {
        ok(c.drag);
        EXPECT_EQ(result(c.query), c.expected) << c.drag;
    }
    // The manipulators show the new values at once.
    const std::string info = result("manipInfo probe1");
    EXPECT_NE(info.find("\"value\": 2.5"), std::string::npos) << info;
    EXPECT_NE(info.find("\"angle\": 90"), std::string::npos) << info;
    EXPECT_NE(info.find("\"angle\": -45"), std::string::npos) << info;
}

TEST_F(ManipFixture, DragClampsToHardLimitsWithAWarning) {
    makeProbe();
    ok("showManip probe1; dragManip probe1 reachManip 20");
    EXPECT_EQ(result("getAttr probe1.reach"), "10");
    ok("dragManip probe1 reachManip 20");
    EXPECT_NE(err_.str().find("Warning"), std::string::npos) << err_.str();
}

TEST_F(ManipFixture, DragPropagatesThroughConnectionsAndRefusesDrivenPlugs) {
    makeProbe();
    ok("createNode transform -n xf2; createNode manipProbe -n probe2 -p xf2");
    ok("connectAttr probe1.reach probe2.gain; showManip probe1; showManip probe2");
    ok("dragManip probe1 reachManip 4");
    EXPECT_EQ(result("getAttr probe2.gain"), "4");
    // probe2's scaling factor comes from its (now 4) gain.
    const std::string info = result("manipInfo probe2");
    EXPECT_NE(info.find("\"scalingFactor\": 4"), std::string::npos) << info;

    ok("connectAttr probe1.turn probe2.turn");
    const std::string err = error("dragManip probe2 turn 10");
    EXPECT_NE(err.find("probe2.turn"), std::string::npos) << err;
    EXPECT_NE(err.find("driven"), std::string::npos) << err;
}

TEST_F(ManipFixture, DragToPointProjectsAndDividesByScalingFactor) {
    rdhost::Node* probe = makeProbe();
    ok("setAttr xf.translate 1 1 0; setAttr probe1.gain 2; showManip probe1");
    rdhost::ShownManip& s = shown(probe);
    struct Case {
        size_t child;
        MPoint point;
        double expected;  // plug value, internal units
    };
    const Case cases[] = {
        {0, MPoint(1, 4, 0), 1.5},      // 3 along +Y, scaling factor 2
        {0, MPoint(9, 2, 5), 0.5},      // off-line points project onto the line
        {0, MPoint(1, -1, 0), -1.0},    // behind the start
        {2, MPoint(1, 3, 0), kPi / 2},  // a quarter turn from the start point (+X) about +Z
        {2, MPoint(-1, 1, 0), kPi},
        {2, MPoint(1, -1, 7), 3 * kPi / 2},  // off the plane; the turn nearest the current angle
        {2, MPoint(3, 1, 0), 2 * kPi},       // winding on past a full turn
    };
    const char* plugs[] = {"reach", "flag", "turn"};
    for (const Case& c : cases) {
        rdhost::dragManipToPoint(scene(), s, *s.state->children[c.child], c.point, "drag");
        EXPECT_NEAR(getNumber(probe, plugs[c.child]), c.expected, 1e-9) << c.child << " " << c.expected;
    }
    // A toggle flips.
    rdhost::dragManipToPoint(scene(), s, *s.state->children[1], MPoint(), "drag");
    EXPECT_EQ(getNumber(probe, "flag"), 1.0);
    // No scaling factor, no drag.
    setNumber(probe, "gain", 0.0);
    EXPECT_THROW(rdhost::dragManipToPoint(scene(), s, *s.state->children[0], MPoint(1, 4, 0), "drag"),
                 rdhost::HostError);
}

TEST_F(ManipFixture, CommandErrorsNameTheThing) {
    makeProbe();
    ok("createNode plainProbe -n plain1; createNode noContainerProbe -n lonely1; createNode brokenProbe -n "
       "broken1");
    struct Case {
        const char* script;
        const char* mustContain;
    };
    const Case cases[] = {
        {"manipInfo probe1", "no manipulator is shown for 'probe1'"},
        {"dragManip probe1 reachManip 1", "no manipulator is shown for 'probe1'"},
        {"showManip plain1", "not in the manipulator connect table"},
        {"showManip lonely1", "'noContainerProbeManip'"},
        {"showManip broken1", "no room for the children"},
        {"showManip nothere", "nothere"},
        {"showManip", "expects one node"},
        {"showManip probe1; dragManip probe1 elbowManip 1",
         "no manipulator named 'elbowManip' (manipulators: "
         "reachManip, flagManip, turnManip, turnManip)"},
        {"dragManip probe1 turnManip 1", "'turn', 'turnTwo'"},
        {"dragManip probe1 reachManip abc", "'abc'"},
        {"dragManip probe1 flagManip 2", "takes 0 or 1"},
        {"dragManip probe1 reachManip", "expects a node, a manipulator name and a value"},
    };
    for (const Case& c : cases) {
        const std::string err = error(c.script);
        EXPECT_NE(err.find(c.mustContain), std::string::npos) << c.script << "\n" << err;
    }
    // The broken container left nothing behind.
    EXPECT_EQ(rdhost::shownManipFor(scene(), scene().findNode("broken1")), nullptr);
}

TEST_F(ManipFixture, NonFiniteCallbackResultIsReplacedAndReportedOnce) {
    makeProbe();
    ok("showManip probe1; setAttr probe1.poison 1");
    std::string info = result("manipInfo probe1");
    EXPECT_NE(info.find("\"direction\": [0, 0, 0], \"length\""), std::string::npos) << info;
    EXPECT_NE(err_.str().find("not finite"), std::string::npos) << err_.str();
    info = result("manipInfo probe1");
    EXPECT_EQ(err_.str().find("not finite"), std::string::npos) << err_.str();
}

TEST_F(ManipFixture, TransformStandsForItsShape) {
    rdhost::Node* probe = makeProbe();
    ok("showManip xf");
    EXPECT_NE(rdhost::shownManipFor(scene(), probe), nullptr);
    EXPECT_NE(result("manipInfo xf").find("probe1.reach"), std::string::npos);
}

TEST_F(ManipFixture, ContainersGoWithTheirNodeThePluginAndTheScene) {
    rdhost::Node* probe = makeProbe();
    ok("showManip probe1; showManip probe1");  // showing again replaces
    rdhost::ManipRegistry* reg = rdhost::findManipRegistry(scene());
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(reg->shown.size(), 1u);
    EXPECT_EQ(rdhost::viewportFor(scene()).overlays.size(), 1u);
    (void)probe;
    ok("delete xf");
    EXPECT_TRUE(reg->shown.empty());
    EXPECT_TRUE(rdhost::viewportFor(scene()).overlays.empty());
    ok("unloadPlugin manip_probe");
    // Loaded again, the type enters the connect table afresh.
    makeProbe("probe3");
    ok("showManip probe3");
    EXPECT_EQ(reg->shown.size(), 1u);
    // The scene goes with a container shown: TearDown must not crash.
}

TEST_F(ManipFixture, ContainerOfAnotherSceneIsUntouched) {
    makeProbe();
    ok("showManip probe1");
    rdhost::Scene other;
    EXPECT_EQ(rdhost::findManipRegistry(other), nullptr);
    EXPECT_EQ(rdhost::shownManipFor(other, scene().findNode("probe1")), nullptr);
}

TEST(ManipJsonNumberTest, PrintsAtSinglePrecision) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.5, "0.5"},
        {0.7f, "0.7"},
        {2.5, "2.5"},
        {-3.0, "-3"},
        {16.000000000000004, "16"},
        {0.28 * 180 / kPi, "16.042818"},
        {1e-9, "0"},
        {-0.0, "0"},
        {90.0, "90"},
        {1e7, "10000000"},
        {1.5e-5, "0.000015"},
        {1e20, "1e+20"},
        {1e300, "1.0000000000000001e+300"},
        {INFINITY, "null"},
        {NAN, "null"},
    };
    for (const Case& c : cases) EXPECT_EQ(rdhost::manipJsonNumber(c.value), c.text) << c.value;
}

}  // namespace

namespace {

TEST_F(ManipFixture, FunctionSetsCheckTheManipulatorKind) {
    rdhost::Node* probe = makeProbe();
    ok("showManip probe1");
    rdhost::ShownManip& s = shown(probe);
    const MDagPath reachPath = rdhost::ObjectAccess::path(&s.state->children[0]->node);
    const MDagPath flagPath = rdhost::ObjectAccess::path(&s.state->children[1]->node);

    MStatus st;
    MFnDistanceManip distance(reachPath, &st);
    EXPECT_EQ(st, MS::kSuccess);
    MFnToggleManip wrong(reachPath, &st);
    EXPECT_NE(st, MS::kSuccess);
    EXPECT_NE(wrong.setLength(2.0), MS::kSuccess);
    MFnDistanceManip notAManip(rdhost::ObjectAccess::path(probe), &st);
    EXPECT_NE(st, MS::kSuccess);
    EXPECT_NE(notAManip.setScalingFactor(2.0), MS::kSuccess);
    EXPECT_EQ(distance.setScalingFactor(NAN), MS::kInvalidParameter);

    // Value indices: unique across the container, each child's in one run.
    MFnToggleManip toggle(flagPath);
    const unsigned idx[] = {distance.startPointIndex(),   distance.directionIndex(),
                            distance.currentPointIndex(), distance.distanceIndex(),
                            toggle.startPointIndex(),     toggle.directionIndex(),
                            toggle.lengthIndex(),         toggle.toggleIndex()};
    for (size_t i = 0; i < 8; ++i)
        for (size_t j = i + 1; j < 8; ++j) EXPECT_NE(idx[i], idx[j]);
    unsigned offset = 0;
    EXPECT_EQ(s.state->childOfIndex(toggle.lengthIndex(), &offset), s.state->children[1].get());
    EXPECT_EQ(offset, unsigned(rdhost::manipvalue::kTogLength));
    EXPECT_EQ(s.state->childOfIndex(1000, &offset), nullptr);
}

}  // namespace
