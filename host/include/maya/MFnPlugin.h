// MFnPlugin: what a plug-in registers with the host from initializePlugin and
// removes from uninitializePlugin.
//
// Like the host's header, this one defines the exported version text
// MApiVersion unless MNoVersionString is defined before it is included:
// define MNoVersionString in every source of a plug-in but one.
#pragma once

#include <maya/MFnBase.h>
#include <maya/MPxNode.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>
#include <maya/MTypes.h>

class MFnPlugin : public MFnBase {
public:
    MFnPlugin();
    MFnPlugin(MObject& object, const char* vendor = "Unknown", const char* version = "Unknown",
              const char* requiredApiVersion = "Any", MStatus* ReturnStatus = 0);
    ~MFnPlugin() override;

    MString vendor(MStatus* ReturnStatus = NULL) const;
    MString version(MStatus* ReturnStatus = NULL) const;
    MString apiVersion(MStatus* ReturnStatus = NULL) const;
    MString name(MStatus* ReturnStatus = NULL) const;
    MString loadPath(MStatus* ReturnStatus = NULL) const;

    // Fails when a type of that name or id is already registered, or when the
    // type's initialize function fails (the type is then not registered).
    MStatus registerNode(const MString& typeName, const MTypeId& typeId, MCreatorFunction creatorFunction,
                         MInitializeFunction initFunction, MPxNode::Type type = MPxNode::kDependNode,
                         const MString* classification = NULL);
    MStatus deregisterNode(const MTypeId& typeId);
};

#ifndef MNoVersionString
extern "C" {
PLUGIN_EXPORT char MApiVersion[] = "300";
}
#endif
