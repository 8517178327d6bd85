// A plug-in that takes the linear slider's draw classification under rigDials'
// own registrant, so that loading rigDials after it fails when it registers
// the slider's draw override.

#include <maya/MDrawRegistry.h>
#include <maya/MFnPlugin.h>
#include <maya/MPxDrawOverride.h>

namespace {

const MString kClassification("drawdb/geometry/rigDials/kelSlider");
const MString kRegistrant("rigDials");

MHWRender::MPxDrawOverride* noOverride(const MObject&) { return nullptr; }

}  // namespace

extern "C" PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "rigDials tests", "1.0", "Any");
    return MHWRender::MDrawRegistry::registerDrawOverrideCreator(kClassification, kRegistrant, noOverride);
}

extern "C" PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj);
    return MHWRender::MDrawRegistry::deregisterDrawOverrideCreator(kClassification, kRegistrant);
}
