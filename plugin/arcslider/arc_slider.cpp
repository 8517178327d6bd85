#include "arcslider/arc_slider.h"

#include "arcslider/arc_snap_scale.h"
#include "attribute_table.h"
#include "plug_reads.h"
#include "shapes.h"
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

namespace {

// With "radius" 0 the axis through a head has no direction; such a rotation
// is undefined in GL, so it becomes no rotation at all.
ShapeRotate makeRotate(double angle, const MVector& axis) {
    const double length = axis.length();
    if (!(length > 0.0) || !std::isfinite(length)) return ShapeRotate(0.0, MVector(0.0, 1.0, 0.0));
    return ShapeRotate(angle, axis);
}

MVector arcPoint(float radius, float angle) {
    return MVector(radius * std::cos(angle), 0.0, -radius * std::sin(angle));
}

MString degreesText(double radians) {
    MString text;
    text.set(MAngle(radians).asDegrees(), 2);
    return text;
}

}  // namespace

void KelArcSliderManipulator::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle style,
                                   M3dView::DisplayStatus) {
    const MObject node = thisMObject();

    const float radiusV = readFloat(node, radius);
    const float sizeV = readFloat(node, size);
    const float start = readFloat(node, startAngle);
    const float end = readFloat(node, endAngle);
    const float current = readFloat(node, currentAngle);
    const float offset = readFloat(node, angleOffset);
    const float reading = readFloat(node, angleValue);
    const MColor labelRGB = readColour(node, labelColorR, labelColorG, labelColorB);
    const MColor valueRGB = readColour(node, valueColorR, valueColorG, valueColorB);
    const MColor lineRGB = readColour(node, lineColorR, lineColorG, lineColorB);
    const MColor snapRGB = readColour(node, snapColorR, snapColorG, snapColorB);
    const float lineWidthV = readFloat(node, lineWidth);
    const float snapLengthV = readFloat(node, snapLength);
    const float snapValueV = readFloat(node, snapValue);
    const float displayLineV = readFloat(node, displayLine);
    const float displayLabelV = readFloat(node, displayLabel);
    const int displayValueV = readInt(node, displayValue);
    const int displaySnapV = readInt(node, displaySnap);
    const int displaySnapValueV = readInt(node, displaySnapValue);
    const int snapWidthV = readInt(node, snapWidth);
    const int snapMainValueV = readInt(node, snapMainValue);
    const int headDrawTypeV = readInt(node, headDrawType);
    const int handleDrawTypeV = readInt(node, handleDrawType);
    const int startHeadTypeV = readInt(node, startHeadType);
    const int endHeadTypeV = readInt(node, endHeadType);
    const int handleTypeV = readInt(node, handleType);
    const sliders::ShapeValues head =
        sliders::readShape(node, sliders::headHandles<KelArcSliderManipulator>());
    const sliders::ShapeValues handle =
        sliders::readShape(node, sliders::handleHandles<KelArcSliderManipulator>());
    const MString labelText = plugs::readString(node, label);

    const MVector H = arcPoint(radiusV, current);
    const MVector S = arcPoint(radiusV, start);
    const MVector E = arcPoint(radiusV, end);

    const ShapeMaterial headMaterial = sliders::makeMaterial(head.colour);
    const ShapeMaterial handleMaterial = sliders::makeMaterial(handle.colour);

    const ShapeScale scale(sizeV, sizeV, sizeV);
    const ShapeRotate startRotate = makeRotate(90.0, S);
    const ShapeRotate endRotate = makeRotate(-90.0, E);
    const ShapeTransform startTransform(startRotate, ShapeTranslate(S.x, S.y, S.z), scale);
    const ShapeTransform endTransform(endRotate, ShapeTranslate(E.x, E.y, E.z), scale);
    // The handle turns with the end head, not about its own position.
    const ShapeTransform handleTransform(endRotate, ShapeTranslate(H.x, H.y, H.z), scale);

    std::unique_ptr<Shape> handleShape =
        sliders::makeShape(handleTypeV, handle.sizes, handleDrawTypeV, handleTransform, handleMaterial);
    std::unique_ptr<Shape> startShape =
        sliders::makeShape(startHeadTypeV, head.sizes, headDrawTypeV, startTransform, headMaterial);
    std::unique_ptr<Shape> endShape =
        sliders::makeShape(endHeadTypeV, head.sizes, headDrawTypeV, endTransform, headMaterial);
    ShapeGroup group;
    group.set(std::move(handleShape), std::move(startShape), std::move(endShape));

    view.beginGL();
    group.draw(view, style);

    if (displayLineV == 1.0f) {
        view.setDrawColor(lineRGB);
        glPushAttrib(GL_LINE_BIT);
        glLineWidth(lineWidthV);
        const float drawnRadius = sizeV * radiusV;
        const float step = (end - start) * 0.05f;
        float a = start;
        glBegin(GL_LINE_STRIP);
        for (int k = 0; k <= 20; ++k) {
            const MVector p = arcPoint(drawnRadius, a);
            glVertex3f(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
            a += step;
        }
        glEnd();
        glPopAttrib();
    }

    view.setDrawColor(labelRGB);
    if (displayLabelV == 1.0f) view.drawText(labelText, MPoint(0.0, 0.0, 0.0), M3dView::kCenter);

    if (displaySnapV == 1 && snapValueV != 0.0f && displayValueV != 0) {
        ArcSnapScale::Params p;
        p.radius = radiusV;
        p.size = sizeV;
        p.startAngle = start;
        p.endAngle = end;
        p.angleOffset = offset;
        p.step = snapValueV;
        p.mainEvery = snapMainValueV;
        p.showMainValues = displaySnapValueV;
        p.lineWidth = static_cast<float>(snapWidthV);
        p.tickLength = snapLengthV;
        p.tickColor = snapRGB;
        p.mainColor = valueRGB;
        ArcSnapScale(p).draw(view, style);
    }

    if (displayValueV != 0) {
        view.setDrawColor(valueRGB);
        MString readingText;
        readingText.set(reading, 2);
        view.drawText(readingText, MPoint(H * (0.8 * sizeV)), M3dView::kCenter);
        view.drawText(degreesText(start + offset), MPoint(S * (0.85 * sizeV)), M3dView::kCenter);
        view.drawText(degreesText(end + offset), MPoint(E * (0.85 * sizeV)), M3dView::kCenter);
    }

    view.endGL();
}
