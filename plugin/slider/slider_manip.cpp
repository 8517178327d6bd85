// KelSliderManipulatorManip: the linear slider's manipulators and their
// placements.

#include "slider/slider_manip.h"

#include "manip_parts.h"
#include "plug_reads.h"
#include "slider/slider.h"

#include <maya/MFnDagNode.h>
#include <maya/MFnDistanceManip.h>
#include <maya/MFnToggleManip.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>

#include <cmath>

using manips::BoundNode;
using manips::pointData;
using plugs::readFloat;
using Slider = KelSliderManipulator;

MTypeId KelSliderManipulatorManip::id(0x80667);

void* KelSliderManipulatorManip::creator() { return new KelSliderManipulatorManip(); }

MStatus KelSliderManipulatorManip::createChildren() {
    // Initial placement only: the conversion callbacks take over as soon as the
    // container is connected. The node is not known yet, so the track
    // direction starts as the zero vector.
    const MPoint origin(0.0, 0.0, 0.0, 1.0);
    const MVector noDirection(0.0, 0.0, 0.0);

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

MStatus KelSliderManipulatorManip::connectToDependNode(const MObject& node) {
    using Self = KelSliderManipulatorManip;
    const auto toManip = [this](unsigned int index, MManipData (Self::*callback)(unsigned int)) {
        addPlugToManipConversionCallback(index, static_cast<plugToManipConversionCallback>(callback));
    };

    MFnDagNode dagNode(node);
    dagNode.getPath(nodePath);
    manips::PlugLookup lookup(node);

    MFnDistanceManip handleManip(distanceManipPath);
    MPlug handlePlug = lookup.find("posHandle");
    handleManip.connectToDistancePlug(handlePlug);
    toManip(handleManip.startPointIndex(), &Self::startPointConversion);
    toManip(handleManip.directionIndex(), &Self::directionConversion);
    toManip(handleManip.currentPointIndex(), &Self::handlePointAndScaleConversion);

    // The length manipulator shows the track's length and, dragged, moves
    // the end along the track: no single plug holds a length, so it works
    // through a conversion each way rather than a plug of its own.
    MFnDistanceManip lengthManip(lengthManipPath);
    MPlug endPlug = lookup.find("posEnd");
    toManip(lengthManip.startPointIndex(), &Self::startPointConversion);
    toManip(lengthManip.directionIndex(), &Self::directionConversion);
    toManip(lengthManip.currentPointIndex(), &Self::endPointAndScaleConversion);
    toManip(lengthManip.distanceIndex(), &Self::trackLengthConversion);
    addManipToPlugConversionCallback(endPlug,
                                     static_cast<manipToPlugConversionCallback>(&Self::trackEndConversion));

    MFnDistanceManip sizeManip(sizeManipPath);
    MPlug sizePlug = lookup.find("size");
    sizeManip.connectToDistancePlug(sizePlug);
    toManip(sizeManip.startPointIndex(), &Self::startPointConversion);
    toManip(sizeManip.directionIndex(), &Self::sideAxisConversion);

    MFnToggleManip keyManip(setKeyManipPath);
    MPlug keyPlug = lookup.find("KeyCurrentValue");
    keyManip.connectToTogglePlug(keyPlug);
    toManip(keyManip.startPointIndex(), &Self::keyTogglePointAndLengthConversion);
    toManip(keyManip.directionIndex(), &Self::keyToggleDirectionConversion);

    finishAddingManips();
    MPxManipContainer::connectToDependNode(node);
    return lookup.status();
}

// ---------------------------------------------------------------------------
// The node and its parent transform

namespace {

MVector readStart(const MObject& node) {
    return plugs::readPoint(node, Slider::posStartX, Slider::posStartY, Slider::posStartZ);
}

MVector readEnd(const MObject& node) {
    return plugs::readPoint(node, Slider::posEndX, Slider::posEndY, Slider::posEndZ);
}

}  // namespace

// The start offset is added to the parent's world position as it is: neither
// rotated nor scaled.
MVector KelSliderManipulatorManip::worldStartPoint() const {
    const BoundNode slider(nodePath);
    return readStart(slider.node()) + slider.worldTranslation();
}

// The track vector turned into world orientation; not normalised.
MVector KelSliderManipulatorManip::worldDirection() const {
    const BoundNode slider(nodePath);
    const MVector end = readEnd(slider.node());
    const MVector start = readStart(slider.node());
    // Subtracted in single precision, as the components were read.
    const auto difference = [&](int i) { return static_cast<float>(end[i]) - static_cast<float>(start[i]); };
    return MVector(difference(0), difference(1), difference(2)).rotateBy(slider.worldRotation());
}

// Local X (x = 1) or minus X (x = -1), turned into world orientation.
MVector KelSliderManipulatorManip::sideAxis(double x) const {
    return MVector(x, 0.0, 0.0).rotateBy(BoundNode(nodePath).worldRotation());
}

// V scales the track by the slider's size and the parent's scale; its Z takes
// the Y scale, as the drawing's track does, so the Z scale is never used.
MVector KelSliderManipulatorManip::pointAlongTrack(float r, float k, float sx, float sy) const {
    const MVector D = worldDirection();
    const MVector S = worldStartPoint();
    const MVector V(sx * k * D.x, sy * k * D.y, sy * k * D.z);
    return S + r * V;
}

// ---------------------------------------------------------------------------
// Conversions

MManipData KelSliderManipulatorManip::startPointConversion(unsigned int) {
    return pointData(worldStartPoint());
}

MManipData KelSliderManipulatorManip::directionConversion(unsigned int) {
    return pointData(worldDirection());
}

MManipData KelSliderManipulatorManip::handlePointAndScaleConversion(unsigned int) {
    const BoundNode slider(nodePath);
    const float r = readFloat(slider.node(), Slider::ratio);
    const float k = readFloat(slider.node(), Slider::size);
    const manips::WorldScale s = slider.worldScale();
    MFnDistanceManip(distanceManipPath).setScalingFactor(s.y * k);
    return pointData(pointAlongTrack(r, k, s.x, s.y));
}

MManipData KelSliderManipulatorManip::endPointAndScaleConversion(unsigned int) {
    const BoundNode slider(nodePath);
    const float k = readFloat(slider.node(), Slider::size);
    const manips::WorldScale s = slider.worldScale();
    MFnDistanceManip(lengthManipPath).setScalingFactor(s.y * k);
    return pointData(pointAlongTrack(1.0f, k, s.x, s.y));
}

MManipData KelSliderManipulatorManip::sideAxisConversion(unsigned int) { return pointData(sideAxis(1.0)); }

MManipData KelSliderManipulatorManip::keyTogglePointAndLengthConversion(unsigned int) {
    const BoundNode slider(nodePath);
    const float r = readFloat(slider.node(), Slider::ratio);
    const float k = readFloat(slider.node(), Slider::size);
    const manips::WorldScale s = slider.worldScale();
    MFnToggleManip(setKeyManipPath).setLength(0.5f * s.y * k);
    return pointData(pointAlongTrack(r, k, s.x, s.y));
}

MManipData KelSliderManipulatorManip::keyToggleDirectionConversion(unsigned int) {
    return pointData(sideAxis(-1.0));
}

MManipData KelSliderManipulatorManip::trackLengthConversion(unsigned int) {
    return MManipData(static_cast<double>(readFloat(BoundNode(nodePath).node(), Slider::distance)));
}

// The end that gives the track the dragged length, along the direction it has
// and from the start it has. A track with no length yet grows up local Y, the
// way the slider draws its line. Components that are mere noise beside the
// length (the default end's 1e-9 Z, which keeps the heads' turning axis
// defined) stay as they are, so a vertical track moves only its Y.
MManipData KelSliderManipulatorManip::trackEndConversion(unsigned int) {
    double length = 0.0;
    getConverterManipValue(MFnDistanceManip(lengthManipPath).distanceIndex(), length);

    // Read in full precision: what is written back must keep what it does not
    // change exactly as it was.
    const MObject node = BoundNode(nodePath).node();
    const auto exact = [&](const MObject& attribute) { return plugs::readDouble(node, attribute); };
    const MVector start(exact(Slider::posStartX), exact(Slider::posStartY), exact(Slider::posStartZ));
    const MVector end(exact(Slider::posEndX), exact(Slider::posEndY), exact(Slider::posEndZ));
    const MVector track = end - start;
    const double current = track.length();
    if (current == 0.0) return pointData(start + MVector(0.0, length, 0.0));

    const double noise = 1e-6 * current;
    const double scale = length / current;
    MVector result = end;
    for (unsigned int i = 0; i < 3; ++i) {
        if (std::fabs(track[i]) > noise) result[i] = start[i] + track[i] * scale;
    }
    return pointData(result);
}
