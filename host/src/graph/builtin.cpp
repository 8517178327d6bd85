// The host's own node types: transform, and the placeholders for node types
// read from a file that this host does not know. Attributes every DAG node
// inherits (visibility) and every transform-like node inherits (translate,
// rotate, scale, shear, rotate order) are added here, with the host's names.
#define MNoVersionString
#include "graph/handles.h"
#include "graph/host_attrs.h"
#include "graph/scene_impl.h"

#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnUnitAttribute.h>

namespace rdhost {

namespace {

// Ids in the host's internal range, outside any plug-in's.
constexpr unsigned kTransformId = 0x5846524d;   // "XFRM"
constexpr unsigned kUnknownId = 0x554e4b4e;     // "UNKN"
constexpr unsigned kUnknownDagId = 0x554e4b44;  // "UNKD"
constexpr unsigned kJointId = 0x4a4f494e;       // "JOIN"
constexpr unsigned kLocatorId = 0x4c4f4354;     // "LOCT"

Attr* attrOf(const MObject& o) { return ObjectAccess::attr(o); }

void must(const MStatus& st, const char* what) {
    if (!st) throw HostError(std::string("built-in attribute '") + what + "': " + st.errorString().asChar());
}

// A compound of three unit or double children named NAME + X/Y/Z.
Attr* addTriple(NodeType& type, const char* full, const char* brief, int unitKind, double def, int slots[3]) {
    static const char* axes[3] = {"X", "Y", "Z"};
    static const char* shortAxes[3] = {"x", "y", "z"};
    MObject kids[3];
    for (int i = 0; i < 3; ++i) {
        MString f = MString(full) + axes[i], b = MString(brief) + shortAxes[i];
        MStatus st;
        if (unitKind >= 0) {
            MFnUnitAttribute u;
            kids[i] = u.create(f, b, static_cast<MFnUnitAttribute::Type>(unitKind), def, &st);
            u.setKeyable(true);
        } else {
            MFnNumericAttribute n;
            kids[i] = n.create(f, b, MFnNumericData::kDouble, def, &st);
            n.setKeyable(true);
        }
        must(st, f.asChar());
    }
    MFnNumericAttribute c;
    MStatus st;
    MObject compound = c.create(full, brief, kids[0], kids[1], kids[2], &st);
    must(st, full);
    must(addAttributeTo(&type, attrOf(compound)), full);
    for (int i = 0; i < 3; ++i) slots[i] = attrOf(kids[i])->index;
    return attrOf(compound);
}

}  // namespace

void addInheritedAttributes(Scene&, NodeType& type) {
    if (type.isDag) {
        MFnNumericAttribute v;
        MStatus st;
        MObject vis = v.create("visibility", "v", MFnNumericData::kBoolean, 1.0, &st);
        must(st, "visibility");
        v.setKeyable(true);
        must(addAttributeTo(&type, attrOf(vis)), "visibility");
    }
    if (type.isTransform) {
        auto& x = type.xform;
        addTriple(type, "translate", "t", MFnUnitAttribute::kDistance, 0.0, x.t);
        addTriple(type, "rotate", "r", MFnUnitAttribute::kAngle, 0.0, x.r);
        addTriple(type, "scale", "s", -1, 1.0, x.s);
        // Shear children are named XY/XZ/YZ in the host.
        {
            static const char* full[3] = {"shearXY", "shearXZ", "shearYZ"};
            static const char* brief[3] = {"shxy", "shxz", "shyz"};
            MObject kids[3];
            for (int i = 0; i < 3; ++i) {
                MFnNumericAttribute n;
                MStatus st;
                kids[i] = n.create(full[i], brief[i], MFnNumericData::kDouble, 0.0, &st);
                must(st, full[i]);
            }
            MFnNumericAttribute c;
            MStatus st;
            MObject sh = c.create("shear", "sh", kids[0], kids[1], kids[2], &st);
            must(st, "shear");
            must(addAttributeTo(&type, attrOf(sh)), "shear");
            for (int i = 0; i < 3; ++i) x.sh[i] = attrOf(kids[i])->index;
        }
        MFnEnumAttribute e;
        MStatus st;
        MObject ro = e.create("rotateOrder", "ro", 0, &st);
        must(st, "rotateOrder");
        const char* orders[6] = {"xyz", "yzx", "zxy", "xzy", "yxz", "zyx"};
        for (short i = 0; i < 6; ++i) e.addField(orders[i], i);
        must(addAttributeTo(&type, attrOf(ro)), "rotateOrder");
        x.ro = attrOf(ro)->index;
    }
}

namespace {

NodeType& beingInitialized() { return *Scene::current()->typeBeingInitialized(); }

MStatus initializeTransform() {
    hostattrs::Builder b(beingInitialized());
    hostattrs::addTransformAttributes(b);
    return MS::kSuccess;
}

// A joint is a transform whose matrix takes its orient and, while its
// segmentScaleCompensate is on, undoes its parent's scale (inverseScale, which
// the host connects from the parent joint's scale): S * RA * R * JO * IS * T.
MStatus initializeJoint() {
    using namespace hostattrs;
    Builder b(beingInitialized());
    NodeType& t = b.type();
    Attr* jo = b.xyz("jointOrient", "jo", AttrKind::Angle, kDouble, 0.0);
    Attr* ssc = b.number("segmentScaleCompensate", "ssc", 1.0, kBool);
    Attr* is = b.xyz("inverseScale", "is", AttrKind::Numeric, kDouble, 1.0);
    Attr* radius = b.number("radius", "radi", 1.0);
    radius->hasMin = true;
    radius->minValue = 0.0;
    b.enumeration("drawStyle", "ds", {"Bone", "Multi-child as Box", "None", "Joint"});
    b.xyz("preferredAngle", "pa", AttrKind::Angle, kDouble, 0.0);
    b.matrix("bindPose", "bps");
    for (Attr* a : {jo, is})
        for (Attr* c : a->children) c->keyable = false;
    for (int i = 0; i < 3; ++i) {
        t.xform.jo[i] = jo->children[i]->index;
        t.xform.is[i] = is->children[i]->index;
    }
    t.xform.ssc = ssc->index;
    addTransformAttributes(b, {jo, is, ssc});
    return MS::kSuccess;
}

// The host's locator shape: drawn as a cross of three lines through its
// localPosition, localScale long each way.
MStatus initializeLocator() {
    using namespace hostattrs;
    Builder b(beingInitialized());
    b.xyz("localPosition", "lp", AttrKind::Distance, kDouble, 0.0);
    b.xyz("localScale", "los", AttrKind::Distance, kDouble, 1.0);
    return MS::kSuccess;
}

}  // namespace

void installHostTypes(Scene& scene) {
    scene.registerBuiltinType("transform", kTransformId, MPxNode::kTransformNode, nullptr,
                              initializeTransform, true, true);
    scene.registerBuiltinType("joint", kJointId, MPxNode::kTransformNode, nullptr, initializeJoint, true,
                              true);
    scene.registerBuiltinType("locator", kLocatorId, MPxNode::kLocatorNode, nullptr, initializeLocator, true);
    // Placeholders hold no attributes of their own: a file's setAttr lines for
    // them are kept verbatim on the node.
    scene.registerBuiltinType("unknown", kUnknownId, MPxNode::kDependNode, nullptr, nullptr, false);
    scene.registerBuiltinType("unknownDag", kUnknownDagId, MPxNode::kDependNode, nullptr, nullptr, true,
                              true);
}

}  // namespace rdhost
