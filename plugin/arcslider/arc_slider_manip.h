// KelArcSliderManipulatorManip: the arc slider's manipulator container. Three
// circle sweeps drive the current, start and end angles, two distance
// manipulators the radius and the size, and a toggle at the handle requests a
// key. Every placement is recomputed from the node on each callback.
#pragma once

#include <maya/MDagPath.h>
#include <maya/MManipData.h>
#include <maya/MObject.h>
#include <maya/MPxManipContainer.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>
#include <maya/MVector.h>

class KelArcSliderManipulatorManip : public MPxManipContainer {
public:
    static void* creator();

    MStatus connectToDependNode(const MObject& node) override;
    MStatus createChildren() override;

    // Plug-to-manip conversions, in world space; the value index is not used.
    // Those named "...And..." also fit manipulators to the node: the host runs
    // every conversion before it draws or drags, so that is where they follow.
    MManipData centerConversion(unsigned int index);
    // The arc's normal. Also gives the three sweeps the drawn radius and the
    // start and end sweeps their (snapped) angles, and scales the radius
    // manipulator with the slider.
    MManipData normalAndSweepsConversion(unsigned int index);
    MManipData startCirclePointConversion(unsigned int index);
    MManipData radiusDirectionConversion(unsigned int index);
    MManipData radiusDistanceConversion(unsigned int index);
    // Also sizes the key toggle with the slider.
    MManipData keyTogglePointAndLengthConversion(unsigned int index);
    MManipData keyToggleDirectionConversion(unsigned int index);

    static MTypeId id;

    MDagPath currentSweepPath;
    MDagPath startSweepPath;
    MDagPath endSweepPath;
    MDagPath radiusManipPath;
    MDagPath sizeManipPath;
    MDagPath setKeyManipPath;
    MDagPath nodePath;

private:
    MVector worldNormal() const;
    MVector worldXAxis() const;
    // The drawn radius: "radius" scaled by "size" and the parent's Y scale.
    float worldRadius() const;
};
