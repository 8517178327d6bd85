#include "command/keys_nodes.h"

#include "graph/handles.h"

#include <maya/MDataBlock.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

namespace rdhost::keys {

namespace {

// Type ids as the host numbers them ('PCTL', 'PCTA', 'PCTU').
constexpr unsigned kIdTL = 0x5043544C;
constexpr unsigned kIdTA = 0x50435441;
constexpr unsigned kIdTU = 0x50435455;

class AnimCurveNode : public MPxNode {
public:
    std::vector<Key> keys;

    MStatus compute(const MPlug& plug, MDataBlock&) override {
        Node* node = ObjectAccess::node(this);
        PlugRef ref = ObjectAccess::ref(plug);
        if (!node || ref.attr != outputSlot(node)) return MS::kUnknownParameter;
        const int in = node->type->findAttr("input")->index;
        // An unconnected input follows the scene's time, as the host's curves do.
        const double time = node->source(in) ? node->getNumber(in) : node->scene->currentTime();
        node->writeNumberClean(ref.attr, evaluate(keys, time));
        return MS::kSuccess;
    }
};

void* createCurve() { return new AnimCurveNode; }

MStatus initializeCurve(MFnUnitAttribute::Type unit) {
    MFnUnitAttribute u;
    MFnNumericAttribute n;
    MObject input = u.create("input", "i", MFnUnitAttribute::kTime, 0.0);
    u.setStorable(false);
    u.setKeyable(false);
    MObject output = unit == MFnUnitAttribute::kInvalid
                         ? n.create("output", "o", MFnNumericData::kDouble, 0.0)
                         : u.create("output", "o", unit, 0.0);
    MFnAttribute out(output);
    out.setWritable(false);
    out.setStorable(false);
    MObject tangent = n.create("tangentType", "tan", MFnNumericData::kShort, 0);
    MObject weighted = n.create("weightedTangents", "wgt", MFnNumericData::kBoolean, 1);
    for (const MObject* a : {&input, &output, &tangent, &weighted}) {
        MStatus st = MPxNode::addAttribute(*a);
        if (!st) return st;
    }
    return MPxNode::attributeAffects(input, output);
}

MStatus initializeTL() { return initializeCurve(MFnUnitAttribute::kDistance); }
MStatus initializeTA() { return initializeCurve(MFnUnitAttribute::kAngle); }
MStatus initializeTU() { return initializeCurve(MFnUnitAttribute::kInvalid); }

void installAnimCurves(Scene& scene) {
    scene.registerBuiltinType("animCurveTL", kIdTL, MPxNode::kDependNode, createCurve, initializeTL, false);
    scene.registerBuiltinType("animCurveTA", kIdTA, MPxNode::kDependNode, createCurve, initializeTA, false);
    scene.registerBuiltinType("animCurveTU", kIdTU, MPxNode::kDependNode, createCurve, initializeTU, false);
}

const BuiltinInstaller installer(&installAnimCurves);

AnimCurveNode* curveOf(const Node* node) {
    if (!isAnimCurve(node))
        throw HostError("'" + (node ? node->name : std::string("?")) + "' is not an anim curve");
    return static_cast<AnimCurveNode*>(node->user);
}

}  // namespace

bool isAnimCurve(const Node* node) {
    if (!node || !node->type || node->type->plugin || !node->user) return false;
    const unsigned id = node->type->id;
    return id == kIdTL || id == kIdTA || id == kIdTU;
}

std::string curveTypeFor(const Attr& attr) {
    switch (attr.kind) {
    case AttrKind::Distance:
        return "animCurveTL";
    case AttrKind::Angle:
        return "animCurveTA";
    case AttrKind::Numeric:
    case AttrKind::Enum:
        return "animCurveTU";
    default:
        return "";
    }
}

std::vector<Key>& curveKeys(Node* curve) { return curveOf(curve)->keys; }

int outputSlot(const Node* curve) { return curve->type->findAttr("output")->index; }

void keysChanged(Node* curve) {
    curveOf(curve);
    curve->scene->propagateDirty(PlugRef{curve, curve->type->findAttr("input")->index});
}

void timeChanged(Scene& scene) {
    // Copy: nothing here creates nodes, but propagation may call back into plug-ins.
    std::vector<Node*> curves;
    for (Node* n : scene.nodes())
        if (isAnimCurve(n) && !n->source(n->type->findAttr("input")->index)) curves.push_back(n);
    for (Node* c : curves) keysChanged(c);
}

Node* drivingCurve(PlugRef plug) {
    if (!plug || plug.attr >= plug.node->slotCount()) return nullptr;
    const PlugRef& src = plug.node->source(plug.attr);
    if (!src || !isAnimCurve(src.node) || src.attr != outputSlot(src.node)) return nullptr;
    return src.node;
}

}  // namespace rdhost::keys
