#include "locator.h"

#include "attribute_table.h"
#include "plug_reads.h"
#include "shapes.h"

#include <maya/MColor.h>
#include <maya/MFnNumericData.h>
#include <maya/MPoint.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <memory>

using plugs::readFiniteDouble;
using plugs::readFiniteFloat;
using plugs::readInt;

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

void* KelPrimitiveLocator::creator() { return new KelPrimitiveLocator(); }

MStatus KelPrimitiveLocator::initialize() {
    using namespace attrs;
    using N = MFnNumericData;
    using Self = KelPrimitiveLocator;
    static const EnumFields kShapeKinds = {{"cube", kCube},           {"sphere", kSphere},
                                           {"cone", kCone},           {"torus", kTorus},
                                           {"rectangle", kRectangle}, {"cylinder", kCylinder}};
    static const EnumFields kDrawStyles = {{"wire", kWire}, {"solid", kSolid}, {"smooth", kSmooth}};

    // Limits are set once each attribute is added; they take effect all the
    // same. The shape's numbers print "addAttribute NAME error" when their add
    // fails, the label's "addAttribute NAME##error".
    AttributeTable t(&Self::addAttribute, &Self::attributeAffects);
    // clang-format off: one attribute a line, in columns
    addLabelAttributes<Self>(t, "KelPrimitiveLocator");
    t.colour({colorR, colorG, colorB, color}, {"color", "cl", "cr", "cg", "cb"}, 1.2f, 0.8f, 0.0f,
             kAddNameError);
    t.enumeration(type, "type", "tp", kSphere, kShapeKinds, kAddAttrError);
    t.enumeration(drawType, "drawType", "dtp", kSmooth, kDrawStyles, kAddAttrError);
    t.number(radius, "radius", "rd", N::kFloat, 1.0, limitsAfterAdd(0.0, 10.0), kAddNameError);
    t.number(slices, "slices", "sl", N::kShort, 12, limitsAfterAdd(1, 50), kAddNameError);
    t.number(stacks, "stacks", "st", N::kShort, 12, limitsAfterAdd(1, 50), kAddNameError);
    t.number(width, "width", "wd", N::kFloat, 2.0, limitsAfterAdd(0.0, 10.0), kAddNameError);
    t.number(height, "height", "ht", N::kFloat, 3.0, limitsAfterAdd(0.0, 10.0), kAddNameError);
    t.number(depth, "depth", "dp", N::kFloat, 4.0, limitsAfterAdd(0.0, 10.0), kAddNameError);
    t.number(innerRadius, "innerRadius", "ir", N::kFloat, 1.0, limitsAfterAdd(0.0, 5.0), kAddNameError);
    t.number(outerRadius, "outerRadius", "or", N::kFloat, 2.0, limitsAfterAdd(0.0, 5.0), kAddNameError);
    // clang-format on
    return t.status();
}

MStatus KelPrimitiveLocator::compute(const MPlug&, MDataBlock&) { return MS::kUnknownParameter; }

void KelPrimitiveLocator::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle style,
                               M3dView::DisplayStatus) {
    const MObject node = thisMObject();

    // Read everything afresh, always in this order. Every number may come
    // through a connection, which hard limits do not hold back: a NaN or an
    // infinity reads as 0 rather than reach GL, and tessellation counts beyond
    // the attributes' maximum are held there by the shapes.
    const float showLabel = readFiniteFloat(node, displayLabel);
    const float labelR = readFiniteFloat(node, labelColorR);
    const float labelG = readFiniteFloat(node, labelColorG);
    const float labelB = readFiniteFloat(node, labelColorB);
    const MString labelText = plugs::readString(node, label);
    const int kind = readInt(node, type);
    const int drawStyle = readInt(node, drawType);
    const double radiusValue = readFiniteDouble(node, radius);
    const int slicesValue = readInt(node, slices);
    const int stacksValue = readInt(node, stacks);
    const float heightValue = readFiniteFloat(node, height);
    const float widthValue = readFiniteFloat(node, width);
    const float depthValue = readFiniteFloat(node, depth);
    const float innerValue = readFiniteFloat(node, innerRadius);
    const float outerValue = readFiniteFloat(node, outerRadius);
    const float r = readFiniteFloat(node, colorR);
    const float g = readFiniteFloat(node, colorG);
    const float b = readFiniteFloat(node, colorB);

    const float ambient[4] = {r * 0.5f, g * 0.5f, b * 0.5f, 1.0f};
    const float diffuse[4] = {r, g, b, 1.0f};
    const float specular[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    const ShapeMaterial material(ambient, diffuse, specular, 30.0f);
    const ShapeTransform placement(ShapeRotate(0.0, MVector(1.0, 0.0, 0.0)), ShapeTranslate(0.0f, 0.0f, 0.0f),
                                   ShapeScale(1.0f, 1.0f, 1.0f));

    // The label sits on top of the shape: h is the height of the shape's top.
    // A type the enum does not offer draws no shape and labels the origin.
    std::unique_ptr<Shape> shape;
    float h = 0.0f;
    const float radiusF = static_cast<float>(radiusValue);
    switch (kind) {
    case kCube:
        shape = std::make_unique<CubeShape>(radiusF);
        h = static_cast<float>(radiusValue * 0.5);
        break;
    case kSphere:
        shape = std::make_unique<SphereShape>(radiusF, slicesValue, stacksValue);
        h = radiusF;
        break;
    case kCone:
        shape = std::make_unique<ConeShape>(radiusF, heightValue, slicesValue, stacksValue);
        h = heightValue;
        break;
    case kTorus:
        shape = std::make_unique<TorusShape>(innerValue, outerValue, slicesValue, stacksValue);
        h = innerValue;
        break;
    case kRectangle:
        shape = std::make_unique<RectangleShape>(widthValue, heightValue, depthValue);
        h = heightValue * 0.5f;
        break;
    case kCylinder:
        shape = std::make_unique<CylinderShape>(depthValue, innerValue, outerValue, slicesValue, stacksValue);
        h = depthValue * 0.5f;
        break;
    default:
        shape = std::make_unique<NoShape>();
        break;
    }
    shape->set(static_cast<short>(drawStyle), placement, material);

    view.beginGL();
    shape->draw(view, style);
    // Set even when no label is drawn: the viewport colour is left at the
    // label colour either way.
    view.setDrawColor(MColor(labelR, labelG, labelB, 1.0f));
    if (showLabel == 1.0f) view.drawText(labelText, MPoint(0.0, h, 0.0), M3dView::kCenter);
    view.endGL();
}

bool KelPrimitiveLocator::isBounded() const { return true; }

MBoundingBox KelPrimitiveLocator::boundingBox() const {
    // One generous cube for every shape type, so changing the type never
    // needs a new box.
    const MObject node = thisMObject();
    const double radiusValue = readFiniteDouble(node, radius);
    const double depthValue = readFiniteDouble(node, depth);
    const double heightValue = readFiniteDouble(node, height);
    const double s = heightValue + depthValue + radiusValue;
    return MBoundingBox(MPoint(-s, -s, -s), MPoint(s, s, s));
}
