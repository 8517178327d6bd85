#include "arcslider/arc_slider.h"

#include "arcslider/arc_slider_layout.h"
#include "attribute_table.h"
#include "draw_layout.h"
#include "plug_reads.h"
#include "slider_parts.h"
#include "snapping.h"

#include <maya/MAngle.h>
#include <maya/MColor.h>
#include <maya/MDataHandle.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPoint.h>
#include <maya/MPxManipContainer.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <cmath>

using plugs::readColour;
using plugs::readFloat;
using plugs::readInt;

MTypeId KelArcSliderManipulator::id(0x80668);

MObject KelArcSliderManipulator::connectToAttr;
MObject KelArcSliderManipulator::size;
MObject KelArcSliderManipulator::radius;
MObject KelArcSliderManipulator::startAngle;
MObject KelArcSliderManipulator::endAngle;
MObject KelArcSliderManipulator::currentAngle;
MObject KelArcSliderManipulator::angleOffset;
MObject KelArcSliderManipulator::angleValue;
MObject KelArcSliderManipulator::displayLabel;
MObject KelArcSliderManipulator::label;
MObject KelArcSliderManipulator::labelColorR;
MObject KelArcSliderManipulator::labelColorG;
MObject KelArcSliderManipulator::labelColorB;
MObject KelArcSliderManipulator::labelColor;
MObject KelArcSliderManipulator::displayValue;
MObject KelArcSliderManipulator::valueColorR;
MObject KelArcSliderManipulator::valueColorG;
MObject KelArcSliderManipulator::valueColorB;
MObject KelArcSliderManipulator::valueColor;
MObject KelArcSliderManipulator::displayLine;
MObject KelArcSliderManipulator::lineWidth;
MObject KelArcSliderManipulator::lineColorR;
MObject KelArcSliderManipulator::lineColorG;
MObject KelArcSliderManipulator::lineColorB;
MObject KelArcSliderManipulator::lineColor;
MObject KelArcSliderManipulator::snap;
MObject KelArcSliderManipulator::displaySnap;
MObject KelArcSliderManipulator::displaySnapValue;
MObject KelArcSliderManipulator::snapValue;
MObject KelArcSliderManipulator::snapMainValue;
MObject KelArcSliderManipulator::snapWidth;
MObject KelArcSliderManipulator::snapLength;
MObject KelArcSliderManipulator::snapColorR;
MObject KelArcSliderManipulator::snapColorG;
MObject KelArcSliderManipulator::snapColorB;
MObject KelArcSliderManipulator::snapColor;
MObject KelArcSliderManipulator::headDrawType;
MObject KelArcSliderManipulator::startHeadType;
MObject KelArcSliderManipulator::endHeadType;
MObject KelArcSliderManipulator::headRadius;
MObject KelArcSliderManipulator::headColorR;
MObject KelArcSliderManipulator::headColorG;
MObject KelArcSliderManipulator::headColorB;
MObject KelArcSliderManipulator::headColor;
MObject KelArcSliderManipulator::headHeight;
MObject KelArcSliderManipulator::headWidth;
MObject KelArcSliderManipulator::headDepth;
MObject KelArcSliderManipulator::headInnerRadius;
MObject KelArcSliderManipulator::headOuterRadius;
MObject KelArcSliderManipulator::headSlices;
MObject KelArcSliderManipulator::headStacks;
MObject KelArcSliderManipulator::handleDrawType;
MObject KelArcSliderManipulator::handleType;
MObject KelArcSliderManipulator::handleRadius;
MObject KelArcSliderManipulator::handleColorR;
MObject KelArcSliderManipulator::handleColorG;
MObject KelArcSliderManipulator::handleColorB;
MObject KelArcSliderManipulator::handleColor;
MObject KelArcSliderManipulator::handleHeight;
MObject KelArcSliderManipulator::handleWidth;
MObject KelArcSliderManipulator::handleDepth;
MObject KelArcSliderManipulator::handleInnerRadius;
MObject KelArcSliderManipulator::handleOuterRadius;
MObject KelArcSliderManipulator::handleSlices;
MObject KelArcSliderManipulator::handleStacks;
MObject KelArcSliderManipulator::KeyCurrentAngle;
MObject KelArcSliderManipulator::action;

void* KelArcSliderManipulator::creator() { return new KelArcSliderManipulator(); }

// ---------------------------------------------------------------------------
// Attributes

MStatus KelArcSliderManipulator::initialize() {
    using namespace attrs;
    using N = MFnNumericData;
    using Self = KelArcSliderManipulator;
    const MFnUnitAttribute::Type kDistance = MFnUnitAttribute::kDistance;
    const MFnUnitAttribute::Type kAngle = MFnUnitAttribute::kAngle;
    AttributeTable t(&Self::addAttribute, &Self::attributeAffects);
    // clang-format off: one attribute a line, in columns

    t.text(connectToAttr, "connectToAttr", "cta", "");
    t.unit(size, "size", "sz", kDistance, 1.0, limits(0.0, 10.0));
    t.unit(radius, "radius", "rd", kDistance, 3.0);
    t.unit(startAngle, "startAngle", "sta", kAngle, 0.28, limits(0.0, 6.3));
    t.unit(endAngle, "endAngle", "eda", kAngle, 6.0, limits(0.0, 6.3));
    t.unit(currentAngle, "currentAngle", "cra", kAngle, 3.1415, limits(0.0, 6.3));
    t.unit(angleOffset, "angleOffset", "aos", kAngle, 0.0);
    t.output(angleValue, "angleValue", "avl", N::kFloat, 0.0);
    t.affects(currentAngle, angleValue, "attributeAffects:currentAngle->angleValue");
    t.affects(angleOffset, angleValue, "attributeAffects:angleOffset->angleValue");

    addLabelAttributes<Self>(t, "KelArcSlider");
    t.number(displayValue, "displayValue", "dlv", N::kBoolean, 1.0);
    sliders::addValueColourAttributes<Self>(t);
    sliders::addLineAttributes<Self>(t);
    t.number(snap, "snap", "sp", N::kBoolean, 1.0);
    sliders::addGraduationAttributes<Self>(t, 1.0);

    sliders::addHeadAttributes<Self>(t, limits(0.0, 10.0));
    sliders::addHandleAttributes<Self>(t);

    t.toggle(KeyCurrentAngle, "KeyCurrentAngle", "kca", 1.0);
    t.output(action, "action", "ac", N::kShort, 0.0);
    t.affects(KeyCurrentAngle, action, "attributeAffects:KeyCurrentAngle->action");

    // clang-format on
    if (!t.ok()) return t.status();
    MPxManipContainer::addToManipConnectTable(id);
    return MS::kSuccess;
}

// ---------------------------------------------------------------------------
// Evaluation

MStatus KelArcSliderManipulator::compute(const MPlug& plug, MDataBlock& data) {
    const MObject node = thisMObject();

    if (plug == angleValue) {
        const float offset = readFloat(node, angleOffset);
        const float current = readFloat(node, currentAngle);
        const int snapOn = readInt(node, snap);
        const float step = readFloat(node, snapValue);

        float reading = static_cast<float>(MAngle(current + offset).asDegrees());
        if (snapOn != 0) reading = snapping::snapDown(reading, step);

        data.outputValue(angleValue).set(reading);
        data.setClean(plug);
    } else if (plug == action) {
        sliders::evaluateKeyRequest(keyRequested_, node, "currentAngle", KeyCurrentAngle, plug, data);
    }
    return MS::kSuccess;
}

bool KelArcSliderManipulator::setInternalValue(const MPlug& plug, const MDataHandle&) {
    if (sliders::isKeyRequest(plug, KeyCurrentAngle)) keyRequested_ = true;
    return false;  // the host stores the value as usual
}

// ---------------------------------------------------------------------------
// Drawing

ArcSliderDrawValues KelArcSliderManipulator::readDrawValues(const MObject& node) {
    ArcSliderDrawValues v;
    v.radius = readFloat(node, radius);
    v.size = readFloat(node, size);
    v.startAngle = readFloat(node, startAngle);
    v.endAngle = readFloat(node, endAngle);
    v.currentAngle = readFloat(node, currentAngle);
    v.angleOffset = readFloat(node, angleOffset);
    v.reading = readFloat(node, angleValue);
    v.labelColour = readColour(node, labelColorR, labelColorG, labelColorB);
    v.valueColour = readColour(node, valueColorR, valueColorG, valueColorB);
    v.lineColour = readColour(node, lineColorR, lineColorG, lineColorB);
    v.snapColour = readColour(node, snapColorR, snapColorG, snapColorB);
    v.lineWidth = readFloat(node, lineWidth);
    v.snapLength = readFloat(node, snapLength);
    v.snapValue = readFloat(node, snapValue);
    v.showLine = readFloat(node, displayLine);
    v.showLabel = readFloat(node, displayLabel);
    v.showValue = readInt(node, displayValue);
    v.showSnap = readInt(node, displaySnap);
    v.showSnapValues = readInt(node, displaySnapValue);
    v.snapWidth = readInt(node, snapWidth);
    v.snapMain = readInt(node, snapMainValue);
    v.headDrawType = readInt(node, headDrawType);
    v.handleDrawType = readInt(node, handleDrawType);
    v.startHeadType = readInt(node, startHeadType);
    v.endHeadType = readInt(node, endHeadType);
    v.handleType = readInt(node, handleType);
    v.head = sliders::readShape(node, sliders::headHandles<KelArcSliderManipulator>());
    v.handle = sliders::readShape(node, sliders::handleHandles<KelArcSliderManipulator>());
    v.label = plugs::readString(node, label);
    return v;
}

void KelArcSliderManipulator::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle style,
                                   M3dView::DisplayStatus) {
    layout::Layout drawn;
    arcSliderLayout(readDrawValues(thisMObject()), drawn);
    view.beginGL();
    layout::drawLegacy(drawn, view, style);
    view.endGL();
}
