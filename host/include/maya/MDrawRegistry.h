// MDrawRegistry: where a plug-in registers the Viewport 2.0 draw override of
// a draw classification. A node type registered with a classification whose
// part beginning with "drawdb/" equals a registered one draws through that
// override in Viewport 2.0. Register after the node type, deregister before.
#pragma once

#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

namespace MHWRender {

class MPxDrawOverride;

class MDrawRegistry {
public:
    typedef MPxDrawOverride* (*DrawOverrideCreator)(const MObject& obj);

    // Fails for an empty registrant, a null creator, a classification that
    // does not begin with "drawdb/", or a classification and registrant
    // already registered. A second registrant for a classification is kept
    // (with a warning) and takes over when the first is deregistered.
    static MStatus registerDrawOverrideCreator(const MString& drawClassification, const MString& registrantId,
                                               DrawOverrideCreator createFunction);
    // Fails when that classification and registrant are not registered.
    static MStatus deregisterDrawOverrideCreator(const MString& drawClassification,
                                                 const MString& registrantId);

    static const char* className() { return "MDrawRegistry"; }
};

}  // namespace MHWRender
