#include "locator.h"
#include "shapes.h"

#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnStringData.h>
#include <maya/MFnData.h>
#include <maya/MDGContext.h>
#include <maya/MDistance.h>
#include <maya/MString.h>
#include <maya/MColor.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <initializer_list>
#include <iostream>
#include <new>

MTypeId KelPrimitiveLocator::id(0x80020);

MObject KelPrimitiveLocator::displayLabel;
MObject KelPrimitiveLocator::label;
MObject KelPrimitiveLocator::labelColorR;
MObject KelPrimitiveLocator::labelColorG;
MObject KelPrimitiveLocator::labelColorB;
MObject KelPrimitiveLocator::labelColor;
MObject KelPrimitiveLocator::colorR;
MObject KelPrimitiveLocator::colorG;
MObject KelPrimitiveLocator::colorB;
MObject KelPrimitiveLocator::color;
MObject KelPrimitiveLocator::type;
MObject KelPrimitiveLocator::drawType;
MObject KelPrimitiveLocator::radius;
MObject KelPrimitiveLocator::slices;
MObject KelPrimitiveLocator::stacks;
MObject KelPrimitiveLocator::width;
MObject KelPrimitiveLocator::height;
MObject KelPrimitiveLocator::depth;
MObject KelPrimitiveLocator::innerRadius;
MObject KelPrimitiveLocator::outerRadius;

namespace {

// The "type" enum's values.
enum ShapeType {
    kCube = 1,
    kSphere = 2,
    kCone = 3,
    kTorus = 4,
    kRectangle = 5,
    kCylinder = 6,
};

// Add-failure texts. They are fixed lines that users and scripts already know;
// NAME and ATTR are printed literally, not replaced.
const char* const kNameHashError = "addAttribute NAME##error";
const char* const kNameError = "addAttribute NAME error";
const char* const kAttrError = "addAttribute: ATTR";

struct Field {
    const char* name;
    short value;
};

struct Limits {
    bool set;
    double min;
    double max;
};

const Limits kNoLimits = {false, 0.0, 0.0};

Limits range(double min, double max) { return {true, min, max}; }

bool report(const char* message)
{
    std::cerr << message << std::endl;
    return false;
}

// Builds the node's attributes one row at a time. Each builder creates the
// attribute into its handle, sets its flags, adds it, and returns false after
// printing the row's message when a step whose result counts fails.
// MPxNode::addAttribute is protected, so the node hands it in.
class AttributeTable {
public:
    using AddFunction = MStatus (*)(const MObject&);
    explicit AttributeTable(AddFunction add) : add_(add) {}

    // Keyable, plain (non-array) number. Limits can only be set through the
    // function set once the attribute is added; they still take effect.
    bool numeric(MObject& handle, const char* longName, const char* shortName,
                 MFnNumericData::Type numericType, double defaultValue, const char* addError,
                 Limits limits = kNoLimits)
    {
        MFnNumericAttribute fn;
        MStatus status;
        handle = fn.create(longName, shortName, numericType, defaultValue, &status);
        if (!status)
            return report("numeric attr create error");
        fn.setArray(false);
        fn.setUsesArrayDataBuilder(false);
        fn.setHidden(false);
        fn.setKeyable(true);
        if (!add_(handle))
            return report(addError);
        if (limits.set) {
            fn.setMin(limits.min);
            fn.setMax(limits.max);
        }
        return true;
    }

    // Colour over three channels added just before. Its creation and add
    // results are not examined: the channels alone carry the values.
    bool colour(MObject& handle, const char* longName, const char* shortName, const MObject& r,
                const MObject& g, const MObject& b, float dr, float dg, float db)
    {
        MFnNumericAttribute fn;
        handle = fn.create(longName, shortName, r, g, b);
        fn.setStorable(true);
        fn.setUsedAsColor(true);
        fn.setReadable(true);
        fn.setWritable(true);
        fn.setDefault(dr, dg, db);
        add_(handle);
        return true;
    }

    bool text(MObject& handle, const char* longName, const char* shortName,
              const char* defaultText, const char* addError)
    {
        MFnTypedAttribute fn;
        handle = fn.create(longName, shortName, MFnData::kString);
        MFnStringData data;
        fn.setDefault(data.create(defaultText));
        fn.setKeyable(true);
        if (!add_(handle))
            return report(addError);
        return true;
    }

    bool enumeration(MObject& handle, const char* longName, const char* shortName,
                     short defaultValue, std::initializer_list<Field> fields, const char* addError)
    {
        MFnEnumAttribute fn;
        handle = fn.create(longName, shortName, defaultValue);
        for (const Field& field : fields)
            fn.addField(field.name, field.value);
        fn.setStorable(true);
        fn.setKeyable(true);
        if (!add_(handle))
            return report(addError);
        return true;
    }

private:
    AddFunction add_;
};

// Every value is read through an MDistance, whatever the attribute's type:
// the host hands any number over that way. A failed read leaves 0, and so
// does a NaN or infinity arriving through a connection, which would
// otherwise reach GL and the bounding box.
MDistance readPlug(const MObject& node, const MObject& attribute)
{
    MDistance value(0.0);
    MPlug(node, attribute).getValue(value, MDGContext::fsNormal);
    if (!std::isfinite(value.value()))
        return MDistance(0.0);
    return value;
}

float labelValue(const MObject& node, const MObject& attribute)
{
    return static_cast<float>(readPlug(node, attribute).value());
}

double readDouble(const MObject& node, const MObject& attribute)
{
    return readPlug(node, attribute).asCentimeters();
}

float readFloat(const MObject& node, const MObject& attribute)
{
    return static_cast<float>(readDouble(node, attribute));
}

// Truncated toward zero like the single-precision number it is held in;
// values no int can hold are pinned instead of overflowing.
int readInt(const MObject& node, const MObject& attribute)
{
    const float value = readFloat(node, attribute);
    if (value >= static_cast<float>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<float>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

// Tessellation counts above the attributes' hard maximum can only come
// through a connection (limits do not clamp those); held at the maximum so an
// upstream value cannot make GLUT allocate without bound. Counts below 1 draw
// nothing in GLUT and GLU and pass as they are.
const int kMaxDivisions = 50;

int readDivisions(const MObject& node, const MObject& attribute)
{
    return std::min(readInt(node, attribute), kMaxDivisions);
}

}  // namespace

KelPrimitiveLocator::KelPrimitiveLocator() {}
KelPrimitiveLocator::~KelPrimitiveLocator() {}

void* KelPrimitiveLocator::creator() { return new (std::nothrow) KelPrimitiveLocator(); }

MStatus KelPrimitiveLocator::initialize()
{
    using N = MFnNumericData;
    static const std::initializer_list<Field> kShapeTypes = {
        {"cube", kCube}, {"sphere", kSphere}, {"cone", kCone},
        {"torus", kTorus}, {"rectangle", kRectangle}, {"cylinder", kCylinder}};
    static const std::initializer_list<Field> kDrawTypes = {
        {"wire", kWire}, {"solid", kSolid}, {"smooth", kSmooth}};

    AttributeTable t(&KelPrimitiveLocator::addAttribute);
    const bool ok =
        t.numeric(displayLabel, "displayLabel", "dlb", N::kBoolean, 1.0, kNameHashError) &&
        t.text(label, "label", "lab", "KelPrimitiveLocator", kAttrError) &&
        t.numeric(labelColorR, "labelColorR", "lcr", N::kFloat, 0.0, kNameHashError) &&
        t.numeric(labelColorG, "labelColorG", "lcg", N::kFloat, 0.0, kNameHashError) &&
        t.numeric(labelColorB, "labelColorB", "lcb", N::kFloat, 0.7, kNameHashError) &&
        t.colour(labelColor, "labelColor", "lc", labelColorR, labelColorG, labelColorB, 0.0f, 0.0f, 0.7f) &&
        t.numeric(colorR, "colorR", "cr", N::kFloat, 1.2, kNameError) &&
        t.numeric(colorG, "colorG", "cg", N::kFloat, 0.8, kNameError) &&
        t.numeric(colorB, "colorB", "cb", N::kFloat, 0.0, kNameError) &&
        t.colour(color, "color", "cl", colorR, colorG, colorB, 1.2f, 0.8f, 0.0f) &&
        t.enumeration(type, "type", "tp", kSphere, kShapeTypes, kAttrError) &&
        t.enumeration(drawType, "drawType", "dtp", kSmooth, kDrawTypes, kAttrError) &&
        t.numeric(radius, "radius", "rd", N::kFloat, 1.0, kNameError, range(0.0, 10.0)) &&
        t.numeric(slices, "slices", "sl", N::kShort, 12, kNameError, range(1, kMaxDivisions)) &&
        t.numeric(stacks, "stacks", "st", N::kShort, 12, kNameError, range(1, kMaxDivisions)) &&
        t.numeric(width, "width", "wd", N::kFloat, 2.0, kNameError, range(0.0, 10.0)) &&
        t.numeric(height, "height", "ht", N::kFloat, 3.0, kNameError, range(0.0, 10.0)) &&
        t.numeric(depth, "depth", "dp", N::kFloat, 4.0, kNameError, range(0.0, 10.0)) &&
        t.numeric(innerRadius, "innerRadius", "ir", N::kFloat, 1.0, kNameError, range(0.0, 5.0)) &&
        t.numeric(outerRadius, "outerRadius", "or", N::kFloat, 2.0, kNameError, range(0.0, 5.0));
    return ok ? MS::kSuccess : MS::kFailure;
}

MStatus KelPrimitiveLocator::compute(const MPlug&, MDataBlock&) { return MS::kUnknownParameter; }

void KelPrimitiveLocator::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle style,
                               M3dView::DisplayStatus)
{
    const MObject node = thisMObject();

    // Read everything afresh, always in this order.
    const float showLabel = labelValue(node, displayLabel);
    const float labelR = labelValue(node, labelColorR);
    const float labelG = labelValue(node, labelColorG);
    const float labelB = labelValue(node, labelColorB);
    MString labelText;
    MPlug(node, label).getValue(labelText, MDGContext::fsNormal);
    const int typeValue = readInt(node, type);
    const int styleValue = readInt(node, drawType);
    const double radiusValue = readDouble(node, radius);
    const int slicesValue = readDivisions(node, slices);
    const int stacksValue = readDivisions(node, stacks);
    const float heightValue = readFloat(node, height);
    const float widthValue = readFloat(node, width);
    const float depthValue = readFloat(node, depth);
    const float innerValue = readFloat(node, innerRadius);
    const float outerValue = readFloat(node, outerRadius);
    const float r = readFloat(node, colorR);
    const float g = readFloat(node, colorG);
    const float b = readFloat(node, colorB);

    const float ambient[4] = {r * 0.5f, g * 0.5f, b * 0.5f, 1.0f};
    const float diffuse[4] = {r, g, b, 1.0f};
    const float specular[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    const ShapeMaterial material(ambient, diffuse, specular, 30.0f);
    const ShapeTransform placement(ShapeRotate(0.0, MVector(1.0, 0.0, 0.0)),
                                   ShapeTranslate(0.0f, 0.0f, 0.0f), ShapeScale(1.0f, 1.0f, 1.0f));

    // The label sits on top of the shape: h is the height of the shape's top.
    // A type the enum does not offer draws no shape and labels the origin.
    Shape* shape = nullptr;
    float h = 0.0f;
    const float radiusF = static_cast<float>(radiusValue);
    switch (typeValue) {
    case kCube:
        shape = new (std::nothrow) CubeShape(radiusF);
        h = static_cast<float>(radiusValue * 0.5);
        break;
    case kSphere:
        shape = new (std::nothrow) SphereShape(radiusF, slicesValue, stacksValue);
        h = radiusF;
        break;
    case kCone:
        shape = new (std::nothrow) ConeShape(radiusF, heightValue, slicesValue, stacksValue);
        h = heightValue;
        break;
    case kTorus:
        shape = new (std::nothrow) TorusShape(innerValue, outerValue, slicesValue, stacksValue);
        h = innerValue;
        break;
    case kRectangle:
        shape = new (std::nothrow) RectangleShape(widthValue, heightValue, depthValue);
        h = heightValue * 0.5f;
        break;
    case kCylinder:
        shape = new (std::nothrow)
            CylinderShape(depthValue, innerValue, outerValue, slicesValue, stacksValue);
        h = depthValue * 0.5f;
        break;
    default:
        break;
    }
    const MPoint labelPosition(0.0, h, 0.0);

    if (shape)
        shape->set(static_cast<short>(typeValue), static_cast<short>(styleValue), placement, material);

    view.beginGL();
    if (shape)
        shape->draw(view, style);
    // Set even when no label is drawn: the viewport colour is left at the
    // label colour either way.
    view.setDrawColor(MColor(labelR, labelG, labelB, 1.0f));
    if (showLabel == 1.0f)
        view.drawText(labelText, labelPosition, M3dView::kCenter);
    view.endGL();

    delete shape;
}

bool KelPrimitiveLocator::isBounded() const { return true; }

MBoundingBox KelPrimitiveLocator::boundingBox() const
{
    // One generous cube for every shape type, so changing the type never
    // needs a new box.
    const MObject node = thisMObject();
    const double radiusValue = readDouble(node, radius);
    const double depthValue = readDouble(node, depth);
    const double heightValue = readDouble(node, height);
    const double s = heightValue + depthValue + radiusValue;
    return MBoundingBox(MPoint(-s, -s, -s), MPoint(s, s, s));
}
