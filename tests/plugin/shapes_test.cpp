// The shape primitives drawn in the host's GL context: geometry through GL
// feedback, GL state around each draw, and ShapeGroup ownership.

#include "shapes.h"
#include "gl_capture.h"
#include "scene_fixture.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

ShapeMaterial material(float r, float g, float b) {
    const float ambient[4] = {r * 0.5f, g * 0.5f, b * 0.5f, 1.0f};
    const float diffuse[4] = {r, g, b, 1.0f};
    const float specular[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    return ShapeMaterial(ambient, diffuse, specular, 30.0f);
}

ShapeTransform identity() {
    return ShapeTransform(ShapeRotate(0.0, MVector(1.0, 0.0, 0.0)), ShapeTranslate(0, 0, 0),
                          ShapeScale(1, 1, 1));
}

const float kR = 0.25f, kG = 0.5f, kB = 0.75f;

struct Extent {
    double min[3];
    double max[3];
};

using MakeShape = std::function<Shape*()>;

struct ShapeCase {
    const char* name;
    MakeShape make;
    Extent extent;  // with identity placement
};

// Each shape's axis points up +Y and the shape sits where its callers expect
// it: boxes and spheres centred, the cone's base on the origin, the cylinder
// centred along its height.
std::vector<ShapeCase> shapeCases() {
    return {
        {"cube", [] { return new CubeShape(3.0f); }, {{-1.5, -1.5, -1.5}, {1.5, 1.5, 1.5}}},
        {"sphere", [] { return new SphereShape(2.0f, 12, 12); }, {{-2, -2, -2}, {2, 2, 2}}},
        {"cone", [] { return new ConeShape(1.0f, 3.0f, 8, 2); }, {{-1, 0, -1}, {1, 3, 1}}},
        {"torus", [] { return new TorusShape(0.5f, 2.0f, 8, 12); }, {{-2.5, -0.5, -2.5}, {2.5, 0.5, 2.5}}},
        {"rectangle", [] { return new RectangleShape(2.0f, 3.0f, 4.0f); }, {{-1, -1.5, -2}, {1, 1.5, 2}}},
        {"cylinder", [] { return new CylinderShape(4.0f, 1.0f, 2.0f, 8, 2); }, {{-2, -2, -2}, {2, 2, 2}}},
    };
}

class ShapeTest : public SceneFixture {
protected:
    rdtest::Capture draw(const Shape& shape) {
        return rdtest::captureDraw(scene(), [&](M3dView& view) {
            view.beginGL();
            shape.draw(view, M3dView::kGouraudShaded);
            view.endGL();
        });
    }

    rdtest::Capture drawShape(const ShapeCase& sc, short style,
                              const ShapeTransform& placement = identity()) {
        std::unique_ptr<Shape> shape(sc.make());
        shape->set(style, placement, material(kR, kG, kB));
        return draw(*shape);
    }
};

TEST_F(ShapeTest, EveryShapeStandsUpYInEveryStyle) {
    for (const ShapeCase& sc : shapeCases()) {
        for (short style : {kWire, kSolid, kSmooth}) {
            const std::string what = std::string(sc.name) + " style " + std::to_string(style);
            rdtest::Capture c = drawShape(sc, style);
            expectBounds(c, sc.extent.min, sc.extent.max, what);
            if (style == kWire) {
                EXPECT_FALSE(c.lines.empty()) << what;
                EXPECT_TRUE(c.polygons.empty()) << what;
            } else {
                EXPECT_FALSE(c.polygons.empty()) << what;
                EXPECT_TRUE(c.lines.empty()) << what;
            }
        }
    }
}

TEST_F(ShapeTest, CylinderRunsFromBaseRadiusBelowToTopRadiusAbove) {
    CylinderShape cylinder(4.0f, 1.0f, 2.0f, 16, 1);
    cylinder.set(kSolid, identity(), material(kR, kG, kB));
    rdtest::Capture c = draw(cylinder);
    ASSERT_FALSE(c.polygons.empty());
    for (const rdtest::Vertex& v : c.vertices()) {
        const double r = std::sqrt(v.x * v.x + v.z * v.z);
        if (std::fabs(v.y + 2.0) < 1e-4)
            EXPECT_NEAR(r, 1.0, 1e-4) << "base ring at y=-2";
        else if (std::fabs(v.y - 2.0) < 1e-4)
            EXPECT_NEAR(r, 2.0, 1e-4) << "top ring at y=+2";
        else
            ADD_FAILURE() << "vertex off both rings at y=" << v.y;
    }
}

TEST_F(ShapeTest, PlacementScalesThenTranslatesThenRotates) {
    // A 2 x 0.5 x 0.5 bar: rotated 90 degrees about Z it stands along Y, moved
    // by (1, 0, 0) it spans x 0.75..1.25, and scaled by 2 everything doubles.
    ShapeCase bar{"bar", [] { return new RectangleShape(2.0f, 0.5f, 0.5f); }, {}};
    const ShapeTransform placement(ShapeRotate(90.0, MVector(0.0, 0.0, 1.0)), ShapeTranslate(1, 0, 0),
                                   ShapeScale(2, 2, 2));
    for (short style : {kWire, kSolid, kSmooth}) {
        rdtest::Capture c = drawShape(bar, style, placement);
        expectBounds(c, {1.5, -2.0, -0.5}, {2.5, 2.0, 0.5}, "style " + std::to_string(style));
    }
}

TEST_F(ShapeTest, DrawLeavesStacksAsFoundWithOnePairOfEach) {
    // 7 and -1 are no draw-type field: drawn solid, pushes and pops still paired.
    for (const ShapeCase& sc : shapeCases()) {
        for (short style : {short(kWire), short(kSolid), short(kSmooth), short(7), short(-1)}) {
            const std::string what = std::string(sc.name) + " style " + std::to_string(style);
            rdtest::Capture c = drawShape(sc, style);
            EXPECT_TRUE(c.balanced()) << what;
            EXPECT_TRUE(c.warnings.empty()) << what << ": " << (c.warnings.empty() ? "" : c.warnings[0]);
            EXPECT_EQ(c.calls.pushMatrix, 1) << what;
            EXPECT_EQ(c.calls.popMatrix, 1) << what;
            EXPECT_EQ(c.calls.pushAttrib, 1) << what;
            EXPECT_EQ(c.calls.popAttrib, 1) << what;
        }
    }
}

TEST_F(ShapeTest, WireAndSolidTakeTheDiffuseColourUnlit) {
    for (const ShapeCase& sc : shapeCases()) {
        for (short style : {short(kWire), short(kSolid), short(7)}) {
            const std::string what = std::string(sc.name) + " style " + std::to_string(style);
            rdtest::Capture c = drawShape(sc, style);
            EXPECT_FALSE(c.lightingUsed) << what;
            EXPECT_EQ(c.calls.material, 0) << what;
            ASSERT_EQ(c.calls.pushAttribMasks.size(), 1u) << what;
            EXPECT_EQ(c.calls.pushAttribMasks[0], unsigned(GL_CURRENT_BIT)) << what;
            // The colour stays current after the draw...
            EXPECT_FLOAT_EQ(c.colorAfter[0], kR) << what;
            EXPECT_FLOAT_EQ(c.colorAfter[1], kG) << what;
            EXPECT_FLOAT_EQ(c.colorAfter[2], kB) << what;
            EXPECT_FLOAT_EQ(c.colorAfter[3], 1.0f) << what;
            // ...and every vertex was drawn in it.
            for (const rdtest::Vertex& v : c.vertices()) {
                ASSERT_NEAR(v.color[0], kR, 1e-3) << what;
                ASSERT_NEAR(v.color[1], kG, 1e-3) << what;
                ASSERT_NEAR(v.color[2], kB, 1e-3) << what;
            }
        }
    }
}

TEST_F(ShapeTest, SmoothIsLitWithTheMaterialAndRestoresLighting) {
    for (const ShapeCase& sc : shapeCases()) {
        rdtest::Capture c = drawShape(sc, kSmooth);
        EXPECT_TRUE(c.lightingUsed) << sc.name;
        EXPECT_EQ(c.calls.enableLighting, 1) << sc.name;
        EXPECT_EQ(c.calls.material, 4) << sc.name;
        ASSERT_EQ(c.calls.pushAttribMasks.size(), 1u) << sc.name;
        EXPECT_EQ(c.calls.pushAttribMasks[0], unsigned(GL_LIGHTING_BIT)) << sc.name;
        EXPECT_FALSE(c.lightingAfter) << sc.name;
        // The current colour is the caller's, untouched.
        EXPECT_FLOAT_EQ(c.colorAfter[0], 1.0f) << sc.name;
        EXPECT_FLOAT_EQ(c.colorAfter[1], 1.0f) << sc.name;
        EXPECT_FLOAT_EQ(c.colorAfter[2], 1.0f) << sc.name;
        // Lit, not flat: no vertex carries the plain diffuse colour.
        for (const rdtest::Vertex& v : c.vertices())
            ASSERT_FALSE(std::fabs(v.color[0] - kR) < 1e-4 && std::fabs(v.color[1] - kG) < 1e-4 &&
                         std::fabs(v.color[2] - kB) < 1e-4)
                << sc.name;
    }
}

TEST_F(ShapeTest, SphereIsGlutsSphereTurnedPolesOntoY) {
    SphereShape sphere(1.5f, 10, 7);
    sphere.set(kSolid, identity(), material(kR, kG, kB));
    rdtest::Capture got = draw(sphere);
    rdtest::Capture want = rdtest::captureDraw(scene(), [](M3dView&) {
        glPushMatrix();
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
        glutSolidSphere(1.5, 10, 7);
        glPopMatrix();
    });
    const std::vector<rdtest::Vertex> g = got.vertices(), w = want.vertices();
    ASSERT_EQ(g.size(), w.size());
    ASSERT_EQ(got.polygons.size(), want.polygons.size());
    for (size_t i = 0; i < g.size(); ++i) {
        ASSERT_NEAR(g[i].x, w[i].x, 1e-5) << i;
        ASSERT_NEAR(g[i].y, w[i].y, 1e-5) << i;
        ASSERT_NEAR(g[i].z, w[i].z, 1e-5) << i;
    }
}

TEST_F(ShapeTest, NoShapeDrawsNothingAndKeepsTheColour) {
    NoShape none;
    none.set(kWire, identity(), material(kR, kG, kB));
    rdtest::CaptureOptions options;
    options.startColor = {0.1f, 0.2f, 0.3f, 1.0f};
    rdtest::Capture c = rdtest::captureDraw(
        scene(), [&](M3dView& view) { none.draw(view, M3dView::kGouraudShaded); }, options);
    EXPECT_TRUE(c.lines.empty());
    EXPECT_TRUE(c.polygons.empty());
    EXPECT_EQ(c.calls.pushMatrix + c.calls.popMatrix + c.calls.pushAttrib + c.calls.popAttrib, 0);
    EXPECT_TRUE(c.balanced());
    EXPECT_FLOAT_EQ(c.colorAfter[0], 0.1f);
    EXPECT_FLOAT_EQ(c.colorAfter[1], 0.2f);
    EXPECT_FLOAT_EQ(c.colorAfter[2], 0.3f);
}

// Counts how often shapes of this kind are destroyed.
class CountedCube : public CubeShape {
public:
    explicit CountedCube(int* deaths) : CubeShape(1.0f), deaths_(deaths) {}
    ~CountedCube() override { ++*deaths_; }

private:
    int* deaths_;
};

TEST_F(ShapeTest, GroupDeletesEachShapeOnce) {
    struct Case {
        const char* name;
        int shapes;    // distinct shapes handed over
        int slots[3];  // which shape goes in each slot; -1 for null
    };
    const Case cases[] = {
        {"three shapes", 3, {0, 1, 2}},
        {"null slots", 1, {-1, 0, -1}},
        {"all null", 0, {-1, -1, -1}},
    };
    for (const Case& tc : cases) {
        int deaths = 0;
        {
            std::vector<std::unique_ptr<Shape>> made;
            for (int i = 0; i < tc.shapes; ++i) made.push_back(std::make_unique<CountedCube>(&deaths));
            auto at = [&](int i) { return i < 0 ? nullptr : std::move(made[i]); };
            ShapeGroup group;
            group.set(at(tc.slots[0]), at(tc.slots[1]), at(tc.slots[2]));
            EXPECT_EQ(deaths, 0) << tc.name;
        }
        EXPECT_EQ(deaths, tc.shapes) << tc.name;
    }
}

TEST_F(ShapeTest, GroupSetAgainDeletesTheShapesItNoLongerHolds) {
    int deaths = 0;
    {
        ShapeGroup group;
        group.set(std::make_unique<CountedCube>(&deaths), std::make_unique<CountedCube>(&deaths),
                  std::make_unique<CountedCube>(&deaths));
        group.set(std::move(group.second), nullptr, std::make_unique<CountedCube>(&deaths));
        EXPECT_EQ(deaths, 2);
    }
    EXPECT_EQ(deaths, 4);
}

TEST_F(ShapeTest, GroupDrawsFirstSecondThirdAndSkipsNull) {
    auto placed = [](float x) {
        auto s = std::make_unique<CubeShape>(1.0f);
        s->set(
            kSolid,
            ShapeTransform(ShapeRotate(0.0, MVector(1, 0, 0)), ShapeTranslate(x, 0, 0), ShapeScale(1, 1, 1)),
            material(kR, kG, kB));
        return s;
    };
    ShapeGroup group;
    group.set(placed(-5.0f), nullptr, placed(5.0f));
    rdtest::Capture c = rdtest::captureDraw(scene(), [&](M3dView& view) {
        view.beginGL();
        group.draw(view, M3dView::kGouraudShaded);
        view.endGL();
    });
    ASSERT_EQ(c.polygons.size() % 2, 0u);
    ASSERT_FALSE(c.polygons.empty());
    const size_t half = c.polygons.size() / 2;
    for (size_t i = 0; i < c.polygons.size(); ++i)
        for (const rdtest::Vertex& v : c.polygons[i].vertices)
            EXPECT_NEAR(v.x, i < half ? -5.0 : 5.0, 0.5 + 1e-4) << "polygon " << i;
    EXPECT_TRUE(c.balanced());
    EXPECT_EQ(c.calls.pushMatrix, 2);
}

}  // namespace
