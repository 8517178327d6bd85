// The arc slider's drawing in a real GL context: the arc strip, the radial
// graduations and their texts, the value texts, the heads and the handle, and
// the guards that keep odd attribute values from hanging or spoiling a draw.

#include "arcslider/arc_snap_scale.h"
#include "expect_near.h"
#include "rigdials_fixture.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const double kDeg = 180.0 / M_PI;

class ArcDraw : public RigDialsFixture {
protected:
    ArcDraw() : RigDialsFixture("KelArcSliderManipulator") {}

    // Heads and handle off, so every line is the arc or a graduation.
    void noShapes() {
        set("startHeadType", 0);
        set("endHeadType", 0);
        set("handleType", 0);
    }

    // Only the graduations draw lines.
    void onlyGraduations() {
        noShapes();
        set("displayLine", 0);
    }

    static std::vector<rdhost::TextRecord> textsAround(const rdtest::Capture& c, double radius) {
        std::vector<rdhost::TextRecord> out;
        for (const auto& t : c.texts)
            if (std::fabs(std::hypot(t.point[0], t.point[2]) - radius) < 1e-4) out.push_back(t);
        return out;
    }

    static double angleOf(const rdtest::Vertex& v) { return std::atan2(-v.z, v.x); }
};

TEST_F(ArcDraw, DefaultNodeShowsLabelReadingAndEndAnglesWhereTheyBelong) {
    const rdtest::Capture c = draw();
    EXPECT_TRUE(c.balanced());
    EXPECT_TRUE(c.warnings.empty());
    EXPECT_TRUE(allFinite(c));

    // Label first, then the 32 main-tick texts, then the three values.
    ASSERT_EQ(c.texts.size(), 1u + 32u + 3u);
    EXPECT_EQ(c.texts[0].text, "KelArcSlider");
    EXPECT_POINT(c.texts[0].point, 0.0, 0.0, 0.0);
    EXPECT_EQ(c.texts[0].align, M3dView::kCenter);
    EXPECT_NEAR(c.texts[0].color[0], 0.0f, 1e-6);
    EXPECT_NEAR(c.texts[0].color[2], 0.7f, 1e-6);

    const double h = 3.1415, s = 0.28f, e = 6.0f;
    const struct {
        const char* text;
        double angle, fraction;
    } values[] = {{"179.00", h, 0.8}, {"16.04", s, 0.85}, {"343.77", e, 0.85}};
    for (int i = 0; i < 3; ++i) {
        const rdhost::TextRecord& t = c.texts[33 + i];
        SCOPED_TRACE(values[i].text);
        EXPECT_EQ(t.text, values[i].text);
        EXPECT_EQ(t.align, M3dView::kCenter);
        const double r = 3.0 * values[i].fraction;
        EXPECT_NEAR(t.point[0], r * std::cos(values[i].angle), 1e-5);
        EXPECT_NEAR(t.point[1], 0.0, 1e-9);
        EXPECT_NEAR(t.point[2], -r * std::sin(values[i].angle), 1e-5);
        EXPECT_NEAR(t.color[2], 0.7f, 1e-6);
    }
}

TEST_F(ArcDraw, ValueTextsFollowSizeAndOffsetButNotTheReadingsPlace) {
    set("size", 2.0);
    set("angleOffset", 0.5);
    set("snap", 0);
    const rdtest::Capture c = draw();
    const auto reading = textsAround(c, 0.8 * 2.0 * 3.0);
    ASSERT_EQ(reading.size(), 1u);
    // The reading includes the offset; its place follows "currentAngle" alone.
    EXPECT_NEAR(std::atof(reading[0].text.c_str()), (3.1415f + 0.5f) * kDeg, 0.006);
    EXPECT_NEAR(std::atan2(-reading[0].point[2], reading[0].point[0]), 3.1415, 1e-5);
    const auto ends = textsAround(c, 0.85 * 2.0 * 3.0);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[0].text, "44.69");   // 0.28 + 0.5 rad
    EXPECT_EQ(ends[1].text, "372.42");  // 6.0 + 0.5 rad
}

TEST_F(ArcDraw, ArcIsOneStripOfTwentyOneVerticesFromStartToEnd) {
    const struct {
        double start, end, size, radius;
    } cases[] = {
        {0.28, 6.0, 1.0, 3.0},
        {6.0, 0.28, 1.0, 3.0},  // negative sweep: drawn backwards
        {1.0, 2.0, 2.0, 1.5},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(std::to_string(k.start) + " -> " + std::to_string(k.end));
        set("startAngle", k.start);
        set("endAngle", k.end);
        set("size", k.size);
        set("radius", k.radius);
        noShapes();
        set("displaySnap", 0);
        const rdtest::Capture c = draw();
        ASSERT_EQ(c.lines.size(), 20u);
        const double R = k.size * k.radius;
        std::vector<rdtest::Vertex> strip{c.lines[0].a};
        for (size_t i = 0; i < c.lines.size(); ++i) {
            if (i > 0) {
                EXPECT_NEAR(c.lines[i].a.x, c.lines[i - 1].b.x, 1e-6);
                EXPECT_NEAR(c.lines[i].a.z, c.lines[i - 1].b.z, 1e-6);
            }
            strip.push_back(c.lines[i].b);
        }
        ASSERT_EQ(strip.size(), 21u);
        const double step = (k.end - k.start) / 20.0;
        for (size_t i = 0; i < strip.size(); ++i) {
            const rdtest::Vertex& v = strip[i];
            const double a = k.start + step * i;
            EXPECT_NEAR(v.x, R * std::cos(a), 1e-4) << i;
            EXPECT_NEAR(v.y, 0.0, 1e-9) << i;
            EXPECT_NEAR(v.z, -R * std::sin(a), 1e-4) << i;
            EXPECT_NEAR(v.color[0], 0.2f, 1e-3);
            EXPECT_NEAR(v.color[1], 1.0f, 1e-3);
        }
        // Graduations of a negative sweep draw nothing, even when shown.
        if (k.end < k.start) {
            set("displaySnap", 1);
            set("displayLine", 0);
            EXPECT_TRUE(draw().lines.empty());
            set("displayLine", 1);
        }
    }
}

TEST_F(ArcDraw, DefaultGraduationsAre328TicksWithAMainTickEveryTenth) {
    onlyGraduations();
    const rdtest::Capture c = draw();
    EXPECT_TRUE(c.balanced());
    ASSERT_EQ(c.lines.size(), 328u);
    int mains = 0;
    for (size_t i = 0; i < c.lines.size(); ++i) {
        const rdtest::Line& l = c.lines[i];
        SCOPED_TRACE(i);
        const bool main = i > 0 && i % 10 == 0;
        mains += main;
        // Radial, outward from the arc of radius 3, 0.2 long (0.4 for a main tick).
        const double ra = std::hypot(l.a.x, l.a.z), rb = std::hypot(l.b.x, l.b.z);
        EXPECT_NEAR(ra, 3.0, 1e-4);
        EXPECT_NEAR(rb - ra, main ? 0.4 : 0.2, 1e-4);
        EXPECT_NEAR(angleOf(l.a), angleOf(l.b), 1e-5);
        // One degree apart, from the start angle on.
        EXPECT_NEAR(angleOf(l.a) < 0 ? angleOf(l.a) + 2 * M_PI : angleOf(l.a), 0.28 + i * M_PI / 180.0, 1e-4);
        EXPECT_NEAR(l.a.color[2], main ? 0.7f : 0.8f, 1e-3);
    }
    EXPECT_EQ(mains, 32);

    const auto texts = textsAround(c, 3.0 + 0.6);
    ASSERT_EQ(texts.size(), 32u);
    for (size_t m = 0; m < texts.size(); ++m) {
        const double expected = 0.28f * kDeg + 10.0 * (m + 1);
        EXPECT_NEAR(std::atof(texts[m].text.c_str()), expected, 0.006) << texts[m].text;
        EXPECT_EQ(texts[m].align, M3dView::kCenter);
        EXPECT_NEAR(texts[m].color[2], 0.7f, 1e-6);
    }
    EXPECT_EQ(texts[0].text, "26.04");
    EXPECT_EQ(texts[1].text, "36.04");
}

TEST_F(ArcDraw, GraduationSettingsChangeTicksAndTexts) {
    onlyGraduations();
    set("snapLength", 0.5);
    set("size", 2.0);
    set("snapValue", 30.0);
    set("snapMainValue", 0);   // only the first tick is a main tick
    set("angleOffset", M_PI);  // texts shift, ticks do not
    const rdtest::Capture c = draw();
    // From 16.04 to 343.77 degrees every 30: 11 ticks.
    ASSERT_EQ(c.lines.size(), 11u);
    const double R = 6.0;
    EXPECT_NEAR(std::hypot(c.lines[0].b.x, c.lines[0].b.z) - R, 2.0, 1e-4);  // 0.5 * 2 * 2
    EXPECT_NEAR(std::hypot(c.lines[1].b.x, c.lines[1].b.z) - R, 1.0, 1e-4);
    EXPECT_NEAR(angleOf(c.lines[0].a), 0.28, 1e-5);
    const auto texts = textsAround(c, R + 3.0);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "196.04");

    // Without main values the main tick stays long but unlabelled.
    set("displaySnapValue", 0);
    const rdtest::Capture quiet = draw();
    ASSERT_EQ(quiet.lines.size(), 11u);
    EXPECT_NEAR(std::hypot(quiet.lines[0].b.x, quiet.lines[0].b.z) - R, 2.0, 1e-4);
    EXPECT_TRUE(textsAround(quiet, R + 3.0).empty());
}

TEST_F(ArcDraw, SwitchesHideOnlyWhatTheyName) {
    noShapes();
    const struct {
        const char* attr;
        size_t lines, texts;
    } cases[] = {
        {"displayLine", 328, 36},   // the arc only
        {"displaySnap", 20, 4},     // the graduations only
        {"displayValue", 20, 1},    // value texts and graduations
        {"displayLabel", 348, 35},  // the label only
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.attr);
        set(k.attr, 0);
        const rdtest::Capture c = draw();
        EXPECT_EQ(c.lines.size(), k.lines);
        EXPECT_EQ(c.texts.size(), k.texts);
        set(k.attr, 1);
    }
    // A hidden label still leaves its colour current for what follows.
    set("displayLabel", 0);
    set("displayValue", 0);
    set("displayLine", 0);
    set("labelColorR", 0.25);
    const rdtest::Capture c = draw();
    EXPECT_NEAR(c.colorAfter[0], 0.25f, 1e-6);
}

TEST_F(ArcDraw, HeadsPointAlongTheArcAndTheHandleSitsAtTheCurrentAngle) {
    set("headDrawType", 1);  // Solid: flat colours
    set("handleDrawType", 1);
    set("displayLine", 0);
    set("displaySnap", 0);
    const double start = 0.28f, end = 6.0f, current = 3.1415f;

    // Start head alone: a cone from S towards decreasing angles.
    set("endHeadType", 0);
    set("handleType", 0);
    rdtest::Capture c = draw();
    EXPECT_TRUE(c.balanced());
    ASSERT_FALSE(c.polygons.empty());
    const double sx = 3 * std::cos(start), sz = -3 * std::sin(start);
    double far = 0;
    rdtest::Vertex tip;
    for (const auto& p : c.polygons)
        for (const auto& v : p.vertices) {
            EXPECT_NEAR(v.color[1], 0.8f, 1e-3);
            const double d = std::hypot(v.x - sx, v.z - sz);
            EXPECT_LT(d, 1.03);
            if (d > far) {
                far = d;
                tip = v;
            }
        }
    EXPECT_NEAR(tip.x, sx + std::sin(start), 1e-3);
    EXPECT_NEAR(tip.z, sz + std::cos(start), 1e-3);

    // End head alone: towards increasing angles.
    set("startHeadType", 0);
    set("endHeadType", 3);
    c = draw();
    const double ex = 3 * std::cos(end), ez = -3 * std::sin(end);
    far = 0;
    for (const auto& p : c.polygons)
        for (const auto& v : p.vertices) {
            const double d = std::hypot(v.x - ex, v.z - ez);
            EXPECT_LT(d, 1.03);
            if (d > far) {
                far = d;
                tip = v;
            }
        }
    EXPECT_NEAR(tip.x, ex - std::sin(end), 1e-3);
    EXPECT_NEAR(tip.z, ez - std::cos(end), 1e-3);

    // Handle alone: a red sphere of radius 0.15 around H, scaled with "size".
    set("endHeadType", 0);
    set("handleType", 2);
    set("size", 2.0);
    c = draw();
    ASSERT_FALSE(c.polygons.empty());
    const double hx = 6 * std::cos(current), hz = -6 * std::sin(current);
    for (const auto& p : c.polygons)
        for (const auto& v : p.vertices) {
            EXPECT_NEAR(v.color[0], 1.0f, 1e-3);
            EXPECT_NEAR(v.color[1], 0.0f, 1e-3);
            EXPECT_LT(std::hypot(std::hypot(v.x - hx, v.z - hz), v.y), 0.3 + 1e-4);
        }
}

TEST_F(ArcDraw, TypeCodesOutsideTheEnumDrawNothingInTheirPlace) {
    set("displayLine", 0);
    set("displaySnap", 0);
    set("startHeadType", 0);
    set("endHeadType", 0);
    set("handleType", 0);
    const rdtest::Capture none = draw();
    EXPECT_TRUE(none.polygons.empty());
    for (double code : {7.0, -1.0, 1000.0}) {
        set("handleType", code);
        set("startHeadType", code);
        set("endHeadType", code);
        const rdtest::Capture c = draw();
        EXPECT_TRUE(c.balanced()) << code;
        EXPECT_TRUE(c.polygons.empty()) << code;
        EXPECT_TRUE(c.lines.empty()) << code;
    }
    // A valid code beside them still draws.
    set("startHeadType", 1);
    EXPECT_FALSE(draw().polygons.empty());
}

TEST_F(ArcDraw, ZeroRadiusDrawsEverythingAtTheOriginWithoutNaN) {
    set("radius", 0.0);
    const rdtest::Capture c = draw();
    EXPECT_TRUE(c.balanced());
    EXPECT_TRUE(allFinite(c));
    EXPECT_FALSE(c.polygons.empty());
    for (const auto& t : c.texts) {
        EXPECT_NEAR(std::hypot(t.point[0], t.point[2]), 0.0, 1e-9) << t.text;
    }
    // Cones unrotated: they stand along +Y, their apex 1 above the origin.
    const rdtest::Box b = c.bounds();
    EXPECT_NEAR(b.max[1], 1.0, 1e-4);
}

TEST_F(ArcDraw, StepsThatCannotAdvanceStopTheGraduations) {
    onlyGraduations();
    const int cap = ArcSnapScale::kMaxTicks;
    const struct {
        const char* what;
        double step, end;
        size_t ticks;
    } cases[] = {
        {"step lost in single precision", 1e-30, 6.0, 1},
        {"negative step", -1.0, 6.0, 1},
        {"NaN step", std::nan(""), 6.0, 1},
        {"NaN end", 1.0, std::nan(""), 0},
        {"infinite step", INFINITY, 6.0, 1},
        {"endless end", 1.0, INFINITY, static_cast<size_t>(cap)},
        {"far end", 1.0, 1e30, static_cast<size_t>(cap)},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        set("snapValue", k.step);
        set("endAngle", k.end);
        rdtest::CaptureOptions options;
        options.extent = 10.0;
        const rdtest::Capture c =
            rdtest::captureNodeDraw(scene(), node, M3dView::kGouraudShaded, M3dView::kDormant, options);
        EXPECT_TRUE(c.balanced());
        EXPECT_EQ(c.lines.size(), k.ticks);
    }
}

}  // namespace
