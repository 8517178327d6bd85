// The arc slider node as the host sees it: its attribute table, dependency
// declarations, failure lines, angle reading and key requests.
#include "rigdials_fixture.h"

#include <maya/MFnNumericData.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using rdhost::Attr;
using rdhost::AttrKind;

const double kNone = std::nan("");

struct Row {
    const char* longName;
    const char* shortName;
    AttrKind kind;
    int numericType;  // MFnNumericData::Type for numeric rows
    double def;
    double min;  // kNone: no limit
    double max;
    bool keyable;
};

const int kB = MFnNumericData::kBoolean, kS = MFnNumericData::kShort, kF = MFnNumericData::kFloat,
          kD = MFnNumericData::kDouble;
const AttrKind N = AttrKind::Numeric, Dist = AttrKind::Distance, Ang = AttrKind::Angle,
               Str = AttrKind::String, En = AttrKind::Enum, C = AttrKind::Compound;

const Row kRows[] = {
    {"connectToAttr", "cta", Str, 0, 0, kNone, kNone, true},
    {"size", "sz", Dist, 0, 1.0, 0.0, 10.0, true},
    {"radius", "rd", Dist, 0, 3.0, kNone, kNone, true},
    {"startAngle", "sta", Ang, 0, 0.28, 0.0, 6.3, true},
    {"endAngle", "eda", Ang, 0, 6.0, 0.0, 6.3, true},
    {"currentAngle", "cra", Ang, 0, 3.1415, 0.0, 6.3, true},
    {"angleOffset", "aos", Ang, 0, 0.0, kNone, kNone, true},
    {"angleValue", "avl", N, kF, 0.0, kNone, kNone, false},
    {"displayLabel", "dlb", N, kB, 1.0, kNone, kNone, true},
    {"label", "lab", Str, 0, 0, kNone, kNone, true},
    {"labelColorR", "lcr", N, kF, 0.0, kNone, kNone, true},
    {"labelColorG", "lcg", N, kF, 0.0, kNone, kNone, true},
    {"labelColorB", "lcb", N, kF, 0.7, kNone, kNone, true},
    {"labelColor", "lc", C, 0, 0, kNone, kNone, false},
    {"displayValue", "dlv", N, kB, 1.0, kNone, kNone, true},
    {"valueColorR", "vcr", N, kF, 0.0, kNone, kNone, true},
    {"valueColorG", "vcg", N, kF, 0.0, kNone, kNone, true},
    {"valueColorB", "vcb", N, kF, 0.7, kNone, kNone, true},
    {"valueColor", "vc", C, 0, 0, kNone, kNone, false},
    {"displayLine", "dln", N, kB, 1.0, kNone, kNone, true},
    {"lineWidth", "lwd", N, kS, 1.0, 1.0, 10.0, true},
    {"lineColorR", "lncr", N, kF, 0.2, kNone, kNone, true},
    {"lineColorG", "lncg", N, kF, 1.0, kNone, kNone, true},
    {"lineColorB", "lncb", N, kF, 0.0, kNone, kNone, true},
    {"lineColor", "lnc", C, 0, 0, kNone, kNone, false},
    {"snap", "sp", N, kB, 1.0, kNone, kNone, true},
    {"displaySnap", "dsp", N, kB, 1.0, kNone, kNone, true},
    {"displaySnapValue", "dspv", N, kB, 1.0, kNone, kNone, true},
    {"snapValue", "spv", N, kD, 1.0, 0.0, 100.0, true},
    {"snapMainValue", "spmv", N, kS, 10.0, 0.0, 100.0, true},
    {"snapWidth", "spw", N, kS, 2.0, 1.0, 10.0, true},
    {"snapLength", "spl", N, kF, 0.2, 0.0, 10.0, true},
    {"snapColorR", "spcr", N, kF, 0.0, kNone, kNone, true},
    {"snapColorG", "spcg", N, kF, 0.0, kNone, kNone, true},
    {"snapColorB", "spcb", N, kF, 0.8, kNone, kNone, true},
    {"snapColor", "spc", C, 0, 0, kNone, kNone, false},
    {"headDrawType", "hdt", En, 0, 2.0, kNone, kNone, true},
    {"startHeadType", "sht", En, 0, 3.0, kNone, kNone, true},
    {"endHeadType", "eht", En, 0, 3.0, kNone, kNone, true},
    {"headRadius", "hrd", N, kF, 0.2, 0.0, 10.0, true},
    {"headColorR", "hr", N, kF, 1.0, kNone, kNone, true},
    {"headColorG", "hc", N, kF, 0.8, kNone, kNone, true},
    {"headColorB", "hb", N, kF, 0.0, kNone, kNone, true},
    {"headColor", "hcl", C, 0, 0, kNone, kNone, false},
    {"headHeight", "hh", N, kF, 1.0, 0.0, 5.0, true},
    {"headWidth", "hw", N, kF, 1.0, 0.0, 5.0, true},
    {"headDepth", "hd", N, kF, 1.0, 0.0, 5.0, true},
    {"headInnerRadius", "hir", N, kF, 0.5, 0.0, 2.0, true},
    {"headOuterRadius", "hor", N, kF, 1.0, 0.0, 2.0, true},
    {"headSlices", "hsl", N, kS, 12.0, 4.0, 50.0, true},
    {"headStacks", "hst", N, kS, 2.0, 4.0, 50.0, true},
    {"handleDrawType", "tdt", En, 0, 2.0, kNone, kNone, true},
    {"handleType", "ht", En, 0, 2.0, kNone, kNone, true},
    {"handleRadius", "hard", N, kF, 0.15, 0.0, 5.0, true},
    {"handleColorR", "har", N, kF, 1.0, kNone, kNone, true},
    {"handleColorG", "hac", N, kF, 0.0, kNone, kNone, true},
    {"handleColorB", "hab", N, kF, 0.0, kNone, kNone, true},
    {"handleColor", "hacl", C, 0, 0, kNone, kNone, false},
    {"handleHeight", "hah", N, kF, 1.0, 0.0, 5.0, true},
    {"handleWidth", "haw", N, kF, 1.0, 0.0, 5.0, true},
    {"handleDepth", "had", N, kF, 1.0, 0.0, 5.0, true},
    {"handleInnerRadius", "hair", N, kF, 0.5, 0.0, 2.0, true},
    {"handleOuterRadius", "haor", N, kF, 1.0, 0.0, 2.0, true},
    {"handleSlices", "hasl", N, kS, 12.0, 4.0, 50.0, true},
    {"handleStacks", "hast", N, kS, 12.0, 4.0, 50.0, true},
    {"KeyCurrentAngle", "kca", N, kB, 1.0, kNone, kNone, true},
    {"action", "ac", N, kS, 0.0, kNone, kNone, false},
};

class ArcSliderTest : public RigDialsFixture {
protected:
    rdhost::Node* arc(const std::string& name = "arc1") { return create("KelArcSliderManipulator", name); }
};

TEST_F(ArcSliderTest, RegistersAsLocatorWithItsIdAndFirstInTheTable) {
    rdhost::NodeType* type = scene().findType("KelArcSliderManipulator");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->id, 0x80668u);
    EXPECT_EQ(type->kind, 1);  // kLocatorNode
    ASSERT_FALSE(type->plugin->types.empty());
    EXPECT_EQ(type->plugin->types.front(), type);
}

TEST_F(ArcSliderTest, AttributesFollowTheTableInOrder) {
    rdhost::NodeType* type = scene().findType("KelArcSliderManipulator");
    ASSERT_NE(type, nullptr);
    const size_t count = sizeof(kRows) / sizeof(kRows[0]);
    ASSERT_EQ(count, 67u);
    // The host's own locator attributes come first.
    size_t first = 0;
    while (first < type->attrs.size() && type->attrs[first]->longName != "connectToAttr") ++first;
    ASSERT_EQ(type->attrs.size() - first, count);
    for (size_t i = 0; i < count; ++i) {
        const Row& row = kRows[i];
        const Attr* a = type->attrs[first + i];
        SCOPED_TRACE(row.longName);
        EXPECT_EQ(a->longName, row.longName);
        EXPECT_EQ(a->shortName, row.shortName);
        EXPECT_EQ(a->kind, row.kind);
        if (row.kind == AttrKind::Numeric) {
            EXPECT_EQ(a->numericType, row.numericType);
        }
        if (row.kind != AttrKind::String && row.kind != AttrKind::Compound) {
            EXPECT_NEAR(a->defaultValue, row.def, 1e-6);
        }
        EXPECT_EQ(a->hasMin, !std::isnan(row.min));
        EXPECT_EQ(a->hasMax, !std::isnan(row.max));
        if (a->hasMin) {
            EXPECT_NEAR(a->minValue, row.min, 1e-9);
        }
        if (a->hasMax) {
            EXPECT_NEAR(a->maxValue, row.max, 1e-9);
        }
        if (row.kind != AttrKind::Compound) {
            EXPECT_EQ(a->keyable, row.keyable);
            EXPECT_FALSE(a->hidden);
            EXPECT_FALSE(a->array);
        } else {
            EXPECT_TRUE(a->usedAsColor);
            EXPECT_TRUE(a->storable);
            ASSERT_EQ(a->children.size(), 3u);
            // The three float children are the rows just before the compound.
            for (int c = 0; c < 3; ++c) EXPECT_EQ(a->children[c], type->attrs[first + i - 3 + c]);
        }
    }
}

TEST_F(ArcSliderTest, StringsEnumsAndColoursHaveTheirDefaults) {
    rdhost::Node* node = arc();
    EXPECT_EQ(getString(node, "label"), "KelArcSlider");
    EXPECT_EQ(getString(node, "connectToAttr"), "");
    const struct {
        const char* colour;
        double r, g, b;
    } colours[] = {
        {"labelColor", 0, 0, 0.7}, {"valueColor", 0, 0, 0.7}, {"lineColor", 0.2, 1, 0},
        {"snapColor", 0, 0, 0.8},  {"headColor", 1, 0.8, 0},  {"handleColor", 1, 0, 0},
    };
    for (const auto& c : colours) {
        const Attr* a = node->findAttr(c.colour);
        ASSERT_NE(a, nullptr) << c.colour;
        EXPECT_NEAR(node->getNumber(a->children[0]->index), c.r, 1e-6) << c.colour;
        EXPECT_NEAR(node->getNumber(a->children[1]->index), c.g, 1e-6) << c.colour;
        EXPECT_NEAR(node->getNumber(a->children[2]->index), c.b, 1e-6) << c.colour;
    }
    const std::vector<std::pair<std::string, int>> drawTypes = {{"Wire", 0}, {"Solid", 1}, {"Smooth", 2}};
    const std::vector<std::pair<std::string, int>> shapeTypes = {
        {"none", 0},  {"Cube", 1},      {"Sphere", 2},  {"Cone", 3},
        {"torus", 4}, {"rectangle", 5}, {"cylinder", 6}};
    EXPECT_EQ(node->findAttr("headDrawType")->enumFields, drawTypes);
    EXPECT_EQ(node->findAttr("handleDrawType")->enumFields, drawTypes);
    EXPECT_EQ(node->findAttr("startHeadType")->enumFields, shapeTypes);
    EXPECT_EQ(node->findAttr("endHeadType")->enumFields, shapeTypes);
    EXPECT_EQ(node->findAttr("handleType")->enumFields, shapeTypes);
}

TEST_F(ArcSliderTest, OnlyTheThreeDeclaredInputsAffectOutputs) {
    rdhost::NodeType* type = scene().findType("KelArcSliderManipulator");
    ASSERT_NE(type, nullptr);
    const int angleValue = type->findAttr("angleValue")->index;
    const int action = type->findAttr("action")->index;
    for (const Attr* a : type->attrs) {
        std::vector<int> expected;
        if (a->longName == "currentAngle" || a->longName == "angleOffset") expected = {angleValue};
        if (a->longName == "KeyCurrentAngle") expected = {action};
        EXPECT_EQ(a->affects, expected) << a->longName;
        EXPECT_EQ(a->computed, a->index == angleValue || a->index == action) << a->longName;
    }
}

TEST_F(ArcSliderTest, AngleValueIsTheSumInDegreesFlooredToTheStep) {
    const double deg = M_PI / 180.0;
    const struct {
        double current, offset, snap, step, expected, tolerance;
    } cases[] = {
        {3.1415, 0.0, 1, 1.0, 179.0, 0.0},  // floor of 179.994..., not 180
        {3.1415, 0.0, 0, 1.0, 179.9947, 1e-3},
        {0.0, 0.5, 0, 1.0, 28.6479, 1e-3},
        {29.9 * deg, 0.0, 1, 10.0, 20.0, 0.0},    // floor, not nearest
        {0.0, -0.5 * deg, 1, 1.0, -1.0, 0.0},     // towards minus infinity
        {3.1415, 0.0, 1, 0.0, 179.9947, 1e-3},    // zero step: left unsnapped
        {3.1415, 0.0, 1, 1e-40, 179.9947, 1e-3},  // quotient overflows: left unsnapped
        {3.1415, 0.0, 1, 2.5, 177.5, 1e-4},
        // Single-precision noise just below a step stays on that step.
        {100 * deg, -90 * deg, 1, 5.0, 10.0, 1e-5},  // 9.999998
        {80 * deg, -90 * deg, 1, 5.0, -10.0, 1e-5},  // -10.000005
        {31 * deg, 0.0, 1, 1.0, 31.0, 1e-5},         // 30.999998
    };
    for (const auto& c : cases) {
        rdhost::Node* node = arc("");
        setNumber(node, "snap", c.snap);
        setNumber(node, "snapValue", c.step);
        setNumber(node, "currentAngle", c.current);
        setNumber(node, "angleOffset", c.offset);
        const double value = getNumber(node, "angleValue");
        EXPECT_NEAR(value, c.expected, c.tolerance)
            << "current " << c.current << " offset " << c.offset << " snap " << c.snap << " step " << c.step;
        EXPECT_TRUE(std::isfinite(value));
    }
}

TEST_F(ArcSliderTest, SnapSettingsAloneDoNotReevaluateTheReading) {
    rdhost::Node* node = arc();
    EXPECT_EQ(getNumber(node, "angleValue"), 179.0);
    setNumber(node, "snap", 0);
    setNumber(node, "snapValue", 5.0);
    EXPECT_EQ(getNumber(node, "angleValue"), 179.0);
    setNumber(node, "currentAngle", 3.1415);
    EXPECT_NEAR(getNumber(node, "angleValue"), 179.9947, 1e-3);
}

TEST_F(ArcSliderTest, KeyRequestSendsOneDeferredKeyframeAndSwitchesItselfOff) {
    recordCommands();
    rdhost::Node* node = arc("arcShape1");
    const std::string expected = "evalDeferred \"setKeyframe " + node->partialPathName() + ".currentAngle\"";
    EXPECT_EQ(expected.size(), 26 + node->partialPathName().size() + 14);

    setNumber(node, "KeyCurrentAngle", 1);
    getNumber(node, "action");
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], expected);
    EXPECT_EQ(getNumber(node, "KeyCurrentAngle"), 0.0);

    // The reset went through the data block: "action" stays clean.
    getNumber(node, "action");
    EXPECT_EQ(commands.size(), 1u);

    // A new request, and a hand change from on to off, each key once more.
    setNumber(node, "KeyCurrentAngle", 1);
    getNumber(node, "action");
    EXPECT_EQ(commands.size(), 2u);
    setNumber(node, "KeyCurrentAngle", 0);
    getNumber(node, "action");
    EXPECT_EQ(commands.size(), 3u);
    EXPECT_EQ(getNumber(node, "action"), 0.0);  // never written
}

TEST_F(ArcSliderTest, ComputeOfAnyOtherPlugSucceedsAndChangesNothing) {
    recordCommands();
    rdhost::Node* node = arc();
    ASSERT_NE(node->user, nullptr);
    const int keySlot = slot(node, "KeyCurrentAngle");
    const int valueSlot = slot(node, "angleValue");
    for (const char* name : {"radius", "snap", "label", "KeyCurrentAngle"}) {
        MDataBlock block = rdhost::ObjectAccess::block(node);
        EXPECT_EQ(node->user->compute(plug(node, name), block), MS::kSuccess) << name;
    }
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(node->storedNumber(keySlot), 1.0);
    EXPECT_EQ(node->storedNumber(valueSlot), 0.0);
    EXPECT_TRUE(node->isDirty(valueSlot));
}

// Failure lines of initialize: each examined step prints its fixed text and
// stops; the steps it does not examine print nothing and go on.
class ArcSliderInitFailureTest : public SceneFixture {};

TEST_F(ArcSliderInitFailureTest, EachExaminedStepPrintsItsLineAndStops) {
    const struct {
        int addAt, affectsAt;
        const char* line;
        bool registers;
    } cases[] = {
        {1, 0, "addAttribute: ATTR\n", false},        // connectToAttr
        {2, 0, "addAttribute NAME##error\n", false},  // size
        {8, 0, "addAttribute NAME error\n", false},   // angleValue
        {37, 0, "addAttribute: ATTR\n", false},       // headDrawType
        {52, 0, "addAttribute: ATTR\n", false},       // handleDrawType
        {67, 0, "addAttribute NAME error\n", false},  // action
        {0, 1, "attributeAffects:currentAngle->angleValue\n", false},
        {0, 2, "attributeAffects:angleOffset->angleValue\n", false},
        {0, 3, "attributeAffects:KeyCurrentAngle->action\n", false},
        {14, 0, "", true},  // labelColor: not examined
        {38, 0, "", true},  // startHeadType: not examined
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("add ") + std::to_string(c.addAt) + " affects " +
                     std::to_string(c.affectsAt));
        TearDown();
        SetUp();
        if (c.addAt) scene().faults().failNext(rdhost::Fault::AddAttribute, c.addAt);
        if (c.affectsAt) scene().faults().failNext(rdhost::Fault::AttributeAffects, c.affectsAt);
        const int addsBefore = scene().faults().calls(rdhost::Fault::AddAttribute);
        captureStderr();
        bool loaded = true;
        try {
            scene().loadPlugin(RIGDIALS_BIN_DIR "/rigDials.so");
        } catch (const rdhost::HostError&) {
            loaded = false;
        }
        const std::string err = capturedStderr();
        rdhost::NodeType* type = scene().findType("KelArcSliderManipulator");
        const bool registered = type != nullptr && !type->removed;
        EXPECT_EQ(registered, c.registers);
        if (c.registers) {
            EXPECT_TRUE(loaded);
            EXPECT_EQ(scene().faults().calls(rdhost::Fault::AddAttribute) - addsBefore >= 67, true);
            EXPECT_EQ(err.find("error"), std::string::npos) << err;
        } else {
            EXPECT_FALSE(loaded);
            // The node's own line first, then the registration's report.
            EXPECT_EQ(err.rfind(c.line, 0), 0u) << err;
            EXPECT_NE(err.find("registerNode"), std::string::npos) << err;
            if (c.addAt) {
                EXPECT_EQ(scene().faults().calls(rdhost::Fault::AddAttribute) - addsBefore, c.addAt);
            }
        }
    }
}

}  // namespace
