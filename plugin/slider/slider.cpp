// KelSliderManipulator: attributes, evaluation and drawing of the linear slider.

#include "slider/slider.h"

#include "attribute_table.h"
#include "plug_reads.h"
#include "shapes.h"
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

#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <utility>

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

namespace {

ShapeTransform placement(const MVector& at, double degrees, const MVector& axis, float scale) {
    return ShapeTransform(
        ShapeRotate(degrees, axis),
        ShapeTranslate(static_cast<float>(at.x), static_cast<float>(at.y), static_cast<float>(at.z)),
        ShapeScale(scale, scale, scale));
}

// At most five characters: the host's formatting cut after position 4.
MString valueText(float value) {
    MString text;
    text.set(static_cast<double>(value));
    return text.substring(0, 4);
}

}  // namespace

void KelSliderManipulator::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle style,
                                M3dView::DisplayStatus) {
    const MObject node = thisMObject();

    // Everything is read afresh, in this order; reading "distance" and
    // "ratio" computes them first when they are dirty.
    const float sz = readFloat(node, size);
    const float sv = readFloat(node, startValue);
    const float ev = readFloat(node, endValue);
    const float cv = readFloat(node, currentValue);
    const float showLabel = readFloat(node, displayLabel);
    const MColor labelRgb = plugs::readColour(node, labelColorR, labelColorG, labelColorB);
    const MString labelText = plugs::readString(node, label);
    const int valueMode = readInt(node, displayValue);
    const MColor valueRgb = plugs::readColour(node, valueColorR, valueColorG, valueColorB);
    const float showLine = readFloat(node, displayLine);
    const int lineWidthPx = readInt(node, lineWidth);
    const MColor lineRgb = plugs::readColour(node, lineColorR, lineColorG, lineColorB);
    const int snapMode = readInt(node, snap);
    const int showSnap = readInt(node, displaySnap);
    const int showSnapValues = readInt(node, displaySnapValue);
    const int snapWidthPx = readInt(node, snapWidth);
    const float snapLen = readFloat(node, snapLength);
    const float snapStep = readFloat(node, snapValue);
    const int snapMain = readInt(node, snapMainValue);
    const MColor snapRgb = plugs::readColour(node, snapColorR, snapColorG, snapColorB);
    const MVector S = plugs::readPoint(node, posStartX, posStartY, posStartZ);
    const MVector E = plugs::readPoint(node, posEndX, posEndY, posEndZ);
    const float dist = readFloat(node, distance);
    const float r = readFloat(node, ratio);
    const int headStyle = readInt(node, headDrawType);
    const int handleStyle = readInt(node, handleDrawType);
    const int startType = readInt(node, startHeadType);
    const int endType = readInt(node, endHeadType);
    const int handleShape = readInt(node, handleType);
    const sliders::ShapeValues head = sliders::readShape(node, sliders::headHandles<KelSliderManipulator>());
    const sliders::ShapeValues handle =
        sliders::readShape(node, sliders::handleHandles<KelSliderManipulator>());

    const ShapeMaterial headMaterial = sliders::makeMaterial(head.colour);
    const ShapeMaterial handleMaterial = sliders::makeMaterial(handle.colour);

    const MVector d = E - S;
    MVector u = d;
    u.normalize();
    const float h = head.sizes.height;
    const MVector labelPoint = sz * (S - h * u);
    const MVector valuePoint = sz * (E + h * u);
    const MVector handleOffset = S + r * d;

    // Shapes stand along +Y; turn them onto the track. A track along Y leaves
    // the cross product empty: any axis across Y then gives the same turn, and
    // X is the one a track just off the Y axis (the default) converges to, so
    // the start head keeps pointing away from the track.
    const MVector up(0.0, 1.0, 0.0);
    MVector axis = up ^ d;
    if (axis.length() == 0.0) axis = MVector(1.0, 0.0, 0.0);
    double deg = MAngle(up.angle(d), MAngle::kRadians).asDegrees();
    if (!std::isfinite(deg)) deg = 0.0;

    std::unique_ptr<Shape> handleObject = sliders::makeShape(
        handleShape, handle.sizes, handleStyle, placement(handleOffset, deg, axis, sz), handleMaterial);
    std::unique_ptr<Shape> startHead = sliders::makeShape(startType, head.sizes, headStyle,
                                                          placement(S, deg - 180.0, axis, sz), headMaterial);
    std::unique_ptr<Shape> endHead =
        sliders::makeShape(endType, head.sizes, headStyle, placement(E, deg, axis, sz), headMaterial);
    ShapeGroup group;
    group.set(std::move(handleObject), std::move(startHead), std::move(endHead));

    view.beginGL();
    group.draw(view, style);

    // The line runs up local Y from the origin whatever "posStart" says.
    if (showLine == 1.0f) {
        view.setDrawColor(lineRgb);
        glPushAttrib(GL_LINE_BIT);
        glLineWidth(static_cast<float>(lineWidthPx));
        glBegin(GL_LINES);
        glVertex3f(0.0f, 0.0f, 0.0f);
        glVertex3f(0.0f, static_cast<float>(E.y) * sz, 0.0f);
        glEnd();
        glPopAttrib();
    }

    // Graduations also need a value display other than "None".
    if (showSnap == 1 && snapMode != kModeNone && snapStep != 0.0f && valueMode != kModeNone) {
        LinearSnapScale::Params p;
        p.mode = snapMode;
        p.showMainValues = showSnapValues;
        p.start = S;
        p.end = E;
        p.startValue = sv;
        p.endValue = ev;
        p.tickDirection = MVector(1.0, 0.0, 0.0);
        p.step = snapStep;
        p.mainEvery = snapMain;
        p.lineWidth = static_cast<float>(snapWidthPx);
        p.tickLength = snapLen;
        p.tickColor = snapRgb;
        p.size = sz;
        LinearSnapScale(p).draw(view, style);
    }

    view.setDrawColor(labelRgb);
    if (showLabel == 1.0f) view.drawText(labelText, MPoint(labelPoint), M3dView::kCenter);

    if (valueMode != kModeNone) {
        view.setDrawColor(valueRgb);
        if (valueMode == kModePosition) {
            const float third = sz * 0.33333334f;
            view.drawText(valueText(cv), MPoint(valuePoint), M3dView::kCenter);
            // The start text is not scaled by size, the end text is.
            view.drawText(valueText(sv), MPoint(S.x, S.y, S.z - third), M3dView::kCenter);
            view.drawText(valueText(ev), MPoint(sz * E.x, sz * E.y, sz * E.z - third), M3dView::kCenter);
        } else if (valueMode == kModeRatio) {
            view.drawText(valueText(r), MPoint(valuePoint), M3dView::kCenter);
        } else if (valueMode == kModeDistance) {
            view.drawText(valueText(dist), MPoint(valuePoint), M3dView::kCenter);
        } else {
            view.drawText(MString(), MPoint(valuePoint), M3dView::kCenter);
        }
    }

    view.endGL();
}
