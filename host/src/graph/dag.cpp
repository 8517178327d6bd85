// The DAG: local and world matrices, MDagPath, MFnDagNode, MFnTransform.
//
// Matrices use the host's convention: row vectors, a point transforms as
// p * M, and a node's world matrix is its local matrix times its parent's
// world matrix times its offsetParentMatrix. A transform's local matrix is
// SP^-1 * S * Sh * SP * SPT * RP^-1 * RA * R * RP * RPT * T, with R composed
// in the node's rotate order (xyz: Rx * Ry * Rz); a joint's is
// S * RA * R * JO * IS * T (IS: the inverse of its inverseScale, while its
// segmentScaleCompensate is on). A node whose inheritsTransform is off
// ignores its parents.
#define MNoVersionString
#include "graph/handles.h"
#include "graph/scene_impl.h"

#include <maya/MDagPath.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnTransform.h>
#include <maya/MMatrix.h>
#include <maya/MTransformationMatrix.h>

#include <cmath>
#include <cstring>

using rdhost::Node;
using rdhost::ObjectAccess;
using rdhost::setStatus;

namespace {

using M4 = double[4][4];

void identity(M4 m) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m[i][j] = i == j ? 1.0 : 0.0;
}

void multiply(const M4 a, const M4 b, M4 out) {
    double r[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j] + a[i][3] * b[3][j];
    std::memcpy(out, r, sizeof r);
}

void axisRotation(int axis, double angle, M4 m) {
    identity(m);
    double c = std::cos(angle), s = std::sin(angle);
    int i = (axis + 1) % 3, j = (axis + 2) % 3;
    m[i][i] = c;
    m[i][j] = s;
    m[j][i] = -s;
    m[j][j] = c;
}

double slotValue(Node* n, int slot, double fallback) { return slot >= 0 ? n->getNumber(slot) : fallback; }

}  // namespace

namespace rdhost {

void Node::localMatrix(double out[4][4]) {
    identity(out);
    if (!type->isTransform) return;
    const NodeType::TransformSlots& x = type->xform;
    double t[3], r[3], s[3], sh[3];
    for (int i = 0; i < 3; ++i) {
        t[i] = slotValue(this, x.t[i], 0.0);
        r[i] = slotValue(this, x.r[i], 0.0);
        s[i] = slotValue(this, x.s[i], 1.0);
        sh[i] = slotValue(this, x.sh[i], 0.0);
    }
    int order = static_cast<int>(slotValue(this, x.ro, 0.0));
    // Axis sequences of the host's rotate orders xyz yzx zxy xzy yxz zyx.
    static const int orders[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {1, 0, 2}, {2, 1, 0}};
    if (order < 0 || order > 5) order = 0;
    auto rotation = [this](const int slots[3], const int seq[3], M4 into) {
        double rot[4][4];
        for (int k = 0; k < 3; ++k) {
            int axis = seq[k];
            axisRotation(axis, slotValue(this, slots[axis], 0.0), rot);
            multiply(into, rot, into);
        }
    };
    auto translation = [this](const int slots[3], double sign, M4 into) {
        for (int i = 0; i < 3; ++i) into[3][i] += sign * slotValue(this, slots[i], 0.0);
    };
    double m[4][4];
    identity(m);
    const bool joint = x.jo[0] >= 0;
    if (!joint) translation(x.sp, -1.0, m);
    double scale[4][4];
    identity(scale);
    scale[0][0] = s[0];
    scale[1][1] = s[1];
    scale[2][2] = s[2];
    multiply(m, scale, m);
    double shear[4][4];
    identity(shear);
    shear[1][0] = sh[0];  // xy
    shear[2][0] = sh[1];  // xz
    shear[2][1] = sh[2];  // yz
    multiply(m, shear, m);
    if (!joint) {
        translation(x.sp, 1.0, m);
        translation(x.spt, 1.0, m);
        translation(x.rp, -1.0, m);
    }
    rotation(x.ra, orders[0], m);
    rotation(x.r, orders[order], m);
    if (joint) {
        // A joint: S * RA * R * JO * IS * T, IS undoing its parent's scale
        // unless segmentScaleCompensate is off.
        rotation(x.jo, orders[0], m);
        if (slotValue(this, x.ssc, 1.0) != 0.0) {
            double inv[4][4];
            identity(inv);
            for (int i = 0; i < 3; ++i) {
                const double v = slotValue(this, x.is[i], 1.0);
                inv[i][i] = v != 0.0 ? 1.0 / v : 1.0;
            }
            multiply(m, inv, m);
        }
    } else {
        translation(x.rp, 1.0, m);
        translation(x.rpt, 1.0, m);
    }
    (void)r;
    m[3][0] += t[0];
    m[3][1] += t[1];
    m[3][2] += t[2];
    std::memcpy(out, m, sizeof m);
}

void Node::offsetParentMatrix(double out[4][4]) {
    identity(out);
    const int first = type->isTransform ? type->xform.opm : -1;
    if (first < 0) return;
    for (int i = 0; i < 16; ++i) out[i / 4][i % 4] = getNumber(first + i);
}

void Scene::worldMatrix(const Node* node, double out[4][4]) const {
    identity(out);
    for (const Node* n = node; n; n = n->parent) {
        double local[4][4], opm[4][4];
        const_cast<Node*>(n)->localMatrix(local);
        const_cast<Node*>(n)->offsetParentMatrix(opm);
        multiply(local, opm, local);
        multiply(out, local, out);
        // inheritsTransform off: the node ignores its parents.
        if (n->type->isTransform && n->type->xform.it >= 0 &&
            const_cast<Node*>(n)->getNumber(n->type->xform.it) == 0.0)
            break;
    }
}

}  // namespace rdhost

namespace {

MMatrix worldOf(const Node* n) {
    double m[4][4];
    if (n)
        n->scene->worldMatrix(n, m);
    else
        identity(m);
    return MMatrix(m);
}

MMatrix localOf(Node* n) {
    double m[4][4];
    n->localMatrix(m);
    return MMatrix(m);
}

}  // namespace

// ---------------------------------------------------------------- MDagPath

MDagPath::MDagPath() : rdNode_(nullptr) {}
MDagPath::MDagPath(const MDagPath& src) = default;
MDagPath& MDagPath::operator=(const MDagPath& src) = default;
MDagPath::~MDagPath() = default;

MStatus MDagPath::getAPathTo(const MObject& node, MDagPath& path) {
    Node* n = ObjectAccess::node(node);
    if (!n || !n->isDag()) return MStatus(MS::kInvalidParameter, "the object is not a DAG node");
    path.rdNode_ = n;
    return MS::kSuccess;
}

bool MDagPath::isValid(MStatus* st) const {
    setStatus(st, MS::kSuccess);
    return rdNode_ != nullptr;
}

MObject MDagPath::node(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return ObjectAccess::make(rdNode_);
}

MObject MDagPath::transform(MStatus* st) const {
    Node* n = rdNode_;
    while (n && !n->type->isTransform) n = n->parent;
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return ObjectAccess::make(n);
}

unsigned int MDagPath::length(MStatus* st) const {
    setStatus(st, MS::kSuccess);
    unsigned int len = 0;
    for (Node* n = rdNode_; n; n = n->parent) ++len;
    return len;
}

unsigned int MDagPath::childCount(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return rdNode_ ? static_cast<unsigned>(rdNode_->children.size()) : 0u;
}

MObject MDagPath::child(unsigned int i, MStatus* st) const {
    if (!rdNode_ || i >= rdNode_->children.size()) {
        setStatus(st, MS::kInvalidParameter);
        return MObject();
    }
    setStatus(st, MS::kSuccess);
    return ObjectAccess::make(rdNode_->children[i]);
}

MStatus MDagPath::push(const MObject& child) {
    Node* c = ObjectAccess::node(child);
    if (!c || !c->isDag() || c->parent != rdNode_)
        return MStatus(MS::kInvalidParameter, "the object is not a child of the path's last node");
    rdNode_ = c;
    return MS::kSuccess;
}

MStatus MDagPath::pop(unsigned int num) {
    Node* n = rdNode_;
    for (unsigned int i = 0; i < num; ++i) {
        if (!n) return MStatus(MS::kInvalidParameter, "the path is shorter than the number of nodes to pop");
        n = n->parent;
    }
    rdNode_ = n;
    return MS::kSuccess;
}

MStatus MDagPath::extendToShape() {
    if (!rdNode_) return MS::kInvalidParameter;
    if (!rdNode_->type->isTransform) return MS::kSuccess;
    Node* shape = nullptr;
    for (Node* c : rdNode_->children) {
        if (c->type->isTransform) continue;
        if (shape) return MStatus(MS::kInvalidParameter, "the transform has more than one shape");
        shape = c;
    }
    if (!shape) return MStatus(MS::kInvalidParameter, "the transform has no shape");
    rdNode_ = shape;
    return MS::kSuccess;
}

MMatrix MDagPath::inclusiveMatrix(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return worldOf(rdNode_);
}

MMatrix MDagPath::exclusiveMatrix(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return worldOf(rdNode_ ? rdNode_->parent : nullptr);
}

MMatrix MDagPath::inclusiveMatrixInverse(MStatus* st) const { return inclusiveMatrix(st).inverse(); }
MMatrix MDagPath::exclusiveMatrixInverse(MStatus* st) const { return exclusiveMatrix(st).inverse(); }

MString MDagPath::fullPathName(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return rdNode_ ? MString(rdNode_->fullPathName().c_str()) : MString();
}

MString MDagPath::partialPathName(MStatus* st) const {
    setStatus(st, rdNode_ ? MS::kSuccess : MS::kFailure);
    return rdNode_ ? MString(rdNode_->partialPathName().c_str()) : MString();
}

bool MDagPath::operator==(const MDagPath& other) const { return rdNode_ == other.rdNode_; }

// ---------------------------------------------------------------- MFnDagNode

#define RD_NODE() ObjectAccess::node(rdObject_)

MFnDagNode::MFnDagNode() {}
MFnDagNode::MFnDagNode(MObject& o, MStatus* st) { setStatus(st, MFnDagNode::setObject(o)); }
MFnDagNode::MFnDagNode(const MObject& o, MStatus* st) { setStatus(st, MFnDagNode::setObject(o)); }
MFnDagNode::MFnDagNode(const MDagPath& p, MStatus* st) { setStatus(st, MFnDagNode::setObject(p)); }
MFnDagNode::~MFnDagNode() {}

MStatus MFnDagNode::setObject(MObject& o) { return setObject(static_cast<const MObject&>(o)); }
MStatus MFnDagNode::setObject(const MObject& o) {
    rdObject_ = MObject();
    Node* n = ObjectAccess::node(o);
    if (!n || !n->isDag()) return MStatus(MS::kInvalidParameter, "the object is not a DAG node");
    rdObject_ = o;
    return MS::kSuccess;
}
MStatus MFnDagNode::setObject(const MDagPath& p) { return MFnDagNode::setObject(p.node()); }

MStatus MFnDagNode::getPath(MDagPath& path) const {
    Node* n = RD_NODE();
    if (!n) return MS::kFailure;
    path = ObjectAccess::path(n);
    return MS::kSuccess;
}

MDagPath MFnDagNode::dagPath(MStatus* st) const {
    MDagPath p;
    setStatus(st, getPath(p));
    return p;
}

MString MFnDagNode::fullPathName(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return n ? MString(n->fullPathName().c_str()) : MString();
}

MString MFnDagNode::partialPathName(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return n ? MString(n->partialPathName().c_str()) : MString();
}

unsigned int MFnDagNode::parentCount(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    // A node at the top has the world as its parent, as in the host.
    return n ? 1u : 0u;
}

MObject MFnDagNode::parent(unsigned int i, MStatus* st) const {
    Node* n = RD_NODE();
    if (!n || i != 0 || !n->parent) {
        setStatus(st, n && i == 0 ? MS::kSuccess : MS::kInvalidParameter);
        return MObject();  // the world
    }
    setStatus(st, MS::kSuccess);
    return ObjectAccess::make(n->parent);
}

unsigned int MFnDagNode::childCount(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return n ? static_cast<unsigned>(n->children.size()) : 0u;
}

MObject MFnDagNode::child(unsigned int i, MStatus* st) const {
    Node* n = RD_NODE();
    if (!n || i >= n->children.size()) {
        setStatus(st, MS::kInvalidParameter);
        return MObject();
    }
    setStatus(st, MS::kSuccess);
    return ObjectAccess::make(n->children[i]);
}

bool MFnDagNode::hasParent(const MObject& node, MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return n && n->parent && n->parent == ObjectAccess::node(node);
}

bool MFnDagNode::hasChild(const MObject& node, MStatus* st) const {
    Node* n = RD_NODE();
    Node* c = ObjectAccess::node(node);
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return n && c && c->parent == n;
}

bool MFnDagNode::isChildOf(const MObject& node, MStatus* st) const { return hasParent(node, st); }
bool MFnDagNode::isParentOf(const MObject& node, MStatus* st) const { return hasChild(node, st); }

MStatus MFnDagNode::addChild(MObject& child, unsigned int, bool) {
    Node* n = RD_NODE();
    Node* c = ObjectAccess::node(child);
    if (!n || !c) return MS::kInvalidParameter;
    try {
        n->scene->reparent(c, n);
    } catch (const rdhost::HostError& e) {
        return MStatus(MS::kInvalidParameter, e.what());
    }
    return MS::kSuccess;
}

MMatrix MFnDagNode::transformationMatrix(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return n ? localOf(n) : MMatrix();
}

// ---------------------------------------------------------------- MFnTransform

MFnTransform::MFnTransform() {}
MFnTransform::MFnTransform(MObject& o, MStatus* st) { setStatus(st, MFnTransform::setObject(o)); }
MFnTransform::MFnTransform(const MObject& o, MStatus* st) { setStatus(st, MFnTransform::setObject(o)); }
MFnTransform::MFnTransform(const MDagPath& p, MStatus* st) { setStatus(st, MFnTransform::setObject(p)); }
MFnTransform::~MFnTransform() {}

MStatus MFnTransform::setObject(MObject& o) { return setObject(static_cast<const MObject&>(o)); }
MStatus MFnTransform::setObject(const MObject& o) {
    rdObject_ = MObject();
    Node* n = ObjectAccess::node(o);
    if (!n || !n->type->isTransform)
        return MStatus(MS::kInvalidParameter,
                       ("'" + (n ? n->name : std::string("the object")) + "' is not a transform").c_str());
    rdObject_ = o;
    return MS::kSuccess;
}
MStatus MFnTransform::setObject(const MDagPath& p) { return MFnTransform::setObject(p.node()); }

MTransformationMatrix MFnTransform::transformation(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return n ? MTransformationMatrix(worldOf(n)) : MTransformationMatrix();
}

MVector MFnTransform::translation(MSpace::Space space, MStatus* st) const {
    Node* n = RD_NODE();
    if (!n) {
        setStatus(st, MS::kFailure);
        return MVector();
    }
    setStatus(st, MS::kSuccess);
    if (space == MSpace::kWorld) {
        MMatrix w = worldOf(n);
        return MVector(w(3, 0), w(3, 1), w(3, 2));
    }
    const auto& x = n->type->xform;
    return MVector(slotValue(n, x.t[0], 0), slotValue(n, x.t[1], 0), slotValue(n, x.t[2], 0));
}

MStatus MFnTransform::setTranslation(const MVector& v, MSpace::Space space) {
    Node* n = RD_NODE();
    if (!n) return MS::kFailure;
    MVector local = v;
    if (space == MSpace::kWorld) {
        MMatrix pinv = worldOf(n->parent).inverse();
        double row[4] = {v.x, v.y, v.z, 1.0}, out[3] = {0, 0, 0};
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 4; ++k) out[j] += row[k] * pinv(k, j);
        local = MVector(out[0], out[1], out[2]);
    }
    const auto& x = n->type->xform;
    double vals[3] = {local.x, local.y, local.z};
    for (int i = 0; i < 3; ++i)
        if (x.t[i] >= 0) n->setNumber(x.t[i], vals[i]);
    return MS::kSuccess;
}

MStatus MFnTransform::getRotation(MQuaternion& q, MSpace::Space space) const {
    Node* n = RD_NODE();
    if (!n) return MS::kFailure;
    q = MTransformationMatrix(space == MSpace::kWorld ? worldOf(n) : localOf(n)).rotation();
    return MS::kSuccess;
}

MStatus MFnTransform::getRotation(MEulerRotation& r) const {
    Node* n = RD_NODE();
    if (!n) return MS::kFailure;
    const auto& x = n->type->xform;
    r = MEulerRotation(slotValue(n, x.r[0], 0), slotValue(n, x.r[1], 0), slotValue(n, x.r[2], 0),
                       static_cast<MEulerRotation::RotationOrder>(static_cast<int>(slotValue(n, x.ro, 0))));
    return MS::kSuccess;
}

MStatus MFnTransform::setRotation(const MEulerRotation& r) {
    Node* n = RD_NODE();
    if (!n) return MS::kFailure;
    const auto& x = n->type->xform;
    double vals[3] = {r.x, r.y, r.z};
    for (int i = 0; i < 3; ++i)
        if (x.r[i] >= 0) n->setNumber(x.r[i], vals[i]);
    if (x.ro >= 0) n->setNumber(x.ro, static_cast<double>(r.order));
    return MS::kSuccess;
}

MStatus MFnTransform::getScale(double scale[3]) const {
    Node* n = RD_NODE();
    if (!n) return MS::kFailure;
    const auto& x = n->type->xform;
    for (int i = 0; i < 3; ++i) scale[i] = slotValue(n, x.s[i], 1.0);
    return MS::kSuccess;
}

MStatus MFnTransform::setScale(const double scale[3]) {
    Node* n = RD_NODE();
    if (!n) return MS::kFailure;
    const auto& x = n->type->xform;
    for (int i = 0; i < 3; ++i)
        if (x.s[i] >= 0) n->setNumber(x.s[i], scale[i]);
    return MS::kSuccess;
}

MTransformationMatrix::RotationOrder MFnTransform::rotationOrder(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    int ro = n ? static_cast<int>(slotValue(n, n->type->xform.ro, 0)) : -1;
    // The transformation matrix's enum counts from kXYZ = 1.
    return ro < 0 || ro > 5 ? MTransformationMatrix::kInvalid
                            : static_cast<MTransformationMatrix::RotationOrder>(ro + 1);
}
