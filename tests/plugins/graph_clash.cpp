// A test plug-in that registers a type id graph_good already uses; it reports
// the failure the way plug-ins do, through MStatus::perror.
#include <maya/MFnPlugin.h>
#include <maya/MPxNode.h>

namespace {
struct Clash : MPxNode {
    static void* creator() { return new Clash; }
    static MStatus initialize() { return MS::kSuccess; }
};
}  // namespace

extern "C" PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "rigDials tests", "1.0", "Any");
    MStatus st = plugin.registerNode("graphClash", 0x7f100, Clash::creator, Clash::initialize);
    if (!st) st.perror("registerNode");
    return st;
}

extern "C" PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj);
    return plugin.deregisterNode(0x7f100);
}
