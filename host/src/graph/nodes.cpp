// MPxNode, MPxLocatorNode, MFnDependencyNode and MGlobal.
#define MNoVersionString
#include "graph/handles.h"
#include "graph/scene_impl.h"

#include <maya/MBoundingBox.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MPxNode.h>

#include <cstdlib>
#include <iostream>

using rdhost::Attr;
using rdhost::Node;
using rdhost::ObjectAccess;

namespace {
void setStatus(MStatus* out, const MStatus& st) {
    if (out) *out = st;
}
}  // namespace

// ---------------------------------------------------------------- MPxNode

MPxNode::MPxNode() : rdNode_(nullptr) {}
MPxNode::~MPxNode() {}

void MPxNode::postConstructor() {}
MStatus MPxNode::compute(const MPlug&, MDataBlock&) { return MS::kUnknownParameter; }
bool MPxNode::getInternalValue(const MPlug&, MDataHandle&) { return false; }
bool MPxNode::setInternalValue(const MPlug&, const MDataHandle&) { return false; }
MStatus MPxNode::legalConnection(const MPlug&, const MPlug&, bool, bool&) const { return MS::kUnknownParameter; }
MStatus MPxNode::legalDisconnection(const MPlug&, const MPlug&, bool, bool&) const { return MS::kUnknownParameter; }
MStatus MPxNode::connectionMade(const MPlug&, const MPlug&, bool) { return MS::kUnknownParameter; }
MStatus MPxNode::connectionBroken(const MPlug&, const MPlug&, bool) { return MS::kUnknownParameter; }
MStatus MPxNode::shouldSave(const MPlug&, bool&) { return MS::kUnknownParameter; }
MPxNode::Type MPxNode::type() const { return kDependNode; }
bool MPxNode::isAbstractClass() const { return false; }

MObject MPxNode::thisMObject() const { return ObjectAccess::make(rdNode_); }
MTypeId MPxNode::typeId() const { return rdNode_ ? MTypeId(rdNode_->type->id) : MTypeId(); }
MString MPxNode::typeName() const { return rdNode_ ? MString(rdNode_->type->name.c_str()) : MString(); }
MString MPxNode::name() const { return rdNode_ ? MString(rdNode_->name.c_str()) : MString(); }

// ---------------------------------------------------------------- MPxLocatorNode

MPxLocatorNode::MPxLocatorNode() {}
MPxLocatorNode::~MPxLocatorNode() {}
MPxNode::Type MPxLocatorNode::type() const { return kLocatorNode; }
void MPxLocatorNode::draw(M3dView&, const MDagPath&, M3dView::DisplayStyle, M3dView::DisplayStatus) {}
bool MPxLocatorNode::isBounded() const { return false; }
MBoundingBox MPxLocatorNode::boundingBox() const { return MBoundingBox(); }

// ---------------------------------------------------------------- MFnDependencyNode

#define RD_NODE() ObjectAccess::node(rdObject_)

MFnDependencyNode::MFnDependencyNode() {}
MFnDependencyNode::MFnDependencyNode(MObject& o, MStatus* st) { setStatus(st, MFnDependencyNode::setObject(o)); }
MFnDependencyNode::MFnDependencyNode(const MObject& o, MStatus* st) { setStatus(st, MFnDependencyNode::setObject(o)); }
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

unsigned int MFnDependencyNode::attributeCount(MStatus* st) const {
    Node* n = RD_NODE();
    setStatus(st, n ? MS::kSuccess : MS::kFailure);
    return n ? static_cast<unsigned>(n->type->attrs.size()) : 0u;
}

MObject MFnDependencyNode::attribute(unsigned int index, MStatus* st) const {
    Node* n = RD_NODE();
    if (!n || index >= n->type->attrs.size()) {
        setStatus(st, MS::kInvalidParameter);
        return MObject();
    }
    setStatus(st, MS::kSuccess);
    return ObjectAccess::make(n->type->attrs[index]);
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

MPlug MFnDependencyNode::findPlug(const MString& attrName, MStatus* st) const { return findPlug(attrName, false, st); }

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

MPlug MFnDependencyNode::findPlug(const MObject& attr, MStatus* st) const { return findPlug(attr, false, st); }

// ---------------------------------------------------------------- MGlobal

namespace {

MStatus run(const MString& command, std::string* result) {
    rdhost::Scene* scene = rdhost::Scene::current();
    if (!scene) return MStatus(MS::kFailure, "executeCommand: no scene");
    if (!scene->executeHook())
        return MStatus(MS::kFailure, ("executeCommand: no command interpreter to run \"" +
                                      std::string(command.asChar()) + "\"").c_str());
    bool ok = scene->executeHook()(command.asChar(), result);
    if (!ok) return MStatus(MS::kFailure, ("command failed: " + std::string(command.asChar())).c_str());
    return MS::kSuccess;
}

}  // namespace

MStatus MGlobal::executeCommand(const MString& command, bool, bool) { return run(command, nullptr); }

MStatus MGlobal::executeCommand(const MString& command, int& result, bool, bool) {
    std::string out;
    MStatus st = run(command, &out);
    if (!st) return st;
    char* end = nullptr;
    long v = std::strtol(out.c_str(), &end, 10);
    if (out.empty() || *end) return MStatus(MS::kInvalidParameter, ("the result \"" + out + "\" is not an integer").c_str());
    result = static_cast<int>(v);
    return MS::kSuccess;
}

MStatus MGlobal::executeCommand(const MString& command, double& result, bool, bool) {
    std::string out;
    MStatus st = run(command, &out);
    if (!st) return st;
    char* end = nullptr;
    double v = std::strtod(out.c_str(), &end);
    if (out.empty() || *end) return MStatus(MS::kInvalidParameter, ("the result \"" + out + "\" is not a number").c_str());
    result = v;
    return MS::kSuccess;
}

MStatus MGlobal::executeCommand(const MString& command, MString& result, bool, bool) {
    std::string out;
    MStatus st = run(command, &out);
    if (st) result = MString(out.c_str());
    return st;
}

MStatus MGlobal::executeCommand(const MString& command, MStringArray& result, bool, bool) {
    rdhost::Scene* scene = rdhost::Scene::current();
    if (scene && scene->executeListHook()) {
        std::vector<std::string> out;
        if (!scene->executeListHook()(command.asChar(), &out))
            return MStatus(MS::kFailure, ("command failed: " + std::string(command.asChar())).c_str());
        result.clear();
        for (auto& s : out) result.append(MString(s.c_str()));
        return MS::kSuccess;
    }
    std::string out;
    MStatus st = run(command, &out);
    if (!st) return st;
    result.clear();
    if (!out.empty()) result.append(MString(out.c_str()));
    return MS::kSuccess;
}

MStatus MGlobal::executeCommandOnIdle(const MString& command, bool) {
    rdhost::Scene* scene = rdhost::Scene::current();
    if (!scene) return MStatus(MS::kFailure, "executeCommandOnIdle: no scene");
    scene->deferCommand(command.asChar());
    return MS::kSuccess;
}

void MGlobal::displayInfo(const MString& msg) { std::cerr << msg.asChar() << std::endl; }

void MGlobal::displayWarning(const MString& msg) {
    if (rdhost::Scene* scene = rdhost::Scene::current())
        scene->warn(msg.asChar());
    else
        std::cerr << "// Warning: " << msg.asChar() << " //" << std::endl;
}

void MGlobal::displayError(const MString& msg) { std::cerr << "// Error: " << msg.asChar() << " //" << std::endl; }
