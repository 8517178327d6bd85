// MPxNode and MPxLocatorNode: the base classes' defaults and what a node
// instance knows of itself.
#define MNoVersionString
#include "graph/handles.h"

#include <maya/MBoundingBox.h>
#include <maya/MDGContext.h>
#include <maya/MDataBlock.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MPxNode.h>

using rdhost::ObjectAccess;

// ---------------------------------------------------------------- MPxNode

MPxNode::MPxNode() : rdNode_(nullptr) {}
MPxNode::~MPxNode() {}

void MPxNode::postConstructor() {}
MStatus MPxNode::compute(const MPlug&, MDataBlock&) { return MS::kUnknownParameter; }
bool MPxNode::getInternalValue(const MPlug&, MDataHandle&) { return false; }
bool MPxNode::setInternalValue(const MPlug&, const MDataHandle&) { return false; }
bool MPxNode::getInternalValueInContext(const MPlug& plug, MDataHandle& handle, MDGContext&) {
    return getInternalValue(plug, handle);
}
bool MPxNode::setInternalValueInContext(const MPlug& plug, const MDataHandle& handle, MDGContext&) {
    return setInternalValue(plug, handle);
}
MStatus MPxNode::legalConnection(const MPlug&, const MPlug&, bool, bool&) const {
    return MS::kUnknownParameter;
}
MStatus MPxNode::legalDisconnection(const MPlug&, const MPlug&, bool, bool&) const {
    return MS::kUnknownParameter;
}
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
