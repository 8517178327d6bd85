// KelSliderManipulator: attributes, evaluation and drawing of the linear slider.

#include "slider/slider.h"

#include "attribute_table.h"
#include "draw_layout.h"
#include "plug_reads.h"
#include "slider/slider_layout.h"
#include "slider/snap_scale.h"
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

using plugs::readFloat;
using plugs::readInt;

MTypeId KelSliderManipulator::id(0x80666);

MObject KelSliderManipulator::connectToAttr;
MObject KelSliderManipulator::size;
MObject KelSliderManipulator::posHandle;
MObject KelSliderManipulator::distance;
MObject KelSliderManipulator::ratio;
MObject KelSliderManipulator::startValue;
MObject KelSliderManipulator::endValue;
MObject KelSliderManipulator::currentValue;
MObject KelSliderManipulator::displayLabel;
MObject KelSliderManipulator::label;
MObject KelSliderManipulator::labelColorR;
MObject KelSliderManipulator::labelColorG;
MObject KelSliderManipulator::labelColorB;
MObject KelSliderManipulator::labelColor;
MObject KelSliderManipulator::displayValue;
MObject KelSliderManipulator::valueColorR;
MObject KelSliderManipulator::valueColorG;
MObject KelSliderManipulator::valueColorB;
MObject KelSliderManipulator::valueColor;
MObject KelSliderManipulator::displayLine;
MObject KelSliderManipulator::lineWidth;
MObject KelSliderManipulator::lineColorR;
MObject KelSliderManipulator::lineColorG;
MObject KelSliderManipulator::lineColorB;
MObject KelSliderManipulator::lineColor;
MObject KelSliderManipulator::snap;
MObject KelSliderManipulator::displaySnap;
MObject KelSliderManipulator::displaySnapValue;
MObject KelSliderManipulator::snapValue;
MObject KelSliderManipulator::snapMainValue;
MObject KelSliderManipulator::snapWidth;
MObject KelSliderManipulator::snapLength;
MObject KelSliderManipulator::snapColorR;
MObject KelSliderManipulator::snapColorG;
MObject KelSliderManipulator::snapColorB;
MObject KelSliderManipulator::snapColor;
MObject KelSliderManipulator::posStartX;
MObject KelSliderManipulator::posStartY;
MObject KelSliderManipulator::posStartZ;
MObject KelSliderManipulator::posStart;
MObject KelSliderManipulator::posEndX;
MObject KelSliderManipulator::posEndY;
MObject KelSliderManipulator::posEndZ;
MObject KelSliderManipulator::posEnd;
MObject KelSliderManipulator::headDrawType;
MObject KelSliderManipulator::startHeadType;
MObject KelSliderManipulator::endHeadType;
MObject KelSliderManipulator::headRadius;
MObject KelSliderManipulator::headColorR;
MObject KelSliderManipulator::headColorG;
MObject KelSliderManipulator::headColorB;
MObject KelSliderManipulator::headColor;
MObject KelSliderManipulator::headHeight;
MObject KelSliderManipulator::headWidth;
MObject KelSliderManipulator::headDepth;
MObject KelSliderManipulator::headInnerRadius;
MObject KelSliderManipulator::headOuterRadius;
MObject KelSliderManipulator::headSlices;
MObject KelSliderManipulator::headStacks;
MObject KelSliderManipulator::handleDrawType;
MObject KelSliderManipulator::handleType;
MObject KelSliderManipulator::handleRadius;
MObject KelSliderManipulator::handleColorR;
MObject KelSliderManipulator::handleColorG;
MObject KelSliderManipulator::handleColorB;
MObject KelSliderManipulator::handleColor;
MObject KelSliderManipulator::handleHeight;
MObject KelSliderManipulator::handleWidth;
MObject KelSliderManipulator::handleDepth;
MObject KelSliderManipulator::handleInnerRadius;
MObject KelSliderManipulator::handleOuterRadius;
MObject KelSliderManipulator::handleSlices;
MObject KelSliderManipulator::handleStacks;
MObject KelSliderManipulator::KeyCurrentValue;
MObject KelSliderManipulator::action;

void* KelSliderManipulator::creator() { return new KelSliderManipulator(); }

// ---------------------------------------------------------------------------
// Attributes

namespace {

const attrs::EnumFields kModeFields = {
    {"None", kModeNone}, {"Ratio", kModeRatio}, {"Distance", kModeDistance}, {"Position", kModePosition}};

}  // namespace

MStatus KelSliderManipulator::initialize() {
    using namespace attrs;
    using N = MFnNumericData;
    using Self = KelSliderManipulator;
    const MFnUnitAttribute::Type kDistance = MFnUnitAttribute::kDistance;
    AttributeTable t(&Self::addAttribute, &Self::attributeAffects);
    // clang-format off: one attribute a line, in columns

    t.text(connectToAttr, "connectToAttr", "cta", "");
    t.unit(size, "size", "sz", kDistance, 1.0, limitsAfterAdd(0.0, 10.0));
    t.unit(posHandle, "posHandle", "hp", kDistance, 2.5);
    t.output(distance, "distance", "d", N::kFloat, 5.0);
    t.output(ratio, "ratio", "ra", N::kFloat, 0.5, limitsAfterAdd(0.0, 1.0));
    t.number(startValue, "startValue", "svl", N::kFloat, 0.0);
    t.number(endValue, "endValue", "evl", N::kFloat, 10.0);
    t.output(currentValue, "currentValue", "cvl", N::kFloat, 5.0);

    addLabelAttributes<Self>(t, "KelSlider");
    t.enumeration(displayValue, "displayValue", "dvl", kModeRatio, kModeFields, kAddAttrError);
    sliders::addValueColourAttributes<Self>(t);
    sliders::addLineAttributes<Self>(t);
    t.enumeration(snap, "snap", "sp", kModeNone, kModeFields, kAddAttrError);
    sliders::addGraduationAttributes<Self>(t, 0.1);

    t.number(posStartX, "posStartX", "psx", N::kDouble, 0.0);
    t.number(posStartY, "posStartY", "psy", N::kDouble, 0.0);
    t.number(posStartZ, "posStartZ", "psz", N::kDouble, 0.0);
    t.compound(posStart, "posStart", "ps", posStartX, posStartY, posStartZ, 0.0f, 0.0f, 0.0f);
    t.number(posEndX, "posEndX", "pex", N::kDouble, 0.0);
    t.number(posEndY, "posEndY", "pey", N::kDouble, 5.0);
    t.number(posEndZ, "posEndZ", "pez", N::kDouble, 0.0);
    // The tiny Z keeps the default track off the Y axis, where the heads'
    // rotation axis would vanish. It reaches "posEndZ" through the compound.
    t.compound(posEnd, "posEnd", "pe", posEndX, posEndY, posEndZ, 0.0, 5.0, 1e-9);

    // The track and the handle drive the three results. "snap" and
    // "snapValue" are read by the ratio but deliberately do not dirty it: a new
    // snapping shows at the next move of the handle or the track.
    t.affects(posStartX, posStart);
    t.affects(posStartY, posStart);
    t.affects(posStartZ, posStart);
    t.affects(posStart, distance);
    t.affects(posEndX, posEnd);
    t.affects(posEndY, posEnd);
    t.affects(posEndZ, posEnd);
    t.affects(posEnd, distance);
    t.affects(distance, ratio, "attributeAffects:distance->ratio");
    t.affects(posHandle, ratio, "attributeAffects:posHandle->ratio");
    t.affects(ratio, currentValue, "attributeAffects:ratio->currentValue");
    t.affects(startValue, currentValue, "attributeAffects:startValue->currentValue");
    t.affects(endValue, currentValue, "attributeAffects:endValue->currentValue");
    t.affects(posHandle, currentValue, "attributeAffects:posHandle->currentValue");

    sliders::addHeadAttributes<Self>(t, limitsAfterAdd(0.0, 10.0));
    sliders::addHandleAttributes<Self>(t);

    t.toggle(KeyCurrentValue, "KeyCurrentValue", "kcv", 0.0);
    t.numberKeyableUntilAdded(action, "action", "act", N::kShort, 0.0);
    t.affects(KeyCurrentValue, action, "attributeAffects:KeyCurrentValue->action");

    // clang-format on
    if (!t.ok()) return t.status();

    // Pairs this node type with KelSliderManipulatorManip for the host's
    // show-manipulator tool.
    MPxManipContainer::addToManipConnectTable(id);
    return MS::kSuccess;
}

// ---------------------------------------------------------------------------
// Evaluation

namespace {

// Snaps a ratio down to the mode's steps (see snapping.h). A step of 0 is
// within the attribute's limits, and "Position" divides by the whole-number
// range, which is 0 for values less than one apart; neither may turn the
// ratio into a NaN or an infinity, so the ratio then stays unsnapped.
float snapRatio(int mode, float r, float step, float range, float d) {
    switch (mode) {
    case kModeRatio:  // steps of the ratio itself
        return snapping::snapDown(r, step);
    case kModeDistance: {  // the handle's distance snapped to steps of length
        if (step == 0.0f) return r;
        const float snapped = snapping::wholeSteps(r * d / step) * (step / d);
        return std::isfinite(snapped) ? snapped : r;
    }
    case kModePosition:  // steps of value, over the whole-number range
        if (range == 0.0f) return r;
        return snapping::snapDown(r, step / range);
    default:
        return r;
    }
}

}  // namespace

MStatus KelSliderManipulator::compute(const MPlug& plug, MDataBlock& data) {
    const MObject node = thisMObject();
    const auto write = [&](const MObject& attribute, float value) {
        data.outputValue(attribute).set(value);
        data.setClean(plug);
    };

    if (plug == currentValue) {
        const float sv = readFloat(node, startValue);
        const float ev = readFloat(node, endValue);
        const float r = readFloat(node, ratio);
        write(currentValue, sv + r * (ev - sv));
    } else if (plug == distance) {
        const MVector start = plugs::readPoint(node, posStartX, posStartY, posStartZ);
        const MVector end = plugs::readPoint(node, posEndX, posEndY, posEndZ);
        write(distance, static_cast<float>((end - start).length()));
    } else if (plug == ratio) {
        const int mode = readInt(node, snap);
        const float step = readFloat(node, snapValue);
        const float sv = readFloat(node, startValue);
        const float ev = readFloat(node, endValue);
        const float h = readFloat(node, posHandle);
        float d = readFloat(node, distance);
        // Whole units of value: a range of 9.7 counts as 9.
        const float range = std::trunc(std::fabs(ev - sv));
        if (d == 0.0f) d = 1e-8f;
        write(ratio, snapRatio(mode, h / d, step, range, d));
    } else if (plug == action) {
        sliders::evaluateKeyRequest(keyRequested_, node, "hp", KeyCurrentValue, plug, data);
    }
    return MS::kSuccess;
}

bool KelSliderManipulator::setInternalValue(const MPlug& plug, const MDataHandle&) {
    if (sliders::isKeyRequest(plug, KeyCurrentValue)) keyRequested_ = true;
    return false;  // the host stores the value as usual
}

// ---------------------------------------------------------------------------
// Drawing

SliderDrawValues KelSliderManipulator::readDrawValues(const MObject& node) {
    // Everything is read afresh, in this order; reading "distance" and
    // "ratio" computes them first when they are dirty.
    SliderDrawValues v;
    v.size = readFloat(node, size);
    v.startValue = readFloat(node, startValue);
    v.endValue = readFloat(node, endValue);
    v.currentValue = readFloat(node, currentValue);
    v.showLabel = readFloat(node, displayLabel);
    v.labelColour = plugs::readColour(node, labelColorR, labelColorG, labelColorB);
    v.label = plugs::readString(node, label);
    v.valueMode = readInt(node, displayValue);
    v.valueColour = plugs::readColour(node, valueColorR, valueColorG, valueColorB);
    v.showLine = readFloat(node, displayLine);
    v.lineWidth = readInt(node, lineWidth);
    v.lineColour = plugs::readColour(node, lineColorR, lineColorG, lineColorB);
    v.snapMode = readInt(node, snap);
    v.showSnap = readInt(node, displaySnap);
    v.showSnapValues = readInt(node, displaySnapValue);
    v.snapWidth = readInt(node, snapWidth);
    v.snapLength = readFloat(node, snapLength);
    v.snapStep = readFloat(node, snapValue);
    v.snapMain = readInt(node, snapMainValue);
    v.snapColour = plugs::readColour(node, snapColorR, snapColorG, snapColorB);
    v.start = plugs::readPoint(node, posStartX, posStartY, posStartZ);
    v.end = plugs::readPoint(node, posEndX, posEndY, posEndZ);
    v.distance = readFloat(node, distance);
    v.ratio = readFloat(node, ratio);
    v.headDrawType = readInt(node, headDrawType);
    v.handleDrawType = readInt(node, handleDrawType);
    v.startHeadType = readInt(node, startHeadType);
    v.endHeadType = readInt(node, endHeadType);
    v.handleType = readInt(node, handleType);
    v.head = sliders::readShape(node, sliders::headHandles<KelSliderManipulator>());
    v.handle = sliders::readShape(node, sliders::handleHandles<KelSliderManipulator>());
    return v;
}

void KelSliderManipulator::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle style,
                                M3dView::DisplayStatus) {
    layout::Layout drawn;
    sliderLayout(readDrawValues(thisMObject()), drawn);
    view.beginGL();
    layout::drawLegacy(drawn, view, style);
    view.endGL();
}
