// KelSliderManipulator: a locator that stands in the scene as a linear slider.
// A handle slides along a straight track between "posStart" and "posEnd"; the
// node maps the handle's place onto the range "startValue".."endValue"
// ("currentValue"), snaps it on request, draws graduations and texts, and can
// key its own handle position. Every per-node value lives in the host's
// attribute storage; the class keeps only whether a user has asked for a key.
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

#include "slider/slider_layout.h"

class KelSliderManipulator : public MPxLocatorNode {
public:
    MStatus compute(const MPlug& plug, MDataBlock& data) override;
    // Hears of a user's own change of the key toggle (see keyRequested_).
    bool setInternalValue(const MPlug& plug, const MDataHandle& handle) override;
    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;

    // What one draw uses, read through the node's plugs (outputs computed
    // first when dirty); the legacy draw and the Viewport 2.0 override both
    // read it here.
    static SliderDrawValues readDrawValues(const MObject& node);

    static void* creator();
    static MStatus initialize();

    static MTypeId id;

    // Attribute handles, in creation order, named after the long names.
    static MObject connectToAttr;
    static MObject size;
    static MObject posHandle;
    static MObject distance;
    static MObject ratio;
    static MObject startValue;
    static MObject endValue;
    static MObject currentValue;
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
    static MObject posStartX;
    static MObject posStartY;
    static MObject posStartZ;
    static MObject posStart;
    static MObject posEndX;
    static MObject posEndY;
    static MObject posEndZ;
    static MObject posEnd;
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
    static MObject KeyCurrentValue;
    static MObject action;

private:
    // Set when a user changes "KeyCurrentValue" (setAttr, the toggle
    // manipulator); the next evaluation of "action" keys the handle and
    // clears it. A file being read, the toggle's own animation or any other
    // connection changes the toggle without asking for a key.
    bool keyRequested_ = false;
};
