// The linear slider's manipulator container as the host runs it: shown for a
// slider, its four manipulators bound to their plugs, placed in world space by
// the conversions, and dragged.

#include "expect_near.h"
#include "rigdials_fixture.h"

#include "manip/manip.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;

class SliderManip : public RigDialsFixture {
protected:
    SliderManip() : RigDialsFixture("KelSliderManipulator") {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(RigDialsFixture::SetUp());
        ASSERT_NE(node->parent, nullptr);
        transform = node->parent;
        shown = &rdhost::showManip(scene(), node);
        ASSERT_NE(shown->state, nullptr);
        ASSERT_EQ(shown->state->children.size(), 4u);
    }

    void setTransform(const char* attr, double value) { setNumber(transform, attr, value); }

    rdhost::StockManip& manip(int i) {
        shown->state->refresh();
        return *shown->state->children[i];
    }
    rdhost::StockManip& handle() { return manip(0); }
    rdhost::StockManip& length() { return manip(1); }
    rdhost::StockManip& sizeManip() { return manip(2); }
    rdhost::StockManip& key() { return manip(3); }

    rdhost::Node* transform = nullptr;
    rdhost::ShownManip* shown = nullptr;
};

TEST_F(SliderManip, FourManipulatorsAndThePlugsTheirDragsWrite) {
    struct Row {
        const char* name;
        const char* valueName;
        rdhost::ManipKind kind;
        const char* plug;
    };
    const Row rows[] = {
        {"distanceManip", "distance", rdhost::ManipKind::Distance, "posHandle"},
        {"LengthManip", "Length", rdhost::ManipKind::Distance, "posEnd"},  // through a conversion
        {"sizeManip", "size", rdhost::ManipKind::Distance, "size"},
        {"SetKeyManip", "SetKey", rdhost::ManipKind::Toggle, "KeyCurrentValue"},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(rows[i].name);
        const rdhost::StockManip& m = manip(i);
        EXPECT_EQ(m.name, rows[i].name);
        EXPECT_EQ(m.valueName, rows[i].valueName);
        EXPECT_EQ(m.kind, rows[i].kind);
        const rdhost::PlugRef p = rdhost::draggedPlug(*shown, m);
        EXPECT_EQ(p.node, node);
        EXPECT_EQ(p.attr, slot(node, rows[i].plug));
    }
}

TEST_F(SliderManip, FreshSliderUnderAnIdentityTransform) {
    EXPECT_VEC_NEAR(handle().startPoint, 0, 0, 0, 1e-5);
    EXPECT_VEC_NEAR(handle().direction, 0, 5, 1e-9, 1e-5);
    EXPECT_VEC_NEAR(handle().currentPoint, 0, 2.5, 0, 1e-5);
    EXPECT_DOUBLE_EQ(handle().scalingFactor, 1.0);
    EXPECT_VEC_NEAR(length().startPoint, 0, 0, 0, 1e-5);
    EXPECT_VEC_NEAR(length().currentPoint, 0, 5, 0, 1e-5);
    EXPECT_DOUBLE_EQ(length().scalingFactor, 1.0);
    EXPECT_VEC_NEAR(sizeManip().startPoint, 0, 0, 0, 1e-5);
    EXPECT_VEC_NEAR(sizeManip().direction, 1, 0, 0, 1e-5);
    EXPECT_VEC_NEAR(key().startPoint, 0, 2.5, 0, 1e-5);
    EXPECT_VEC_NEAR(key().direction, -1, 0, 0, 1e-5);
    EXPECT_DOUBLE_EQ(key().length, 0.5);
}

TEST_F(SliderManip, StartOffsetIsAddedUnturnedToTheParentsPosition) {
    setTransform("translateX", 10.0);
    set("posStartX", 1.0);
    EXPECT_VEC_NEAR(handle().startPoint, 11, 0, 0, 1e-5);

    // A quarter turn about Z turns the track and the side axes, not the offset.
    setTransform("rotateZ", kPi / 2);
    EXPECT_VEC_NEAR(handle().startPoint, 11, 0, 0, 1e-5);
    EXPECT_VEC_NEAR(handle().direction, -5, -1, 0, 1e-5);  // (-1, 5, 0) turned
    EXPECT_VEC_NEAR(sizeManip().direction, 0, 1, 0, 1e-5);
    EXPECT_VEC_NEAR(key().direction, 0, -1, 0, 1e-5);
}

TEST_F(SliderManip, ParentScaleStretchesTheTrackWithTheYScaleForZ) {
    setTransform("scaleX", 1.0);
    setTransform("scaleY", 2.0);
    setTransform("scaleZ", 3.0);
    set("posEndY", 0.0);
    set("posEndZ", 5.0);
    EXPECT_VEC_NEAR(handle().direction, 0, 0, 5, 1e-5);
    EXPECT_VEC_NEAR(length().currentPoint, 0, 0, 10, 1e-5);  // V = (0, 0, 10): sz is not used
    EXPECT_VEC_NEAR(handle().currentPoint, 0, 0, 5, 1e-5);
    EXPECT_DOUBLE_EQ(handle().scalingFactor, 2.0);
    EXPECT_DOUBLE_EQ(length().scalingFactor, 2.0);
    EXPECT_DOUBLE_EQ(key().length, 1.0);
}

TEST_F(SliderManip, SizeDoublesTrackScalingFactorsAndToggleLength) {
    set("size", 2.0);
    EXPECT_VEC_NEAR(handle().currentPoint, 0, 5, 0, 1e-5);
    EXPECT_VEC_NEAR(length().currentPoint, 0, 10, 0, 1e-5);
    EXPECT_DOUBLE_EQ(handle().scalingFactor, 2.0);
    EXPECT_DOUBLE_EQ(length().scalingFactor, 2.0);
    EXPECT_DOUBLE_EQ(key().length, 1.0);
    EXPECT_VEC_NEAR(key().startPoint, 0, 5, 0, 1e-5);
}

TEST_F(SliderManip, HandleAndToggleFollowTheRatio) {
    struct Case {
        double posHandle, y;
    };
    for (const Case& c : {Case{0.0, 0.0}, Case{5.0, 5.0}, Case{1.0, 1.0}}) {
        SCOPED_TRACE(c.posHandle);
        set("posHandle", c.posHandle);
        EXPECT_VEC_NEAR(handle().currentPoint, 0, c.y, 0, 1e-5);
        EXPECT_VEC_NEAR(key().startPoint, 0, c.y, 0, 1e-5);
    }
    EXPECT_VEC_NEAR(handle().currentPoint, 0, 1, 0, 1e-5);
    set("posHandle", 5.0);
    EXPECT_VEC_NEAR(handle().currentPoint, length().currentPoint.x, length().currentPoint.y,
                    length().currentPoint.z, 1e-5);
}

TEST_F(SliderManip, ZeroLengthTrackCollapsesOntoTheStart) {
    set("posStartX", 2.0);
    set("posEndX", 2.0);
    set("posEndY", 0.0);
    set("posEndZ", 0.0);
    set("posHandle", 0.0);
    EXPECT_VEC_NEAR(handle().direction, 0, 0, 0, 1e-5);
    EXPECT_VEC_NEAR(handle().currentPoint, 2, 0, 0, 1e-5);
    EXPECT_VEC_NEAR(length().currentPoint, 2, 0, 0, 1e-5);
    EXPECT_VEC_NEAR(key().startPoint, 2, 0, 0, 1e-5);
}

TEST_F(SliderManip, DragsWriteTheBoundPlugs) {
    rdhost::dragManipValue(scene(), *shown, handle(), 1.0, "dragManip");
    EXPECT_DOUBLE_EQ(getNumber(node, "posHandle"), 1.0);
    EXPECT_NEAR(getNumber(node, "ratio"), 0.2, 1e-6);
    EXPECT_VEC_NEAR(handle().currentPoint, 0, 1, 0, 1e-5);

    rdhost::dragManipValue(scene(), *shown, length(), 10.0, "dragManip");
    EXPECT_DOUBLE_EQ(getNumber(node, "posEndY"), 10.0);
    EXPECT_VEC_NEAR(length().currentPoint, 0, 10, 0, 1e-5);
    EXPECT_NEAR(getNumber(node, "ratio"), 0.1, 1e-6);

    rdhost::dragManipValue(scene(), *shown, sizeManip(), 3.0, "dragManip");
    EXPECT_DOUBLE_EQ(getNumber(node, "size"), 3.0);
    EXPECT_DOUBLE_EQ(key().length, 1.5);
}

TEST_F(SliderManip, LengthDragsKeepTheTracksStartAndDirection) {
    struct Case {
        const char* what;
        double start[3], end[3], drag, newEnd[3];
    };
    const Case cases[] = {
        {"vertical, as always", {0, 0, 0}, {0, 5, 1e-9}, 10, {0, 10, 1e-9}},
        {"horizontal", {0, 0, 0}, {3, 0, 0}, 4, {4, 0, 0}},
        {"downward", {0, 0, 0}, {0, -4, 0}, 5, {0, -5, 0}},
        {"slanted, off the origin", {1, 1, 0}, {4, 5, 0}, 10, {7, 9, 0}},
        {"no length yet: grows up Y", {2, 0, 0}, {2, 0, 0}, 3, {2, 3, 0}},
    };
    const char* starts[] = {"posStartX", "posStartY", "posStartZ"};
    const char* ends[] = {"posEndX", "posEndY", "posEndZ"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int i = 0; i < 3; ++i) {
            set(starts[i], c.start[i]);
            set(ends[i], c.end[i]);
        }
        rdhost::dragManipValue(scene(), *shown, length(), c.drag, "dragManip");
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(getNumber(node, starts[i]), c.start[i]);
            EXPECT_NEAR(getNumber(node, ends[i]), c.newEnd[i], 1e-6);
        }
        EXPECT_NEAR(length().distance, c.drag, 1e-5);  // the manipulator reads the new length
    }
    // The default end's 1e-9 Z is kept as it is, not scaled with the track.
    set("posStartX", 0.0);
    set("posEndX", 0.0);
    set("posEndY", 5.0);
    set("posEndZ", 1e-9);
    rdhost::dragManipValue(scene(), *shown, length(), 7.0, "dragManip");
    EXPECT_EQ(getNumber(node, "posEndZ"), 1e-9);
}

TEST_F(SliderManip, KeyToggleDragSendsOneKeyRequest) {
    recordCommands();
    rdhost::dragManipValue(scene(), *shown, key(), 1.0, "dragManip");
    scene().runIdle();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], "evalDeferred \"setKeyframe " + node->partialPathName() + ".hp\"");
    EXPECT_EQ(getNumber(node, "KeyCurrentValue"), 0.0);
}

}  // namespace
