// The linear slider's drawing in a real GL context: its texts and where they
// go, the track line, the graduations of each snapping mode and the guards
// that keep odd values from reaching GL.

#include "expect_near.h"
#include "rigdials_fixture.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

class SliderDraw : public RigDialsFixture {
protected:
    SliderDraw() : RigDialsFixture("KelSliderManipulator") {}

    // Heads, handle, line and label off: every line drawn is a graduation.
    void onlyGraduations(int mode, double step, int mainEvery) {
        set("startHeadType", 0);
        set("endHeadType", 0);
        set("handleType", 0);
        set("displayLine", 0);
        set("displayLabel", 0);
        set("snap", mode);
        set("snapValue", step);
        set("snapMainValue", mainEvery);
    }

    // Graduation texts are the left-aligned ones; the node's own are centred.
    static std::vector<rdhost::TextRecord> leftTexts(const rdtest::Capture& c) {
        std::vector<rdhost::TextRecord> out;
        for (const auto& t : c.texts)
            if (t.align == M3dView::kLeft) out.push_back(t);
        return out;
    }
};

TEST_F(SliderDraw, DefaultSliderDrawsLabelRatioAndTrackWithBalancedStacks) {
    const rdtest::Capture c = draw();
    EXPECT_TRUE(c.balanced());
    EXPECT_TRUE(c.warnings.empty());

    ASSERT_EQ(c.texts.size(), 2u);
    EXPECT_EQ(c.texts[0].text, "KelSlider");
    EXPECT_POINT(c.texts[0].point, 0.0, -1.0, 0.0);
    EXPECT_EQ(c.texts[0].align, M3dView::kCenter);
    EXPECT_NEAR(c.texts[0].color[2], 0.7f, 1e-6);
    EXPECT_EQ(c.texts[1].text, "0.5");
    EXPECT_POINT(c.texts[1].point, 0.0, 6.0, 0.0);
    EXPECT_EQ(c.texts[1].align, M3dView::kCenter);

    // The track line, in the line colour.
    int track = 0;
    for (const auto& l : c.lines) {
        if (std::fabs(l.a.x) < 1e-5 && std::fabs(l.a.y) < 1e-5 && std::fabs(l.b.y - 5.0) < 1e-5 &&
            std::fabs(l.b.x) < 1e-5) {
            ++track;
            EXPECT_NEAR(l.a.color[0], 0.2f, 1e-3);
            EXPECT_NEAR(l.a.color[1], 1.0f, 1e-3);
        }
    }
    EXPECT_EQ(track, 1);

    // Cones at both ends (the start one turned to point down), the handle
    // sphere around (0, 2.5, 0): the geometry spans y -1 .. 6.
    const rdtest::Box b = c.bounds();
    EXPECT_NEAR(b.min[1], -1.0, 1e-3);
    EXPECT_NEAR(b.max[1], 6.0, 1e-3);
    EXPECT_TRUE(c.lightingUsed);
}

TEST_F(SliderDraw, SizeScalesShapesTextsAndLine) {
    set("size", 2.0);
    const rdtest::Capture c = draw();
    ASSERT_EQ(c.texts.size(), 2u);
    EXPECT_POINT(c.texts[0].point, 0.0, -2.0, 0.0);
    EXPECT_POINT(c.texts[1].point, 0.0, 12.0, 0.0);
    const rdtest::Box b = c.bounds();
    EXPECT_NEAR(b.min[1], -2.0, 1e-3);
    EXPECT_NEAR(b.max[1], 12.0, 1e-3);
}

TEST_F(SliderDraw, TrackLineOnlyWhenDisplayLineIsExactlyOne) {
    set("startHeadType", 0);
    set("endHeadType", 0);
    set("handleType", 0);
    EXPECT_EQ(draw().lines.size(), 1u);

    // A fractional value reaches a boolean only from outside, through a
    // connection from a float; this host turns such a connection into 0 or 1,
    // so the 0.5 goes straight into the node's storage here.
    node->overwriteStored(slot(node, "displayLine"), 0.5);
    ASSERT_DOUBLE_EQ(getNumber(node, "displayLine"), 0.5);
    EXPECT_EQ(draw().lines.size(), 0u);

    // Through a real connection from a float the line shows as on.
    rdhost::Node* other = create("KelSliderManipulator");
    ASSERT_NE(other, nullptr);
    scene().connect({other, slot(other, "ratio")}, {node, slot(node, "displayLine")}, true);
    EXPECT_EQ(draw().lines.size(), 1u);
    scene().disconnect({other, slot(other, "ratio")}, {node, slot(node, "displayLine")});

    set("displayLine", 0.0);
    EXPECT_EQ(draw().lines.size(), 0u);
}

TEST_F(SliderDraw, ValueTextsByDisplayModeCutToFiveCharacters) {
    set("endValue", 100.0);
    set("posHandle", 0.61728);  // ratio 0.123456, value 12.3456

    struct Case {
        int mode;
        std::vector<std::string> texts;  // after the label
    };
    const Case cases[] = {
        {1, {"0.123"}}, {2, {"5"}}, {3, {"12.34", "0", "100"}}, {6, {""}}, {0, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.mode);
        set("displayValue", k.mode);
        const rdtest::Capture c = draw();
        ASSERT_EQ(c.texts.size(), 1 + k.texts.size());
        for (size_t i = 0; i < k.texts.size(); ++i) {
            EXPECT_EQ(c.texts[i + 1].text, k.texts[i]);
            EXPECT_EQ(c.texts[i + 1].align, M3dView::kCenter);
        }
    }
}

TEST_F(SliderDraw, PositionModeTextsStartUnscaledEndScaled) {
    set("displayValue", 3);
    set("size", 2.0);
    set("posStartX", 1.0);
    set("posEndX", 1.0);
    const rdtest::Capture c = draw();
    ASSERT_EQ(c.texts.size(), 4u);
    const double third = 2.0 * 0.33333334f;
    EXPECT_POINT(c.texts[1].point, 2.0, 12.0, 2e-9);    // value point: size x (E + h u)
    EXPECT_POINT(c.texts[2].point, 1.0, 0.0, -third);   // start text, not scaled
    EXPECT_POINT(c.texts[3].point, 2.0, 10.0, -third);  // end text, scaled
}

struct TickCase {
    const char* what;
    int mode;
    double step;
    int mainEvery;
    double startValue, endValue;
    int ticks;
    std::vector<int> mainTicks;
    std::vector<std::string> mainTexts;
};

TEST_F(SliderDraw, GraduationsInEachSnappingMode) {
    const TickCase cases[] = {
        {"Ratio 0.1: the tenth tick would sit on the end", 1, 0.1, 10, 0, 10, 10, {}, {}},
        {"Ratio 0.05: the middle tick is a main one", 1, 0.05, 10, 0, 10, 20, {10}, {"0.50"}},
        {"Distance 1 along a track of 5", 2, 1.0, 2, 0, 10, 5, {2, 4}, {"2.00", "4.00"}},
        {"Position 1 over 0..10", 3, 1.0, 5, 0, 10, 10, {5}, {"5.00"}},
        {"Position with no range draws tick 0 only", 3, 1.0, 5, 4, 4, 1, {}, {}},
        {"main every 0: only tick 0 is main", 2, 1.0, 0, 0, 10, 5, {0}, {"0.00"}},
        // Each mode labels the quantity it steps in; only Position starts at
        // startValue.
        {"Ratio labels ratios on a 10..20 slider", 1, 0.05, 10, 10, 20, 20, {10}, {"0.50"}},
        {"Distance labels distances on a -1..1 slider", 2, 1.0, 2, -1, 1, 5, {2, 4}, {"2.00", "4.00"}},
        {"Position labels values from startValue", 3, 1.0, 5, 10, 20, 10, {5}, {"15.00"}},
    };
    for (const TickCase& k : cases) {
        SCOPED_TRACE(k.what);
        onlyGraduations(k.mode, k.step, k.mainEvery);
        set("startValue", k.startValue);
        set("endValue", k.endValue);
        const rdtest::Capture c = draw();
        EXPECT_TRUE(c.balanced());
        EXPECT_TRUE(allFinite(c));
        ASSERT_EQ(static_cast<int>(c.lines.size()), k.ticks);

        std::vector<int> mains;
        for (int i = 0; i < k.ticks; ++i) {
            const rdtest::Line& l = c.lines[i];
            // Feet go up the track from the start; ticks stick out along +X.
            EXPECT_NEAR(l.a.x, 0.0, 1e-5);
            EXPECT_NEAR(l.b.y, l.a.y, 1e-5);
            const double length = l.b.x - l.a.x;
            if (std::fabs(length - 0.3) < 1e-5) {
                mains.push_back(i);
            } else {
                EXPECT_NEAR(length, 0.2, 1e-5);
            }
            EXPECT_NEAR(l.a.color[2], 0.8f, 1e-3);
        }
        EXPECT_EQ(mains, k.mainTicks);

        const auto texts = leftTexts(c);
        ASSERT_EQ(texts.size(), k.mainTexts.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(texts[i].text, k.mainTexts[i]);
            const rdtest::Line& main = c.lines[k.mainTicks[i]];
            EXPECT_POINT(texts[i].point, 0.4, main.a.y, main.a.z);
        }
    }
}

TEST_F(SliderDraw, GraduationFeetFollowTheTrackWithSpacingScaledButStartNot) {
    onlyGraduations(2, 1.0, 100);
    set("size", 2.0);
    set("posStartX", 1.0);
    set("posEndX", 1.0);
    const rdtest::Capture c = draw();
    ASSERT_EQ(c.lines.size(), 5u);  // every 2 units over a scaled length of 10
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(c.lines[i].a.x, 1.0, 1e-5);
        EXPECT_NEAR(c.lines[i].a.y, 2.0 * i, 1e-5);
        EXPECT_NEAR(c.lines[i].b.x - c.lines[i].a.x, 0.4, 1e-5);
    }
}

TEST_F(SliderDraw, PositionModeWithFallingValuesRunsAwayFromTheEnd) {
    onlyGraduations(3, 1.0, 100);
    set("startValue", 10.0);
    set("endValue", 0.0);
    const rdtest::Capture c = draw();
    ASSERT_EQ(c.lines.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_NEAR(c.lines[i].a.y, -0.5 * i, 1e-5);
    }
}

TEST_F(SliderDraw, MainTicksWithoutValuesWhenDisplaySnapValueIsOff) {
    onlyGraduations(1, 0.05, 10);
    set("displaySnapValue", 0);
    const rdtest::Capture c = draw();
    ASSERT_EQ(c.lines.size(), 20u);
    EXPECT_NEAR(c.lines[10].b.x - c.lines[10].a.x, 0.3, 1e-5);
    EXPECT_TRUE(leftTexts(c).empty());
}

TEST_F(SliderDraw, NoGraduationsWhenSwitchedOffOrDegenerate) {
    struct Case {
        const char* what;
        const char* attr;
        double value;
    };
    const Case cases[] = {
        {"displaySnap off", "displaySnap", 0},
        {"snap None", "snap", 0},
        {"step 0", "snapValue", 0},
        {"displayValue None", "displayValue", 0},
        {"mode outside the enum", "snap", 5},
        {"size 0", "size", 0},
        {"zero-length track", "posEndY", 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        scene_ = std::make_unique<rdhost::Scene>();
        rdhost::Scene::setCurrent(scene_.get());
        ASSERT_NE(loadRigDials(), nullptr);
        node = create("KelSliderManipulator");
        onlyGraduations(1, 0.1, 10);
        if (std::string(k.attr) == "posEndY") set("posEndZ", 0.0);
        set(k.attr, k.value);
        const rdtest::Capture c = draw();
        EXPECT_EQ(c.lines.size(), 0u);
        EXPECT_TRUE(c.balanced());
    }
}

TEST_F(SliderDraw, AStepTooSmallForTheTrackStopsAtTheTickCap) {
    onlyGraduations(1, 1e-9, 0);
    const rdtest::Capture c = draw();
    EXPECT_EQ(c.lines.size(), 100000u);
    EXPECT_TRUE(c.balanced());
}

TEST_F(SliderDraw, ShapeTypeOutsideTheEnumDrawsNothingForThatShape) {
    set("startHeadType", 0);
    set("endHeadType", 0);
    set("displayLine", 0);
    set("handleType", 9);
    rdtest::Capture c = draw();
    EXPECT_TRUE(c.lines.empty());
    EXPECT_TRUE(c.polygons.empty());
    EXPECT_TRUE(c.balanced());

    set("handleType", 2);  // the sphere is back
    c = draw();
    EXPECT_FALSE(c.polygons.empty());
}

TEST_F(SliderDraw, TrackAlongYTurnsTheHeadsAboutX) {
    // Only the cones: start head points away from the track, end head along it.
    set("handleType", 0);
    set("displayLine", 0);
    set("endHeadType", 0);
    struct Case {
        const char* what;
        double endY, endZ;
        double minY, maxY;
    };
    const Case cases[] = {
        {"default, just off the Y axis", 5.0, 1e-9, -1.0, 0.0},
        {"exactly along +Y", 5.0, 0.0, -1.0, 0.0},
        {"exactly along -Y", -5.0, 0.0, 0.0, 1.0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        set("posEndY", k.endY);
        set("posEndZ", k.endZ);
        const rdtest::Capture c = draw();
        ASSERT_FALSE(c.polygons.empty());
        EXPECT_TRUE(allFinite(c));
        const rdtest::Box b = c.bounds();
        EXPECT_NEAR(b.min[1], k.minY, 1e-3);
        EXPECT_NEAR(b.max[1], k.maxY, 1e-3);
    }

    // The end cone of a track along -Y points down, past the end.
    set("startHeadType", 0);
    set("endHeadType", 3);
    set("posEndY", -5.0);
    const rdtest::Box b = draw().bounds();
    EXPECT_NEAR(b.min[1], -6.0, 1e-3);
    EXPECT_NEAR(b.max[1], -5.0, 1e-3);
}

TEST_F(SliderDraw, WireHeadsKeepASmoothHandle) {
    set("displayLine", 0);
    set("headDrawType", 0);
    rdtest::Capture c = draw();
    EXPECT_FALSE(c.lines.empty());     // the wire cones
    EXPECT_FALSE(c.polygons.empty());  // the smooth sphere
    set("handleType", 0);
    c = draw();
    EXPECT_TRUE(c.polygons.empty());
}

}  // namespace
