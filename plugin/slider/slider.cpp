// KelSliderManipulator: attributes, evaluation and drawing of the linear slider.

#include "slider/slider.h"

#include "shapes.h"
#include "snapping.h"
#include "slider/snap_scale.h"

#include <maya/MAngle.h>
#include <maya/MColor.h>
#include <maya/MDGContext.h>
#include <maya/MDataHandle.h>
#include <maya/MDistance.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnData.h>
#include <maya/MFileIO.h>
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
#include <initializer_list>
#include <iostream>
#include <utility>

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

KelSliderManipulator::KelSliderManipulator() {}
KelSliderManipulator::~KelSliderManipulator() {}

void* KelSliderManipulator::creator()
{
    return new KelSliderManipulator();
}

float KelSliderManipulator::readValue(const MObject& node, const MObject& attribute)
{
    // Every number goes through MDistance, booleans and enums included; the
    // slider works in single precision throughout.
    MDistance value;
    MPlug(node, attribute).getValue(value, MDGContext::fsNormal);
    return static_cast<float>(value.value());
}

// ---------------------------------------------------------------------------
// Attributes

namespace {

// initialize's failure lines. Fixed texts that users and scripts know; they
// do not name the attribute.
const char* const kNumericCreateError = "numeric attr create error";
const char* const kDistanceCreateError = "distance attr create error";
const char* const kAddError = "addAttribute NAME##error";
const char* const kAddOutputError = "addAttribute NAME error";
const char* const kAddListError = "addAttribute: ATTR";

using Fields = std::initializer_list<std::pair<const char*, short>>;
const Fields kSnapModes = {{"None", 0}, {"Ratio", 1}, {"Distance", 2}, {"Position", 3}};
const Fields kDrawTypes = {{"Wire", 0}, {"Solid", 1}, {"Smooth", 2}};
// Stored exactly as spelled; saved scenes carry these names.
const Fields kShapeTypes = {{"none", 0}, {"Cube", 1}, {"Sphere", 2}, {"Cone", 3},
                            {"torus", 4}, {"rectangle", 5}, {"cylinder", 6}};

enum class Keyable { yes, no, untilAdded };

// Hard limits. Three attributes get theirs after they are added; the host
// honours them all the same, but the call order is kept as it always was.
struct Limits {
    bool set = false;
    double min = 0.0, max = 0.0;
    bool afterAdd = false;
};
const Limits kNoLimits;
Limits range(double lo, double hi) { return {true, lo, hi, false}; }
Limits rangeAfterAdd(double lo, double hi) { return {true, lo, hi, true}; }

// Builds a node's attributes in order. The first reported failure prints its
// line and turns every later call into a no-op, so initialize stops there with
// the attributes added so far left in place.
class AttributeTable {
public:
    bool ok() const { return ok_; }

    void text(MObject& handle, const char* name, const char* shortName, const char* value)
    {
        if (!ok_) return;
        MFnTypedAttribute fn;
        MFnStringData data;
        MObject initial = data.create(MString(value));
        handle = fn.create(name, shortName, MFnData::kString, initial);
        fn.setDefault(initial);
        fn.setKeyable(true);
        add(handle, kAddListError);
    }

    void distance(MObject& handle, const char* name, const char* shortName, double value,
                  Limits limits = kNoLimits)
    {
        if (!ok_) return;
        MFnUnitAttribute fn;
        MStatus status;
        handle = fn.create(name, shortName, MFnUnitAttribute::kDistance, value, &status);
        if (!check(status, kDistanceCreateError)) return;
        numFlags(fn, Keyable::yes);
        limit(fn, limits, false);
        if (!add(handle, kAddError)) return;
        limit(fn, limits, true);
    }

    void number(MObject& handle, const char* name, const char* shortName,
                MFnNumericData::Type type, double value, Limits limits = kNoLimits,
                Keyable keyable = Keyable::yes, const char* addError = kAddError)
    {
        if (!ok_) return;
        MFnNumericAttribute fn;
        MStatus status;
        handle = fn.create(name, shortName, type, value, &status);
        if (!check(status, kNumericCreateError)) return;
        numFlags(fn, keyable);
        limit(fn, limits, false);
        if (!add(handle, addError)) return;
        limit(fn, limits, true);
        if (keyable == Keyable::untilAdded) fn.setKeyable(false);
    }

    // A key toggle: a keyable boolean made internal, so the node hears of
    // each change a user makes to it (and of no other change).
    void toggle(MObject& handle, const char* name, const char* shortName, double value)
    {
        if (!ok_) return;
        MFnNumericAttribute fn;
        MStatus status;
        handle = fn.create(name, shortName, MFnNumericData::kBoolean, value, &status);
        if (!check(status, kNumericCreateError)) return;
        numFlags(fn, Keyable::yes);
        fn.setInternal(true);
        add(handle, kAddError);
    }

    // Computed results: not keyable, and their add failures have a message of
    // their own.
    void output(MObject& handle, const char* name, const char* shortName, double value,
                Limits limits = kNoLimits)
    {
        number(handle, name, shortName, MFnNumericData::kFloat, value, limits, Keyable::no,
               kAddOutputError);
    }

    // addError null: the add's status is not examined.
    void list(MObject& handle, const char* name, const char* shortName, short value,
              Fields fields, const char* addError)
    {
        if (!ok_) return;
        MFnEnumAttribute fn;
        handle = fn.create(name, shortName, value);
        for (const auto& field : fields) fn.addField(field.first, field.second);
        fn.setStorable(true);
        fn.setKeyable(true);
        add(handle, addError);
    }

    // A colour (or point) over the three children added just before it.
    template <typename T>
    void compound(MObject& handle, const char* name, const char* shortName, const MObject& x,
                  const MObject& y, const MObject& z, T dx, T dy, T dz)
    {
        if (!ok_) return;
        MFnNumericAttribute fn;
        handle = fn.create(name, shortName, x, y, z);
        fn.setStorable(true);
        fn.setUsedAsColor(true);
        fn.setReadable(true);
        fn.setWritable(true);
        fn.setDefault(dx, dy, dz);
        add(handle, nullptr);
    }

    // error null: the declaration's status is not examined.
    void affects(const MObject& whenChanges, const MObject& isAffected, const char* error = nullptr)
    {
        if (!ok_) return;
        MStatus status = MPxNode::attributeAffects(whenChanges, isAffected);
        if (error) check(status, error);
    }

private:
    bool check(const MStatus& status, const char* message)
    {
        if (status != MS::kSuccess) {
            std::cerr << message << std::endl;
            ok_ = false;
        }
        return ok_;
    }

    bool add(const MObject& handle, const char* error)
    {
        MStatus status = MPxNode::addAttribute(handle);
        return error ? check(status, error) : true;
    }

    static void numFlags(MFnAttribute& fn, Keyable keyable)
    {
        fn.setArray(false);
        fn.setUsesArrayDataBuilder(false);
        fn.setHidden(false);
        fn.setKeyable(keyable != Keyable::no);
    }

    template <typename Fn>
    static void limit(Fn& fn, const Limits& limits, bool afterAdd)
    {
        if (!limits.set || limits.afterAdd != afterAdd) return;
        fn.setMin(limits.min);
        fn.setMax(limits.max);
    }

    bool ok_ = true;
};

}  // namespace

MStatus KelSliderManipulator::initialize()
{
    using N = MFnNumericData;
    AttributeTable t;

    t.text    (connectToAttr,    "connectToAttr",    "cta",  "");
    t.distance(size,             "size",             "sz",   1.0, rangeAfterAdd(0.0, 10.0));
    t.distance(posHandle,        "posHandle",        "hp",   2.5);
    t.output  (distance,         "distance",         "d",    5.0);
    t.output  (ratio,            "ratio",            "ra",   0.5, rangeAfterAdd(0.0, 1.0));
    t.number  (startValue,       "startValue",       "svl",  N::kFloat, 0.0);
    t.number  (endValue,         "endValue",         "evl",  N::kFloat, 10.0);
    t.output  (currentValue,     "currentValue",     "cvl",  5.0);

    t.number  (displayLabel,     "displayLabel",     "dlb",  N::kBoolean, 1.0);
    t.text    (label,            "label",            "lab",  "KelSlider");
    t.number  (labelColorR,      "labelColorR",      "lcr",  N::kFloat, 0.0);
    t.number  (labelColorG,      "labelColorG",      "lcg",  N::kFloat, 0.0);
    t.number  (labelColorB,      "labelColorB",      "lcb",  N::kFloat, 0.7);
    t.compound(labelColor,       "labelColor",       "lc",   labelColorR, labelColorG, labelColorB, 0.0f, 0.0f, 0.7f);

    t.list    (displayValue,     "displayValue",     "dvl",  1, kSnapModes, kAddListError);
    t.number  (valueColorR,      "valueColorR",      "vcr",  N::kFloat, 0.0);
    t.number  (valueColorG,      "valueColorG",      "vcg",  N::kFloat, 0.0);
    t.number  (valueColorB,      "valueColorB",      "vcb",  N::kFloat, 0.7);
    t.compound(valueColor,       "valueColor",       "vc",   valueColorR, valueColorG, valueColorB, 0.0f, 0.0f, 0.7f);

    t.number  (displayLine,      "displayLine",      "dln",  N::kBoolean, 1.0);
    t.number  (lineWidth,        "lineWidth",        "lwd",  N::kShort, 1.0, range(1.0, 10.0));
    t.number  (lineColorR,       "lineColorR",       "lncr", N::kFloat, 0.2);
    t.number  (lineColorG,       "lineColorG",       "lncg", N::kFloat, 1.0);
    t.number  (lineColorB,       "lineColorB",       "lncb", N::kFloat, 0.0);
    t.compound(lineColor,        "lineColor",        "lnc",  lineColorR, lineColorG, lineColorB, 0.2f, 1.0f, 0.0f);

    t.list    (snap,             "snap",             "sp",   0, kSnapModes, kAddListError);
    t.number  (displaySnap,      "displaySnap",      "dsp",  N::kBoolean, 1.0);
    t.number  (displaySnapValue, "displaySnapValue", "dspv", N::kBoolean, 1.0);
    t.number  (snapValue,        "snapValue",        "spv",  N::kDouble, 0.1, range(0.0, 100.0));
    t.number  (snapMainValue,    "snapMainValue",    "spmv", N::kShort, 10.0, range(0.0, 100.0));
    t.number  (snapWidth,        "snapWidth",        "spw",  N::kShort, 2.0, range(1.0, 10.0));
    t.number  (snapLength,       "snapLength",       "spl",  N::kFloat, 0.2, range(0.0, 10.0));
    t.number  (snapColorR,       "snapColorR",       "spcr", N::kFloat, 0.0);
    t.number  (snapColorG,       "snapColorG",       "spcg", N::kFloat, 0.0);
    t.number  (snapColorB,       "snapColorB",       "spcb", N::kFloat, 0.8);
    t.compound(snapColor,        "snapColor",        "spc",  snapColorR, snapColorG, snapColorB, 0.0f, 0.0f, 0.8f);

    t.number  (posStartX,        "posStartX",        "psx",  N::kDouble, 0.0);
    t.number  (posStartY,        "posStartY",        "psy",  N::kDouble, 0.0);
    t.number  (posStartZ,        "posStartZ",        "psz",  N::kDouble, 0.0);
    t.compound(posStart,         "posStart",         "ps",   posStartX, posStartY, posStartZ, 0.0f, 0.0f, 0.0f);
    t.number  (posEndX,          "posEndX",          "pex",  N::kDouble, 0.0);
    t.number  (posEndY,          "posEndY",          "pey",  N::kDouble, 5.0);
    t.number  (posEndZ,          "posEndZ",          "pez",  N::kDouble, 0.0);
    // The tiny Z keeps the default track off the Y axis, where the heads'
    // rotation axis would vanish. It reaches "posEndZ" through the compound.
    t.compound(posEnd,           "posEnd",           "pe",   posEndX, posEndY, posEndZ, 0.0, 5.0, 1e-9);

    // The track and the handle drive the three results. "snap" and
    // "snapValue" are read by the ratio but deliberately do not dirty it: a new
    // snapping shows at the next move of the handle or the track.
    t.affects(posStartX,    posStart);
    t.affects(posStartY,    posStart);
    t.affects(posStartZ,    posStart);
    t.affects(posStart,     distance);
    t.affects(posEndX,      posEnd);
    t.affects(posEndY,      posEnd);
    t.affects(posEndZ,      posEnd);
    t.affects(posEnd,       distance);
    t.affects(distance,     ratio,        "attributeAffects:distance->ratio");
    t.affects(posHandle,    ratio,        "attributeAffects:posHandle->ratio");
    t.affects(ratio,        currentValue, "attributeAffects:ratio->currentValue");
    t.affects(startValue,   currentValue, "attributeAffects:startValue->currentValue");
    t.affects(endValue,     currentValue, "attributeAffects:endValue->currentValue");
    t.affects(posHandle,    currentValue, "attributeAffects:posHandle->currentValue");

    t.list    (headDrawType,     "headDrawType",     "hdt",  2, kDrawTypes, kAddListError);
    t.list    (startHeadType,    "startHeadType",    "sht",  3, kShapeTypes, nullptr);
    t.list    (endHeadType,      "endHeadType",      "eht",  3, kShapeTypes, nullptr);
    t.number  (headRadius,       "headRadius",       "hrd",  N::kFloat, 0.2, rangeAfterAdd(0.0, 10.0));
    t.number  (headColorR,       "headColorR",       "hr",   N::kFloat, 1.0);
    t.number  (headColorG,       "headColorG",       "hc",   N::kFloat, 0.8);
    t.number  (headColorB,       "headColorB",       "hb",   N::kFloat, 0.0);
    t.compound(headColor,        "headColor",        "hcl",  headColorR, headColorG, headColorB, 1.0f, 0.8f, 0.0f);
    t.number  (headHeight,       "headHeight",       "hh",   N::kFloat, 1.0, range(0.0, 5.0));
    t.number  (headWidth,        "headWidth",        "hw",   N::kFloat, 1.0, range(0.0, 5.0));
    t.number  (headDepth,        "headDepth",        "hd",   N::kFloat, 1.0, range(0.0, 5.0));
    t.number  (headInnerRadius,  "headInnerRadius",  "hir",  N::kFloat, 0.5, range(0.0, 2.0));
    t.number  (headOuterRadius,  "headOuterRadius",  "hor",  N::kFloat, 1.0, range(0.0, 2.0));
    t.number  (headSlices,       "headSlices",       "hsl",  N::kShort, 12.0, range(4.0, 50.0));
    // Below its own minimum on purpose: saved scenes carry the 2.
    t.number  (headStacks,       "headStacks",       "hst",  N::kShort, 2.0, range(4.0, 50.0));

    t.list    (handleDrawType,   "handleDrawType",   "tdt",  2, kDrawTypes, kAddListError);
    t.list    (handleType,       "handleType",       "ht",   2, kShapeTypes, nullptr);
    t.number  (handleRadius,     "handleRadius",     "hard", N::kFloat, 0.15, range(0.0, 5.0));
    t.number  (handleColorR,     "handleColorR",     "har",  N::kFloat, 1.0);
    t.number  (handleColorG,     "handleColorG",     "hac",  N::kFloat, 0.0);
    t.number  (handleColorB,     "handleColorB",     "hab",  N::kFloat, 0.0);
    t.compound(handleColor,      "handleColor",      "hacl", handleColorR, handleColorG, handleColorB, 1.0f, 0.0f, 0.0f);
    t.number  (handleHeight,     "handleHeight",     "hah",  N::kFloat, 1.0, range(0.0, 5.0));
    t.number  (handleWidth,      "handleWidth",      "haw",  N::kFloat, 1.0, range(0.0, 5.0));
    t.number  (handleDepth,      "handleDepth",      "had",  N::kFloat, 1.0, range(0.0, 5.0));
    t.number  (handleInnerRadius,"handleInnerRadius","hair", N::kFloat, 0.5, range(0.0, 2.0));
    t.number  (handleOuterRadius,"handleOuterRadius","haor", N::kFloat, 1.0, range(0.0, 2.0));
    t.number  (handleSlices,     "handleSlices",     "hasl", N::kShort, 12.0, range(4.0, 50.0));
    t.number  (handleStacks,     "handleStacks",     "hast", N::kShort, 12.0, range(4.0, 50.0));

    t.toggle  (KeyCurrentValue,  "KeyCurrentValue",  "kcv",  0.0);
    t.number  (action,           "action",           "act",  N::kShort, 0.0, kNoLimits, Keyable::untilAdded);
    t.affects (KeyCurrentValue, action, "attributeAffects:KeyCurrentValue->action");

    if (!t.ok()) return MS::kFailure;

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
float snapRatio(int mode, float r, float step, float range, float d)
{
    switch (mode) {
    case 1:  // "Ratio": steps of the ratio itself
        return snapping::snapDown(r, step);
    case 2: {  // "Distance": the handle's distance snapped to steps of length
        if (step == 0.0f) return r;
        const float snapped = snapping::wholeSteps(r * d / step) * (step / d);
        return std::isfinite(snapped) ? snapped : r;
    }
    case 3:  // "Position": steps of value, over the whole-number range
        if (range == 0.0f) return r;
        return snapping::snapDown(r, step / range);
    default:
        return r;
    }
}

}  // namespace

MStatus KelSliderManipulator::compute(const MPlug& plug, MDataBlock& data)
{
    const MObject self = thisMObject();
    auto read = [&](const MObject& attribute) { return readValue(self, attribute); };
    auto write = [&](const MObject& attribute, float value) {
        data.outputValue(attribute).set(value);
        data.setClean(plug);
    };

    if (plug == currentValue) {
        const float sv = read(startValue);
        const float ev = read(endValue);
        const float r = read(ratio);
        write(currentValue, sv + r * (ev - sv));
    } else if (plug == distance) {
        const float sx = read(posStartX), sy = read(posStartY), sz = read(posStartZ);
        const float ex = read(posEndX), ey = read(posEndY), ez = read(posEndZ);
        const MVector track = MVector(ex, ey, ez) - MVector(sx, sy, sz);
        write(distance, static_cast<float>(track.length()));
    } else if (plug == ratio) {
        const int mode = static_cast<int>(read(snap));
        const float step = read(snapValue);
        const float sv = read(startValue);
        const float ev = read(endValue);
        const float h = read(posHandle);
        float d = read(distance);
        // Whole units of value: a range of 9.7 counts as 9.
        const float range = std::trunc(std::fabs(ev - sv));
        if (d == 0.0f) d = 1e-8f;
        write(ratio, snapRatio(mode, h / d, step, range, d));
    } else if (plug == action) {
        // The toggle also changes when a scene is read, when it is animated
        // and when time moves; only a user's own change asks for a key.
        if (keyRequested_) {
            keyRequested_ = false;
            // Key the handle once the host is idle; keying from inside an
            // evaluation would re-enter the graph.
            MFnDagNode dagNode(self);
            const MString command =
                MString("evalDeferred \"setKeyframe ") + dagNode.partialPathName() + ".hp\"";
            MGlobal::executeCommand(command, false, false);
            // The request switches itself off without dirtying anything.
            data.outputValue(KeyCurrentValue).set(0.0);
        }
        data.setClean(plug);
    }
    return MS::kSuccess;
}

bool KelSliderManipulator::setInternalValue(const MPlug& plug, const MDataHandle&)
{
    // The host offers this node every setAttr, MPlug::setValue and drag of the
    // toggle, also the setAttr statements of a file being read; values from
    // connections never come here.
    if (plug == KeyCurrentValue && !MFileIO::isReadingFile()) keyRequested_ = true;
    return false;  // the host stores the value as usual
}

// ---------------------------------------------------------------------------
// Drawing

namespace {

// Size parameters shared by the two heads, or those of the handle.
struct ShapeParams {
    float radius;
    int slices;
    int stacks;
    float height;
    float width;
    float depth;
    float innerRadius;
    float outerRadius;
};

// By the shape-type enum. The rectangle and the cylinder take their
// parameters crossed (height as width, depth as length); saved rigs look
// the way they do because of it. A value outside the enum draws nothing
// rather than leaving the group a shape short.
Shape* makeShape(int type, const ShapeParams& p)
{
    switch (type) {
    case 1: return new CubeShape(p.radius);
    case 2: return new SphereShape(p.radius, p.slices, p.stacks);
    case 3: return new ConeShape(p.radius, p.height, p.slices, p.stacks);
    case 4: return new TorusShape(p.innerRadius, p.outerRadius, p.slices, p.stacks);
    case 5: return new RectangleShape(p.height, p.width, p.depth);
    case 6: return new CylinderShape(p.depth, p.innerRadius, p.outerRadius, p.slices, p.stacks);
    default: return new NoShape();
    }
}

ShapeMaterial makeMaterial(float r, float g, float b)
{
    const float ambient[4] = {0.5f * r, 0.5f * g, 0.5f * b, 1.0f};
    const float diffuse[4] = {r, g, b, 1.0f};
    const float specular[4] = {0.1f, 0.1f, 0.1f, 1.0f};
    return ShapeMaterial(ambient, diffuse, specular, 10.0f);
}

ShapeTransform placement(const MVector& at, double degrees, const MVector& axis, float scale)
{
    return ShapeTransform(ShapeRotate(degrees, axis),
                          ShapeTranslate(static_cast<float>(at.x), static_cast<float>(at.y),
                                         static_cast<float>(at.z)),
                          ShapeScale(scale, scale, scale));
}

// At most five characters: the host's formatting cut after position 4.
MString valueText(float value)
{
    MString text;
    text.set(static_cast<double>(value));
    return text.substring(0, 4);
}

}  // namespace

void KelSliderManipulator::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle style,
                                M3dView::DisplayStatus)
{
    const MObject self = thisMObject();
    auto read = [&](const MObject& attribute) { return readValue(self, attribute); };
    auto readInt = [&](const MObject& attribute) { return static_cast<int>(read(attribute)); };

    // Everything is read afresh, in this order; reading "distance" and
    // "ratio" computes them first when they are dirty.
    const float sz = read(size);
    const float sv = read(startValue);
    const float ev = read(endValue);
    const float cv = read(currentValue);
    const float showLabel = read(displayLabel);
    const MColor labelRgb(read(labelColorR), read(labelColorG), read(labelColorB), 1.0f);
    MString labelText;
    MPlug(self, label).getValue(labelText, MDGContext::fsNormal);
    const int valueMode = readInt(displayValue);
    const MColor valueRgb(read(valueColorR), read(valueColorG), read(valueColorB), 1.0f);
    const float showLine = read(displayLine);
    const int lineWidthPx = readInt(lineWidth);
    const MColor lineRgb(read(lineColorR), read(lineColorG), read(lineColorB), 1.0f);
    const int snapMode = readInt(snap);
    const int showSnap = readInt(displaySnap);
    const int showSnapValues = readInt(displaySnapValue);
    const int snapWidthPx = readInt(snapWidth);
    const float snapLen = read(snapLength);
    const float snapStep = read(snapValue);
    const int snapMain = readInt(snapMainValue);
    const MColor snapRgb(read(snapColorR), read(snapColorG), read(snapColorB), 1.0f);
    const float psx = read(posStartX), psy = read(posStartY), psz = read(posStartZ);
    const float pex = read(posEndX), pey = read(posEndY), pez = read(posEndZ);
    const float dist = read(distance);
    const float r = read(ratio);
    const int headStyle = readInt(headDrawType);
    const int handleStyle = readInt(handleDrawType);
    const int startType = readInt(startHeadType);
    const int endType = readInt(endHeadType);
    const int handleShape = readInt(handleType);
    ShapeParams head{};
    head.radius = read(headRadius);
    const float hr = read(headColorR), hg = read(headColorG), hb = read(headColorB);
    head.slices = readInt(headSlices);
    head.stacks = readInt(headStacks);
    head.height = read(headHeight);
    head.width = read(headWidth);
    head.depth = read(headDepth);
    head.innerRadius = read(headInnerRadius);
    head.outerRadius = read(headOuterRadius);
    ShapeParams handle{};
    handle.radius = read(handleRadius);
    const float ar = read(handleColorR), ag = read(handleColorG), ab = read(handleColorB);
    handle.slices = readInt(handleSlices);
    handle.stacks = readInt(handleStacks);
    handle.height = read(handleHeight);
    handle.width = read(handleWidth);
    handle.depth = read(handleDepth);
    handle.innerRadius = read(handleInnerRadius);
    handle.outerRadius = read(handleOuterRadius);

    const ShapeMaterial headMaterial = makeMaterial(hr, hg, hb);
    const ShapeMaterial handleMaterial = makeMaterial(ar, ag, ab);

    const MVector S(psx, psy, psz);
    const MVector E(pex, pey, pez);
    const MVector d = E - S;
    MVector u = d;
    u.normalize();
    const float h = head.height;
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

    Shape* handleShapeObj = makeShape(handleShape, handle);
    handleShapeObj->set(static_cast<short>(handleShape), static_cast<short>(handleStyle),
                        placement(handleOffset, deg, axis, sz), handleMaterial);
    Shape* startHead = makeShape(startType, head);
    startHead->set(static_cast<short>(startType), static_cast<short>(headStyle),
                   placement(S, deg - 180.0, axis, sz), headMaterial);
    Shape* endHead = makeShape(endType, head);
    endHead->set(static_cast<short>(endType), static_cast<short>(headStyle),
                 placement(E, deg, axis, sz), headMaterial);
    ShapeGroup group;
    group.set(handleShapeObj, startHead, endHead);

    view.beginGL();
    group.draw(view, style);

    // The line runs up local Y from the origin whatever "posStart" says.
    if (showLine == 1.0f) {
        view.setDrawColor(lineRgb);
        glPushAttrib(GL_LINE_BIT);
        glLineWidth(static_cast<float>(lineWidthPx));
        glBegin(GL_LINES);
        glVertex3f(0.0f, 0.0f, 0.0f);
        glVertex3f(0.0f, pey * sz, 0.0f);
        glEnd();
        glPopAttrib();
    }

    // Graduations also need a value display other than "None".
    if (showSnap == 1 && snapMode != 0 && snapStep != 0.0f && valueMode != 0) {
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
        LinearSnapScale* scale = new LinearSnapScale(p);
        scale->draw(view, style);
        delete scale;
    }

    view.setDrawColor(labelRgb);
    if (showLabel == 1.0f) view.drawText(labelText, MPoint(labelPoint), M3dView::kCenter);

    if (valueMode != 0) {
        view.setDrawColor(valueRgb);
        if (valueMode == 3) {
            const float third = sz * 0.33333334f;
            view.drawText(valueText(cv), MPoint(valuePoint), M3dView::kCenter);
            // The start text is not scaled by size, the end text is.
            view.drawText(valueText(sv), MPoint(S.x, S.y, S.z - third), M3dView::kCenter);
            view.drawText(valueText(ev), MPoint(sz * E.x, sz * E.y, sz * E.z - third),
                          M3dView::kCenter);
        } else if (valueMode == 1) {
            view.drawText(valueText(r), MPoint(valuePoint), M3dView::kCenter);
        } else if (valueMode == 2) {
            view.drawText(valueText(dist), MPoint(valuePoint), M3dView::kCenter);
        } else {
            view.drawText(MString(), MPoint(valuePoint), M3dView::kCenter);
        }
    }

    view.endGL();
}
