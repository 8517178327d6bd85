#pragma once
// KelSliderManipulatorManip: the linear slider's manipulator container. Four
// stock manipulators: the handle ("posHandle"), the track length (written
// into "posEnd" through a conversion, so the track keeps its start and its
// direction), the overall size ("size") and a key toggle ("KeyCurrentValue").
// It keeps no slider state: every placement is recomputed from the node and
// its parent transform whenever the host asks.

#include <maya/M3dView.h>
#include <maya/MDagPath.h>
#include <maya/MManipData.h>
#include <maya/MObject.h>
#include <maya/MPxManipContainer.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>
#include <maya/MVector.h>

class KelSliderManipulatorManip : public MPxManipContainer {
public:
    KelSliderManipulatorManip();
    ~KelSliderManipulatorManip() override;

    static void* creator();
    // Shared by both manipulator containers of the plug-in (the arc slider's
    // registers this one too).
    static MStatus initialize();

    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;
    MStatus createChildren() override;
    MStatus connectToDependNode(const MObject& node) override;

    // Plug-to-manip conversions, all in world space.
    MManipData startPointConversion(unsigned int index);
    MManipData directionConversion(unsigned int index);
    MManipData handlePointConversion(unsigned int index);
    MManipData endPointConversion(unsigned int index);
    MManipData sideAxisConversion(unsigned int index);
    MManipData keyTogglePointConversion(unsigned int index);
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
    void worldScale(float& sx, float& sy, float& sz) const;
    MVector sideAxis() const;
    MVector oppositeSideAxis() const;
    // The handle's place along the scaled track, S + r·V; sets nothing.
    MVector pointAlongTrack(float r, float k, float sx, float sy) const;
};
