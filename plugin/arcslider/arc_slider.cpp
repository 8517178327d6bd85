#include "arcslider/arc_slider.h"
#include "arcslider/arc_values.h"
#include "arcslider/arc_snap_scale.h"
#include "shapes.h"
#include "snapping.h"

#include <maya/MAngle.h>
#include <maya/MColor.h>
#include <maya/MDataHandle.h>
#include <maya/MFileIO.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MPoint.h>
#include <maya/MPxManipContainer.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <GL/gl.h>

#include <cmath>
#include <iostream>

using arcslider::readFloat;
using arcslider::readInt;
using arcslider::readString;

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

KelArcSliderManipulator::KelArcSliderManipulator() {}

KelArcSliderManipulator::~KelArcSliderManipulator() {}

void* KelArcSliderManipulator::creator()
{
    return new KelArcSliderManipulator();
}

// ---------------------------------------------------------------------------
// Attributes

namespace {

struct Range {
    bool limited;
    double min;
    double max;
};
const Range kUnlimited = {false, 0.0, 0.0};
Range limits(double min, double max) { return Range{true, min, max}; }

// Which fixed line a failed addAttribute prints.
enum class AddCheck {
    kPlain,    // "addAttribute NAME##error"
    kOutput,   // "addAttribute NAME error"
    kNamed,    // "addAttribute: ATTR"
    kNone      // result not examined
};

const char* const kDrawTypes[] = {"Wire", "Solid", "Smooth"};
const char* const kShapeTypes[] = {"none", "Cube", "Sphere", "Cone", "torus", "rectangle", "cylinder"};

// Creates and adds attributes one table row at a time. The first failure
// prints its line and latches: later rows make no host call, so initialize
// stops right there with the attributes added so far left in place.
class AttributeTable {
public:
    MStatus status() const { return status_; }
    bool ok() const { return status_ == MS::kSuccess; }

    void numeric(MObject& attr, const char* longName, const char* shortName,
                 MFnNumericData::Type type, double defaultValue, Range range = kUnlimited,
                 AddCheck check = AddCheck::kPlain, bool keyable = true)
    {
        if (!ok())
            return;
        MStatus st;
        MFnNumericAttribute fn;
        attr = fn.create(longName, shortName, type, defaultValue, &st);
        if (!st) {
            fail("numeric attr create error");
            return;
        }
        setFlags(fn, range, keyable);
        add(attr, check);
    }

    // A key toggle: a keyable boolean made internal, so the node hears of
    // each change a user makes to it (and of no other change).
    void toggle(MObject& attr, const char* longName, const char* shortName, double defaultValue)
    {
        if (!ok())
            return;
        MStatus st;
        MFnNumericAttribute fn;
        attr = fn.create(longName, shortName, MFnNumericData::kBoolean, defaultValue, &st);
        if (!st) {
            fail("numeric attr create error");
            return;
        }
        setFlags(fn, kUnlimited, true);
        fn.setInternal(true);
        add(attr, AddCheck::kPlain);
    }

    void unit(MObject& attr, const char* longName, const char* shortName,
              MFnUnitAttribute::Type type, double defaultValue, Range range = kUnlimited)
    {
        if (!ok())
            return;
        MStatus st;
        MFnUnitAttribute fn;
        attr = fn.create(longName, shortName, type, defaultValue, &st);
        if (!st) {
            fail("distance attr create error");
            return;
        }
        setFlags(fn, range, true);
        add(attr, AddCheck::kPlain);
    }

    void string(MObject& attr, const char* longName, const char* shortName, const char* defaultText)
    {
        if (!ok())
            return;
        MFnStringData data;
        MObject defaultData = data.create(MString(defaultText));
        MFnTypedAttribute fn;
        attr = fn.create(longName, shortName, MFnData::kString, defaultData);
        fn.setKeyable(true);
        add(attr, AddCheck::kNamed);
    }

    void enumeration(MObject& attr, const char* longName, const char* shortName, short defaultField,
                     const char* const* fields, short fieldCount, AddCheck check)
    {
        if (!ok())
            return;
        MFnEnumAttribute fn;
        attr = fn.create(longName, shortName, defaultField);
        for (short i = 0; i < fieldCount; ++i)
            fn.addField(fields[i], i);
        fn.setStorable(true);
        fn.setKeyable(true);
        add(attr, check);
    }

    void colour(MObject& attr, const char* longName, const char* shortName, const MObject& r,
                const MObject& g, const MObject& b, float dr, float dg, float db)
    {
        if (!ok())
            return;
        MFnNumericAttribute fn;
        attr = fn.create(longName, shortName, r, g, b);
        fn.setStorable(true);
        fn.setUsedAsColor(true);
        fn.setReadable(true);
        fn.setWritable(true);
        fn.setDefault(dr, dg, db);
        add(attr, AddCheck::kNone);
    }

    void affects(const MObject& input, const MObject& output, const char* message)
    {
        if (!ok())
            return;
        MStatus st = MPxNode::attributeAffects(input, output);
        if (!st)
            fail(message);
    }

private:
    // Numeric and unit sets both offer setMin/setMax, MFnAttribute does not.
    template <class Fn>
    static void setFlags(Fn& fn, Range range, bool keyable)
    {
        fn.setArray(false);
        fn.setUsesArrayDataBuilder(false);
        fn.setHidden(false);
        if (keyable)
            fn.setKeyable(true);
        if (range.limited) {
            fn.setMin(range.min);
            fn.setMax(range.max);
        }
    }

    void add(const MObject& attr, AddCheck check)
    {
        MStatus st = MPxNode::addAttribute(attr);
        if (st)
            return;
        switch (check) {
        case AddCheck::kPlain: fail("addAttribute NAME##error"); break;
        case AddCheck::kOutput: fail("addAttribute NAME error"); break;
        case AddCheck::kNamed: fail("addAttribute: ATTR"); break;
        case AddCheck::kNone: break;
        }
    }

    void fail(const char* message)
    {
        std::cerr << message << std::endl;
        status_ = MS::kFailure;
    }

    MStatus status_;
};

}  // namespace

MStatus KelArcSliderManipulator::initialize()
{
    typedef MFnNumericData N;
    const MFnUnitAttribute::Type kDistance = MFnUnitAttribute::kDistance;
    const MFnUnitAttribute::Type kAngle = MFnUnitAttribute::kAngle;
    const AddCheck kOutput = AddCheck::kOutput;
    AttributeTable t;

    t.string(connectToAttr, "connectToAttr", "cta", "");
    t.unit(size, "size", "sz", kDistance, 1.0, limits(0.0, 10.0));
    t.unit(radius, "radius", "rd", kDistance, 3.0);
    t.unit(startAngle, "startAngle", "sta", kAngle, 0.28, limits(0.0, 6.3));
    t.unit(endAngle, "endAngle", "eda", kAngle, 6.0, limits(0.0, 6.3));
    t.unit(currentAngle, "currentAngle", "cra", kAngle, 3.1415, limits(0.0, 6.3));
    t.unit(angleOffset, "angleOffset", "aos", kAngle, 0.0);
    t.numeric(angleValue, "angleValue", "avl", N::kFloat, 0.0, kUnlimited, kOutput, false);
    t.affects(currentAngle, angleValue, "attributeAffects:currentAngle->angleValue");
    t.affects(angleOffset, angleValue, "attributeAffects:angleOffset->angleValue");

    t.numeric(displayLabel, "displayLabel", "dlb", N::kBoolean, 1.0);
    t.string(label, "label", "lab", "KelArcSlider");
    t.numeric(labelColorR, "labelColorR", "lcr", N::kFloat, 0.0);
    t.numeric(labelColorG, "labelColorG", "lcg", N::kFloat, 0.0);
    t.numeric(labelColorB, "labelColorB", "lcb", N::kFloat, 0.7);
    t.colour(labelColor, "labelColor", "lc", labelColorR, labelColorG, labelColorB, 0.0f, 0.0f, 0.7f);

    t.numeric(displayValue, "displayValue", "dlv", N::kBoolean, 1.0);
    t.numeric(valueColorR, "valueColorR", "vcr", N::kFloat, 0.0);
    t.numeric(valueColorG, "valueColorG", "vcg", N::kFloat, 0.0);
    t.numeric(valueColorB, "valueColorB", "vcb", N::kFloat, 0.7);
    t.colour(valueColor, "valueColor", "vc", valueColorR, valueColorG, valueColorB, 0.0f, 0.0f, 0.7f);

    t.numeric(displayLine, "displayLine", "dln", N::kBoolean, 1.0);
    t.numeric(lineWidth, "lineWidth", "lwd", N::kShort, 1.0, limits(1.0, 10.0));
    t.numeric(lineColorR, "lineColorR", "lncr", N::kFloat, 0.2);
    t.numeric(lineColorG, "lineColorG", "lncg", N::kFloat, 1.0);
    t.numeric(lineColorB, "lineColorB", "lncb", N::kFloat, 0.0);
    t.colour(lineColor, "lineColor", "lnc", lineColorR, lineColorG, lineColorB, 0.2f, 1.0f, 0.0f);

    t.numeric(snap, "snap", "sp", N::kBoolean, 1.0);
    t.numeric(displaySnap, "displaySnap", "dsp", N::kBoolean, 1.0);
    t.numeric(displaySnapValue, "displaySnapValue", "dspv", N::kBoolean, 1.0);
    t.numeric(snapValue, "snapValue", "spv", N::kDouble, 1.0, limits(0.0, 100.0));
    t.numeric(snapMainValue, "snapMainValue", "spmv", N::kShort, 10.0, limits(0.0, 100.0));
    t.numeric(snapWidth, "snapWidth", "spw", N::kShort, 2.0, limits(1.0, 10.0));
    t.numeric(snapLength, "snapLength", "spl", N::kFloat, 0.2, limits(0.0, 10.0));
    t.numeric(snapColorR, "snapColorR", "spcr", N::kFloat, 0.0);
    t.numeric(snapColorG, "snapColorG", "spcg", N::kFloat, 0.0);
    t.numeric(snapColorB, "snapColorB", "spcb", N::kFloat, 0.8);
    t.colour(snapColor, "snapColor", "spc", snapColorR, snapColorG, snapColorB, 0.0f, 0.0f, 0.8f);

    t.enumeration(headDrawType, "headDrawType", "hdt", 2, kDrawTypes, 3, AddCheck::kNamed);
    t.enumeration(startHeadType, "startHeadType", "sht", 3, kShapeTypes, 7, AddCheck::kNone);
    t.enumeration(endHeadType, "endHeadType", "eht", 3, kShapeTypes, 7, AddCheck::kNone);
    t.numeric(headRadius, "headRadius", "hrd", N::kFloat, 0.2, limits(0.0, 10.0));
    t.numeric(headColorR, "headColorR", "hr", N::kFloat, 1.0);
    t.numeric(headColorG, "headColorG", "hc", N::kFloat, 0.8);
    t.numeric(headColorB, "headColorB", "hb", N::kFloat, 0.0);
    t.colour(headColor, "headColor", "hcl", headColorR, headColorG, headColorB, 1.0f, 0.8f, 0.0f);
    t.numeric(headHeight, "headHeight", "hh", N::kFloat, 1.0, limits(0.0, 5.0));
    t.numeric(headWidth, "headWidth", "hw", N::kFloat, 1.0, limits(0.0, 5.0));
    t.numeric(headDepth, "headDepth", "hd", N::kFloat, 1.0, limits(0.0, 5.0));
    t.numeric(headInnerRadius, "headInnerRadius", "hir", N::kFloat, 0.5, limits(0.0, 2.0));
    t.numeric(headOuterRadius, "headOuterRadius", "hor", N::kFloat, 1.0, limits(0.0, 2.0));
    t.numeric(headSlices, "headSlices", "hsl", N::kShort, 12.0, limits(4.0, 50.0));
    // The default of 2 lies below the minimum of 4; saved scenes rely on it.
    t.numeric(headStacks, "headStacks", "hst", N::kShort, 2.0, limits(4.0, 50.0));

    t.enumeration(handleDrawType, "handleDrawType", "tdt", 2, kDrawTypes, 3, AddCheck::kNamed);
    t.enumeration(handleType, "handleType", "ht", 2, kShapeTypes, 7, AddCheck::kNone);
    t.numeric(handleRadius, "handleRadius", "hard", N::kFloat, 0.15, limits(0.0, 5.0));
    t.numeric(handleColorR, "handleColorR", "har", N::kFloat, 1.0);
    t.numeric(handleColorG, "handleColorG", "hac", N::kFloat, 0.0);
    t.numeric(handleColorB, "handleColorB", "hab", N::kFloat, 0.0);
    t.colour(handleColor, "handleColor", "hacl", handleColorR, handleColorG, handleColorB, 1.0f, 0.0f, 0.0f);
    t.numeric(handleHeight, "handleHeight", "hah", N::kFloat, 1.0, limits(0.0, 5.0));
    t.numeric(handleWidth, "handleWidth", "haw", N::kFloat, 1.0, limits(0.0, 5.0));
    t.numeric(handleDepth, "handleDepth", "had", N::kFloat, 1.0, limits(0.0, 5.0));
    t.numeric(handleInnerRadius, "handleInnerRadius", "hair", N::kFloat, 0.5, limits(0.0, 2.0));
    t.numeric(handleOuterRadius, "handleOuterRadius", "haor", N::kFloat, 1.0, limits(0.0, 2.0));
    t.numeric(handleSlices, "handleSlices", "hasl", N::kShort, 12.0, limits(4.0, 50.0));
    t.numeric(handleStacks, "handleStacks", "hast", N::kShort, 12.0, limits(4.0, 50.0));

    t.toggle(KeyCurrentAngle, "KeyCurrentAngle", "kca", 1.0);
    t.numeric(action, "action", "ac", N::kShort, 0.0, kUnlimited, kOutput, false);
    t.affects(KeyCurrentAngle, action, "attributeAffects:KeyCurrentAngle->action");

    if (!t.ok())
        return t.status();
    MPxManipContainer::addToManipConnectTable(id);
    return MS::kSuccess;
}

// ---------------------------------------------------------------------------
// Evaluation

MStatus KelArcSliderManipulator::compute(const MPlug& plug, MDataBlock& data)
{
    const MObject node = thisMObject();

    if (plug == angleValue) {
        const float offset = readFloat(node, angleOffset);
        const float current = readFloat(node, currentAngle);
        const int snapOn = readInt(node, snap);
        const float step = readFloat(node, snapValue);

        float reading = static_cast<float>(MAngle(current + offset).asDegrees());
        if (snapOn != 0)
            reading = snapping::snapDown(reading, step);

        data.outputValue(angleValue).set(reading);
        data.setClean(plug);
    }

    if (plug == action) {
        // The toggle also changes when a scene is read, when it is animated
        // and when time moves; only a user's own change asks for a key.
        if (keyRequested_) {
            keyRequested_ = false;
            MFnDagNode dagNode(node);
            const MString command =
                MString("evalDeferred \"setKeyframe ") + dagNode.partialPathName() + ".currentAngle\"";
            MGlobal::executeCommand(command, false, false);
            // Written through the data block so that switching the toggle off
            // does not dirty "action" again: one request, one key.
            data.outputValue(KeyCurrentAngle).set(0.0);
        }
        data.setClean(plug);
    }

    return MS::kSuccess;
}

bool KelArcSliderManipulator::setInternalValue(const MPlug& plug, const MDataHandle&)
{
    // The host offers this node every setAttr, MPlug::setValue and drag of the
    // toggle, also the setAttr statements of a file being read; values from
    // connections never come here.
    if (plug == KeyCurrentAngle && !MFileIO::isReadingFile())
        keyRequested_ = true;
    return false;  // the host stores the value as usual
}

// ---------------------------------------------------------------------------
// Drawing

namespace {

// Size parameters shared by the head and handle shape constructors.
struct ShapeSizes {
    float radius, height, width, depth, innerRadius, outerRadius;
    int slices, stacks;
};

ShapeSizes readSizes(const MObject& node, const MObject& radius, const MObject& height,
                     const MObject& width, const MObject& depth, const MObject& inner,
                     const MObject& outer, const MObject& slices, const MObject& stacks)
{
    ShapeSizes s;
    s.radius = readFloat(node, radius);
    s.height = readFloat(node, height);
    s.width = readFloat(node, width);
    s.depth = readFloat(node, depth);
    s.innerRadius = readFloat(node, inner);
    s.outerRadius = readFloat(node, outer);
    s.slices = readInt(node, slices);
    s.stacks = readInt(node, stacks);
    return s;
}

// A code the enumeration cannot hold yields an empty shape, so nothing is
// drawn in that place and the group still owns three valid shapes.
Shape* makeShape(int code, const ShapeSizes& s)
{
    switch (code) {
    case 1: return new CubeShape(s.radius);
    case 2: return new SphereShape(s.radius, s.slices, s.stacks);
    case 3: return new ConeShape(s.radius, s.height, s.slices, s.stacks);
    case 4: return new TorusShape(s.innerRadius, s.outerRadius, s.slices, s.stacks);
    case 5: return new RectangleShape(s.height, s.width, s.depth);
    case 6: return new CylinderShape(s.depth, s.innerRadius, s.outerRadius, s.slices, s.stacks);
    default: return new NoShape();
    }
}

ShapeMaterial makeMaterial(const MColor& c)
{
    const float ambient[4] = {0.5f * c.r, 0.5f * c.g, 0.5f * c.b, 1.0f};
    const float diffuse[4] = {c.r, c.g, c.b, 1.0f};
    const float specular[4] = {0.1f, 0.1f, 0.1f, 1.0f};
    return ShapeMaterial(ambient, diffuse, specular, 10.0f);
}

// With "radius" 0 the axis through a head has no direction; such a rotation
// is undefined in GL, so it becomes no rotation at all.
ShapeRotate makeRotate(double angle, const MVector& axis)
{
    const double length = axis.length();
    if (!(length > 0.0) || !std::isfinite(length))
        return ShapeRotate(0.0, MVector(0.0, 1.0, 0.0));
    return ShapeRotate(angle, axis);
}

MVector arcPoint(float radius, float angle)
{
    return MVector(radius * std::cos(angle), 0.0, -radius * std::sin(angle));
}

MColor readColour(const MObject& node, const MObject& r, const MObject& g, const MObject& b)
{
    return MColor(readFloat(node, r), readFloat(node, g), readFloat(node, b), 1.0f);
}

MString degreesText(double radians)
{
    MString text;
    text.set(MAngle(radians).asDegrees(), 2);
    return text;
}

}  // namespace

void KelArcSliderManipulator::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle style,
                                   M3dView::DisplayStatus)
{
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
    const MColor headRGB = readColour(node, headColorR, headColorG, headColorB);
    const MColor handleRGB = readColour(node, handleColorR, handleColorG, handleColorB);
    const float lineWidthV = readFloat(node, lineWidth);
    const float snapLengthV = readFloat(node, snapLength);
    const float snapValueV = readFloat(node, snapValue);
    const float displayLineV = readFloat(node, displayLine);
    const float displayLabelV = readFloat(node, displayLabel);
    const int displayValueV = readInt(node, displayValue);
    const int displaySnapV = readInt(node, displaySnap);
    const int displaySnapValueV = readInt(node, displaySnapValue);
    const int snapWidthV = readInt(node, snapWidth);
    const float snapMainValueV = static_cast<float>(readInt(node, snapMainValue));
    const int headDrawTypeV = readInt(node, headDrawType);
    const int handleDrawTypeV = readInt(node, handleDrawType);
    const int startHeadTypeV = readInt(node, startHeadType);
    const int endHeadTypeV = readInt(node, endHeadType);
    const int handleTypeV = readInt(node, handleType);
    const ShapeSizes headSizes = readSizes(node, headRadius, headHeight, headWidth, headDepth,
                                           headInnerRadius, headOuterRadius, headSlices, headStacks);
    const ShapeSizes handleSizes =
        readSizes(node, handleRadius, handleHeight, handleWidth, handleDepth, handleInnerRadius,
                  handleOuterRadius, handleSlices, handleStacks);
    const MString labelText = readString(node, label);

    const MVector H = arcPoint(radiusV, current);
    const MVector S = arcPoint(radiusV, start);
    const MVector E = arcPoint(radiusV, end);

    const ShapeMaterial headMaterial = makeMaterial(headRGB);
    const ShapeMaterial handleMaterial = makeMaterial(handleRGB);

    const ShapeScale scale(sizeV, sizeV, sizeV);
    const ShapeRotate startRotate = makeRotate(90.0, S);
    const ShapeRotate endRotate = makeRotate(-90.0, E);
    const ShapeTransform startTransform(startRotate, ShapeTranslate(S.x, S.y, S.z), scale);
    const ShapeTransform endTransform(endRotate, ShapeTranslate(E.x, E.y, E.z), scale);
    // The handle turns with the end head, not about its own position.
    const ShapeTransform handleTransform(endRotate, ShapeTranslate(H.x, H.y, H.z), scale);

    Shape* handleShape = makeShape(handleTypeV, handleSizes);
    Shape* startShape = makeShape(startHeadTypeV, headSizes);
    Shape* endShape = makeShape(endHeadTypeV, headSizes);
    handleShape->set(handleTypeV, handleDrawTypeV, handleTransform, handleMaterial);
    startShape->set(startHeadTypeV, headDrawTypeV, startTransform, headMaterial);
    endShape->set(endHeadTypeV, headDrawTypeV, endTransform, headMaterial);

    ShapeGroup group;
    group.set(handleShape, startShape, endShape);

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
    if (displayLabelV == 1.0f)
        view.drawText(labelText, MPoint(0.0, 0.0, 0.0), M3dView::kCenter);

    if (displaySnapV == 1 && snapValueV != 0.0f && displayValueV != 0) {
        ArcSnapScale* scaleMarks = new ArcSnapScale(
            radiusV, sizeV, start, end, offset, snapValueV, snapMainValueV, displaySnapValueV,
            snapWidthV, snapLengthV, snapRGB, valueRGB);
        scaleMarks->draw(view, style);
        delete scaleMarks;
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
