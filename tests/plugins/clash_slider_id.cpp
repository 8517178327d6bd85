// A plug-in that takes the linear slider's type id (0x80666) under another
// name, so that loading rigDials after it fails at its third registration.

#include <maya/MFnPlugin.h>
#include <maya/MPxNode.h>

namespace {

class ClashNode : public MPxNode {
public:
    static void* creator() { return new ClashNode(); }
    static MStatus initialize() { return MS::kSuccess; }
};

const MTypeId kSliderId(0x80666);

}  // namespace

extern "C" PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "rigDials tests", "1.0", "Any");
    return plugin.registerNode("clashSliderId", kSliderId, ClashNode::creator, ClashNode::initialize);
}

extern "C" PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj);
    return plugin.deregisterNode(kSliderId);
}
