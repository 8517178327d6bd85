// KelSliderManipulatorManip: the linear slider's manipulators and their
// placements.

#include "slider/slider_manip.h"

#include "slider/slider.h"

#include <maya/MDGContext.h>
#include <maya/MDistance.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnDistanceManip.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnToggleManip.h>
#include <maya/MFnTransform.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MString.h>
#include <maya/MTransformationMatrix.h>
#include <maya/MTypes.h>

#include <cmath>

MTypeId KelSliderManipulatorManip::id(0x80667);

KelSliderManipulatorManip::KelSliderManipulatorManip() {}
KelSliderManipulatorManip::~KelSliderManipulatorManip() {}

void* KelSliderManipulatorManip::creator()
{
    return new KelSliderManipulatorManip();
}

MStatus KelSliderManipulatorManip::initialize()
{
    return MPxManipContainer::initialize();
}

void KelSliderManipulatorManip::draw(M3dView& view, const MDagPath& path,
                                     M3dView::DisplayStyle style, M3dView::DisplayStatus status)
{
    MPxManipContainer::draw(view, path, style, status);
}

MStatus KelSliderManipulatorManip::createChildren()
{
    // Initial placement only: the conversion callbacks take over as soon as the
    // container is connected. The node is not known yet, so the track
    // direction starts as the zero vector.
    MPoint origin(0.0, 0.0, 0.0, 1.0);
    MVector noDirection(0.0, 0.0, 0.0);

    distanceManipPath = addDistanceManip("distanceManip", "distance");
    MFnDistanceManip handleManip(distanceManipPath);
    handleManip.setStartPoint(origin);
    handleManip.setDirection(noDirection);

    lengthManipPath = addDistanceManip("LengthManip", "Length");
    MFnDistanceManip lengthManip(lengthManipPath);
    lengthManip.setStartPoint(origin);
    lengthManip.setDirection(noDirection);

    sizeManipPath = addDistanceManip("sizeManip", "size");
    MFnDistanceManip sizeManip(sizeManipPath);
    sizeManip.setStartPoint(origin);
    sizeManip.setDirection(MVector(0.0, 0.0, 1.0));

    setKeyManipPath = addToggleManip("SetKeyManip", "SetKey");
    return MS::kSuccess;
}

namespace {

using Conversion = MPxManipContainer::plugToManipConversionCallback;
using PlugConversion = MPxManipContainer::manipToPlugConversionCallback;

template <typename F>
Conversion conversion(F callback)
{
    return static_cast<Conversion>(callback);
}

template <typename F>
PlugConversion plugConversion(F callback)
{
    return static_cast<PlugConversion>(callback);
}

}  // namespace

MStatus KelSliderManipulatorManip::connectToDependNode(const MObject& node)
{
    MFnDagNode dagNode(node);
    dagNode.getPath(nodePath);
    MFnDependencyNode dependNode(node);

    // A plug that cannot be found is reported, even when a later one is found.
    MStatus result;
    auto find = [&](const char* name) {
        MStatus status;
        MPlug plug = dependNode.findPlug(name, &status);
        if (result && !status) result = status;
        return plug;
    };

    MFnDistanceManip handleManip(distanceManipPath);
    MPlug handlePlug = find("posHandle");
    handleManip.connectToDistancePlug(handlePlug);
    addPlugToManipConversionCallback(handleManip.startPointIndex(),
                                     conversion(&KelSliderManipulatorManip::startPointConversion));
    addPlugToManipConversionCallback(handleManip.directionIndex(),
                                     conversion(&KelSliderManipulatorManip::directionConversion));
    addPlugToManipConversionCallback(handleManip.currentPointIndex(),
                                     conversion(&KelSliderManipulatorManip::handlePointConversion));

    // The length manipulator shows the track's length and, dragged, moves
    // the end along the track: no single plug holds a length, so it works
    // through a conversion each way rather than a plug of its own.
    MFnDistanceManip lengthManip(lengthManipPath);
    MPlug endPlug = find("posEnd");
    addPlugToManipConversionCallback(lengthManip.startPointIndex(),
                                     conversion(&KelSliderManipulatorManip::startPointConversion));
    addPlugToManipConversionCallback(lengthManip.directionIndex(),
                                     conversion(&KelSliderManipulatorManip::directionConversion));
    addPlugToManipConversionCallback(lengthManip.currentPointIndex(),
                                     conversion(&KelSliderManipulatorManip::endPointConversion));
    addPlugToManipConversionCallback(lengthManip.distanceIndex(),
                                     conversion(&KelSliderManipulatorManip::trackLengthConversion));
    addManipToPlugConversionCallback(endPlug,
                                     plugConversion(&KelSliderManipulatorManip::trackEndConversion));

    MFnDistanceManip sizeManip(sizeManipPath);
    MPlug sizePlug = find("size");
    sizeManip.connectToDistancePlug(sizePlug);
    addPlugToManipConversionCallback(sizeManip.startPointIndex(),
                                     conversion(&KelSliderManipulatorManip::startPointConversion));
    addPlugToManipConversionCallback(sizeManip.directionIndex(),
                                     conversion(&KelSliderManipulatorManip::sideAxisConversion));

    MFnToggleManip keyManip(setKeyManipPath);
    MPlug keyPlug = find("KeyCurrentValue");
    keyManip.connectToTogglePlug(keyPlug);
    addPlugToManipConversionCallback(keyManip.startPointIndex(),
                                     conversion(&KelSliderManipulatorManip::keyTogglePointConversion));
    addPlugToManipConversionCallback(keyManip.directionIndex(),
                                     conversion(&KelSliderManipulatorManip::keyToggleDirectionConversion));

    finishAddingManips();
    MPxManipContainer::connectToDependNode(node);
    return result;
}

// ---------------------------------------------------------------------------
// Reading the node and its parent transform

namespace {

// The slider node and its parent transform, found afresh from the container's
// node path on every call.
struct Slider {
    explicit Slider(const MDagPath& nodePath)
    {
        MFnDagNode dagNode(nodePath);
        dagNode.getPath(path);
        node = path.node();
    }

    float read(const MObject& attribute) const
    {
        return KelSliderManipulator::readValue(node, attribute);
    }

    MDagPath parentPath() const
    {
        MDagPath parent(path);
        parent.pop(1);
        return parent;
    }

    MQuaternion worldRotation() const
    {
        MFnTransform transform(parentPath());
        MQuaternion q;
        transform.getRotation(q, MSpace::kWorld);
        return q;
    }

    MDagPath path;
    MObject node;
};

MManipData packPoint(const MVector& v)
{
    MFnNumericData data;
    MObject result = data.create(MFnNumericData::k3Double);
    data.setData(v.x, v.y, v.z);
    return MManipData(result);
}

}  // namespace

// The start offset is added to the parent's world position as it is: neither
// rotated nor scaled.
MVector KelSliderManipulatorManip::worldStartPoint() const
{
    Slider slider(nodePath);
    const float x = slider.read(KelSliderManipulator::posStartX);
    const float y = slider.read(KelSliderManipulator::posStartY);
    const float z = slider.read(KelSliderManipulator::posStartZ);
    MFnTransform transform(slider.parentPath());
    return MVector(x, y, z) + transform.translation(MSpace::kWorld);
}

// The track vector turned into world orientation; not normalised.
MVector KelSliderManipulatorManip::worldDirection() const
{
    Slider slider(nodePath);
    const float ex = slider.read(KelSliderManipulator::posEndX);
    const float ey = slider.read(KelSliderManipulator::posEndY);
    const float ez = slider.read(KelSliderManipulator::posEndZ);
    const float sx = slider.read(KelSliderManipulator::posStartX);
    const float sy = slider.read(KelSliderManipulator::posStartY);
    const float sz = slider.read(KelSliderManipulator::posStartZ);
    return MVector(ex - sx, ey - sy, ez - sz).rotateBy(slider.worldRotation());
}

void KelSliderManipulatorManip::worldScale(float& sx, float& sy, float& sz) const
{
    Slider slider(nodePath);
    MFnTransform transform(slider.parentPath());
    double scale[3] = {1.0, 1.0, 1.0};
    transform.transformation().getScale(scale, MSpace::kWorld);
    sx = static_cast<float>(scale[0]);
    sy = static_cast<float>(scale[1]);
    sz = static_cast<float>(scale[2]);
}

MVector KelSliderManipulatorManip::sideAxis() const
{
    return MVector(1.0, 0.0, 0.0).rotateBy(Slider(nodePath).worldRotation());
}

MVector KelSliderManipulatorManip::oppositeSideAxis() const
{
    return MVector(-1.0, 0.0, 0.0).rotateBy(Slider(nodePath).worldRotation());
}

// V scales the track by the slider's size and the parent's scale; its Z takes
// the Y scale, as the drawing's track does, so the Z scale is never used.
MVector KelSliderManipulatorManip::pointAlongTrack(float r, float k, float sx, float sy) const
{
    const MVector D = worldDirection();
    const MVector S = worldStartPoint();
    const MVector V(sx * k * D.x, sy * k * D.y, sy * k * D.z);
    return S + r * V;
}

// ---------------------------------------------------------------------------
// Conversions

MManipData KelSliderManipulatorManip::startPointConversion(unsigned int)
{
    return packPoint(worldStartPoint());
}

MManipData KelSliderManipulatorManip::directionConversion(unsigned int)
{
    return packPoint(worldDirection());
}

MManipData KelSliderManipulatorManip::handlePointConversion(unsigned int)
{
    Slider slider(nodePath);
    const float r = slider.read(KelSliderManipulator::ratio);
    const float k = slider.read(KelSliderManipulator::size);
    float sx, sy, sz;
    worldScale(sx, sy, sz);
    MFnDistanceManip(distanceManipPath).setScalingFactor(sy * k);
    return packPoint(pointAlongTrack(r, k, sx, sy));
}

MManipData KelSliderManipulatorManip::endPointConversion(unsigned int)
{
    const float k = Slider(nodePath).read(KelSliderManipulator::size);
    float sx, sy, sz;
    worldScale(sx, sy, sz);
    MFnDistanceManip(lengthManipPath).setScalingFactor(sy * k);
    return packPoint(pointAlongTrack(1.0f, k, sx, sy));
}

MManipData KelSliderManipulatorManip::sideAxisConversion(unsigned int)
{
    return packPoint(sideAxis());
}

MManipData KelSliderManipulatorManip::keyTogglePointConversion(unsigned int)
{
    Slider slider(nodePath);
    const float r = slider.read(KelSliderManipulator::ratio);
    const float k = slider.read(KelSliderManipulator::size);
    float sx, sy, sz;
    worldScale(sx, sy, sz);
    MFnToggleManip(setKeyManipPath).setLength(0.5f * sy * k);
    return packPoint(pointAlongTrack(r, k, sx, sy));
}

MManipData KelSliderManipulatorManip::keyToggleDirectionConversion(unsigned int)
{
    return packPoint(oppositeSideAxis());
}

MManipData KelSliderManipulatorManip::trackLengthConversion(unsigned int)
{
    return MManipData(static_cast<double>(Slider(nodePath).read(KelSliderManipulator::distance)));
}

// The end that gives the track the dragged length, along the direction it has
// and from the start it has. A track with no length yet grows up local Y, the
// way the slider draws its line. Components that are mere noise beside the
// length (the default end's 1e-9 Z, which keeps the heads' turning axis
// defined) stay as they are, so a vertical track moves only its Y.
MManipData KelSliderManipulatorManip::trackEndConversion(unsigned int)
{
    double length = 0.0;
    getConverterManipValue(MFnDistanceManip(lengthManipPath).distanceIndex(), length);

    // Read in full precision: what is written back must keep what it does not
    // change exactly as it was.
    Slider slider(nodePath);
    auto exact = [&](const MObject& attribute) {
        MDistance value(0.0);
        MPlug(slider.node, attribute).getValue(value, MDGContext::fsNormal);
        return value.value();
    };
    const MVector start(exact(KelSliderManipulator::posStartX), exact(KelSliderManipulator::posStartY),
                        exact(KelSliderManipulator::posStartZ));
    const MVector end(exact(KelSliderManipulator::posEndX), exact(KelSliderManipulator::posEndY),
                      exact(KelSliderManipulator::posEndZ));
    const MVector track = end - start;
    const double current = track.length();
    if (current == 0.0) return packPoint(start + MVector(0.0, length, 0.0));

    const double noise = 1e-6 * current;
    const double scale = length / current;
    MVector result = end;
    for (unsigned int i = 0; i < 3; ++i) {
        if (std::fabs(track[i]) > noise) result[i] = start[i] + track[i] * scale;
    }
    return packPoint(result);
}
