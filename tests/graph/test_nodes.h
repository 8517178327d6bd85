// Tiny node types for graph tests, registered in-process on the test's scene.
// They stand for a plug-in's nodes, so they see only <maya/...>.
#pragma once

#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MDistance.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include <string>
#include <vector>

namespace rdhost {
class Scene;
}

namespace graphtest {

// Everything the test nodes record, in order ("compute mid", ...).
inline std::vector<std::string>& journal() {
    static std::vector<std::string> j;
    return j;
}

// sum = a + b.
struct AddNode : MPxNode {
    static MObject a, b, sum;
    static int computes;
    static void* creator() { return new AddNode; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        a = n.create("inputA", "ia", MFnNumericData::kDouble, 0.0);
        b = n.create("inputB", "ib", MFnNumericData::kDouble, 0.0);
        sum = n.create("sum", "sm", MFnNumericData::kDouble, 0.0);
        for (MObject* o : {&a, &b, &sum})
            if (!addAttribute(*o)) return MS::kFailure;
        if (!attributeAffects(a, sum) || !attributeAffects(b, sum)) return MS::kFailure;
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != sum) return MS::kUnknownParameter;
        ++computes;
        journal().push_back("compute " + std::string(name().asChar()) + ".sum");
        block.outputValue(sum).set(block.inputValue(a).asDouble() + block.inputValue(b).asDouble());
        block.setClean(plug);
        return MS::kSuccess;
    }
};

// in -> mid -> out, where out's compute reads mid through a plug (a nested
// pull), and "self" is an output whose compute reads itself.
struct RecorderNode : MPxNode {
    static MObject in, mid, out, self, ignored;
    static void* creator() { return new RecorderNode; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        in = n.create("input", "in", MFnNumericData::kDouble, 1.0);
        mid = n.create("middle", "md", MFnNumericData::kDouble, -1.0);
        out = n.create("output", "out", MFnNumericData::kDouble, -1.0);
        self = n.create("selfReader", "sr", MFnNumericData::kDouble, 7.0);
        ignored = n.create("ignored", "ig", MFnNumericData::kDouble, 42.0);
        for (MObject* o : {&in, &mid, &out, &self, &ignored})
            if (!addAttribute(*o)) return MS::kFailure;
        attributeAffects(in, mid);
        attributeAffects(mid, out);
        attributeAffects(in, self);
        attributeAffects(in, ignored);
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        MObject node = thisMObject();
        if (plug == mid) {
            journal().push_back("compute middle");
            block.outputValue(mid).set(block.inputValue(in).asDouble() * 2.0);
        } else if (plug == out) {
            journal().push_back("compute output");
            MDistance d;
            MPlug(node, mid).getValue(d, MDGContext::fsNormal);
            block.outputValue(out).set(d.asCentimeters() + 1.0);
        } else if (plug == self) {
            journal().push_back("compute selfReader");
            double stored = 0;
            MPlug(node, self).getValue(stored);  // being computed: the stored value
            block.outputValue(self).set(stored + 1.0);
        } else {
            journal().push_back(
                "unknown " + std::string(plug.partialName(false, false, false, false, false, true).asChar()));
            return MS::kUnknownParameter;
        }
        block.setClean(plug);
        return MS::kSuccess;
    }
};

// A key-toggle pattern: changing "key" dirties "action"; computing "action"
// queues a command and switches "key" off through the data block.
struct ToggleNode : MPxNode {
    static MObject key, action;
    static void* creator() { return new ToggleNode; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        key = n.create("key", "k", MFnNumericData::kBoolean, 0.0);
        action = n.create("action", "act", MFnNumericData::kShort, 0.0);
        addAttribute(key);
        addAttribute(action);
        return attributeAffects(key, action);
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != action) return MS::kUnknownParameter;
        journal().push_back("compute action");
        if (block.inputValue(key).asBool()) {
            MGlobal::executeCommandOnIdle(MString("keyed ") + name());
            block.outputValue(key).set(false);
            block.setClean(key);
        }
        block.outputValue(action).set(static_cast<short>(0));
        block.setClean(plug);
        return MS::kSuccess;
    }
};

// An internal attribute: the node hears of each user write ("offered 5") and
// keeps values above 100 itself, answering reads of them.
struct InternalNode : MPxNode {
    static MObject level;
    double kept = 0.0;
    bool keeping = false;
    static void* creator() { return new InternalNode; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        level = n.create("level", "lv", MFnNumericData::kDouble, 0.0);
        n.setInternal(true);
        return addAttribute(level);
    }
    bool setInternalValue(const MPlug&, const MDataHandle& h) override {
        journal().push_back("offered " + std::to_string(static_cast<int>(h.asDouble())));
        keeping = h.asDouble() > 100.0;
        kept = h.asDouble();
        return keeping;
    }
    bool getInternalValue(const MPlug&, MDataHandle& h) override {
        if (keeping) h.set(kept);
        return keeping;
    }
};

// The same, heard through the older forms that carry the evaluation context.
struct InternalInContextNode : InternalNode {
    static void* creator() { return new InternalInContextNode; }
    bool setInternalValue(const MPlug&, const MDataHandle&) override { return false; }
    bool getInternalValue(const MPlug&, MDataHandle&) override { return false; }
    bool setInternalValueInContext(const MPlug& p, const MDataHandle& h, MDGContext&) override {
        return InternalNode::setInternalValue(p, h);
    }
    bool getInternalValueInContext(const MPlug& p, MDataHandle& h, MDGContext&) override {
        return InternalNode::getInternalValue(p, h);
    }
};

// Registers the test types on `scene` (test_nodes_scene.cpp: the one part of
// them that needs the host's internals).
void registerTestTypes(rdhost::Scene& scene);

}  // namespace graphtest
