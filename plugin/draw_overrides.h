// Viewport 2.0 draw overrides of the three locators. Each reads its node once
// per refresh in prepareForDraw (the same reads as the legacy draw), keeps the
// layout and the shapes' meshes in its user data, and submits them in
// addUIDrawables without touching a plug.
#pragma once

#include <maya/MObject.h>
#include <maya/MPxDrawOverride.h>
#include <maya/MString.h>

namespace overrides {

// The draw classifications the node types are registered with, and the
// registrant under which their overrides are.
extern const MString kPrimitiveClassification;
extern const MString kSliderClassification;
extern const MString kArcSliderClassification;
extern const MString kRegistrant;

MHWRender::MPxDrawOverride* createPrimitiveOverride(const MObject& node);
MHWRender::MPxDrawOverride* createSliderOverride(const MObject& node);
MHWRender::MPxDrawOverride* createArcSliderOverride(const MObject& node);

}  // namespace overrides
