// A test plug-in whose initializePlugin registers one type and then fails:
// the host must leave nothing of it behind.
#include <maya/MFnPlugin.h>
#include <maya/MPxNode.h>

namespace {
struct Leftover : MPxNode {
    static void* creator() { return new Leftover; }
    static MStatus initialize() { return MS::kSuccess; }
};
}  // namespace

extern "C" PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "rigDials tests", "1.0", "Any");
    MStatus st = plugin.registerNode("graphLeftover", 0x7f110, Leftover::creator, Leftover::initialize);
    if (!st) return st;
    return MStatus(MS::kFailure, "graph_failinit gives up on purpose");
}

extern "C" PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj);
    return plugin.deregisterNode(0x7f110);
}
