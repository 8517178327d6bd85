#include "arcslider/arc_slider_manip.h"
#include "arcslider/arc_values.h"
#include "arcslider/arc_slider.h"
#include "snapping.h"

#include <maya/MAngle.h>
#include <maya/MFnCircleSweepManip.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnDistanceManip.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnToggleManip.h>
#include <maya/MFnTransform.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MTransformationMatrix.h>

#include <cmath>

using arcslider::readFloat;
using arcslider::readInt;
using snapping::snapDown;

typedef KelArcSliderManipulator Arc;

MTypeId KelArcSliderManipulatorManip::id(0x80670);

KelArcSliderManipulatorManip::KelArcSliderManipulatorManip() {}

KelArcSliderManipulatorManip::~KelArcSliderManipulatorManip() {}

void* KelArcSliderManipulatorManip::creator()
{
    return new KelArcSliderManipulatorManip();
}

void KelArcSliderManipulatorManip::draw(M3dView& view, const MDagPath& path,
                                        M3dView::DisplayStyle style, M3dView::DisplayStatus status)
{
    MPxManipContainer::draw(view, path, style, status);
}

// ---------------------------------------------------------------------------
// Reading the node and its transform

namespace {

MManipData threeDoubles(double x, double y, double z)
{
    MFnNumericData data;
    MObject object = data.create(MFnNumericData::k3Double);
    data.setData(x, y, z);
    return MManipData(object);
}

MManipData threeDoubles(const MVector& v)
{
    return threeDoubles(v.x, v.y, v.z);
}

}  // namespace

MObject KelArcSliderManipulatorManip::attachedNode(MDagPath& transformPath) const
{
    MFnDagNode dagNode(nodePath);
    MDagPath path;
    dagNode.getPath(path);
    const MObject node = path.node();
    path.pop(1);
    transformPath = path;
    return node;
}

MVector KelArcSliderManipulatorManip::worldCenter() const
{
    MDagPath transformPath;
    attachedNode(transformPath);
    MFnTransform transform(transformPath);
    return transform.translation(MSpace::kWorld);
}

void KelArcSliderManipulatorManip::worldScale(float& sx, float& sy, float& sz) const
{
    MDagPath transformPath;
    attachedNode(transformPath);
    MFnTransform transform(transformPath);
    double scale[3] = {1.0, 1.0, 1.0};
    transform.transformation().getScale(scale, MSpace::kWorld);
    sx = static_cast<float>(scale[0]);
    sy = static_cast<float>(scale[1]);
    sz = static_cast<float>(scale[2]);
}

MVector KelArcSliderManipulatorManip::worldNormal() const
{
    MDagPath transformPath;
    attachedNode(transformPath);
    MFnTransform transform(transformPath);
    MQuaternion rotation;
    transform.getRotation(rotation, MSpace::kWorld);
    return MVector(0.0, 1.0, 0.0).rotateBy(rotation);
}

MVector KelArcSliderManipulatorManip::worldXAxis() const
{
    MDagPath transformPath;
    attachedNode(transformPath);
    MFnTransform transform(transformPath);
    MQuaternion rotation;
    transform.getRotation(rotation, MSpace::kWorld);
    return MVector(1.0, 0.0, 0.0).rotateBy(rotation);
}

// ---------------------------------------------------------------------------
// Children and binding

MStatus KelArcSliderManipulatorManip::createChildren()
{
    MStatus status = MS::kSuccess;
    const MPoint origin(0.0, 0.0, 0.0, 1.0);
    // Only an initial value: the callbacks take over once the node is bound.
    const MVector normal = nodePath.isValid() ? worldNormal() : MVector(0.0, 1.0, 0.0);

    // The handle and start sweeps share a manipulator name; their value names
    // tell them apart.
    const struct { MDagPath* path; const char* name; const char* value; } sweeps[] = {
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

    return status;
}

MStatus KelArcSliderManipulatorManip::connectToDependNode(const MObject& node)
{
    typedef KelArcSliderManipulatorManip Self;
    MStatus status;
    MFnDagNode dagNode(node);
    dagNode.getPath(nodePath);
    MFnDependencyNode depNode(node);

    const char* const sweepPlugs[] = {"currentAngle", "startAngle", "endAngle"};
    const MDagPath* sweeps[] = {&currentSweepPath, &startSweepPath, &endSweepPath};
    for (int i = 0; i < 3; ++i) {
        MFnCircleSweepManip sweep(*sweeps[i]);
        MPlug plug = depNode.findPlug(sweepPlugs[i], &status);
        sweep.connectToAnglePlug(plug);
        const unsigned int centerIndex = sweep.centerIndex();
        const unsigned int axisIndex = sweep.axisIndex();
        const unsigned int startCircleIndex = sweep.startCircleIndex();
        addPlugToManipConversionCallback(
            centerIndex, (plugToManipConversionCallback)&Self::centerConversion);
        addPlugToManipConversionCallback(
            axisIndex, (plugToManipConversionCallback)&Self::axisConversion);
        addPlugToManipConversionCallback(
            startCircleIndex, (plugToManipConversionCallback)&Self::startCirclePointConversion);
    }

    MFnDistanceManip radiusManip(radiusManipPath);
    MPlug radiusPlug = depNode.findPlug("radius", &status);
    radiusManip.connectToDistancePlug(radiusPlug);
    const unsigned int radiusStart = radiusManip.startPointIndex();
    const unsigned int radiusDistance = radiusManip.distanceIndex();
    const unsigned int radiusDirection = radiusManip.directionIndex();
    addPlugToManipConversionCallback(
        radiusStart, (plugToManipConversionCallback)&Self::centerConversion);
    addPlugToManipConversionCallback(
        radiusDirection, (plugToManipConversionCallback)&Self::radiusDirectionConversion);
    addPlugToManipConversionCallback(
        radiusDistance, (plugToManipConversionCallback)&Self::radiusDistanceConversion);

    MFnDistanceManip sizeManip(sizeManipPath);
    MPlug sizePlug = depNode.findPlug("size", &status);
    sizeManip.connectToDistancePlug(sizePlug);
    const unsigned int sizeStart = sizeManip.startPointIndex();
    const unsigned int sizeDirection = sizeManip.directionIndex();
    addPlugToManipConversionCallback(
        sizeDirection, (plugToManipConversionCallback)&Self::axisConversion);
    addPlugToManipConversionCallback(
        sizeStart, (plugToManipConversionCallback)&Self::centerConversion);

    MFnToggleManip toggle(setKeyManipPath);
    MPlug keyPlug = depNode.findPlug("KeyCurrentAngle", &status);
    toggle.connectToTogglePlug(keyPlug);
    const unsigned int toggleStart = toggle.startPointIndex();
    const unsigned int toggleDirection = toggle.directionIndex();
    addPlugToManipConversionCallback(
        toggleStart, (plugToManipConversionCallback)&Self::keyTogglePointConversion);
    addPlugToManipConversionCallback(
        toggleDirection, (plugToManipConversionCallback)&Self::keyToggleDirectionConversion);

    finishAddingManips();
    MPxManipContainer::connectToDependNode(node);
    return status;
}

// ---------------------------------------------------------------------------
// Conversions

MManipData KelArcSliderManipulatorManip::centerConversion(unsigned int)
{
    return threeDoubles(worldCenter());
}

MManipData KelArcSliderManipulatorManip::axisConversion(unsigned int)
{
    MDagPath transformPath;
    const MObject node = attachedNode(transformPath);
    const float rho = readFloat(node, Arc::radius);
    const float k = readFloat(node, Arc::size);
    const float a0 = readFloat(node, Arc::startAngle);
    const float a1 = readFloat(node, Arc::endAngle);
    const int snapOn = readInt(node, Arc::snap);
    const float step = readFloat(node, Arc::snapValue);

    float sx, sy, sz;
    worldScale(sx, sy, sz);
    const float R = sy * k * rho;

    // The sweeps draw the arc's circle, so they follow the radius, the size
    // and the snapping of the node on every refresh.
    MFnDistanceManip radiusManip(radiusManipPath);
    radiusManip.setScalingFactor(sy * k);
    MFnCircleSweepManip currentSweep(currentSweepPath);
    currentSweep.setRadius(R);

    float d0 = static_cast<float>(MAngle(a0).asDegrees());
    float d1 = static_cast<float>(MAngle(a1).asDegrees());
    if (snapOn != 0) {
        d0 = snapDown(d0, step);
        d1 = snapDown(d1, step);
    }
    MFnCircleSweepManip startSweep(startSweepPath);
    startSweep.setRadius(R);
    startSweep.setAngle(MAngle(d0, MAngle::kDegrees));
    MFnCircleSweepManip endSweep(endSweepPath);
    endSweep.setRadius(R);
    endSweep.setAngle(MAngle(d1, MAngle::kDegrees));

    return threeDoubles(worldNormal());
}

MManipData KelArcSliderManipulatorManip::startCirclePointConversion(unsigned int)
{
    MDagPath transformPath;
    const MObject node = attachedNode(transformPath);
    const float k = readFloat(node, Arc::size);
    const float rho = readFloat(node, Arc::radius);
    float sx, sy, sz;
    worldScale(sx, sy, sz);
    const float R = sy * k * rho;
    MVector x = worldXAxis();
    x.normalize();
    return threeDoubles(worldCenter() + double(R) * x);
}

MManipData KelArcSliderManipulatorManip::radiusDirectionConversion(unsigned int)
{
    return threeDoubles(worldXAxis());
}

MManipData KelArcSliderManipulatorManip::radiusDistanceConversion(unsigned int)
{
    MDagPath transformPath;
    const MObject node = attachedNode(transformPath);
    const float k = readFloat(node, Arc::size);
    const float rho = readFloat(node, Arc::radius);
    float sx, sy, sz;
    worldScale(sx, sy, sz);
    const float R = sy * k * rho;
    return threeDoubles(R, R, R);
}

MManipData KelArcSliderManipulatorManip::keyTogglePointConversion(unsigned int)
{
    MDagPath transformPath;
    const MObject node = attachedNode(transformPath);
    const float rho = readFloat(node, Arc::radius);
    const float k = readFloat(node, Arc::size);
    const float h = readFloat(node, Arc::currentAngle);

    // Unlike the linear slider's toggle, its length ignores the transform's scale.
    MFnToggleManip toggle(setKeyManipPath);
    toggle.setLength(0.7 * k);

    const MVector x = worldXAxis();
    const MVector n = worldNormal();
    const MVector t = worldCenter();
    float sx, sy, sz;
    worldScale(sx, sy, sz);
    const float R = sy * k * rho;
    const MVector xh = x.rotateBy(MQuaternion(h, n));
    return threeDoubles(t + double(R) * xh);
}

MManipData KelArcSliderManipulatorManip::keyToggleDirectionConversion(unsigned int)
{
    MDagPath transformPath;
    const MObject node = attachedNode(transformPath);
    const float h = readFloat(node, Arc::currentAngle);
    return threeDoubles(worldXAxis().rotateBy(MQuaternion(h, worldNormal())));
}
