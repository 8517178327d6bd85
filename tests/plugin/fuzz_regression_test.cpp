// Inputs found by fuzzing the nodes (fuzz/nodes_fuzzer.cpp), kept as tests:
// values no command would let through but a connection or data-block write
// delivers, on every rigDials node type, then computed and drawn.

#include "gl_capture.h"
#include "plug_reads.h"
#include "rigdials_fixture.h"
#include "shapes.h"

#include <maya/MDataHandle.h>
#include <maya/MFnNumericData.h>

#include <cctype>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

const char* const kTypes[] = {"KelPrimitiveLocator", "KelSliderManipulator", "KelArcSliderManipulator"};

class NodeFuzzRegression : public RigDialsFixture {
protected:
    // Every whole-number input of the node: enums and short/int numerics.
    static std::vector<rdhost::Attr*> wholeNumberInputs(rdhost::Node* n) {
        std::vector<rdhost::Attr*> out;
        for (rdhost::Attr* a : n->type->attrs) {
            if (a->computed) continue;
            if (a->kind == rdhost::AttrKind::Enum ||
                (a->kind == rdhost::AttrKind::Numeric &&
                 (a->numericType == MFnNumericData::kShort || a->numericType == MFnNumericData::kInt)))
                out.push_back(a);
        }
        return out;
    }
};

// A NaN, infinite or huge value on an enum or short attribute used to be cast
// straight to short (undefined; UBSan stopped there). It now saturates, and
// NaN and infinities read as 0.
TEST_F(NodeFuzzRegression, WholeNumberAttributesSaturateAndReadNonFiniteAsZero) {
    struct Case {
        double written;
        double enumOrShort;  // stored in an enum or short attribute
    } cases[] = {
        {kNaN, 0.0},        {kInf, 0.0}, {-kInf, 0.0}, {1e6, 32767.0},
        {-1e300, -32768.0}, {-0.5, 0.0}, {2.9, 2.0},   {-2.9, -2.0},
    };
    for (const char* type : kTypes) {
        rdhost::Node* n = create(type);
        ASSERT_NE(n, nullptr);
        const auto attrs = wholeNumberInputs(n);
        ASSERT_FALSE(attrs.empty()) << type;
        for (rdhost::Attr* a : attrs) {
            if (a->kind == rdhost::AttrKind::Numeric && a->numericType == MFnNumericData::kInt) continue;
            for (const Case& c : cases) {
                n->setNumber(a->index, c.written);
                const double stored = n->storedNumber(a->index);
                EXPECT_EQ(stored, c.enumOrShort) << type << "." << a->longName << " <- " << c.written;
                if (c.enumOrShort == 0.0) {
                    EXPECT_FALSE(std::signbit(stored)) << "no -0 in " << a->longName;
                }
                short s = 1;
                ASSERT_TRUE(plug(n, a->longName).getValue(s));
                EXPECT_EQ(s, static_cast<short>(c.enumOrShort));
            }
        }
    }
}

// A plug read as int or short of a float attribute holding a huge value or NaN
// (a plain cast is undefined) saturates or reads 0.
TEST_F(NodeFuzzRegression, WholeNumberReadsOfFloatAttributesSaturate) {
    rdhost::Node* n = create("KelSliderManipulator");
    ASSERT_NE(n, nullptr);
    rdhost::Attr* f = nullptr;
    for (rdhost::Attr* a : n->type->attrs)
        if (!a->computed && a->kind != rdhost::AttrKind::Compound && a->isNumeric() &&
            (a->kind != rdhost::AttrKind::Numeric || a->numericType == MFnNumericData::kFloat ||
             a->numericType == MFnNumericData::kDouble) &&
            a->kind != rdhost::AttrKind::Enum && !a->parent) {
            f = a;
            break;
        }
    ASSERT_NE(f, nullptr);
    struct Case {
        double written;
        int asInt;
        short asShort;
    } cases[] = {{1e30, INT_MAX, SHRT_MAX}, {-1e30, INT_MIN, SHRT_MIN}, {kNaN, 0, 0}, {-7.5, -7, -7}};
    for (const Case& c : cases) {
        n->setNumber(f->index, c.written);
        int i = 1;
        short s = 1;
        ASSERT_TRUE(plug(n, f->longName).getValue(i));
        ASSERT_TRUE(plug(n, f->longName).getValue(s));
        EXPECT_EQ(i, c.asInt) << f->longName << " <- " << c.written;
        EXPECT_EQ(s, c.asShort) << f->longName << " <- " << c.written;
    }
}

// The plug-in's own readers, on a double attribute that holds what it is given:
// floats pass hostile values on, whole numbers and the finite readers do not.
TEST_F(NodeFuzzRegression, PlugInReadersFollowTheirPolicy) {
    rdhost::Node* n = create("KelSliderManipulator");
    ASSERT_NE(n, nullptr);
    const MObject node = object(n);
    const MObject attr = plug(n, "posStartX").attribute();
    const float fInf = std::numeric_limits<float>::infinity();
    struct Case {
        double written;
        float asFloat;
        int asInt;
        float asFiniteFloat;
        double asFiniteDouble;
    } cases[] = {
        {kNaN, NAN, 0, 0.0f, 0.0},
        {kInf, fInf, 0, 0.0f, 0.0},
        {-kInf, -fInf, 0, 0.0f, 0.0},
        {1e300, fInf, INT_MAX, 0.0f, 1e300},  // beyond single precision
        {-1e30, -1e30f, INT_MIN, -1e30f, -1e30},
        {16777217.0, 16777216.0f, 16777216, 16777216.0f, 16777217.0},
        {-2.9, -2.9f, -2, -2.9f, -2.9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        setNumber(n, "posStartX", c.written);
        const float f = plugs::readFloat(node, attr);
        if (std::isnan(c.asFloat)) {
            EXPECT_TRUE(std::isnan(f));
        } else {
            EXPECT_EQ(f, c.asFloat);
        }
        EXPECT_EQ(plugs::readInt(node, attr), c.asInt);
        EXPECT_EQ(plugs::readFiniteFloat(node, attr), c.asFiniteFloat);
        EXPECT_EQ(plugs::readFiniteDouble(node, attr), c.asFiniteDouble);
    }
}

// After hostile whole-number values every node still computes and draws with
// the GL stacks balanced.
TEST_F(NodeFuzzRegression, NodesComputeAndDrawAfterHostileWholeNumbers) {
    for (const char* type : kTypes) {
        for (double v : {kNaN, kInf, -1e300, 1e6, -1.0}) {
            rdhost::Node* n = create(type);
            ASSERT_NE(n, nullptr);
            for (rdhost::Attr* a : wholeNumberInputs(n)) n->setNumber(a->index, v);
            for (rdhost::Attr* a : n->type->attrs)
                if (a->computed && a->isNumeric()) n->getNumber(a->index);
            rdtest::Capture c = rdtest::captureNodeDraw(scene(), n);
            EXPECT_TRUE(c.balanced()) << type << " with " << v;
            EXPECT_TRUE(c.warnings.empty())
                << type << " with " << v << ": " << (c.warnings.empty() ? "" : c.warnings[0]);
            scene().deleteNode(n->parent ? n->parent : n);
        }
    }
}

// Tessellation counts from a connection are not limited: a slider's head of
// slices -108 made GLUT allocate a negative size (found by the fuzzer). Every
// shape now takes counts between 0 and 50: none below draws nothing, any
// above draws what 50 draws.
TEST_F(NodeFuzzRegression, ShapesHoldTessellationCountsToTheirRange) {
    using Make = std::function<Shape*(int)>;
    const struct {
        const char* name;
        Make make;
    } shapes[] = {
        {"sphere", [](int n) { return new SphereShape(1.0f, n, n); }},
        {"cone", [](int n) { return new ConeShape(1.0f, 2.0f, n, n); }},
        {"torus", [](int n) { return new TorusShape(0.5f, 1.0f, n, n); }},
        {"cylinder", [](int n) { return new CylinderShape(2.0f, 1.0f, 1.0f, n, n); }},
    };
    auto count = [&](const Make& make, int n, M3dView::DisplayStyle style) {
        std::unique_ptr<Shape> shape(make(n));
        rdtest::Capture c = rdtest::captureDraw(scene(), [&](M3dView& view) {
            view.beginGL();
            shape->draw(view, style);
            view.endGL();
        });
        EXPECT_TRUE(c.balanced()) << n;
        EXPECT_TRUE(c.warnings.empty()) << n;
        return c.lines.size() + c.polygons.size();
    };
    for (const auto& s : shapes) {
        for (auto style : {M3dView::kGouraudShaded, M3dView::kWireFrame}) {
            SCOPED_TRACE(std::string(s.name) + (style == M3dView::kWireFrame ? " wire" : " solid"));
            const std::size_t most = count(s.make, 50, style);
            EXPECT_GT(most, 0u);
            for (int n : {INT_MIN, -108, -1, 0}) EXPECT_EQ(count(s.make, n, style), 0u) << n;
            for (int n : {51, 32767, INT_MAX}) EXPECT_EQ(count(s.make, n, style), most) << n;
        }
    }
}

// The same through the nodes: every tessellation input at hostile values and
// every head and handle type, drawn balanced.
TEST_F(NodeFuzzRegression, NodesDrawEveryShapeWithHostileTessellation) {
    for (const char* type : kTypes) {
        rdhost::Node* n = create(type);
        ASSERT_NE(n, nullptr);
        std::vector<rdhost::Attr*> counts, kinds;
        for (rdhost::Attr* a : n->type->attrs) {
            std::string name = a->longName;
            for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (name.find("slices") != std::string::npos || name.find("stacks") != std::string::npos)
                counts.push_back(a);
            else if (a->kind == rdhost::AttrKind::Enum && name.find("type") != std::string::npos)
                kinds.push_back(a);
        }
        ASSERT_FALSE(counts.empty()) << type;
        ASSERT_FALSE(kinds.empty()) << type;
        for (double v : {-108.0, -1.0, 0.0, 32767.0}) {
            for (rdhost::Attr* a : counts) n->setNumber(a->index, v);
            for (std::size_t field = 0; field < 8; ++field) {
                for (rdhost::Attr* k : kinds)
                    n->setNumber(k->index, field < k->enumFields.size() ? k->enumFields[field].second
                                                                        : static_cast<double>(field));
                rdtest::Capture c = rdtest::captureNodeDraw(scene(), n);
                EXPECT_TRUE(c.balanced()) << type << " count " << v << " field " << field;
                EXPECT_TRUE(c.warnings.empty()) << type << " count " << v << " field " << field;
            }
        }
    }
}

}  // namespace
