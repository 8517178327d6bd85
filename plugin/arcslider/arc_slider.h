// KelArcSliderManipulator: an angle control drawn as an arc with a handle,
// two heads, graduations, a label and value texts. Its reading "angleValue"
// is in degrees; the "KeyCurrentAngle" toggle keys "currentAngle".
#pragma once

#include <maya/M3dView.h>
#include <maya/MDagPath.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

#include "arcslider/arc_slider_layout.h"

class KelArcSliderManipulator : public MPxLocatorNode {
public:
    MStatus compute(const MPlug& plug, MDataBlock& data) override;
    // Hears of a user's own change of the key toggle (see keyRequested_).
    bool setInternalValue(const MPlug& plug, const MDataHandle& handle) override;
    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;

    // What one draw uses, read through the node's plugs ("angleValue"
    // computed first when dirty); the legacy draw and the Viewport 2.0
    // override both read it here.
    static ArcSliderDrawValues readDrawValues(const MObject& node);

    static void* creator();
    static MStatus initialize();

    static MTypeId id;

    // One handle per attribute, in creation order.
    static MObject connectToAttr;
    static MObject size;
    static MObject radius;
    static MObject startAngle;
    static MObject endAngle;
    static MObject currentAngle;
    static MObject angleOffset;
    static MObject angleValue;
    static MObject displayLabel;
    static MObject label;
    static MObject labelColorR;
    static MObject labelColorG;
    static MObject labelColorB;
    static MObject labelColor;
    static MObject displayValue;
    static MObject valueColorR;
    static MObject valueColorG;
    static MObject valueColorB;
    static MObject valueColor;
    static MObject displayLine;
    static MObject lineWidth;
    static MObject lineColorR;
    static MObject lineColorG;
    static MObject lineColorB;
    static MObject lineColor;
    static MObject snap;
    static MObject displaySnap;
    static MObject displaySnapValue;
    static MObject snapValue;
    static MObject snapMainValue;
    static MObject snapWidth;
    static MObject snapLength;
    static MObject snapColorR;
    static MObject snapColorG;
    static MObject snapColorB;
    static MObject snapColor;
    static MObject headDrawType;
    static MObject startHeadType;
    static MObject endHeadType;
    static MObject headRadius;
    static MObject headColorR;
    static MObject headColorG;
    static MObject headColorB;
    static MObject headColor;
    static MObject headHeight;
    static MObject headWidth;
    static MObject headDepth;
    static MObject headInnerRadius;
    static MObject headOuterRadius;
    static MObject headSlices;
    static MObject headStacks;
    static MObject handleDrawType;
    static MObject handleType;
    static MObject handleRadius;
    static MObject handleColorR;
    static MObject handleColorG;
    static MObject handleColorB;
    static MObject handleColor;
    static MObject handleHeight;
    static MObject handleWidth;
    static MObject handleDepth;
    static MObject handleInnerRadius;
    static MObject handleOuterRadius;
    static MObject handleSlices;
    static MObject handleStacks;
    static MObject KeyCurrentAngle;
    static MObject action;

private:
    // Set when a user changes "KeyCurrentAngle" (setAttr, the toggle
    // manipulator); the next evaluation of "action" keys "currentAngle" and
    // clears it. A file being read, the toggle's own animation or any other
    // connection changes the toggle without asking for a key.
    bool keyRequested_ = false;
};
