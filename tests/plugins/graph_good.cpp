// A well-behaved test plug-in: a dependency node that adds two numbers and a
// locator, registered and deregistered in order.
#include <maya/MDataBlock.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnPlugin.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>

namespace {

struct GraphAdd : MPxNode {
    static MObject a, b, sum;
    static void* creator() { return new GraphAdd; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        a = n.create("inputA", "ia", MFnNumericData::kDouble, 0.0);
        b = n.create("inputB", "ib", MFnNumericData::kDouble, 0.0);
        sum = n.create("sum", "sm", MFnNumericData::kDouble, 0.0);
        for (MObject* o : {&a, &b, &sum}) {
            MStatus st = addAttribute(*o);
            if (!st) return st;
        }
        attributeAffects(a, sum);
        attributeAffects(b, sum);
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != sum) return MS::kUnknownParameter;
        block.outputValue(sum).set(block.inputValue(a).asDouble() + block.inputValue(b).asDouble());
        block.setClean(plug);
        return MS::kSuccess;
    }
};
MObject GraphAdd::a, GraphAdd::b, GraphAdd::sum;

struct GraphLocator : MPxLocatorNode {
    static MObject size;
    static void* creator() { return new GraphLocator; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        size = n.create("size", "sz", MFnNumericData::kFloat, 1.0);
        return addAttribute(size);
    }
};
MObject GraphLocator::size;

}  // namespace

extern "C" PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "rigDials tests", "1.0", "Any");
    MStatus st = plugin.registerNode("graphAdd", 0x7f100, GraphAdd::creator, GraphAdd::initialize);
    if (!st) return st;
    return plugin.registerNode("graphLocator", 0x7f101, GraphLocator::creator, GraphLocator::initialize,
                               MPxNode::kLocatorNode);
}

extern "C" PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj);
    MStatus st = plugin.deregisterNode(0x7f100);
    if (!st) return st;
    return plugin.deregisterNode(0x7f101);
}
