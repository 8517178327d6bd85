// KelArcSliderManipulatorManip: the arc slider's manipulator container. Three
// circle sweeps drive the current, start and end angles, two distance
// manipulators the radius and the size, and a toggle at the handle requests a
// key. Every placement is recomputed from the node on each callback.
#pragma once

#include <maya/M3dView.h>
#include <maya/MDagPath.h>
#include <maya/MManipData.h>
#include <maya/MObject.h>
#include <maya/MPxManipContainer.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>
#include <maya/MVector.h>

class KelArcSliderManipulatorManip : public MPxManipContainer {
public:
    KelArcSliderManipulatorManip();
    ~KelArcSliderManipulatorManip() override;

    static void* creator();

    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;
    MStatus connectToDependNode(const MObject& node) override;
    MStatus createChildren() override;

    // Plug-to-manip conversions; the value index is not used.
    MManipData centerConversion(unsigned int index);
    MManipData axisConversion(unsigned int index);
    MManipData startCirclePointConversion(unsigned int index);
    MManipData radiusDirectionConversion(unsigned int index);
    MManipData radiusDistanceConversion(unsigned int index);
    MManipData keyTogglePointConversion(unsigned int index);
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
    // The arc slider node, and the path of its parent transform.
    MObject attachedNode(MDagPath& transformPath) const;

    MVector worldCenter() const;
    void worldScale(float& sx, float& sy, float& sz) const;
    MVector worldNormal() const;
    MVector worldXAxis() const;
};
