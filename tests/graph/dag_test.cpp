// The DAG: names, parents, paths, world matrices and the transform queries.
#include "scene_fixture.h"
#include "test_nodes.h"

#include <maya/MDagPath.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnTransform.h>
#include <maya/MPxLocatorNode.h>

#include <cmath>

using rdhost::HostError;
using rdhost::Node;

namespace {

struct Loc : MPxLocatorNode {
    static int constructed;
    static void* creator() { return new Loc; }
    static MStatus initialize() { return MS::kSuccess; }
    void postConstructor() override {
        // The node is known to the host by now.
        if (!thisMObject().isNull()) ++constructed;
    }
};
int Loc::constructed = 0;

class Dag : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        Loc::constructed = 0;
        scene().registerType(nullptr, "testLoc", 0x7e030, MPxNode::kLocatorNode, Loc::creator,
                             Loc::initialize);
        graphtest::registerTestTypes(scene());
    }
    Node* xform(const std::string& name, Node* parent = nullptr) {
        return scene().createNode("transform", name, parent);
    }
};

const double kPi = 3.14159265358979323846;

TEST_F(Dag, ALocatorWithoutAParentGetsATransformAndNamesAreUnique) {
    Node* a = create("testLoc");
    Node* b = create("testLoc", "dial");
    Node* c = create("testLoc", "dial");
    EXPECT_EQ(Loc::constructed, 3);
    EXPECT_EQ(a->name, "testLoc1");
    ASSERT_TRUE(a->parent);
    EXPECT_EQ(a->parent->name, "transform1");
    EXPECT_EQ(a->parent->type->name, "transform");
    EXPECT_EQ(b->name, "dial");
    EXPECT_EQ(b->parent->name, "transform2");
    EXPECT_EQ(c->name, "dial1");  // a taken name gets a number
    EXPECT_EQ(c->parent->name, "transform3");
    Node* x = xform("transform7");
    EXPECT_EQ(xform("transform7")->name, "transform8");
    EXPECT_EQ(create("testAdd")->name, "testAdd1");
    EXPECT_EQ(x->parent, nullptr);
    // Selection follows the host: the new transform.
    ASSERT_EQ(scene().selection().size(), 1u);
}

TEST_F(Dag, ParentsAreCheckedAndBadNamesRefused) {
    Node* root = xform("root");
    Node* add = create("testAdd", "adder");
    EXPECT_THROW(scene().createNode("testAdd", "x", root), HostError);  // not a DAG type
    EXPECT_THROW(scene().createNode("transform", "bad name"), HostError);
    EXPECT_THROW(scene().createNode("noSuchType"), HostError);
    Node* loc = scene().createNode("testLoc", "shape", root);
    EXPECT_EQ(loc->parent, root);
    EXPECT_THROW(scene().createNode("transform", "z", loc), HostError);  // a shape is no parent
    EXPECT_THROW(scene().reparent(add, root), HostError);
    EXPECT_THROW(scene().reparent(root, root), HostError);
    Node* kid = xform("kid", root);
    EXPECT_THROW(scene().reparent(root, kid), HostError);     // under its own descendant
    EXPECT_THROW(scene().reparent(loc, nullptr), HostError);  // shapes stay under transforms
}

TEST_F(Dag, PathNamesAreFullAndShortestUnique) {
    Node* a = xform("a");
    Node* b = xform("b");
    Node* ac = xform("c", a);
    Node* bc = xform("c", b);  // same name under another parent is allowed
    Node* leaf = xform("leaf", ac);
    EXPECT_EQ(bc->name, "c");
    EXPECT_EQ(ac->fullPathName(), "|a|c");
    EXPECT_EQ(ac->partialPathName(), "a|c");
    EXPECT_EQ(leaf->partialPathName(), "leaf");
    EXPECT_EQ(leaf->fullPathName(), "|a|c|leaf");
    EXPECT_EQ(scene().findNode("c"), nullptr);  // ambiguous
    EXPECT_EQ(scene().findNodes("c").size(), 2u);
    EXPECT_EQ(scene().findNode("b|c"), bc);
    EXPECT_EQ(scene().findNode("|a|c|leaf"), leaf);
    EXPECT_EQ(scene().findNode("|c"), nullptr);
    EXPECT_EQ(xform("c", a)->name, "c1");  // but not twice under one parent

    MFnDagNode fn(object(leaf));
    EXPECT_STREQ(fn.partialPathName().asChar(), "leaf");
    EXPECT_STREQ(fn.fullPathName().asChar(), "|a|c|leaf");
    MDagPath path;
    ASSERT_TRUE(fn.getPath(path));
    EXPECT_EQ(path.length(), 3u);
    ASSERT_TRUE(path.pop());
    EXPECT_STREQ(path.partialPathName().asChar(), "a|c");
    EXPECT_TRUE(path.node() == object(ac));
    EXPECT_FALSE(path.pop(5));
    EXPECT_STREQ(path.fullPathName().asChar(), "|a|c");
}

TEST_F(Dag, APathFromAShapeFindsItsTransform) {
    Node* shape = create("testLoc", "dialShape");
    MFnDagNode fn(object(shape));
    MDagPath p = fn.dagPath();
    EXPECT_TRUE(p.node() == object(shape));
    EXPECT_TRUE(p.transform() == object(shape->parent));
    EXPECT_EQ(p.length(), 2u);
    MStatus st;
    MFnTransform notATransform(p, &st);
    EXPECT_FALSE(st);
    p.pop();
    MFnTransform t(p, &st);
    EXPECT_TRUE(st);
    MDagPath back = p;
    ASSERT_TRUE(back.extendToShape());
    EXPECT_TRUE(back == fn.dagPath());
}

TEST_F(Dag, WorldMatricesComposeThroughParentTransforms) {
    Node* parent = xform("parent");
    Node* child = xform("child", parent);
    setNumber(parent, "tx", 10.0);
    setNumber(parent, "rz", kPi / 2);  // +90 degrees about Z
    setNumber(parent, "sx", 2.0);
    setNumber(parent, "sy", 2.0);
    setNumber(parent, "sz", 2.0);
    setNumber(child, "tx", 1.0);
    setNumber(child, "ry", kPi / 2);
    setNumber(child, "sz", 3.0);

    MFnDagNode fn(object(child));
    MMatrix w = fn.dagPath().inclusiveMatrix();
    // The child's origin: (1,0,0) scaled by 2, turned to +Y, moved by 10 in X.
    EXPECT_NEAR(w(3, 0), 10.0, 1e-12);
    EXPECT_NEAR(w(3, 1), 2.0, 1e-12);
    EXPECT_NEAR(w(3, 2), 0.0, 1e-12);

    MFnTransform t(object(child));
    MVector wt = t.translation(MSpace::kWorld);
    EXPECT_NEAR(wt.x, 10.0, 1e-12);
    EXPECT_NEAR(wt.y, 2.0, 1e-12);
    MVector lt = t.translation(MSpace::kTransform);
    EXPECT_EQ(lt.x, 1.0);
    EXPECT_EQ(lt.y, 0.0);

    // World rotation: child's +90 about Y, then parent's +90 about Z.
    MQuaternion q;
    ASSERT_TRUE(t.getRotation(q, MSpace::kWorld));
    MVector xAxis = MVector(1, 0, 0).rotateBy(q);
    EXPECT_NEAR(xAxis.x, 0.0, 1e-9);  // X -> -Z (about Y) -> -Z (about Z)
    EXPECT_NEAR(xAxis.y, 0.0, 1e-9);
    EXPECT_NEAR(xAxis.z, -1.0, 1e-9);
    MVector yAxis = MVector(0, 1, 0).rotateBy(q);
    EXPECT_NEAR(yAxis.x, -1.0, 1e-9);  // Y -> Y -> -X

    double scale[3];
    ASSERT_TRUE(t.transformation().getScale(scale, MSpace::kWorld));
    EXPECT_NEAR(scale[0], 2.0, 1e-9);
    EXPECT_NEAR(scale[1], 2.0, 1e-9);
    EXPECT_NEAR(scale[2], 6.0, 1e-9);

    double m[4][4];
    scene().worldMatrix(child, m);
    EXPECT_NEAR(m[3][1], 2.0, 1e-12);
    // The exclusive matrix is the parent's world matrix.
    MMatrix ex = fn.dagPath().exclusiveMatrix();
    EXPECT_NEAR(ex(3, 0), 10.0, 1e-12);
    EXPECT_NEAR(ex(0, 1), 2.0, 1e-12);  // X scaled by 2 and turned to +Y
}

TEST_F(Dag, RotateOrderDecidesTheComposition) {
    // Rotations of 90 degrees about X then Y (xyz) versus Y then X (yxz) move
    // the Z axis to different places.
    struct Case {
        int order;
        double zx, zy, zz;
    } cases[] = {{0, 0, -1, 0}, {4, 1, 0, 0}};
    for (const Case& c : cases) {
        Node* n = xform("r");
        setNumber(n, "rx", kPi / 2);
        setNumber(n, "ry", kPi / 2);
        setNumber(n, "ro", c.order);
        double m[4][4];
        scene().worldMatrix(n, m);
        EXPECT_NEAR(m[2][0], c.zx, 1e-12) << c.order;
        EXPECT_NEAR(m[2][1], c.zy, 1e-12) << c.order;
        EXPECT_NEAR(m[2][2], c.zz, 1e-12) << c.order;
        scene().deleteNode(n);
    }
}

TEST_F(Dag, SetTranslationInWorldSpaceAccountsForTheParent) {
    Node* parent = xform("p");
    Node* child = xform("c", parent);
    setNumber(parent, "tx", 5.0);
    setNumber(parent, "sx", 2.0);
    MFnTransform t(object(child));
    ASSERT_TRUE(t.setTranslation(MVector(9.0, 1.0, 0.0), MSpace::kWorld));
    EXPECT_NEAR(getNumber(child, "tx"), 2.0, 1e-12);
    EXPECT_NEAR(getNumber(child, "ty"), 1.0, 1e-12);
    EXPECT_NEAR(t.translation(MSpace::kWorld).x, 9.0, 1e-12);
}

TEST_F(Dag, DeleteTakesChildrenAlongRenameAndReparentKeepNamesUnique) {
    Node* a = xform("a");
    Node* b = xform("b", a);
    create("testLoc", "s");  // under transform1
    Node* loc = scene().createNode("testLoc", "shape", b);
    scene().deleteNode(a);
    EXPECT_EQ(scene().findNode("a"), nullptr);
    EXPECT_EQ(scene().findNode("b"), nullptr);
    EXPECT_EQ(scene().findNode("shape"), nullptr);
    (void)loc;
    Node* x = xform("x");
    Node* y = xform("y");
    scene().renameNode(y, "x");
    EXPECT_EQ(y->name, "x1");
    EXPECT_THROW(scene().renameNode(y, "2bad"), HostError);
    Node* k = xform("k", x);
    Node* k2 = xform("k");
    scene().reparent(k2, x);
    EXPECT_EQ(k2->name, "k1");
    EXPECT_EQ(k2->parent, x);
    scene().reparent(k, nullptr);
    EXPECT_EQ(k->parent, nullptr);
    EXPECT_EQ(x->children.size(), 1u);
}

}  // namespace
