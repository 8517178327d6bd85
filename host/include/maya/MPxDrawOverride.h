// MPxDrawOverride: how a DAG node draws in Viewport 2.0. The host makes one
// override per node (with the creator registered for the node type's draw
// classification), calls prepareForDraw once per refresh to read the node,
// then addUIDrawables (when hasUIDrawables) and the draw callback (when
// given). Plugs may be read in prepareForDraw only.
#pragma once

#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MUserData.h>
#include <maya/MViewport2Renderer.h>

namespace MHWRender {

class MDrawContext;
class MFrameContext;
class MUIDrawManager;

class MPxDrawOverride {
public:
    typedef void (*GeometryDrawOverrideCb)(const MDrawContext& context, const MUserData* data);

    MPxDrawOverride(const MObject& obj, GeometryDrawOverrideCb callback);
    virtual ~MPxDrawOverride();

    // kOpenGL unless overridden.
    virtual DrawAPI supportedDrawAPIs() const;
    // False unless overridden: addUIDrawables is not called.
    virtual bool hasUIDrawables() const;
    // The object's world matrix (objPath's inclusive matrix) unless overridden.
    virtual MMatrix transform(const MDagPath& objPath, const MDagPath& cameraPath) const;
    // An empty box unless overridden.
    virtual MBoundingBox boundingBox(const MDagPath& objPath, const MDagPath& cameraPath) const;
    // False unless overridden.
    virtual bool isBounded(const MDagPath& objPath, const MDagPath& cameraPath) const;
    virtual bool disableInternalBoundingBoxDraw() const;

    virtual MUserData* prepareForDraw(const MDagPath& objPath, const MDagPath& cameraPath,
                                      const MFrameContext& frameContext, MUserData* oldData) = 0;
    virtual void addUIDrawables(const MDagPath& objPath, MUIDrawManager& drawManager,
                                const MFrameContext& frameContext, const MUserData* data);

    static const char* className() { return "MPxDrawOverride"; }

    // Host side: the draw callback given to the constructor (may be null).
    GeometryDrawOverrideCb drawCallback() const { return fCallback; }

private:
    MPxDrawOverride(const MPxDrawOverride&) = delete;
    MPxDrawOverride& operator=(const MPxDrawOverride&) = delete;

    MObject fObject;
    GeometryDrawOverrideCb fCallback;
};

}  // namespace MHWRender
