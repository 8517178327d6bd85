#include "arcslider/arc_slider_manip.h"

#include "arcslider/arc_slider.h"
#include "manip_parts.h"
#include "plug_reads.h"
#include "snapping.h"

#include <maya/MAngle.h>
#include <maya/MFnCircleSweepManip.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDistanceManip.h>
#include <maya/MFnToggleManip.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>

using manips::BoundNode;
using manips::pointData;
using plugs::readFloat;
using plugs::readInt;
using Arc = KelArcSliderManipulator;

MTypeId KelArcSliderManipulatorManip::id(0x80670);

void* KelArcSliderManipulatorManip::creator() { return new KelArcSliderManipulatorManip(); }

// ---------------------------------------------------------------------------
// The node and its transform

MVector KelArcSliderManipulatorManip::worldNormal() const {
    return MVector(0.0, 1.0, 0.0).rotateBy(BoundNode(nodePath).worldRotation());
}

MVector KelArcSliderManipulatorManip::worldXAxis() const {
    return MVector(1.0, 0.0, 0.0).rotateBy(BoundNode(nodePath).worldRotation());
}

float KelArcSliderManipulatorManip::worldRadius() const {
    const BoundNode arc(nodePath);
    const float k = readFloat(arc.node(), Arc::size);
    const float rho = readFloat(arc.node(), Arc::radius);
    return arc.worldScale().y * k * rho;
}

// ---------------------------------------------------------------------------
// Children and binding

MStatus KelArcSliderManipulatorManip::createChildren() {
    const MPoint origin(0.0, 0.0, 0.0, 1.0);
    // Only an initial value: the callbacks take over once the node is bound.
    const MVector normal = nodePath.isValid() ? worldNormal() : MVector(0.0, 1.0, 0.0);

    // The handle and start sweeps share a manipulator name; their value names
    // tell them apart.
    const struct {
        MDagPath* path;
        const char* name;
        const char* value;
    } sweeps[] = {
        {&currentSweepPath, "sweepManip", "Current Angle"},
        {&startSweepPath, "sweepManip", "start Angle"},
        {&endSweepPath, "endSweepManip", "end Angle"},
    };
    for (const auto& s : sweeps) {
        *s.path = addCircleSweepManip(s.name, s.value);
        MFnCircleSweepManip sweep(*s.path);
        sweep.setCenterPoint(origin);
        sweep.setNormal(normal);
    }

    radiusManipPath = addDistanceManip("arcRradiusManip", "arcRadius");
    MFnDistanceManip radiusManip(radiusManipPath);
    radiusManip.setStartPoint(origin);
    radiusManip.setDirection(MVector(1.0, 0.0, 0.0));

    sizeManipPath = addDistanceManip("sizeManip", "size");
    MFnDistanceManip sizeManip(sizeManipPath);
    sizeManip.setStartPoint(origin);
    sizeManip.setDirection(MVector(0.0, 1.0, 0.0));

    setKeyManipPath = addToggleManip("setKeyManip", "setKey");
    return MS::kSuccess;
}

MStatus KelArcSliderManipulatorManip::connectToDependNode(const MObject& node) {
    using Self = KelArcSliderManipulatorManip;
    const auto toManip = [this](unsigned int index, MManipData (Self::*callback)(unsigned int)) {
        addPlugToManipConversionCallback(index, static_cast<plugToManipConversionCallback>(callback));
    };

    MFnDagNode dagNode(node);
    dagNode.getPath(nodePath);
    manips::PlugLookup lookup(node);

    const char* const sweepPlugs[] = {"currentAngle", "startAngle", "endAngle"};
    const MDagPath* sweeps[] = {&currentSweepPath, &startSweepPath, &endSweepPath};
    for (int i = 0; i < 3; ++i) {
        MFnCircleSweepManip sweep(*sweeps[i]);
        MPlug plug = lookup.find(sweepPlugs[i]);
        sweep.connectToAnglePlug(plug);
        toManip(sweep.centerIndex(), &Self::centerConversion);
        toManip(sweep.axisIndex(), &Self::normalAndSweepsConversion);
        toManip(sweep.startCircleIndex(), &Self::startCirclePointConversion);
    }

    MFnDistanceManip radiusManip(radiusManipPath);
    MPlug radiusPlug = lookup.find("radius");
    radiusManip.connectToDistancePlug(radiusPlug);
    toManip(radiusManip.startPointIndex(), &Self::centerConversion);
    toManip(radiusManip.directionIndex(), &Self::radiusDirectionConversion);
    toManip(radiusManip.distanceIndex(), &Self::radiusDistanceConversion);

    MFnDistanceManip sizeManip(sizeManipPath);
    MPlug sizePlug = lookup.find("size");
    sizeManip.connectToDistancePlug(sizePlug);
    toManip(sizeManip.directionIndex(), &Self::normalAndSweepsConversion);
    toManip(sizeManip.startPointIndex(), &Self::centerConversion);

    MFnToggleManip toggle(setKeyManipPath);
    MPlug keyPlug = lookup.find("KeyCurrentAngle");
    toggle.connectToTogglePlug(keyPlug);
    toManip(toggle.startPointIndex(), &Self::keyTogglePointAndLengthConversion);
    toManip(toggle.directionIndex(), &Self::keyToggleDirectionConversion);

    finishAddingManips();
    MPxManipContainer::connectToDependNode(node);
    return lookup.status();
}

// ---------------------------------------------------------------------------
// Conversions

MManipData KelArcSliderManipulatorManip::centerConversion(unsigned int) {
    return pointData(BoundNode(nodePath).worldTranslation());
}

MManipData KelArcSliderManipulatorManip::normalAndSweepsConversion(unsigned int) {
    const BoundNode arc(nodePath);
    const MObject& node = arc.node();
    const float rho = readFloat(node, Arc::radius);
    const float k = readFloat(node, Arc::size);
    const float a0 = readFloat(node, Arc::startAngle);
    const float a1 = readFloat(node, Arc::endAngle);
    const int snapOn = readInt(node, Arc::snap);
    const float step = readFloat(node, Arc::snapValue);

    const float sy = arc.worldScale().y;
    const float R = sy * k * rho;

    // The sweeps draw the arc's circle, so they follow the radius, the size
    // and the snapping of the node on every refresh.
    MFnDistanceManip(radiusManipPath).setScalingFactor(sy * k);
    MFnCircleSweepManip(currentSweepPath).setRadius(R);

    float d0 = static_cast<float>(MAngle(a0).asDegrees());
    float d1 = static_cast<float>(MAngle(a1).asDegrees());
    if (snapOn != 0) {
        d0 = snapping::snapDown(d0, step);
        d1 = snapping::snapDown(d1, step);
    }
    MFnCircleSweepManip startSweep(startSweepPath);
    startSweep.setRadius(R);
    startSweep.setAngle(MAngle(d0, MAngle::kDegrees));
    MFnCircleSweepManip endSweep(endSweepPath);
    endSweep.setRadius(R);
    endSweep.setAngle(MAngle(d1, MAngle::kDegrees));

    return pointData(worldNormal());
}

MManipData KelArcSliderManipulatorManip::startCirclePointConversion(unsigned int) {
    const float R = worldRadius();
    MVector x = worldXAxis();
    x.normalize();
    return pointData(BoundNode(nodePath).worldTranslation() + static_cast<double>(R) * x);
}

MManipData KelArcSliderManipulatorManip::radiusDirectionConversion(unsigned int) {
    return pointData(worldXAxis());
}

MManipData KelArcSliderManipulatorManip::radiusDistanceConversion(unsigned int) {
    const double R = worldRadius();
    return pointData(MVector(R, R, R));
}

MManipData KelArcSliderManipulatorManip::keyTogglePointAndLengthConversion(unsigned int) {
    const BoundNode arc(nodePath);
    const float k = readFloat(arc.node(), Arc::size);
    const float h = readFloat(arc.node(), Arc::currentAngle);

    // Unlike the linear slider's toggle, its length ignores the transform's scale.
    MFnToggleManip(setKeyManipPath).setLength(0.7 * k);

    const MVector xh = worldXAxis().rotateBy(MQuaternion(h, worldNormal()));
    return pointData(arc.worldTranslation() + static_cast<double>(worldRadius()) * xh);
}

MManipData KelArcSliderManipulatorManip::keyToggleDirectionConversion(unsigned int) {
    const float h = readFloat(BoundNode(nodePath).node(), Arc::currentAngle);
    return pointData(worldXAxis().rotateBy(MQuaternion(h, worldNormal())));
}
