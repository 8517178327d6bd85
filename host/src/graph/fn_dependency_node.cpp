// MFnDependencyNode: a node's name, type, attributes and plugs.
#define MNoVersionString
#include "graph/handles.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>

using rdhost::Attr;
using rdhost::Node;
using rdhost::ObjectAccess;
using rdhost::setStatus;

#define RD_NODE() ObjectAccess::node(rdObject_)

MFnDependencyNode::MFnDependencyNode() {}
MFnDependencyNode::MFnDependencyNode(MObject& o, MStatus* st) {
    setStatus(st, MFnDependencyNode::setObject(o));
}
MFnDependencyNode::MFnDependencyNode(const MObject& o, MStatus* st) {
    setStatus(st, MFnDependencyNode::setObject(o));
}
MFnDependencyNode::~MFnDependencyNode() {}

MStatus MFnDependencyNode::setObject(MObject& o) { return setObject(static_cast<const MObject&>(o)); }
MStatus MFnDependencyNode::setObject(const MObject& o) {
    rdObject_ = MObject();
    if (!ObjectAccess::node(o)) return MStatus(MS::kInvalidParameter, "the object is not a node");
    rdObject_ = o;
    return MS::kSuccess;
}

MObject MFnDependencyNode::create(const MString& type, MStatus* st) { return create(type, MString(), st); }

MObject MFnDependencyNode::create(const MString& type, const MString& name, MStatus* st) {
    rdhost::Scene* scene = rdhost::Scene::current();
    if (!scene) {
        setStatus(st, MStatus(MS::kFailure, "no scene"));
        return MObject();
    }
    try {
        Node* n = scene->createNode(type.asChar(), name.asChar(), nullptr, true);
        rdObject_ = ObjectAccess::make(n);
        setStatus(st, MS::kSuccess);
        return rdObject_;
    } catch (const rdhost::HostError& e) {
        setStatus(st, MStatus(MS::kInvalidParameter, e.what()));
        return MObject();
    }
}

MString MFnDependencyNode::name(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return n ? MString(n->name.c_str()) : MString();
}

MString MFnDependencyNode::setName(const MString& name, bool, MStatus* st) {
    Node* n = RD_NODE();
    if (!n) {
        setStatus(st, MS::kFailure);
        return MString();
    }
    try {
        n->scene->renameNode(n, name.asChar());
        setStatus(st, MS::kSuccess);
    } catch (const rdhost::HostError& e) {
        setStatus(st, MStatus(MS::kInvalidParameter, e.what()));
    }
    return MString(n->name.c_str());
}

MTypeId MFnDependencyNode::typeId(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return n ? MTypeId(n->type->id) : MTypeId();
}

MString MFnDependencyNode::typeName(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    if (!n) return MString();
    return MString(n->unknownTypeName.empty() ? n->type->name.c_str() : n->unknownTypeName.c_str());
}

MPxNode* MFnDependencyNode::userNode(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n && n->user ? MS::kSuccess : MS::kFailure);
    return n ? n->user : nullptr;
}

namespace {

// The node's attributes as the host counts them: the type's, then those added
// to this node (addAttr), without removed ones or the elements of multis
// (plugs of their multi, not attributes).
std::vector<rdhost::Attr*> listedAttrs(const Node* n) {
    std::vector<rdhost::Attr*> out;
    for (rdhost::Attr* a : n->attrs())
        if (!a->removed && !a->elementOf) out.push_back(a);
    return out;
}

}  // namespace

unsigned int MFnDependencyNode::attributeCount(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return n ? static_cast<unsigned>(listedAttrs(n).size()) : 0u;
}

MObject MFnDependencyNode::attribute(unsigned int index, MStatus* st) const {
    Node* n = RD_NODE();
    const std::vector<rdhost::Attr*> listed = n ? listedAttrs(n) : std::vector<rdhost::Attr*>{};
    if (index >= listed.size()) {
        setStatus(st, MS::kInvalidParameter);
        return MObject();
    }
    setStatus(st, MS::kSuccess);
    return ObjectAccess::make(listed[index]);
}

MObject MFnDependencyNode::attribute(const MString& attrName, MStatus* st) const {
    Node* n = RD_NODE();
    Attr* a = n ? n->findAttr(attrName.asChar()) : nullptr;
    setStatus(st, a ? MS::kSuccess : MS::kInvalidParameter);
    return a ? ObjectAccess::make(a) : MObject();
}

bool MFnDependencyNode::hasAttribute(const MString& name, MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return n && n->findAttr(name.asChar());
}

MPlug MFnDependencyNode::findPlug(const MString& attrName, bool, MStatus* st) const {
    Node* n = RD_NODE();
    if (!n) {
        setStatus(st, MStatus(MS::kFailure, "the function set has no node"));
        return MPlug();
    }
    Attr* a = n->findAttr(attrName.asChar());
    if (!a) {
        setStatus(st, MStatus(MS::kInvalidParameter,
                              ("'" + n->name + "' has no attribute '" + attrName.asChar() + "'").c_str()));
        return MPlug();
    }
    setStatus(st, MS::kSuccess);
    return ObjectAccess::plug(n, a->index);
}

MPlug MFnDependencyNode::findPlug(const MString& attrName, MStatus* st) const {
    return findPlug(attrName, false, st);
}

MPlug MFnDependencyNode::findPlug(const MObject& attr, bool, MStatus* st) const {
    Node* n = RD_NODE();
    Attr* a = ObjectAccess::attr(attr);
    if (!n || !a || a->owner != n->type || a->index < 0) {
        setStatus(st, MStatus(MS::kInvalidParameter, "the attribute does not belong to this node"));
        return MPlug();
    }
    setStatus(st, MS::kSuccess);
    return ObjectAccess::plug(n, a->index);
}

MPlug MFnDependencyNode::findPlug(const MObject& attr, MStatus* st) const {
    return findPlug(attr, false, st);
}
