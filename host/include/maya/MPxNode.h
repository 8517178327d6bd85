// MPxNode: base of the node types that plug-ins define.
//
// Rules the host keeps for every node:
//  - compute(plug, block) is called when a dirty output (an attribute named as
//    affected by some attributeAffects) is read; it writes outputs through the
//    block, which marks nothing dirty. Returning MS::kUnknownParameter leaves the
//    stored value as it is. The plug is clean afterwards whatever compute returns.
//  - compute may read other plugs of any node (re-entrant pull); reading a plug
//    that is being computed yields its stored value.
//  - addAttribute and attributeAffects are static: they act on the node type
//    whose initialize function is running, and fail outside of one.
#pragma once

#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>
#include <maya/MTypes.h>

class MDataBlock;
class MDGContext;
class MDataHandle;
class MPlug;

namespace rdhost {
struct Node;
struct ObjectAccess;
}  // namespace rdhost

class MPxNode {
public:
    enum Type {
        kDependNode,                   // 0
        kLocatorNode,                  // 1
        kDeformerNode,                 // 2
        kManipContainer,               // 3
        kSurfaceShape,                 // 4
        kFieldNode,                    // 5
        kEmitterNode,                  // 6
        kSpringNode,                   // 7
        kIkSolverNode,                 // 8
        kHardwareShader,               // 9
        kHwShaderNode,                 // 10
        kTransformNode,                // 11
        kObjectSet,                    // 12
        kFluidEmitterNode,             // 13
        kImagePlaneNode,               // 14
        kParticleAttributeMapperNode,  // 15
        kCameraSetNode,                // 16
        kConstraintNode,               // 17
        kManipulatorNode,              // 18
        kMotionPathNode,               // 19
        kClientDeviceNode,             // 20
        kThreadedDeviceNode,           // 21
        kAssembly,                     // 22
        kSkinCluster,                  // 23
        kGeometryFilter,               // 24
        kBlendShape,                   // 25
        kLast                          // 26
    };

    MPxNode();
    virtual ~MPxNode();

    virtual void postConstructor();
    virtual MStatus compute(const MPlug& plug, MDataBlock& dataBlock);
    virtual bool getInternalValue(const MPlug& plug, MDataHandle& handle);
    virtual bool setInternalValue(const MPlug& plug, const MDataHandle& handle);
    // The older forms with the evaluation context. The host calls these; by
    // default they call the forms above, so a node may override either pair.
    virtual bool getInternalValueInContext(const MPlug& plug, MDataHandle& handle, MDGContext& context);
    virtual bool setInternalValueInContext(const MPlug& plug, const MDataHandle& handle, MDGContext& context);
    virtual MStatus legalConnection(const MPlug& plug, const MPlug& otherPlug, bool asSrc,
                                    bool& isLegal) const;
    virtual MStatus legalDisconnection(const MPlug& plug, const MPlug& otherPlug, bool asSrc,
                                       bool& isLegal) const;
    virtual MStatus connectionMade(const MPlug& plug, const MPlug& otherPlug, bool asSrc);
    virtual MStatus connectionBroken(const MPlug& plug, const MPlug& otherPlug, bool asSrc);
    virtual MStatus shouldSave(const MPlug& plug, bool& isSaving);
    virtual MPxNode::Type type() const;
    virtual bool isAbstractClass() const;

    virtual MObject thisMObject() const;
    MTypeId typeId() const;
    MString typeName() const;
    MString name() const;

    static MStatus addAttribute(const MObject& attr);
    static MStatus attributeAffects(const MObject& whenChanges, const MObject& isAffected);

    MPxNode(const MPxNode&) = delete;
    MPxNode& operator=(const MPxNode&) = delete;

private:
    friend struct rdhost::ObjectAccess;
    // Stand-in internals: the host's node that this instance belongs to, set
    // by the host right after creator() returns.
    rdhost::Node* rdNode_;
};
