// Test plug-in for the manipulator runtime: a locator with a container that
// binds one manipulator of each stock kind, places them through conversion
// callbacks read from the node and its transform, and a few types for the
// failure paths (no container type, a container whose createChildren fails).
#include <maya/MFnCircleSweepManip.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnDistanceManip.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnPlugin.h>
#include <maya/MFnToggleManip.h>
#include <maya/MFnTransform.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MPxManipContainer.h>

#include <cmath>

namespace {

struct ManipProbe : MPxLocatorNode {
    static MObject reach, gain, turn, turn2, flag, poison;
    static MTypeId id;
    static void* creator() { return new ManipProbe; }
    static MStatus initialize() {
        MFnUnitAttribute u;
        MFnNumericAttribute n;
        reach = u.create("reach", "rc", MFnUnitAttribute::kDistance, 1.0);
        u.setMin(-10.0);
        u.setMax(10.0);
        gain = n.create("gain", "gn", MFnNumericData::kDouble, 1.0);
        turn = u.create("turn", "tn", MFnUnitAttribute::kAngle, 0.5);
        turn2 = u.create("turnTwo", "tt", MFnUnitAttribute::kAngle, 0.0);
        flag = n.create("flag", "fl", MFnNumericData::kBoolean, 0.0);
        poison = n.create("poison", "po", MFnNumericData::kBoolean, 0.0);  // the toggle's direction turns NaN
        for (MObject* o : {&reach, &gain, &turn, &turn2, &flag, &poison}) {
            MStatus st = addAttribute(*o);
            if (!st) return st;
        }
        return MPxManipContainer::addToManipConnectTable(id);
    }
};
MObject ManipProbe::reach, ManipProbe::gain, ManipProbe::turn, ManipProbe::turn2, ManipProbe::flag,
    ManipProbe::poison;
MTypeId ManipProbe::id(0x7f200);

// The container: a distance manipulator along the transform's Y (length 2), a
// toggle one unit above the transform, and two sweeps about Z of radius 2.
struct ManipProbeManip : MPxManipContainer {
    static MTypeId id;
    MDagPath reachPath, flagPath, turnPath, turn2Path, nodePath;

    static void* creator() { return new ManipProbeManip; }
    static MStatus initialize() { return MPxManipContainer::initialize(); }

    MStatus createChildren() override {
        reachPath = addDistanceManip("reachManip", "reach");
        flagPath = addToggleManip("flagManip", "flag");
        turnPath = addCircleSweepManip("turnManip", "turn");
        turn2Path = addCircleSweepManip("turnManip", "turnTwo");
        MFnCircleSweepManip sweep(turnPath);
        sweep.setRadius(2.0);
        MFnCircleSweepManip sweep2(turn2Path);
        sweep2.setRadius(2.0);
        return MS::kSuccess;
    }

    MStatus connectToDependNode(const MObject& node) override {
        MFnDagNode dag(node);
        dag.getPath(nodePath);
        MFnDependencyNode fn(node);
        using CB = plugToManipConversionCallback;

        MPlug reachPlug = fn.findPlug("reach");
        MFnDistanceManip distance(reachPath);
        distance.connectToDistancePlug(reachPlug);
        addPlugToManipConversionCallback(distance.startPointIndex(),
                                         static_cast<CB>(&ManipProbeManip::origin));
        addPlugToManipConversionCallback(distance.directionIndex(), static_cast<CB>(&ManipProbeManip::up));

        MPlug flagPlug = fn.findPlug("flag");
        MFnToggleManip toggle(flagPath);
        toggle.connectToTogglePlug(flagPlug);
        addPlugToManipConversionCallback(toggle.startPointIndex(), static_cast<CB>(&ManipProbeManip::above));
        addPlugToManipConversionCallback(toggle.directionIndex(), static_cast<CB>(&ManipProbeManip::left));

        const MDagPath sweeps[2] = {turnPath, turn2Path};
        const char* plugs[2] = {"turn", "turnTwo"};
        for (int i = 0; i < 2; ++i) {
            MPlug p = fn.findPlug(plugs[i]);
            MFnCircleSweepManip sweep(sweeps[i]);
            sweep.connectToAnglePlug(p);
            addPlugToManipConversionCallback(sweep.centerIndex(), static_cast<CB>(&ManipProbeManip::origin));
            addPlugToManipConversionCallback(sweep.axisIndex(), static_cast<CB>(&ManipProbeManip::axis));
            addPlugToManipConversionCallback(sweep.startCircleIndex(),
                                             static_cast<CB>(&ManipProbeManip::circleStart));
        }
        finishAddingManips();
        return MPxManipContainer::connectToDependNode(node);
    }

    MManipData triple(double x, double y, double z) {
        MFnNumericData data;
        MObject obj = data.create(MFnNumericData::k3Double);
        data.setData(x, y, z);
        return MManipData(obj);
    }
    MVector translation() {
        MDagPath p = nodePath;
        p.pop(1);
        MFnTransform t(p);
        return t.translation(MSpace::kWorld);
    }
    MQuaternion rotation() {
        MDagPath p = nodePath;
        p.pop(1);
        MFnTransform t(p);
        MQuaternion q;
        t.getRotation(q, MSpace::kWorld);
        return q;
    }
    MManipData origin(unsigned) {
        const MVector t = translation();
        return triple(t.x, t.y, t.z);
    }
    // Direction: Y of length 2, turned with the transform; sets the scaling factor from "gain".
    MManipData up(unsigned) {
        double g = 0.0;
        MPlug(nodePath.node(), ManipProbe::gain).getValue(g);
        MFnDistanceManip(reachPath).setScalingFactor(g);
        const MVector d = MVector(0.0, 2.0, 0.0).rotateBy(rotation());
        return triple(d.x, d.y, d.z);
    }
    MManipData above(unsigned) {
        MFnToggleManip(flagPath).setLength(0.5);
        const MVector t = translation() + MVector(0.0, 1.0, 0.0);
        return triple(t.x, t.y, t.z);
    }
    MManipData left(unsigned) {
        bool bad = false;
        MPlug(nodePath.node(), ManipProbe::poison).getValue(bad);
        return triple(bad ? std::nan("") : -1.0, 0.0, 0.0);
    }
    MManipData axis(unsigned) { return triple(0.0, 0.0, 1.0); }
    MManipData circleStart(unsigned) {
        const MVector t = translation() + MVector(2.0, 0.0, 0.0);
        return triple(t.x, t.y, t.z);
    }
};
MTypeId ManipProbeManip::id(0x7f201);

// In the connect table, but no "noContainerProbeManip" type exists.
struct NoContainerProbe : MPxLocatorNode {
    static MTypeId id;
    static void* creator() { return new NoContainerProbe; }
    static MStatus initialize() { return MPxManipContainer::addToManipConnectTable(id); }
};
MTypeId NoContainerProbe::id(0x7f202);

// Its container cannot build its children.
struct BrokenProbe : MPxLocatorNode {
    static MTypeId id;
    static void* creator() { return new BrokenProbe; }
    static MStatus initialize() { return MPxManipContainer::addToManipConnectTable(id); }
};
MTypeId BrokenProbe::id(0x7f203);

struct BrokenProbeManip : MPxManipContainer {
    static void* creator() { return new BrokenProbeManip; }
    static MStatus initialize() { return MPxManipContainer::initialize(); }
    MStatus createChildren() override {
        addDistanceManip("halfMade", "half");
        return MStatus(MS::kFailure, "no room for the children");
    }
};

// Not in the connect table.
struct PlainProbe : MPxLocatorNode {
    static void* creator() { return new PlainProbe; }
    static MStatus initialize() { return MS::kSuccess; }
};

}  // namespace

extern "C" PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "rigDials tests", "1.0", "Any");
    MStatus st;
    if (!(st = plugin.registerNode("manipProbe", ManipProbe::id, ManipProbe::creator, ManipProbe::initialize,
                                   MPxNode::kLocatorNode)))
        return st;
    if (!(st = plugin.registerNode("manipProbeManip", ManipProbeManip::id, ManipProbeManip::creator,
                                   ManipProbeManip::initialize, MPxNode::kManipContainer)))
        return st;
    if (!(st = plugin.registerNode("noContainerProbe", NoContainerProbe::id, NoContainerProbe::creator,
                                   NoContainerProbe::initialize, MPxNode::kLocatorNode)))
        return st;
    if (!(st = plugin.registerNode("brokenProbe", BrokenProbe::id, BrokenProbe::creator,
                                   BrokenProbe::initialize, MPxNode::kLocatorNode)))
        return st;
    if (!(st = plugin.registerNode("brokenProbeManip", 0x7f204, BrokenProbeManip::creator,
                                   BrokenProbeManip::initialize, MPxNode::kManipContainer)))
        return st;
    return plugin.registerNode("plainProbe", 0x7f205, PlainProbe::creator, PlainProbe::initialize,
                               MPxNode::kLocatorNode);
}

extern "C" PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj);
    for (unsigned id : {0x7f205u, 0x7f204u, 0x7f203u, 0x7f202u, 0x7f201u, 0x7f200u}) {
        MStatus st = plugin.deregisterNode(id);
        if (!st) return st;
    }
    return MS::kSuccess;
}
