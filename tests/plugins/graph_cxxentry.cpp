// A test plug-in exporting its entry points with C++ linkage, as real-host
// builds often do.
#include <maya/MFnPlugin.h>
#include <maya/MPxNode.h>

namespace {
struct CxxNode : MPxNode {
    static void* creator() { return new CxxNode; }
    static MStatus initialize() { return MS::kSuccess; }
};
}  // namespace

PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "rigDials tests", "2.5", "Any");
    return plugin.registerNode("graphCxx", 0x7f120, CxxNode::creator, CxxNode::initialize);
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj);
    return plugin.deregisterNode(0x7f120);
}
