// KelSliderManipulatorManip: the linear slider's manipulator container. Four
// stock manipulators: the handle ("posHandle"), the track length (written
// into "posEnd" through a conversion, so the track keeps its start and its
// direction), the overall size ("size") and a key toggle ("KeyCurrentValue").
// It keeps no slider state: every placement is recomputed from the node and
// its parent transform whenever the host asks.
#pragma once

#include <maya/MDagPath.h>
#include <maya/MManipData.h>
#include <maya/MObject.h>
#include <maya/MPxManipContainer.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>
#include <maya/MVector.h>

class KelSliderManipulatorManip : public MPxManipContainer {
public:
    static void* creator();

    MStatus createChildren() override;
    MStatus connectToDependNode(const MObject& node) override;

    // Plug-to-manip conversions, all in world space. Those named "...And..."
    // also fit a manipulator to the node: the host runs every conversion
    // before it draws or drags, so that is where the sizes follow the node.
    MManipData startPointConversion(unsigned int index);
    MManipData directionConversion(unsigned int index);
    // Also scales the handle manipulator with the slider.
    MManipData handlePointAndScaleConversion(unsigned int index);
    // Also scales the length manipulator with the slider.
    MManipData endPointAndScaleConversion(unsigned int index);
    MManipData sideAxisConversion(unsigned int index);
    // Also sizes the key toggle with the slider.
    MManipData keyTogglePointAndLengthConversion(unsigned int index);
    MManipData keyToggleDirectionConversion(unsigned int index);
    // The length manipulator's value: the track's length.
    MManipData trackLengthConversion(unsigned int index);
    // Manip-to-plug: the track's end after a length drag.
    MManipData trackEndConversion(unsigned int plugIndex);

    static MTypeId id;

    MDagPath distanceManipPath;  // "distanceManip": the handle
    MDagPath lengthManipPath;    // "LengthManip": the track's length
    MDagPath sizeManipPath;      // "sizeManip"
    MDagPath setKeyManipPath;    // "SetKeyManip": the key toggle
    MDagPath nodePath;           // the slider node, once connected

private:
    MVector worldStartPoint() const;
    MVector worldDirection() const;
    MVector sideAxis(double x) const;
    // The place at ratio r along the track scaled by size k and the parent's
    // scale; sets nothing.
    MVector pointAlongTrack(float r, float k, float sx, float sy) const;
};
