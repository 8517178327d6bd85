// The linear slider node as the host sees it: its attribute set, what its
// inputs dirty, the numbers it computes and its key request.

#include "rigdials_fixture.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace {

const double kNoLimit = std::numeric_limits<double>::quiet_NaN();

struct AttrRow {
    const char* name;
    const char* shortName;
    double defaultValue;  // NaN for strings and compounds
    double min, max;      // NaN when not set
    bool keyable;
};

// Every attribute in creation order. Saved scenes rely on names, short names,
// defaults and limits, so all of them are checked.
const AttrRow kAttrs[] = {
    {"connectToAttr", "cta", kNoLimit, kNoLimit, kNoLimit, true},
    {"size", "sz", 1.0, 0.0, 10.0, true},
    {"posHandle", "hp", 2.5, kNoLimit, kNoLimit, true},
    {"distance", "d", 5.0, kNoLimit, kNoLimit, false},
    {"ratio", "ra", 0.5, 0.0, 1.0, false},
    {"startValue", "svl", 0.0, kNoLimit, kNoLimit, true},
    {"endValue", "evl", 10.0, kNoLimit, kNoLimit, true},
    {"currentValue", "cvl", 5.0, kNoLimit, kNoLimit, false},
    {"displayLabel", "dlb", 1.0, kNoLimit, kNoLimit, true},
    {"label", "lab", kNoLimit, kNoLimit, kNoLimit, true},
    {"labelColorR", "lcr", 0.0, kNoLimit, kNoLimit, true},
    {"labelColorG", "lcg", 0.0, kNoLimit, kNoLimit, true},
    {"labelColorB", "lcb", 0.7, kNoLimit, kNoLimit, true},
    {"labelColor", "lc", kNoLimit, kNoLimit, kNoLimit, false},
    {"displayValue", "dvl", 1.0, kNoLimit, kNoLimit, true},
    {"valueColorR", "vcr", 0.0, kNoLimit, kNoLimit, true},
    {"valueColorG", "vcg", 0.0, kNoLimit, kNoLimit, true},
    {"valueColorB", "vcb", 0.7, kNoLimit, kNoLimit, true},
    {"valueColor", "vc", kNoLimit, kNoLimit, kNoLimit, false},
    {"displayLine", "dln", 1.0, kNoLimit, kNoLimit, true},
    {"lineWidth", "lwd", 1.0, 1.0, 10.0, true},
    {"lineColorR", "lncr", 0.2, kNoLimit, kNoLimit, true},
    {"lineColorG", "lncg", 1.0, kNoLimit, kNoLimit, true},
    {"lineColorB", "lncb", 0.0, kNoLimit, kNoLimit, true},
    {"lineColor", "lnc", kNoLimit, kNoLimit, kNoLimit, false},
    {"snap", "sp", 0.0, kNoLimit, kNoLimit, true},
    {"displaySnap", "dsp", 1.0, kNoLimit, kNoLimit, true},
    {"displaySnapValue", "dspv", 1.0, kNoLimit, kNoLimit, true},
    {"snapValue", "spv", 0.1, 0.0, 100.0, true},
    {"snapMainValue", "spmv", 10.0, 0.0, 100.0, true},
    {"snapWidth", "spw", 2.0, 1.0, 10.0, true},
    {"snapLength", "spl", 0.2, 0.0, 10.0, true},
    {"snapColorR", "spcr", 0.0, kNoLimit, kNoLimit, true},
    {"snapColorG", "spcg", 0.0, kNoLimit, kNoLimit, true},
    {"snapColorB", "spcb", 0.8, kNoLimit, kNoLimit, true},
    {"snapColor", "spc", kNoLimit, kNoLimit, kNoLimit, false},
    {"posStartX", "psx", 0.0, kNoLimit, kNoLimit, true},
    {"posStartY", "psy", 0.0, kNoLimit, kNoLimit, true},
    {"posStartZ", "psz", 0.0, kNoLimit, kNoLimit, true},
    {"posStart", "ps", kNoLimit, kNoLimit, kNoLimit, false},
    {"posEndX", "pex", 0.0, kNoLimit, kNoLimit, true},
    {"posEndY", "pey", 5.0, kNoLimit, kNoLimit, true},
    {"posEndZ", "pez", 1e-9, kNoLimit, kNoLimit, true},  // from the compound's default
    {"posEnd", "pe", kNoLimit, kNoLimit, kNoLimit, false},
    {"headDrawType", "hdt", 2.0, kNoLimit, kNoLimit, true},
    {"startHeadType", "sht", 3.0, kNoLimit, kNoLimit, true},
    {"endHeadType", "eht", 3.0, kNoLimit, kNoLimit, true},
    {"headRadius", "hrd", 0.2, 0.0, 10.0, true},
    {"headColorR", "hr", 1.0, kNoLimit, kNoLimit, true},
    {"headColorG", "hc", 0.8, kNoLimit, kNoLimit, true},
    {"headColorB", "hb", 0.0, kNoLimit, kNoLimit, true},
    {"headColor", "hcl", kNoLimit, kNoLimit, kNoLimit, false},
    {"headHeight", "hh", 1.0, 0.0, 5.0, true},
    {"headWidth", "hw", 1.0, 0.0, 5.0, true},
    {"headDepth", "hd", 1.0, 0.0, 5.0, true},
    {"headInnerRadius", "hir", 0.5, 0.0, 2.0, true},
    {"headOuterRadius", "hor", 1.0, 0.0, 2.0, true},
    {"headSlices", "hsl", 12.0, 4.0, 50.0, true},
    {"headStacks", "hst", 2.0, 4.0, 50.0, true},  // below its minimum, kept so
    {"handleDrawType", "tdt", 2.0, kNoLimit, kNoLimit, true},
    {"handleType", "ht", 2.0, kNoLimit, kNoLimit, true},
    {"handleRadius", "hard", 0.15, 0.0, 5.0, true},
    {"handleColorR", "har", 1.0, kNoLimit, kNoLimit, true},
    {"handleColorG", "hac", 0.0, kNoLimit, kNoLimit, true},
    {"handleColorB", "hab", 0.0, kNoLimit, kNoLimit, true},
    {"handleColor", "hacl", kNoLimit, kNoLimit, kNoLimit, false},
    {"handleHeight", "hah", 1.0, 0.0, 5.0, true},
    {"handleWidth", "haw", 1.0, 0.0, 5.0, true},
    {"handleDepth", "had", 1.0, 0.0, 5.0, true},
    {"handleInnerRadius", "hair", 0.5, 0.0, 2.0, true},
    {"handleOuterRadius", "haor", 1.0, 0.0, 2.0, true},
    {"handleSlices", "hasl", 12.0, 4.0, 50.0, true},
    {"handleStacks", "hast", 12.0, 4.0, 50.0, true},
    {"KeyCurrentValue", "kcv", 0.0, kNoLimit, kNoLimit, true},
    {"action", "act", 0.0, kNoLimit, kNoLimit, false},  // keyable only until added
};

class SliderNode : public RigDialsFixture {
protected:
    SliderNode() : RigDialsFixture("KelSliderManipulator") {}

    bool isDirty(const char* attr) { return node->isDirty(slot(node, attr)); }
};

TEST_F(SliderNode, HasEveryAttributeInOrderWithItsNamesDefaultsLimitsAndKeyability) {
    // The host's own attributes (visibility...) come first.
    const rdhost::NodeType* type = node->type;
    const size_t first = static_cast<size_t>(slot(node, "connectToAttr"));
    ASSERT_EQ(type->attrs.size() - first, std::size(kAttrs));
    for (size_t i = 0; i < std::size(kAttrs); ++i) {
        const AttrRow& row = kAttrs[i];
        const rdhost::Attr* a = type->attrs[first + i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(a->longName, row.name);
        EXPECT_EQ(a->shortName, row.shortName);
        EXPECT_EQ(a->keyable, row.keyable);
        if (!std::isnan(row.defaultValue)) {
            EXPECT_NEAR(a->defaultValue, row.defaultValue, 1e-7 * std::fabs(row.defaultValue) + 1e-15);
        }
        EXPECT_EQ(a->hasMin, !std::isnan(row.min));
        EXPECT_EQ(a->hasMax, !std::isnan(row.max));
        if (a->hasMin) {
            EXPECT_DOUBLE_EQ(a->minValue, row.min);
        }
        if (a->hasMax) {
            EXPECT_DOUBLE_EQ(a->maxValue, row.max);
        }
    }
}

TEST_F(SliderNode, AttributeKindsStringsAndCompounds) {
    using K = rdhost::AttrKind;
    EXPECT_EQ(node->findAttr("size")->kind, K::Distance);
    EXPECT_EQ(node->findAttr("posHandle")->kind, K::Distance);
    EXPECT_EQ(node->findAttr("connectToAttr")->kind, K::String);
    EXPECT_EQ(getString(node, "connectToAttr"), "");
    EXPECT_EQ(getString(node, "label"), "KelSlider");
    const int kShort = 4, kFloat = 11, kDouble = 14, kBoolean = 1;
    EXPECT_EQ(node->findAttr("distance")->numericType, kFloat);
    EXPECT_EQ(node->findAttr("snapValue")->numericType, kDouble);
    EXPECT_EQ(node->findAttr("posEndY")->numericType, kDouble);
    EXPECT_EQ(node->findAttr("lineWidth")->numericType, kShort);
    EXPECT_EQ(node->findAttr("action")->numericType, kShort);
    EXPECT_EQ(node->findAttr("KeyCurrentValue")->numericType, kBoolean);

    const char* compounds[][4] = {
        {"labelColor", "labelColorR", "labelColorG", "labelColorB"},
        {"valueColor", "valueColorR", "valueColorG", "valueColorB"},
        {"lineColor", "lineColorR", "lineColorG", "lineColorB"},
        {"snapColor", "snapColorR", "snapColorG", "snapColorB"},
        {"posStart", "posStartX", "posStartY", "posStartZ"},
        {"posEnd", "posEndX", "posEndY", "posEndZ"},
        {"headColor", "headColorR", "headColorG", "headColorB"},
        {"handleColor", "handleColorR", "handleColorG", "handleColorB"},
    };
    for (const auto& c : compounds) {
        SCOPED_TRACE(c[0]);
        const rdhost::Attr* a = node->findAttr(c[0]);
        ASSERT_EQ(a->kind, K::Compound);
        EXPECT_TRUE(a->usedAsColor);
        EXPECT_TRUE(a->storable);
        ASSERT_EQ(a->children.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(a->children[i]->longName, c[i + 1]);
        }
    }
}

TEST_F(SliderNode, EnumFieldsAreStoredAsSpelled) {
    using Fields = std::vector<std::pair<std::string, int>>;
    const Fields snapModes = {{"None", 0}, {"Ratio", 1}, {"Distance", 2}, {"Position", 3}};
    const Fields drawTypes = {{"Wire", 0}, {"Solid", 1}, {"Smooth", 2}};
    const Fields shapeTypes = {{"none", 0},  {"Cube", 1},      {"Sphere", 2},  {"Cone", 3},
                               {"torus", 4}, {"rectangle", 5}, {"cylinder", 6}};
    const std::pair<const char*, const Fields*> enums[] = {
        {"displayValue", &snapModes},   {"snap", &snapModes},           {"headDrawType", &drawTypes},
        {"handleDrawType", &drawTypes}, {"startHeadType", &shapeTypes}, {"endHeadType", &shapeTypes},
        {"handleType", &shapeTypes},
    };
    for (const auto& e : enums) {
        SCOPED_TRACE(e.first);
        const rdhost::Attr* a = node->findAttr(e.first);
        EXPECT_EQ(a->kind, rdhost::AttrKind::Enum);
        EXPECT_EQ(a->enumFields, *e.second);
    }
}

TEST_F(SliderNode, DefaultsComputeToTheStoredDefaults) {
    EXPECT_FLOAT_EQ(get("distance"), 5.0f);
    EXPECT_FLOAT_EQ(get("ratio"), 0.5f);
    EXPECT_FLOAT_EQ(get("currentValue"), 5.0f);
}

struct RatioCase {
    const char* what;
    int snap;
    double snapValue, startValue, endValue, posHandle, posEndY;
    double ratio;
};

TEST_F(SliderNode, RatioFollowsTheHandleAndSnapsDown) {
    const RatioCase cases[] = {
        {"no snapping", 0, 0.1, 0, 10, 2.85, 5, 0.57},
        {"handle beyond the end", 0, 0.1, 0, 10, 7.5, 5, 1.5},
        {"negative handle", 0, 0.1, 0, 10, -1.0, 5, -0.2},
        {"Ratio floors, not nearest", 1, 0.1, 0, 10, 2.85, 5, 0.5},
        {"Ratio below zero floors away from zero", 1, 0.1, 0, 10, -0.25, 5, -0.1},
        {"Distance snaps the handle back to 2.0", 2, 0.5, 0, 10, 2.37, 5, 0.4},
        {"Position in tenths over 0..10", 3, 1.0, 0, 10, 2.37, 5, 0.4},
        {"Position range 9.7 counts as 9", 3, 1.0, 0, 9.7, 2.37, 5, 4.0 / 9.0},
        {"Position range -3.2 counts as 3", 3, 1.0, 3.2, 0, 2.37, 5, 1.0 / 3.0},
        // Single-precision noise just below a step stays on that step:
        // 0.9 / 3 is 0.29999998, 0.1 * 5 / 0.1 is 0.99999994.
        {"Ratio 0.9 cm of 3 cm is 0.3", 1, 0.1, 0, 10, 0.9, 3, 0.3},
        {"Distance 0.1 cm of 5 cm is one step", 2, 0.1, 0, 10, 0.1, 5, 0.02},
        {"Position 0.9 cm of 3 cm is value 3", 3, 1.0, 0, 10, 0.9, 3, 0.3},
        // A zero step or a zero whole-number range would divide by zero: the
        // ratio stays unsnapped and finite.
        {"Ratio with step 0", 1, 0.0, 0, 10, 2.85, 5, 0.57},
        {"Distance with step 0", 2, 0.0, 0, 10, 2.85, 5, 0.57},
        {"Position with step 0", 3, 0.0, 0, 10, 2.85, 5, 0.57},
        {"Position with values 0.5 apart", 3, 1.0, 0, 0.5, 2.85, 5, 0.57},
        {"unknown mode", 7, 0.1, 0, 10, 2.85, 5, 0.57},
    };
    for (const RatioCase& c : cases) {
        SCOPED_TRACE(c.what);
        set("snap", c.snap);
        set("snapValue", c.snapValue);
        set("startValue", c.startValue);
        set("endValue", c.endValue);
        set("posEndY", c.posEndY);
        // The handle last, and moved for sure: snap settings alone do not
        // dirty "ratio".
        set("posHandle", c.posHandle + 1.0);
        set("posHandle", c.posHandle);
        const double ratio = get("ratio");
        EXPECT_TRUE(std::isfinite(ratio));
        EXPECT_NEAR(ratio, c.ratio, 1e-6);
        EXPECT_NEAR(get("currentValue"),
                    float(c.startValue) + float(ratio) * (float(c.endValue) - float(c.startValue)), 1e-5);
    }
}

TEST_F(SliderNode, ZeroLengthTrackDividesByATinyLengthInstead) {
    set("posEndY", 0.0);
    set("posEndZ", 0.0);
    set("posHandle", 0.0);
    EXPECT_EQ(get("distance"), 0.0);
    EXPECT_EQ(get("ratio"), 0.0);
    set("posHandle", 1e-9);
    EXPECT_NEAR(get("ratio"), 0.1, 1e-6);
    set("posHandle", 2.5);
    EXPECT_NEAR(get("ratio"), 2.5e8, 1e3);
    EXPECT_TRUE(std::isfinite(get("currentValue")));
}

TEST_F(SliderNode, TrackLengthIsTheDistanceBetweenStartAndEnd) {
    set("posStartX", 1.0);
    set("posStartY", 2.0);
    set("posStartZ", 3.0);
    set("posEndX", 4.0);
    set("posEndY", 6.0);
    set("posEndZ", 3.0);
    EXPECT_FLOAT_EQ(get("distance"), 5.0f);
    set("posHandle", 1.0);
    EXPECT_FLOAT_EQ(get("ratio"), 0.2f);
}

TEST_F(SliderNode, SnapSettingsAloneDoNotDirtyTheRatio) {
    set("posHandle", 2.85);
    EXPECT_NEAR(get("ratio"), 0.57, 1e-6);
    EXPECT_FALSE(isDirty("ratio"));

    set("snap", 1);
    EXPECT_FALSE(isDirty("ratio"));
    set("snapValue", 0.25);
    EXPECT_FALSE(isDirty("ratio"));
    EXPECT_NEAR(get("ratio"), 0.57, 1e-6);

    // The next move of the handle shows the new snapping.
    set("posHandle", 2.86);
    EXPECT_TRUE(isDirty("ratio"));
    EXPECT_NEAR(get("ratio"), 0.5, 1e-6);
}

TEST_F(SliderNode, InputsDirtyTheirOutputs) {
    const char* ratioInputs[] = {"posHandle", "posStartX", "posEndY", "posEndZ"};
    for (const char* input : ratioInputs) {
        SCOPED_TRACE(input);
        get("currentValue");
        ASSERT_FALSE(isDirty("ratio"));
        set(input, get(input) + 0.5);
        EXPECT_TRUE(isDirty("ratio"));
        EXPECT_TRUE(isDirty("currentValue"));
    }
    get("currentValue");
    set("startValue", 1.0);
    EXPECT_FALSE(isDirty("ratio"));
    EXPECT_TRUE(isDirty("currentValue"));
}

class SliderKey : public SliderNode {
protected:
    void SetUp() override {
        SliderNode::SetUp();
        recordCommands();
    }
};

TEST_F(SliderKey, KeyRequestSendsOneDeferredSetKeyframeAndSwitchesItselfOff) {
    const std::string name = node->partialPathName();
    ASSERT_FALSE(name.empty());
    set("KeyCurrentValue", 1.0);
    scene().runIdle();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], "evalDeferred \"setKeyframe " + name + ".hp\"");
    EXPECT_EQ(get("KeyCurrentValue"), 0.0);

    // Nothing changed since: another idle step or read sends nothing more.
    scene().runIdle();
    get("action");
    EXPECT_EQ(commands.size(), 1u);

    // A second request is a second command.
    set("KeyCurrentValue", 1.0);
    scene().runIdle();
    EXPECT_EQ(commands.size(), 2u);
}

TEST_F(SliderKey, OtherPlugsSendNoCommand) {
    set("posHandle", 1.0);
    scene().runIdle();
    get("currentValue");
    EXPECT_TRUE(commands.empty());
}

// initialize's failure lines, reached by making one host call fail. The arc
// slider registers first, so the counts start after its own calls.
class SliderInitialize : public SceneFixture {
protected:
    struct Counts {
        int adds = 0, affects = 0;
    };

    // Loads the plug-in into a fresh scene with the faults set; returns what
    // was printed and whether the slider type is registered afterwards.
    std::string loadWithFault(int addAt, int affectsAt, bool& sliderRegistered) {
        scene_ = std::make_unique<rdhost::Scene>();
        rdhost::Scene::setCurrent(scene_.get());
        scene().faults().failAt(rdhost::Fault::AddAttribute, addAt);
        scene().faults().failAt(rdhost::Fault::AttributeAffects, affectsAt);
        captureStderr();
        try {
            scene().loadPlugin(RIGDIALS_BIN_DIR "/rigDials.so");
        } catch (const rdhost::HostError&) {}
        std::string err = capturedStderr();
        sliderRegistered = scene().findType("KelSliderManipulator") != nullptr;
        return err;
    }

    static bool sliderFailed(const std::string& err) {
        return err.find("'KelSliderManipulator' failed") != std::string::npos;
    }

    // Host calls the plug-in makes before the slider's initialize begins: the
    // first failing call that makes the slider's registration fail is the
    // slider's first examined call (its first addAttribute, its ninth
    // attributeAffects).
    Counts before() {
        Counts c;
        bool registered = false;
        for (int n = 1; n < 1000; ++n) {
            if (sliderFailed(loadWithFault(n, 0, registered))) {
                c.adds = n - 1;
                break;
            }
        }
        for (int n = 1; n < 1000; ++n) {
            if (sliderFailed(loadWithFault(0, n, registered))) {
                c.affects = n - 9;
                break;
            }
        }
        return c;
    }
};

TEST_F(SliderInitialize, PrintsTheFixedLineOfTheFailingStepAndStops) {
    const Counts base = before();
    ASSERT_GT(base.adds, 0);
    ASSERT_GT(base.affects, 0);
    struct Case {
        int add, affects;  // 1-based within the slider's own calls; 0: none
        const char* line;  // nullptr: the failure is not examined
    };
    const Case cases[] = {
        {1, 0, "addAttribute: ATTR"},         // connectToAttr
        {2, 0, "addAttribute NAME##error"},   // size
        {4, 0, "addAttribute NAME error"},    // distance
        {5, 0, "addAttribute NAME error"},    // ratio
        {8, 0, "addAttribute NAME error"},    // currentValue
        {10, 0, "addAttribute: ATTR"},        // label
        {15, 0, "addAttribute: ATTR"},        // displayValue
        {26, 0, "addAttribute: ATTR"},        // snap
        {75, 0, "addAttribute NAME##error"},  // action
        {14, 0, nullptr},                     // labelColor, a compound
        {46, 0, nullptr},                     // startHeadType
        {0, 9, "attributeAffects:distance->ratio"},
        {0, 10, "attributeAffects:posHandle->ratio"},
        {0, 11, "attributeAffects:ratio->currentValue"},
        {0, 12, "attributeAffects:startValue->currentValue"},
        {0, 13, "attributeAffects:endValue->currentValue"},
        {0, 14, "attributeAffects:posHandle->currentValue"},
        {0, 15, "attributeAffects:KeyCurrentValue->action"},
        {0, 4, nullptr},  // posStart->distance
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line ? c.line : "unexamined");
        SCOPED_TRACE(c.add ? c.add : c.affects);
        bool registered = false;
        const std::string err = loadWithFault(c.add ? base.adds + c.add : 0,
                                              c.affects ? base.affects + c.affects : 0, registered);
        if (c.line) {
            EXPECT_NE(err.find(std::string(c.line) + "\n"), std::string::npos) << err;
            EXPECT_TRUE(sliderFailed(err)) << err;
            EXPECT_FALSE(registered);
            // Nothing after the failing call: no further attribute, no
            // further declaration, no later registration.
            const int addsBefore = c.add ? c.add : (c.affects < 15 ? 44 : 75);
            EXPECT_EQ(scene().faults().calls(rdhost::Fault::AddAttribute), base.adds + addsBefore);
            if (c.affects) {
                EXPECT_EQ(scene().faults().calls(rdhost::Fault::AttributeAffects), base.affects + c.affects);
            }
        } else {
            EXPECT_EQ(err.find("addAttribute"), std::string::npos) << err;
            EXPECT_EQ(err.find("attributeAffects"), std::string::npos) << err;
            EXPECT_TRUE(registered);
        }
    }
}

}  // namespace
