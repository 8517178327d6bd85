// KelPrimitiveLocator loaded from rigDials.so into a fresh scene: its
// attribute table, its draw in the host's GL context and its bounds.

#include "gl_capture.h"
#include "rigdials_fixture.h"

#include <maya/MBoundingBox.h>
#include <maya/MDataBlock.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MPxLocatorNode.h>

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <array>
#include <cmath>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using rdhost::Attr;
using rdhost::AttrKind;

// Node-level read of the drawn text's point and colour.
void expectText(const rdhost::TextRecord& t, const std::string& text, double y,
                const std::array<float, 4>& colour, const std::string& what) {
    EXPECT_EQ(t.text, text) << what;
    EXPECT_NEAR(t.point[0], 0.0, 1e-9) << what;
    EXPECT_NEAR(t.point[1], y, 1e-6) << what;
    EXPECT_NEAR(t.point[2], 0.0, 1e-9) << what;
    EXPECT_EQ(t.align, M3dView::kCenter) << what;
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(t.color[i], colour[i], 1e-6) << what << " colour " << i;
}

const std::array<float, 4> kLabelColour = {0.0f, 0.0f, 0.7f, 1.0f};

class LocatorTest : public RigDialsFixture {
protected:
    LocatorTest() : RigDialsFixture("KelPrimitiveLocator") {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(RigDialsFixture::SetUp());
        locator_ = dynamic_cast<MPxLocatorNode*>(node->user);
        ASSERT_NE(locator_, nullptr);
    }

    // The first of the node's own attributes ("displayLabel"); the host's
    // inherited ones come before it.
    size_t firstOwn() const {
        const auto& attrs = node->type->attrs;
        for (size_t i = 0; i < attrs.size(); ++i)
            if (attrs[i]->longName == "displayLabel") return i;
        return attrs.size();
    }

    rdtest::Capture drawNode(rdtest::CaptureOptions options = {}) {
        return rdtest::captureNodeDraw(scene(), node, M3dView::kGouraudShaded, M3dView::kDormant, options);
    }

    MPxLocatorNode* locator_ = nullptr;
};

TEST_F(LocatorTest, AttributesInTableOrderWithNamesTypesDefaultsAndLimits) {
    enum Group { kNum, kText, kComp, kList };
    struct Row {
        const char* longName;
        const char* shortName;
        AttrKind kind;
        int numericType;
        double def;
        Group group;
        bool limited;
        double min, max;
    };
    const int B = MFnNumericData::kBoolean, F = MFnNumericData::kFloat, S = MFnNumericData::kShort;
    const AttrKind N = AttrKind::Numeric;
    const Row rows[] = {
        {"displayLabel", "dlb", N, B, 1.0, kNum, false, 0, 0},
        {"label", "lab", AttrKind::String, 0, 0, kText, false, 0, 0},
        {"labelColorR", "lcr", N, F, 0.0, kNum, false, 0, 0},
        {"labelColorG", "lcg", N, F, 0.0, kNum, false, 0, 0},
        {"labelColorB", "lcb", N, F, 0.7, kNum, false, 0, 0},
        {"labelColor", "lc", AttrKind::Compound, 0, 0, kComp, false, 0, 0},
        {"colorR", "cr", N, F, 1.2, kNum, false, 0, 0},
        {"colorG", "cg", N, F, 0.8, kNum, false, 0, 0},
        {"colorB", "cb", N, F, 0.0, kNum, false, 0, 0},
        {"color", "cl", AttrKind::Compound, 0, 0, kComp, false, 0, 0},
        {"type", "tp", AttrKind::Enum, 0, 2, kList, false, 0, 0},
        {"drawType", "dtp", AttrKind::Enum, 0, 2, kList, false, 0, 0},
        {"radius", "rd", N, F, 1.0, kNum, true, 0, 10},
        {"slices", "sl", N, S, 12, kNum, true, 1, 50},
        {"stacks", "st", N, S, 12, kNum, true, 1, 50},
        {"width", "wd", N, F, 2.0, kNum, true, 0, 10},
        {"height", "ht", N, F, 3.0, kNum, true, 0, 10},
        {"depth", "dp", N, F, 4.0, kNum, true, 0, 10},
        {"innerRadius", "ir", N, F, 1.0, kNum, true, 0, 5},
        {"outerRadius", "or", N, F, 2.0, kNum, true, 0, 5},
    };
    const auto& attrs = node->type->attrs;
    const size_t first = firstOwn();
    ASSERT_EQ(attrs.size() - first, std::size(rows)) << "own attributes";
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        const Attr* a = attrs[first + i];
        const std::string what = row.longName;
        EXPECT_EQ(a->longName, row.longName);
        EXPECT_EQ(a->shortName, row.shortName) << what;
        EXPECT_EQ(a->kind, row.kind) << what;
        if (row.kind == N) {
            EXPECT_EQ(a->numericType, row.numericType) << what;
        }
        if (row.kind == N || row.kind == AttrKind::Enum) {
            EXPECT_FLOAT_EQ(float(a->defaultValue), float(row.def)) << what;
        }
        EXPECT_EQ(a->hasMin, row.limited) << what;
        EXPECT_EQ(a->hasMax, row.limited) << what;
        if (row.limited) {
            // Hard limits, read back through the function set as the host's UI does.
            MFnNumericAttribute fn(rdhost::ObjectAccess::make(const_cast<Attr*>(a)));
            double lo = -1, hi = -1;
            EXPECT_TRUE(fn.getMin(lo)) << what;
            EXPECT_TRUE(fn.getMax(hi)) << what;
            EXPECT_EQ(lo, row.min) << what;
            EXPECT_EQ(hi, row.max) << what;
        }
        switch (row.group) {
        case kNum:
            EXPECT_TRUE(a->keyable) << what;
            EXPECT_FALSE(a->hidden) << what;
            EXPECT_FALSE(a->array) << what;
            EXPECT_FALSE(a->usesArrayDataBuilder) << what;
            break;
        case kText:
            EXPECT_TRUE(a->keyable) << what;
            EXPECT_EQ(a->defaultString, "KelPrimitiveLocator") << what;
            break;
        case kComp:
            EXPECT_TRUE(a->storable && a->usedAsColor && a->readable && a->writable) << what;
            EXPECT_FALSE(a->keyable) << what;
            ASSERT_EQ(a->children.size(), 3u) << what;
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(a->children[c], attrs[first + i - 3 + c]) << what << " child " << c;
            break;
        case kList:
            EXPECT_TRUE(a->storable && a->keyable) << what;
            break;
        }
    }
}

TEST_F(LocatorTest, EnumsOfferTheirFieldsWithStoredNames) {
    using Fields = std::vector<std::pair<std::string, int>>;
    const Fields shapes = {{"cube", 1},  {"sphere", 2},    {"cone", 3},
                           {"torus", 4}, {"rectangle", 5}, {"cylinder", 6}};
    const Fields styles = {{"wire", 0}, {"solid", 1}, {"smooth", 2}};
    EXPECT_EQ(node->findAttr("type")->enumFields, shapes);
    EXPECT_EQ(node->findAttr("drawType")->enumFields, styles);

    // A stored 2 reads back as "sphere"; the shape enum has no 0.
    MFnEnumAttribute fn(rdhost::ObjectAccess::make(node->findAttr("type")));
    EXPECT_EQ(std::string(fn.fieldName(2).asChar()), "sphere");
    EXPECT_EQ(node->findAttr("type")->enumFieldName(0), nullptr);
    setNumber(node, "tp", 2);
    EXPECT_EQ(std::string(node->findAttr("type")->enumFieldName(int(getNumber(node, "tp")))), "sphere");
}

TEST_F(LocatorTest, NewNodeHoldsTheDefaults) {
    EXPECT_EQ(getNumber(node, "type"), 2);
    EXPECT_EQ(getNumber(node, "drawType"), 2);
    EXPECT_EQ(getNumber(node, "displayLabel"), 1);
    EXPECT_EQ(getString(node, "label"), "KelPrimitiveLocator");
    EXPECT_FLOAT_EQ(float(getNumber(node, "colorR")), 1.2f);
    EXPECT_FLOAT_EQ(float(getNumber(node, "colorG")), 0.8f);
    EXPECT_FLOAT_EQ(float(getNumber(node, "colorB")), 0.0f);
    EXPECT_FLOAT_EQ(float(getNumber(node, "labelColorR")), 0.0f);
    EXPECT_FLOAT_EQ(float(getNumber(node, "labelColorG")), 0.0f);
    EXPECT_FLOAT_EQ(float(getNumber(node, "labelColorB")), 0.7f);
}

TEST_F(LocatorTest, DefaultNodeDrawsALitSphereAndItsLabelOnTop) {
    rdtest::Capture c = drawNode();
    EXPECT_TRUE(c.balanced());
    EXPECT_TRUE(c.warnings.empty());
    EXPECT_TRUE(c.lightingUsed);
    EXPECT_EQ(c.calls.material, 4);
    EXPECT_TRUE(c.lines.empty());

    // The very sphere GLUT gives for radius 1, 12 slices, 12 stacks, poles on Y.
    rdtest::Capture want = rdtest::captureDraw(scene(), [](M3dView&) {
        glPushMatrix();
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
        glutSolidSphere(1.0, 12, 12);
        glPopMatrix();
    });
    const std::vector<rdtest::Vertex> g = c.vertices(), w = want.vertices();
    ASSERT_EQ(c.polygons.size(), want.polygons.size());
    ASSERT_EQ(g.size(), w.size());
    for (size_t i = 0; i < g.size(); ++i) {
        ASSERT_NEAR(g[i].x, w[i].x, 1e-5) << i;
        ASSERT_NEAR(g[i].y, w[i].y, 1e-5) << i;
        ASSERT_NEAR(g[i].z, w[i].z, 1e-5) << i;
    }

    ASSERT_EQ(c.texts.size(), 1u);
    expectText(c.texts[0], "KelPrimitiveLocator", 1.0, kLabelColour, "default");
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(c.colorAfter[i], kLabelColour[i], 1e-6);
}

TEST_F(LocatorTest, EachTypeDrawsItsShapeWithTheLabelOnItsTop) {
    struct Case {
        const char* name;
        std::function<void()> setUp;
        double min[3], max[3];
        double labelY;
    };
    const std::vector<Case> cases = {
        {"cube radius 3",
         [&] {
             setNumber(node, "type", 1);
             setNumber(node, "radius", 3);
         },
         {-1.5, -1.5, -1.5},
         {1.5, 1.5, 1.5},
         1.5},
        {"sphere radius 2",
         [&] {
             setNumber(node, "type", 2);
             setNumber(node, "radius", 2);
         },
         {-2, -2, -2},
         {2, 2, 2},
         2.0},
        {"cone",
         [&] { setNumber(node, "type", 3); },  // base radius 1, height 3
         {-1, 0, -1},
         {1, 3, 1},
         3.0},
        {"torus",
         [&] { setNumber(node, "type", 4); },  // tube 1 around a ring of 2
         {-3, -1, -3},
         {3, 1, 3},
         1.0},
        {"rectangle",
         [&] { setNumber(node, "type", 5); },  // 2 x 3 x 4
         {-1, -1.5, -2},
         {1, 1.5, 2},
         1.5},
        {"cylinder",
         [&] { setNumber(node, "type", 6); },  // height 4, radii 1 and 2
         {-2, -2, -2},
         {2, 2, 2},
         2.0},
    };
    for (const Case& tc : cases) {
        for (int style : {0, 1, 2}) {
            const std::string what = std::string(tc.name) + " drawType " + std::to_string(style);
            setNumber(node, "radius", 1);
            tc.setUp();
            setNumber(node, "drawType", style);
            setNumber(node, "colorR", 0.25);
            setNumber(node, "colorG", 0.5);
            setNumber(node, "colorB", 0.75);
            rdtest::Capture c = drawNode();
            expectBounds(c, tc.min, tc.max, what);
            EXPECT_TRUE(c.balanced()) << what;
            EXPECT_EQ(c.lightingUsed, style == 2) << what;
            EXPECT_EQ(c.lines.empty(), style != 0) << what;
            EXPECT_EQ(c.polygons.empty(), style == 0) << what;
            if (style != 2) {
                for (const rdtest::Vertex& v : c.vertices()) ASSERT_NEAR(v.color[1], 0.5, 1e-3) << what;
            }
            ASSERT_EQ(c.texts.size(), 1u) << what;
            expectText(c.texts[0], "KelPrimitiveLocator", tc.labelY, kLabelColour, what);
        }
    }
}

TEST_F(LocatorTest, CylinderIsDepthHighFromInnerToOuterRadius) {
    setNumber(node, "type", 6);
    setNumber(node, "drawType", 1);
    setNumber(node, "stacks", 1);
    rdtest::Capture c = drawNode();
    ASSERT_FALSE(c.polygons.empty());
    for (const rdtest::Vertex& v : c.vertices()) {
        const double r = std::hypot(v.x, v.z);
        EXPECT_NEAR(r, v.y < 0 ? 1.0 : 2.0, 1e-4) << "y " << v.y;
        EXPECT_NEAR(std::fabs(v.y), 2.0, 1e-4);
    }
}

TEST_F(LocatorTest, LabelTextAndColourComeFromTheAttributes) {
    setString(node, "label", "ankle ctrl");
    setNumber(node, "lcr", 0.2);
    setNumber(node, "lcg", 0.4);
    setNumber(node, "lcb", 0.6);
    rdtest::Capture c = drawNode();
    ASSERT_EQ(c.texts.size(), 1u);
    expectText(c.texts[0], "ankle ctrl", 1.0, {0.2f, 0.4f, 0.6f, 1.0f}, "custom label");
}

TEST_F(LocatorTest, HiddenLabelStillLeavesTheLabelColour) {
    setNumber(node, "displayLabel", 0);
    setNumber(node, "lcr", 0.2);
    rdtest::Capture c = drawNode();
    EXPECT_TRUE(c.texts.empty());
    EXPECT_FALSE(c.polygons.empty());
    EXPECT_NEAR(c.colorAfter[0], 0.2f, 1e-6);
    EXPECT_NEAR(c.colorAfter[1], 0.0f, 1e-6);
    EXPECT_NEAR(c.colorAfter[2], 0.7f, 1e-6);
}

TEST_F(LocatorTest, DrawDependsOnNeitherStyleNorStatus) {
    rdtest::Capture base = drawNode();
    for (M3dView::DisplayStatus status : {M3dView::kActive, M3dView::kLead, M3dView::kTemplate}) {
        rdtest::Capture c = rdtest::captureNodeDraw(scene(), node, M3dView::kWireFrame, status);
        EXPECT_EQ(c.polygons.size(), base.polygons.size()) << status;
        EXPECT_TRUE(c.lightingUsed) << status;
        ASSERT_EQ(c.texts.size(), 1u) << status;
        EXPECT_EQ(c.texts[0].color, base.texts[0].color) << status;
    }
}

TEST_F(LocatorTest, TypeOutsideTheEnumDrawsNoShapeAndLabelsTheOrigin) {
    for (int type : {0, 7, -3, 1000}) {
        setNumber(node, "type", type);
        rdtest::Capture c = drawNode();
        EXPECT_TRUE(c.lines.empty() && c.polygons.empty()) << type;
        EXPECT_EQ(c.calls.pushMatrix + c.calls.pushAttrib, 0) << type;
        EXPECT_TRUE(c.balanced()) << type;
        ASSERT_EQ(c.texts.size(), 1u) << type;
        expectText(c.texts[0], "KelPrimitiveLocator", 0.0, kLabelColour, "type " + std::to_string(type));
    }
}

TEST_F(LocatorTest, NonFiniteValuesFromUpstreamNeverReachGL) {
    // Hard limits do not hold back a connected value; a NaN or infinity must
    // not reach the vertices, the label or the bounding box.
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        for (int type = 1; type <= 6; ++type) {
            const std::string what = "type " + std::to_string(type) + " value " + std::to_string(bad);
            setNumber(node, "type", type);
            for (const char* attr :
                 {"radius", "height", "width", "depth", "innerRadius", "outerRadius", "colorR", "lcr"})
                setNumber(node, attr, bad);
            rdtest::Capture c = drawNode();
            for (const rdtest::Vertex& v : c.vertices()) {
                ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << what;
                ASSERT_TRUE(std::isfinite(v.color[0])) << what;
            }
            ASSERT_EQ(c.texts.size(), 1u) << what;
            EXPECT_TRUE(std::isfinite(c.texts[0].point[1])) << what;
            EXPECT_TRUE(std::isfinite(c.texts[0].color[0])) << what;
            const MBoundingBox box = locator_->boundingBox();
            EXPECT_TRUE(std::isfinite(box.min().x) && std::isfinite(box.max().x)) << what;
        }
    }
}

TEST_F(LocatorTest, DivisionsBeyondTheLimitAreHeldAtFifty) {
    for (int type : {2, 3, 4, 6}) {
        setNumber(node, "type", type);
        setNumber(node, "slices", 50);
        setNumber(node, "stacks", 50);
        const size_t atLimit = drawNode().polygons.size();
        setNumber(node, "slices", 400);
        setNumber(node, "stacks", 400);
        EXPECT_EQ(drawNode().polygons.size(), atLimit) << "type " << type;
        setNumber(node, "slices", 3e9);  // beyond int
        EXPECT_EQ(drawNode().polygons.size(), atLimit) << "type " << type;
    }
}

TEST_F(LocatorTest, BoundingBoxIsACubeOfHeightPlusDepthPlusRadius) {
    struct Case {
        double radius, height, depth, width, inner, outer;
        double s;
    };
    const Case cases[] = {
        {1, 3, 4, 2, 1, 2, 8},      // defaults
        {2, 1, 0.5, 9, 4, 5, 3.5},  // width and the radii of torus and cylinder do not count
        {0, 0, 0, 0, 0, 0, 0},
    };
    EXPECT_TRUE(locator_->isBounded());
    for (const Case& tc : cases) {
        setNumber(node, "radius", tc.radius);
        setNumber(node, "height", tc.height);
        setNumber(node, "depth", tc.depth);
        setNumber(node, "width", tc.width);
        setNumber(node, "innerRadius", tc.inner);
        setNumber(node, "outerRadius", tc.outer);
        for (int type : {1, 4, 6}) {
            setNumber(node, "type", type);
            const MBoundingBox box = locator_->boundingBox();
            EXPECT_DOUBLE_EQ(box.min().x, -tc.s);
            EXPECT_DOUBLE_EQ(box.min().y, -tc.s);
            EXPECT_DOUBLE_EQ(box.min().z, -tc.s);
            EXPECT_DOUBLE_EQ(box.max().x, tc.s);
            EXPECT_DOUBLE_EQ(box.max().y, tc.s);
            EXPECT_DOUBLE_EQ(box.max().z, tc.s);
        }
    }
}

TEST_F(LocatorTest, ComputeDeclinesEveryPlug) {
    MDataBlock block = rdhost::ObjectAccess::block(node);
    for (const char* attr : {"displayLabel", "label", "color", "colorR", "type", "radius", "outerRadius"}) {
        const double before = node->findAttr(attr)->isNumeric() ? getNumber(node, attr) : 0.0;
        EXPECT_EQ(node->user->compute(plug(node, attr), block), MS::kUnknownParameter) << attr;
        if (node->findAttr(attr)->isNumeric()) {
            EXPECT_EQ(getNumber(node, attr), before) << attr;
        }
    }
}

}  // namespace
