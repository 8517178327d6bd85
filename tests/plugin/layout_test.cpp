// What the nodes draw, apart from how: the layouts built from a draw's values
// (no GL), and the shape meshes against what GLUT and GLU draw.

#include "arcslider/arc_slider_layout.h"
#include "draw_layout.h"
#include "gl_capture.h"
#include "locator_layout.h"
#include "scene_fixture.h"
#include "shape_mesh.h"
#include "slider/slider_layout.h"
#include "slider/snap_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Layouts

// The values a new node's draw reads.
PrimitiveDrawValues newLocator() {
    PrimitiveDrawValues v;
    v.showLabel = 1.0f;
    v.labelColour = MColor(0.0f, 0.0f, 0.7f, 1.0f);
    v.label = "KelPrimitiveLocator";
    v.type = kSphere;
    v.drawType = kSmooth;
    v.radius = 1.0;
    v.slices = v.stacks = 12;
    v.width = 2.0f;
    v.height = 3.0f;
    v.depth = 4.0f;
    v.innerRadius = 1.0f;
    v.outerRadius = 2.0f;
    v.colour = MColor(1.2f, 0.8f, 0.0f, 1.0f);
    return v;
}

sliders::ShapeValues headOrHandle(const MColor& colour, float radius, int stacks) {
    sliders::ShapeValues s;
    s.colour = colour;
    s.sizes = {radius, 1.0f, 1.0f, 1.0f, 0.5f, 1.0f, 12, stacks};
    return s;
}

SliderDrawValues newSlider() {
    SliderDrawValues v;
    v.size = 1.0f;
    v.endValue = 10.0f;
    v.currentValue = 5.0f;
    v.showLabel = 1.0f;
    v.labelColour = MColor(0.0f, 0.0f, 0.7f, 1.0f);
    v.label = "KelSlider";
    v.valueMode = kModeRatio;
    v.valueColour = MColor(0.0f, 0.0f, 0.7f, 1.0f);
    v.showLine = 1.0f;
    v.lineWidth = 1;
    v.lineColour = MColor(0.2f, 1.0f, 0.0f, 1.0f);
    v.showSnap = v.showSnapValues = 1;
    v.snapWidth = 2;
    v.snapLength = 0.2f;
    v.snapStep = 0.1f;
    v.snapMain = 10;
    v.snapColour = MColor(0.0f, 0.0f, 0.8f, 1.0f);
    v.end = MVector(0.0, 5.0, 1e-9);
    v.distance = 5.0f;
    v.ratio = 0.5f;
    v.headDrawType = v.handleDrawType = kSmooth;
    v.startHeadType = v.endHeadType = kCone;
    v.handleType = kSphere;
    v.head = headOrHandle(MColor(1.0f, 0.8f, 0.0f, 1.0f), 0.2f, 2);
    v.handle = headOrHandle(MColor(1.0f, 0.0f, 0.0f, 1.0f), 0.15f, 12);
    return v;
}

ArcSliderDrawValues newArcSlider() {
    ArcSliderDrawValues v;
    v.radius = 3.0f;
    v.size = 1.0f;
    v.startAngle = 0.28f;
    v.endAngle = 6.0f;
    v.currentAngle = 3.1415f;
    v.reading = 179.0f;
    v.labelColour = MColor(0.0f, 0.0f, 0.7f, 1.0f);
    v.valueColour = MColor(0.0f, 0.0f, 0.7f, 1.0f);
    v.lineColour = MColor(0.2f, 1.0f, 0.0f, 1.0f);
    v.snapColour = MColor(0.0f, 0.0f, 0.8f, 1.0f);
    v.lineWidth = 1.0f;
    v.snapLength = 0.2f;
    v.snapValue = 1.0f;
    v.showLine = v.showLabel = 1.0f;
    v.showValue = v.showSnap = v.showSnapValues = 1;
    v.snapWidth = 2;
    v.snapMain = 10;
    v.headDrawType = v.handleDrawType = kSmooth;
    v.startHeadType = v.endHeadType = kCone;
    v.handleType = kSphere;
    v.head = headOrHandle(MColor(1.0f, 0.8f, 0.0f, 1.0f), 0.2f, 2);
    v.handle = headOrHandle(MColor(1.0f, 0.0f, 0.0f, 1.0f), 0.15f, 12);
    v.label = "KelArcSlider";
    return v;
}

// The legacy order as letters: S shape, C colour, ( save lines and width,
// w width, ) restore, P polyline, T tick, X text. A run of the same letter
// is written once with its count, as T328.
std::string steps(const layout::Layout& l) {
    static const char kLetters[] = "SC(w)PTX";
    std::string out;
    for (size_t i = 0; i < l.steps.size();) {
        size_t j = i;
        while (j < l.steps.size() && l.steps[j].op == l.steps[i].op) ++j;
        out += kLetters[static_cast<int>(l.steps[i].op)];
        if (j - i > 1) out += std::to_string(j - i);
        i = j;
    }
    return out;
}

std::string kinds(const layout::Layout& l) {
    std::string out;
    for (const layout::ShapeItem& s : l.shapes)
        out += std::to_string(s.kind) + "/" + std::to_string(s.drawStyle) + " ";
    return out;
}

struct LayoutCase {
    const char* name;
    std::function<void(layout::Layout&)> build;
    const char* kinds;  // shape kind/draw style, in draw order
    const char* steps;
    size_t ticks, mainTicks;
    std::vector<const char*> texts;  // the first texts, in order
};

TEST(Layout, ItemsAndLegacyOrderFollowTheValues) {
    const auto locator = [](std::function<void(PrimitiveDrawValues&)> edit) {
        return [edit](layout::Layout& l) {
            PrimitiveDrawValues v = newLocator();
            edit(v);
            primitiveLayout(v, l);
        };
    };
    const auto slider = [](std::function<void(SliderDrawValues&)> edit) {
        return [edit](layout::Layout& l) {
            SliderDrawValues v = newSlider();
            edit(v);
            sliderLayout(v, l);
        };
    };
    const auto arc = [](std::function<void(ArcSliderDrawValues&)> edit) {
        return [edit](layout::Layout& l) {
            ArcSliderDrawValues v = newArcSlider();
            edit(v);
            arcSliderLayout(v, l);
        };
    };
    const LayoutCase cases[] = {
        {"locator", locator([](auto&) {}), "2/2 ", "SCX", 0, 0, {"KelPrimitiveLocator"}},
        {"locator hidden label", locator([](auto& v) { v.showLabel = 0.0f; }), "2/2 ", "SC", 0, 0, {}},
        {"locator wire torus",
         locator([](auto& v) { v.type = kTorus, v.drawType = kWire; }),
         "4/0 ",
         "SCX",
         0,
         0,
         {"KelPrimitiveLocator"}},
        {"locator type 9",
         locator([](auto& v) { v.type = 9; }),
         "0/2 ",
         "SCX",
         0,
         0,
         {"KelPrimitiveLocator"}},
        {"slider", slider([](auto&) {}), "2/2 3/2 3/2 ", "S3C(P)CXCX", 0, 0, {"KelSlider", "0.5"}},
        {"slider ratio snap",
         slider([](auto& v) { v.snapMode = kModeRatio, v.snapStep = 0.05f; }),
         "2/2 3/2 3/2 ",
         "S3C(P)C(T11XT9)CXCX",
         20,
         1,
         {"0.50", "KelSlider", "0.5"}},
        {"slider position snap, no main values",
         slider([](auto& v) {
             v.snapMode = kModePosition, v.snapStep = 2.0f, v.snapMain = 2, v.showSnapValues = 0;
         }),
         "2/2 3/2 3/2 ",
         "S3C(P)C(T5)CXCX",
         5,
         2,
         {"KelSlider", "0.5"}},
        {"slider position values, no line",
         slider([](auto& v) { v.valueMode = kModePosition, v.showLine = 0.0f; }),
         "2/2 3/2 3/2 ",
         "S3CXCX3",
         0,
         0,
         {"KelSlider", "5", "0", "10"}},
        {"slider no values hides graduations",
         slider([](auto& v) { v.snapMode = 1, v.valueMode = kModeNone; }),
         "2/2 3/2 3/2 ",
         "S3C(P)CX",
         0,
         0,
         {"KelSlider"}},
        {"arc", arc([](auto&) {}), "2/2 3/2 3/2 ", nullptr, 328, 32, {"KelArcSlider", "26.04", "36.04"}},
        {"arc no snap, wire heads",
         arc([](auto& v) { v.showSnap = 0, v.headDrawType = kWire; }),
         "2/2 3/0 3/0 ",
         "S3C(P)CXCX3",
         0,
         0,
         {"KelArcSlider", "179.00", "16.04", "343.77"}},
        {"arc backwards",
         arc([](auto& v) { std::swap(v.startAngle, v.endAngle); }),
         "2/2 3/2 3/2 ",
         "S3C(P)CX()CX3",
         0,
         0,
         {"KelArcSlider"}},
    };
    for (const LayoutCase& tc : cases) {
        SCOPED_TRACE(tc.name);
        layout::Layout l;
        tc.build(l);
        EXPECT_EQ(kinds(l), tc.kinds);
        if (tc.steps) {
            EXPECT_EQ(steps(l), tc.steps);
        }
        EXPECT_EQ(l.ticks.size(), tc.ticks);
        size_t mains = 0;
        for (const layout::Tick& t : l.ticks) mains += t.main;
        EXPECT_EQ(mains, tc.mainTicks);
        ASSERT_GE(l.texts.size(), tc.texts.size());
        for (size_t i = 0; i < tc.texts.size(); ++i)
            EXPECT_EQ(std::string(l.texts[i].text.asChar()), tc.texts[i]);
    }
}

TEST(Layout, ItemsCarryTheColourAndWidthTheyAreDrawnIn) {
    layout::Layout l;
    ArcSliderDrawValues v = newArcSlider();
    v.lineWidth = 3.0f;
    arcSliderLayout(v, l);
    ASSERT_EQ(l.polylines.size(), 1u);
    const layout::Polyline& arcLine = l.polylines[0];
    EXPECT_TRUE(arcLine.strip);
    EXPECT_EQ(arcLine.points.size(), 21u);
    EXPECT_EQ(arcLine.width, 3.0f);
    EXPECT_EQ(arcLine.colour.g, 1.0f);
    EXPECT_NEAR(arcLine.points[0].x, 3.0 * std::cos(0.28f), 1e-6);
    EXPECT_NEAR(arcLine.points[0].z, -3.0 * std::sin(0.28f), 1e-6);
    for (const layout::Tick& t : l.ticks) {
        EXPECT_EQ(t.width, t.main ? 4.0f : 2.0f);
        EXPECT_EQ(t.colour.b, t.main ? 0.7f : 0.8f);
        // Radial, outwards: twice as long for a main tick.
        const double foot = std::hypot(t.foot.x, t.foot.z), tip = std::hypot(t.tip.x, t.tip.z);
        EXPECT_NEAR(foot, 3.0, 1e-5);
        EXPECT_NEAR(tip - foot, t.main ? 0.4 : 0.2, 1e-5);
    }
    EXPECT_EQ(l.texts[0].align, M3dView::kCenter);
    EXPECT_EQ(l.texts[0].colour.b, 0.7f);

    SliderDrawValues s = newSlider();
    s.snapMode = kModeDistance;
    s.snapStep = 1.0f;
    s.size = 2.0f;
    sliderLayout(s, l);
    ASSERT_EQ(l.ticks.size(), 5u);  // a step of 1 scaled by the size, along a track of 5 scaled by it
    EXPECT_NEAR(l.ticks[1].foot.y, 2.0, 1e-6);
    EXPECT_NEAR(l.ticks[0].tip.x - l.ticks[0].foot.x, 0.4, 1e-6);
    ASSERT_EQ(l.polylines.size(), 1u);
    EXPECT_FALSE(l.polylines[0].strip);
    EXPECT_NEAR(l.polylines[0].points[1].y, 10.0, 1e-6);
    for (const layout::Text& t : l.texts)
        if (t.align == M3dView::kLeft) {
            EXPECT_EQ(t.colour.b, 0.8f);  // graduation texts in the tick colour
        }
}

// ---------------------------------------------------------------------------
// Shape meshes against the GLUT and GLU calls of the legacy draw

class ShapeMeshTest : public SceneFixture {};

TEST_F(ShapeMeshTest, MeshesGiveWhatGlutAndGluDraw) {
    struct Case {
        ShapeKind kind;
        float dims[3];
        int slices, stacks;
    };
    const Case cases[] = {
        {kCube, {1.5f, 0, 0}, 0, 0},           {kSphere, {1.2f, 0, 0}, 4, 3},
        {kSphere, {0.7f, 0, 0}, 12, 12},       {kSphere, {1.0f, 0, 0}, 50, 2},
        {kCone, {1.0f, 2.0f, 0}, 4, 2},        {kCone, {0.2f, 1.0f, 0}, 12, 2},
        {kCone, {1.5f, 0.5f, 0}, 7, 1},        {kTorus, {0.5f, 2.0f, 0}, 3, 4},
        {kTorus, {1.0f, 2.0f, 0}, 12, 12},     {kRectangle, {2.0f, 3.0f, 4.0f}, 0, 0},
        {kCylinder, {4.0f, 1.0f, 2.0f}, 8, 2}, {kCylinder, {1.0f, 0.5f, 0.5f}, 12, 1},
        {kCylinder, {3.0f, 2.0f, 0.0f}, 5, 3},
    };
    // Turned, moved and scaled as a slider's head is.
    const ShapeTransform placed(ShapeRotate(-37.0, MVector(0.3, 0.5, -1.0)),
                                ShapeTranslate(0.5f, -1.0f, 2.0f), ShapeScale(1.5f, 1.5f, 1.5f));
    const ShapeTransform identity(ShapeRotate(0.0, MVector(1.0, 0.0, 0.0)), ShapeTranslate(0, 0, 0),
                                  ShapeScale(1, 1, 1));
    // Turned over about an axis a hair long, as a slider's start head on a
    // track just off Y.
    const ShapeTransform flipped(ShapeRotate(-180.0, MVector(1e-9, 0.0, 0.0)), ShapeTranslate(0, 1, 0),
                                 ShapeScale(1, 1, 1));
    const float colour[4] = {0.2f, 0.4f, 0.6f, 1.0f};
    rdtest::CaptureOptions options;
    options.extent = 20.0;
    for (const Case& tc : cases) {
        for (short style : {kWire, kSolid, kSmooth}) {
            for (const ShapeTransform* placement : {&identity, &placed, &flipped}) {
                const std::string what = "kind " + std::to_string(tc.kind) + " " + std::to_string(tc.slices) +
                                         "x" + std::to_string(tc.stacks) + " style " + std::to_string(style) +
                                         (placement == &placed    ? " placed"
                                          : placement == &flipped ? " flipped"
                                                                  : "");
                SCOPED_TRACE(what);
                layout::ShapeItem item;
                item.kind = tc.kind;
                std::copy(tc.dims, tc.dims + 3, item.dims);
                item.slices = tc.slices;
                item.stacks = tc.stacks;
                item.drawStyle = style;
                item.placement = *placement;
                item.material = ShapeMaterial(colour, colour, colour, 10.0f);

                const rdtest::Capture c = rdtest::captureDraw(
                    scene(),
                    [&](M3dView& view) { layout::makeShape(item)->draw(view, M3dView::kGouraudShaded); },
                    options);
                const meshes::Mesh m = meshes::shapeMesh(item);
                ASSERT_EQ(m.lines, style == kWire);
                ASSERT_EQ(m.normals.size(), m.positions.size());
                const auto near = [&](const rdtest::Vertex& v, unsigned index) {
                    const meshes::Vec3& p = m.positions.at(index);
                    return std::fabs(v.x - p.x) < 1e-5 && std::fabs(v.y - p.y) < 1e-5 &&
                           std::fabs(v.z - p.z) < 1e-5;
                };
                if (m.lines) {
                    ASSERT_EQ(m.primitiveCount(), c.lines.size());
                    ASSERT_TRUE(c.polygons.empty());
                    for (size_t i = 0; i < c.lines.size(); ++i) {
                        ASSERT_TRUE(near(c.lines[i].a, m.indices[2 * i])) << "line " << i;
                        ASSERT_TRUE(near(c.lines[i].b, m.indices[2 * i + 1])) << "line " << i;
                    }
                } else {
                    ASSERT_EQ(m.primitiveCount(), c.polygons.size());
                    ASSERT_TRUE(c.lines.empty());
                    for (size_t i = 0; i < c.polygons.size(); ++i) {
                        ASSERT_EQ(c.polygons[i].vertices.size(), 3u) << "polygon " << i;
                        for (int k = 0; k < 3; ++k)
                            ASSERT_TRUE(near(c.polygons[i].vertices[k], m.indices[3 * i + k]))
                                << "polygon " << i << " vertex " << k;
                    }
                }
            }
        }
    }
}

}  // namespace
