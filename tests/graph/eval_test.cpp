// Dirty propagation, pull evaluation, data-block writes, connections and the
// idle step, on tiny purpose-built nodes.
#include "scene_fixture.h"
#include "test_nodes.h"

#include <maya/MAngle.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnTypedAttribute.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace graphtest;
using rdhost::HostError;
using rdhost::Node;
using rdhost::PlugRef;

namespace {

class Eval : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        registerTestTypes(scene());
        scene().setDirtyHook(
            [this](PlugRef p) { journal().push_back("dirty " + p.node->attrAt(p.attr)->longName); });
    }
    PlugRef ref(Node* n, const std::string& attr) { return PlugRef{n, slot(n, attr)}; }
};

TEST_F(Eval, NewNodeComputesNothingAndItsOutputsStartDirty) {
    Node* add = create("testAdd");
    EXPECT_EQ(AddNode::computes, 0);
    EXPECT_TRUE(add->isDirty(slot(add, "sum")));
    EXPECT_FALSE(add->isDirty(slot(add, "inputA")));
    setNumber(add, "ia", 2.0);
    setNumber(add, "ib", 3.5);
    EXPECT_EQ(AddNode::computes, 0);
    EXPECT_DOUBLE_EQ(getNumber(add, "sum"), 5.5);
    EXPECT_EQ(AddNode::computes, 1);
    EXPECT_FALSE(add->isDirty(slot(add, "sum")));
    // A clean output is read as stored.
    EXPECT_DOUBLE_EQ(getNumber(add, "sum"), 5.5);
    EXPECT_EQ(AddNode::computes, 1);
}

TEST_F(Eval, DirtyMarksFollowDeclarationsOncePerChangeThenPullRunsNestedComputes) {
    Node* r = create("testRecorder");
    journal().clear();
    setNumber(r, "input", 3.0);
    std::vector<std::string> expectDirty = {"dirty middle", "dirty selfReader", "dirty ignored",
                                            "dirty output"};
    EXPECT_EQ(journal(), expectDirty);
    journal().clear();
    EXPECT_DOUBLE_EQ(getNumber(r, "output"), 7.0);  // 3 * 2 + 1
    std::vector<std::string> expectCompute = {"compute output", "compute middle"};
    EXPECT_EQ(journal(), expectCompute);
}

TEST_F(Eval, APlugReadWhileBeingComputedYieldsItsStoredValue) {
    Node* r = create("testRecorder");
    EXPECT_DOUBLE_EQ(getNumber(r, "selfReader"), 8.0);  // stored 7, plus one, no recursion
    EXPECT_EQ(std::count(journal().begin(), journal().end(), "compute selfReader"), 1);
}

TEST_F(Eval, UnknownParameterLeavesTheStoredValueAndTheplugClean) {
    Node* r = create("testRecorder");
    EXPECT_DOUBLE_EQ(getNumber(r, "ignored"), 42.0);
    EXPECT_FALSE(r->isDirty(slot(r, "ignored")));
    journal().clear();
    EXPECT_DOUBLE_EQ(getNumber(r, "ignored"), 42.0);
    EXPECT_TRUE(journal().empty());  // clean: no second compute
}

TEST_F(Eval, FailedReadsLeaveTheOutValueUnchanged) {
    rdhost::NodeType* t = scene().findType("transform");
    ASSERT_TRUE(t);
    Node* add = create("testAdd");
    MPlug null;
    double d = 12.5;
    EXPECT_FALSE(null.getValue(d));
    EXPECT_EQ(d, 12.5);
    MString s("kept");
    EXPECT_FALSE(plug(add, "sum").getValue(s));
    EXPECT_STREQ(s.asChar(), "kept");
    Node* x = create("transform");
    MDistance dist(3.0);
    EXPECT_FALSE(plug(x, "translate").getValue(dist, MDGContext::fsNormal));  // a compound holds no number
    EXPECT_EQ(dist.asCentimeters(), 3.0);
}

TEST_F(Eval, DataBlockWritesDirtyNothingAndTheIdleStepRunsTheQueuedCommand) {
    std::vector<std::string> ran;
    scene().setExecuteHook([&](const std::string& text, std::string*) {
        ran.push_back(text);
        return true;
    });
    Node* t = create("testToggle", "tog");
    scene().runIdle();
    EXPECT_TRUE(ran.empty());  // creation reaches nothing
    setNumber(t, "key", 1.0);
    journal().clear();
    scene().runIdle();
    EXPECT_EQ(journal(), std::vector<std::string>{"compute action"});
    EXPECT_EQ(ran, std::vector<std::string>{"keyed tog"});
    // The toggle switched itself off without dirtying "action" again.
    EXPECT_EQ(getNumber(t, "key"), 0.0);
    EXPECT_FALSE(t->isDirty(slot(t, "action")));
    EXPECT_TRUE(scene().reachedSinceIdle().empty());
    journal().clear();
    scene().runIdle();
    EXPECT_TRUE(journal().empty());
}

TEST_F(Eval, InternalAttributesHearOfUserWritesButNotOfConnectedValues) {
    // Nodes may override either the plain forms or the older ones with a context.
    for (const char* type : {"testInternal", "testInternalInContext"}) {
        SCOPED_TRACE(type);
        Node* n = create(type);
        Node* add = create("testAdd");
        const int lv = slot(n, "level");
        journal().clear();
        setNumber(n, "level", 5.0);  // as setAttr writes
        plug(n, "level").setValue(7.0);
        EXPECT_EQ(journal(), (std::vector<std::string>{"offered 5", "offered 7"}));
        EXPECT_EQ(n->storedNumber(lv), 7.0);
        // A node that keeps the value itself answers the reads; the host's copy stays.
        plug(n, "level").setValue(250.0);
        EXPECT_EQ(n->storedNumber(lv), 7.0);
        EXPECT_EQ(getNumber(n, "level"), 250.0);
        setNumber(n, "level", 1.0);
        journal().clear();
        scene().connect(ref(add, "sum"), ref(n, "level"), false);
        setNumber(add, "ia", 3.0);
        EXPECT_EQ(getNumber(n, "level"), 3.0);
        EXPECT_EQ(std::count(journal().begin(), journal().end(), "offered 3"), 0)
            << "a connection offers nothing";
    }
}

TEST_F(Eval, IdlePullsReachedOutputsEvenWhenTheyWereDirtyAlready) {
    Node* add = create("testAdd");
    setNumber(add, "ia", 1.0);  // sum was dirty since creation
    ASSERT_EQ(scene().reachedSinceIdle().size(), 1u);
    setNumber(add, "ib", 1.0);  // reached again: remembered once
    EXPECT_EQ(scene().reachedSinceIdle().size(), 1u);
    scene().runIdle();
    EXPECT_EQ(AddNode::computes, 1);
    EXPECT_DOUBLE_EQ(add->storedNumber(slot(add, "sum")), 2.0);
}

TEST_F(Eval, DeferredCommandsQueuedWhileRunningRunTooButCannotLoopForever) {
    int runs = 0;
    scene().setDeferredLimit(50);
    std::vector<std::string> warnings;
    scene().setWarningSink([&](const std::string& w) { warnings.push_back(w); });
    scene().setExecuteHook([&](const std::string& text, std::string*) {
        ++runs;
        if (text == "again") scene().deferCommand("again");
        if (text == "once") scene().deferCommand("last");
        return true;
    });
    scene().deferCommand("once");
    scene().runIdle();
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(warnings.empty());
    runs = 0;
    scene().deferCommand("again");
    scene().runIdle();
    EXPECT_EQ(runs, 50);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("stopped after 50"), std::string::npos);
    EXPECT_TRUE(scene().deferredCommands().empty());
}

TEST_F(Eval, DeferredCommandsWithoutAnInterpreterAreReportedNotDropped) {
    std::vector<std::string> warnings;
    scene().setWarningSink([&](const std::string& w) { warnings.push_back(w); });
    scene().deferCommand("print 1");
    scene().runIdle();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("print 1"), std::string::npos);
}

TEST_F(Eval, ConnectedInputsCopyTheSourcesPulledValueAcrossNodes) {
    Node* a = create("testAdd", "a");
    Node* b = create("testAdd", "b");
    scene().connect(ref(a, "sum"), ref(b, "inputA"), false);
    setNumber(a, "ia", 2.0);
    setNumber(a, "ib", 3.0);
    setNumber(b, "ib", 10.0);
    EXPECT_TRUE(b->isDirty(slot(b, "sum")));
    EXPECT_DOUBLE_EQ(getNumber(b, "sum"), 15.0);
    EXPECT_EQ(journal().back(), "compute a.sum");  // b's compute pulled a's
    setNumber(a, "ia", 5.0);
    EXPECT_TRUE(b->isDirty(slot(b, "inputA")));
    EXPECT_TRUE(b->isDirty(slot(b, "sum")));
    EXPECT_DOUBLE_EQ(getNumber(b, "sum"), 18.0);
    // Disconnected, the input keeps the value it had.
    scene().disconnect(ref(a, "sum"), ref(b, "inputA"));
    setNumber(a, "ia", 100.0);
    EXPECT_DOUBLE_EQ(getNumber(b, "inputA"), 8.0);
    EXPECT_FALSE(b->isDirty(slot(b, "sum")));
}

TEST_F(Eval, ConnectionsAreCheckedAndErrorsNameThePlugs) {
    Node* a = create("testAdd", "a");
    Node* b = create("testAdd", "b");
    Node* c = create("testAdd", "c");
    rdhost::NodeType* t = scene().registerBuiltinType(
        "testText", 0x7e010, MPxNode::kDependNode, nullptr,
        [] {
            MFnTypedAttribute ta;
            MObject s = ta.create("text", "tx", MFnData::kString);
            return MPxNode::addAttribute(s);
        },
        false);
    ASSERT_TRUE(t);
    Node* txt = create("testText", "txt");
    Node* txt2 = create("testText", "txt2");

    struct Case {
        const char* what;
        PlugRef src, dst;
        bool force;
        const char* message;
    };
    scene().connect(ref(a, "sum"), ref(b, "inputA"), false);
    scene().connect(ref(b, "sum"), ref(c, "inputA"), false);
    std::vector<Case> cases = {
        {"string to number", ref(txt, "text"), ref(a, "inputA"), false,
         "the types of 'txt.text' and 'a.inputA' do not match"},
        {"onto a connected input", ref(c, "sum"), ref(b, "inputA"), false,
         "'b.inputA' already has an incoming connection from 'a.sum'"},
        {"a cycle through two nodes", ref(c, "sum"), ref(a, "inputA"), true,
         "connecting 'c.sum' to 'a.inputA' would make a cycle"},
        {"a cycle inside one node", ref(a, "sum"), ref(a, "inputB"), false,
         "connecting 'a.sum' to 'a.inputB' would make a cycle"},
        {"twice", ref(a, "sum"), ref(b, "inputA"), false, "'a.sum' is already connected to 'b.inputA'"},
        {"to itself", ref(a, "inputA"), ref(a, "inputA"), false, "cannot connect 'a.inputA' to itself"},
    };
    for (const Case& k : cases) {
        try {
            scene().connect(k.src, k.dst, k.force);
            ADD_FAILURE() << k.what << ": accepted";
        } catch (const HostError& e) {
            EXPECT_NE(std::string(e.what()).find(k.message), std::string::npos) << k.what << ": " << e.what();
        }
    }
    // Nothing half-applied: the old connection is intact.
    EXPECT_TRUE(b->source(slot(b, "inputA")) == ref(a, "sum"));
    // Forcing replaces the incoming connection; strings connect to strings.
    Node* d = create("testAdd", "d");
    scene().connect(ref(d, "sum"), ref(b, "inputB"), false);
    scene().disconnect(ref(d, "sum"), ref(b, "inputB"));
    scene().connect(ref(d, "sum"), ref(b, "inputA"), true);
    EXPECT_TRUE(b->source(slot(b, "inputA")) == ref(d, "sum"));
    EXPECT_TRUE(a->destinations(slot(a, "sum")).empty());
    scene().connect(ref(txt, "text"), ref(txt2, "text"), false);
    setString(txt, "text", "hello");
    EXPECT_EQ(getString(txt2, "text"), "hello");
    EXPECT_THROW(scene().disconnect(ref(a, "sum"), ref(c, "inputB")), HostError);
}

TEST_F(Eval, DeletingANodeRemovesItsConnections) {
    Node* a = create("testAdd", "a");
    Node* b = create("testAdd", "b");
    scene().connect(ref(a, "sum"), ref(b, "inputA"), false);
    setNumber(a, "ia", 4.0);
    scene().deleteNode(a);
    EXPECT_FALSE(b->source(slot(b, "inputA")));
    EXPECT_DOUBLE_EQ(getNumber(b, "inputA"), 4.0);  // kept what it had
    scene().runIdle();                              // reached plugs of the deleted node are forgotten
    EXPECT_EQ(scene().findNode("a"), nullptr);
}

TEST_F(Eval, PlugsReadEveryNumericKindAsItsStoredNumber) {
    Node* x = create("transform", "xf");
    setNumber(x, "rx", 0.5);
    setNumber(x, "ro", 3.0);
    setNumber(x, "tx", 2.0);
    MDistance d;
    ASSERT_TRUE(plug(x, "rotateX").getValue(d, MDGContext::fsNormal));
    EXPECT_DOUBLE_EQ(d.asCentimeters(), 0.5);  // radians, as stored
    ASSERT_TRUE(plug(x, "rotateOrder").getValue(d));
    EXPECT_DOUBLE_EQ(d.asCentimeters(), 3.0);
    ASSERT_TRUE(plug(x, "visibility").getValue(d));
    EXPECT_DOUBLE_EQ(d.asCentimeters(), 1.0);
    MAngle ang;
    ASSERT_TRUE(plug(x, "rx").getValue(ang));
    EXPECT_DOUBLE_EQ(ang.asRadians(), 0.5);
    int i = 0;
    short s = 0;
    bool b = false;
    float f = 0;
    ASSERT_TRUE(plug(x, "tx").getValue(i));
    ASSERT_TRUE(plug(x, "tx").getValue(s));
    ASSERT_TRUE(plug(x, "tx").getValue(b));
    ASSERT_TRUE(plug(x, "tx").getValue(f));
    EXPECT_EQ(i, 2);
    EXPECT_EQ(s, 2);
    EXPECT_TRUE(b);
    EXPECT_EQ(f, 2.0f);
    // Writes through plugs keep whole-number kinds whole and dirty what they affect.
    MPlug vis = plug(x, "v");
    ASSERT_TRUE(vis.setValue(0.7));
    EXPECT_EQ(getNumber(x, "v"), 1.0);
    MPlug ro = plug(x, "ro");
    ASSERT_TRUE(ro.setValue(2.9));
    EXPECT_EQ(getNumber(x, "ro"), 2.0);
    MDistance five(5.0);
    ASSERT_TRUE(plug(x, "ty").setValue(five));
    EXPECT_EQ(getNumber(x, "ty"), 5.0);
}

}  // namespace

namespace {

class Connections : public SceneFixture {};

TEST_F(Connections, CompoundsConnectChildByChildAndUnitsMeetNumbers) {
    Node* a = create("transform", "a");
    Node* b = create("transform", "b");
    scene().connect(rdhost::PlugRef{a, slot(a, "translate")}, rdhost::PlugRef{b, slot(b, "t")}, false);
    setNumber(a, "ty", 4.0);
    EXPECT_TRUE(b->isDirty(slot(b, "ty")));
    EXPECT_DOUBLE_EQ(getNumber(b, "translateY"), 4.0);
    double m[4][4];
    scene().worldMatrix(b, m);
    EXPECT_DOUBLE_EQ(m[3][1], 4.0);
    // A distance drives an angle: numbers meet numbers, in user units (0.25 cm gives 0.25 degrees).
    scene().connect(rdhost::PlugRef{a, slot(a, "tx")}, rdhost::PlugRef{b, slot(b, "rz")}, false);
    setNumber(a, "tx", 0.25);
    EXPECT_DOUBLE_EQ(getNumber(b, "rz"), 0.25 * M_PI / 180.0);
    EXPECT_THROW(scene().connect(rdhost::PlugRef{a, slot(a, "t")}, rdhost::PlugRef{b, slot(b, "sx")}, false),
                 HostError);
    scene().disconnect(rdhost::PlugRef{a, slot(a, "t")}, rdhost::PlugRef{b, slot(b, "t")});
    setNumber(a, "ty", 9.0);
    EXPECT_DOUBLE_EQ(getNumber(b, "ty"), 4.0);
}

// The unit conversion a connection carries: the number stays the same in
// user units, so a unitless 45 feeding an angle is 45 degrees, not 45 radians.
TEST_F(Connections, ConnectionsBetweenUnitsConvertThroughUserUnits) {
    const double degree = M_PI / 180.0;
    struct Case {
        const char* from;
        const char* to;
        double set;       // internal units of the source
        double expected;  // internal units of the destination
    } cases[] = {
        {"sx", "ry", 45.0, 45.0 * degree},  // unitless -> angle
        {"ry", "sx", 0.5, 0.5 / degree},    // angle -> unitless
        {"tx", "sy", 7.25, 7.25},           // distance (centimetres) -> unitless
        {"sz", "tz", -3.5, -3.5},           // unitless -> distance
        {"rx", "ty", M_PI / 2, 90.0},       // angle -> distance
        {"rz", "rx", 1.25, 1.25},           // angle -> angle: no conversion
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        Node* a = create("transform", "src");
        Node* b = create("transform", "dst");
        scene().connect(rdhost::PlugRef{a, slot(a, c.from)}, rdhost::PlugRef{b, slot(b, c.to)}, false);
        setNumber(a, c.from, c.set);
        EXPECT_NEAR(getNumber(b, c.to), c.expected, 1e-12 * std::max(1.0, std::fabs(c.expected)));
        // The factor belongs to the connection, not to a copy made once.
        setNumber(a, c.from, 2 * c.set);
        EXPECT_NEAR(getNumber(b, c.to), 2 * c.expected, 2e-12 * std::max(1.0, std::fabs(c.expected)));
        scene().deleteNode(a);
        scene().deleteNode(b);
    }
    // Degrees meet degrees exactly: a connected number gives the radians a
    // command setting it would, and an angle gives back the degrees it was set in.
    Node* t = create("transform", "t");
    auto attr = [&](const char* n) { return t->type->attrs[slot(t, n)]; };
    for (double deg : {0.1, 1.0, 30.0, 45.0, 57.3, 90.0, 179.994, -12.5, 1e-7, 360.0, 1e6}) {
        SCOPED_TRACE(deg);
        const double rad = deg * M_PI / 180.0;
        EXPECT_EQ(rdhost::connectionValue(attr("sx"), attr("ry"), deg), rad);
        EXPECT_EQ(rdhost::connectionValue(attr("ry"), attr("sx"), rad), deg);
        EXPECT_EQ(rdhost::connectionValue(attr("ry"), attr("tx"), rad), deg);
    }
    // Whatever the radians, the degrees given convert back to them, or to a
    // neighbour when no double number of degrees reaches them.
    std::uint64_t bits = 0x9e3779b97f4a7c15ull;
    int exact = 0;
    for (int i = 0; i < 20000; ++i) {
        bits = bits * 6364136223846793005ull + 1442695040888963407ull;
        const double rad = (static_cast<double>(bits >> 11) / 9007199254740992.0 - 0.5) * 1e3;
        const double deg = rdhost::connectionValue(attr("ry"), attr("sx"), rad);
        const double back = rdhost::connectionValue(attr("sx"), attr("ry"), deg);
        ASSERT_LE(std::fabs(back - rad), std::fabs(std::nextafter(rad, 2 * rad) - rad))
            << std::hexfloat << rad;
        exact += back == rad;
    }
    EXPECT_GT(exact, 15000);
    EXPECT_EQ(rdhost::connectionValue(attr("tx"), attr("sx"), 0.1), 0.1);
    EXPECT_EQ(rdhost::connectionValue(attr("rx"), attr("ry"), 0.1), 0.1);
    EXPECT_TRUE(std::isnan(rdhost::connectionValue(attr("rx"), attr("sy"), std::nan(""))));
    EXPECT_EQ(rdhost::connectionValue(attr("sy"), attr("rx"), HUGE_VAL), HUGE_VAL);
}

TEST_F(Connections, FindPlugTakesLongAndShortNamesAndNamesTheMissingOne) {
    Node* a = create("transform", "xf");
    MFnDependencyNode fn(object(a));
    MStatus st;
    MPlug byLong = fn.findPlug("translateX", true, &st);
    EXPECT_TRUE(st);
    EXPECT_TRUE(byLong == fn.findPlug("tx", &st));
    EXPECT_STREQ(byLong.name().asChar(), "xf.translateX");
    EXPECT_STREQ(byLong.partialName().asChar(), "tx");
    MPlug none = fn.findPlug("radiu", false, &st);
    EXPECT_FALSE(st);
    EXPECT_TRUE(none.isNull());
    EXPECT_NE(std::string(st.errorString().asChar()).find("'xf' has no attribute 'radiu'"),
              std::string::npos);
    EXPECT_STREQ(fn.name().asChar(), "xf");
    EXPECT_STREQ(fn.typeName().asChar(), "transform");
    EXPECT_EQ(fn.userNode(), nullptr);
    // The attributes listed are the type's then the node's own, without removed ones.
    const unsigned before = fn.attributeCount();
    auto own = std::make_unique<rdhost::Attr>();
    own->longName = "smile";
    own->shortName = "sm";
    a->addDynamicAttr(std::move(own));
    ASSERT_EQ(fn.attributeCount(), before + 1);
    EXPECT_STREQ(MFnAttribute(fn.attribute(before)).name().asChar(), "smile");
    EXPECT_TRUE(fn.attribute(before + 1, &st).isNull());
    EXPECT_FALSE(st);
    a->findAttr("smile")->removed = true;
    EXPECT_EQ(fn.attributeCount(), before);
}

}  // namespace
