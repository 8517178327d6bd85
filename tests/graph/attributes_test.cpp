// Attribute kinds, defaults, limits and flags as a node type's initialize
// declares them; addAttribute/attributeAffects rules and fault injection.
#include "scene_fixture.h"
#include "test_nodes.h"

#include <maya/MFnEnumAttribute.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>

using rdhost::Attr;
using rdhost::AttrKind;
using rdhost::HostError;
using rdhost::Node;
using rdhost::NodeType;

namespace {

struct KindsNode : MPxNode {
    static void* creator() { return new KindsNode; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        MFnUnitAttribute u;
        MFnTypedAttribute t;
        MFnEnumAttribute e;
        MFnStringData sd;
        MStatus st;
        MObject flag = n.create("flag", "fl", MFnNumericData::kBoolean, 1.0, &st);
        if (!st) return st;
        n.setKeyable(true);
        addAttribute(flag);
        MObject count = n.create("count", "ct", MFnNumericData::kShort, 12);
        n.setMin(1);
        addAttribute(count);
        n.setMax(50);  // after addAttribute, through the same function set
        addAttribute(n.create("whole", "wh", MFnNumericData::kInt, -3));
        addAttribute(n.create("single", "sg", MFnNumericData::kFloat, 0.7));
        addAttribute(n.create("precise", "pr", MFnNumericData::kDouble, 0.1));
        MObject size = u.create("size", "sz", MFnUnitAttribute::kDistance, 1.0);
        u.setMin(0.0);
        u.setMax(10.0);
        addAttribute(size);
        addAttribute(u.create("turn", "tn", MFnUnitAttribute::kAngle, 1.5));
        addAttribute(u.create("when", "wn", MFnUnitAttribute::kTime, 24.0));
        MObject label = t.create("label", "lab", MFnData::kString);
        t.setDefault(sd.create("KelSlider"));
        t.setKeyable(true);
        addAttribute(label);
        MObject shape = e.create("shape", "shp", 3);
        const char* fields[] = {"none", "Cube", "Sphere", "Cone", "torus", "rectangle", "cylinder"};
        for (short i = 0; i < 7; ++i) e.addField(fields[i], i);
        e.setStorable(true);
        e.setKeyable(true);
        addAttribute(shape);
        MObject x = n.create("posEndX", "pex", MFnNumericData::kDouble, 0.0);
        addAttribute(x);
        MObject y = n.create("posEndY", "pey", MFnNumericData::kDouble, 5.0);
        addAttribute(y);
        MObject z = n.create("posEndZ", "pez", MFnNumericData::kDouble, 0.0);
        addAttribute(z);
        MObject pe = n.create("posEnd", "pe", x, y, z);
        n.setStorable(true);
        n.setUsedAsColor(true);
        n.setReadable(true);
        n.setWritable(true);
        n.setDefault(0.0, 5.0, 1e-9);
        addAttribute(pe);
        MObject r = n.create("colorR", "cr", MFnNumericData::kFloat, 0.0);
        MObject g = n.create("colorG", "cg", MFnNumericData::kFloat, 0.0);
        MObject b = n.create("colorB", "cb", MFnNumericData::kFloat, 0.0);
        MObject color = n.create("color", "cl", r, g, b);
        n.setDefault(1.2f, 0.8f, 0.0f);
        addAttribute(color);  // brings its children
        return MS::kSuccess;
    }
};

class Attributes : public SceneFixture {
protected:
    NodeType* registerKinds() {
        return scene().registerType(nullptr, "testKinds", 0x7e020, MPxNode::kLocatorNode, KindsNode::creator,
                                    KindsNode::initialize);
    }
};

TEST_F(Attributes, EveryKindKeepsItsNamesDefaultsAndLimits) {
    NodeType* t = registerKinds();
    ASSERT_TRUE(t);
    Node* n = create("testKinds");
    struct Row {
        const char* longName;
        const char* shortName;
        AttrKind kind;
        double def;
    };
    const Row rows[] = {
        {"flag", "fl", AttrKind::Numeric, 1.0},
        {"count", "ct", AttrKind::Numeric, 12.0},
        {"whole", "wh", AttrKind::Numeric, -3.0},
        {"single", "sg", AttrKind::Numeric, double(0.7f)},
        {"precise", "pr", AttrKind::Numeric, 0.1},
        {"size", "sz", AttrKind::Distance, 1.0},
        {"turn", "tn", AttrKind::Angle, 1.5},
        {"when", "wn", AttrKind::Time, 24.0},
        {"shape", "shp", AttrKind::Enum, 3.0},
        {"posEndX", "pex", AttrKind::Numeric, 0.0},
        {"posEndY", "pey", AttrKind::Numeric, 5.0},
        {"posEndZ", "pez", AttrKind::Numeric, 1e-9},
        {"colorR", "cr", AttrKind::Numeric, double(1.2f)},
        {"colorG", "cg", AttrKind::Numeric, double(0.8f)},
    };
    for (const Row& r : rows) {
        Attr* byLong = n->findAttr(r.longName);
        ASSERT_TRUE(byLong) << r.longName;
        EXPECT_EQ(byLong, n->findAttr(r.shortName)) << r.longName;
        EXPECT_EQ(byLong->kind, r.kind) << r.longName;
        EXPECT_DOUBLE_EQ(getNumber(n, r.longName), r.def) << r.longName;
    }
    EXPECT_EQ(getString(n, "lab"), "KelSlider");
    // Inherited attributes come first; then the type's own, in addAttribute order.
    EXPECT_EQ(t->attrs[0]->longName, "visibility");
    EXPECT_EQ(t->attrs[1]->longName, "flag");
    EXPECT_EQ(t->attrs.back()->longName, "colorB");
    EXPECT_EQ(t->findAttr("color")->index + 1, t->findAttr("colorR")->index);

    Attr* count = t->findAttr("count");
    EXPECT_TRUE(count->hasMin && count->hasMax);
    EXPECT_EQ(count->minValue, 1.0);
    EXPECT_EQ(count->maxValue, 50.0);
    Attr* shape = t->findAttr("shape");
    ASSERT_EQ(shape->enumFields.size(), 7u);
    EXPECT_STREQ(shape->enumFieldName(4), "torus");
    EXPECT_STREQ(shape->enumFieldName(1), "Cube");
    EXPECT_EQ(shape->enumFieldName(9), nullptr);
    Attr* pe = t->findAttr("pe");
    EXPECT_TRUE(pe->isCompound());
    EXPECT_TRUE(pe->usedAsColor && pe->storable && pe->readable && pe->writable);
    EXPECT_FALSE(pe->keyable);
    EXPECT_EQ(pe->numericType, MFnNumericData::k3Double);
    EXPECT_EQ(t->findAttr("color")->numericType, MFnNumericData::k3Float);
    EXPECT_TRUE(t->findAttr("flag")->keyable);
}

TEST_F(Attributes, FunctionSetsReadBackWhatInitializeSet) {
    NodeType* t = registerKinds();
    MObject shape = rdhost::ObjectAccess::make(t->findAttr("shape"));
    MFnEnumAttribute e(shape);
    EXPECT_STREQ(e.fieldName(5).asChar(), "rectangle");
    MStatus st;
    e.fieldName(7, &st);
    EXPECT_FALSE(st);
    EXPECT_EQ(e.fieldIndex("Sphere"), 2);
    EXPECT_TRUE(e.isKeyable() && e.isStorable());
    MFnNumericAttribute bad(shape, &st);  // the wrong function set for an enum
    EXPECT_FALSE(st);
    MFnNumericAttribute pe(rdhost::ObjectAccess::make(t->findAttr("posEnd")));
    double x, y, z;
    ASSERT_TRUE(pe.getDefault(x, y, z));
    EXPECT_EQ(z, 1e-9);
    MFnUnitAttribute size(rdhost::ObjectAccess::make(t->findAttr("size")));
    double lo = -1, hi = -1;
    ASSERT_TRUE(size.getMin(lo));
    ASSERT_TRUE(size.getMax(hi));
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 10.0);
    EXPECT_EQ(size.unitType(), MFnUnitAttribute::kDistance);
}

TEST_F(Attributes, CompoundValuesReadAndWriteAsNumericData) {
    registerKinds();
    Node* n = create("testKinds");
    MObject data;
    ASSERT_TRUE(plug(n, "posEnd").getValue(data));
    MFnNumericData fd(data);
    double x, y, z;
    fd.getData(x, y, z);
    EXPECT_EQ(y, 5.0);
    EXPECT_EQ(z, 1e-9);
    MFnNumericData make;
    MObject v = make.create(MFnNumericData::k3Double);
    make.setData(1.0, 2.0, 3.0);
    MPlug p = plug(n, "pe");
    ASSERT_TRUE(p.setValue(v));
    EXPECT_EQ(getNumber(n, "pez"), 3.0);
    MPlug child = p.child(1);
    EXPECT_EQ(child.name(), MString(n->name.c_str()) + ".posEndY");
    EXPECT_TRUE(child.parent() == p);
}

TEST_F(Attributes, PlugWritesHoldToHardLimitsButDefaultsMayLieOutside) {
    MInitializeFunction init = [] {
        MFnNumericAttribute n;
        MObject stacks = n.create("headStacks", "hst", MFnNumericData::kShort, 2);
        n.setMin(4);
        n.setMax(50);
        return MPxNode::addAttribute(stacks);
    };
    scene().registerType(nullptr, "testLimits", 0x7e021, MPxNode::kDependNode, KindsNode::creator, init);
    Node* n = create("testLimits");
    EXPECT_EQ(getNumber(n, "hst"), 2.0);
    MPlug p = plug(n, "hst");
    p.setValue(100);
    EXPECT_EQ(getNumber(n, "hst"), 50.0);
    p.setValue(-3);
    EXPECT_EQ(getNumber(n, "hst"), 4.0);
}

TEST_F(Attributes, AddAttributeAndAttributeAffectsRefuseWhatTheHostRefuses) {
    static std::vector<std::string> errors;
    errors.clear();
    MInitializeFunction init = [] {
        MFnNumericAttribute n;
        MObject a = n.create("alpha", "a", MFnNumericData::kDouble, 0.0);
        MObject b = n.create("beta", "b", MFnNumericData::kDouble, 0.0);
        MObject clash = n.create("another", "a", MFnNumericData::kDouble, 0.0);
        MObject stray = n.create("stray", "st", MFnNumericData::kDouble, 0.0);
        MPxNode::addAttribute(a);
        MPxNode::addAttribute(b);
        for (MStatus st : {MPxNode::addAttribute(clash), MPxNode::addAttribute(a),
                           MPxNode::attributeAffects(a, stray), MPxNode::attributeAffects(a, a),
                           MPxNode::attributeAffects(a, b), MPxNode::attributeAffects(b, a)})
            errors.push_back(st ? "ok" : st.errorString().asChar());
        return MStatus();
    };
    ASSERT_TRUE(
        scene().registerType(nullptr, "testBroken", 0x7e022, MPxNode::kDependNode, KindsNode::creator, init));
    ASSERT_EQ(errors.size(), 6u);
    EXPECT_NE(errors[0].find("already has an attribute named 'a'"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("'alpha' is already added"), std::string::npos) << errors[1];
    EXPECT_NE(errors[2].find("'stray' is not an attribute added to node type 'testBroken'"),
              std::string::npos)
        << errors[2];
    EXPECT_NE(errors[3].find("cannot affect itself"), std::string::npos) << errors[3];
    EXPECT_EQ(errors[4], "ok");
    EXPECT_NE(errors[5].find("'beta' -> 'alpha' would make a cycle"), std::string::npos) << errors[5];
    // Outside an initialize there is no type to add to.
    MFnNumericAttribute n;
    MObject late = n.create("late", "lt", MFnNumericData::kDouble, 0.0);
    EXPECT_FALSE(MPxNode::addAttribute(late));
}

TEST_F(Attributes, InjectedFaultsHitTheNthCallAndAFailedInitializeLeavesNoType) {
    static std::vector<bool> results;
    results.clear();
    MInitializeFunction init = [] {
        MFnNumericAttribute n;
        const char* names[] = {"one", "two", "three"};
        for (const char* nm : names) {
            MStatus st = MPxNode::addAttribute(n.create(nm, nm, MFnNumericData::kFloat, 0.0));
            results.push_back(static_cast<bool>(st));
            if (!st) return MStatus(MS::kFailure);
        }
        return MStatus();
    };
    scene().faults().failNext(rdhost::Fault::AddAttribute, 2);
    EXPECT_THROW(
        scene().registerType(nullptr, "testFaulty", 0x7e023, MPxNode::kDependNode, KindsNode::creator, init),
        HostError);
    EXPECT_EQ(results, (std::vector<bool>{true, false}));
    EXPECT_EQ(scene().findType("testFaulty"), nullptr);
    EXPECT_EQ(scene().findType(0x7e023u), nullptr);
    // The fault fired once; the same registration now succeeds.
    results.clear();
    EXPECT_TRUE(
        scene().registerType(nullptr, "testFaulty", 0x7e023, MPxNode::kDependNode, KindsNode::creator, init));
    EXPECT_EQ(results, (std::vector<bool>{true, true, true}));
}

TEST_F(Attributes, AffectsDeclarationsMakeOutputs) {
    scene().faults().failNext(rdhost::Fault::AttributeAffects, 2);  // the second declaration: inputB -> sum
    EXPECT_THROW(scene().registerType(nullptr, "testAdd", 0x7e001, MPxNode::kDependNode,
                                      graphtest::AddNode::creator, graphtest::AddNode::initialize),
                 HostError);
    EXPECT_EQ(scene().findType("testAdd"), nullptr);
    graphtest::registerTestTypes(scene());
    NodeType* t = scene().findType("testAdd");
    EXPECT_TRUE(t->findAttr("sum")->computed);
    EXPECT_FALSE(t->findAttr("inputA")->computed);
    EXPECT_EQ(t->findAttr("inputA")->affects, std::vector<int>{t->findAttr("sum")->index});
}

}  // namespace
