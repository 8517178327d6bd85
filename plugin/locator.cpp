#include "locator.h"

#include "attribute_table.h"
#include "draw_layout.h"
#include "locator_layout.h"
#include "plug_reads.h"

#include <maya/MColor.h>
#include <maya/MFnNumericData.h>
#include <maya/MPoint.h>
#include <maya/MString.h>
#include <maya/MVector.h>

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

PrimitiveDrawValues KelPrimitiveLocator::readDrawValues(const MObject& node) {
    // Read everything afresh, always in this order. Every number may come
    // through a connection, which hard limits do not hold back: a NaN or an
    // infinity reads as 0 rather than reach GL, and tessellation counts beyond
    // the attributes' maximum are held there by the shapes.
    PrimitiveDrawValues v;
    v.showLabel = readFiniteFloat(node, displayLabel);
    const float labelR = readFiniteFloat(node, labelColorR);
    const float labelG = readFiniteFloat(node, labelColorG);
    const float labelB = readFiniteFloat(node, labelColorB);
    v.labelColour = MColor(labelR, labelG, labelB, 1.0f);
    v.label = plugs::readString(node, label);
    v.type = readInt(node, type);
    v.drawType = readInt(node, drawType);
    v.radius = readFiniteDouble(node, radius);
    v.slices = readInt(node, slices);
    v.stacks = readInt(node, stacks);
    v.height = readFiniteFloat(node, height);
    v.width = readFiniteFloat(node, width);
    v.depth = readFiniteFloat(node, depth);
    v.innerRadius = readFiniteFloat(node, innerRadius);
    v.outerRadius = readFiniteFloat(node, outerRadius);
    const float r = readFiniteFloat(node, colorR);
    const float g = readFiniteFloat(node, colorG);
    const float b = readFiniteFloat(node, colorB);
    v.colour = MColor(r, g, b, 1.0f);
    return v;
}

void KelPrimitiveLocator::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle style,
                               M3dView::DisplayStatus) {
    layout::Layout drawn;
    primitiveLayout(readDrawValues(thisMObject()), drawn);
    view.beginGL();
    layout::drawLegacy(drawn, view, style);
    view.endGL();
}

bool KelPrimitiveLocator::isBounded() const { return true; }

MBoundingBox KelPrimitiveLocator::boundingBox() const { return boundsOf(thisMObject()); }

MBoundingBox KelPrimitiveLocator::boundsOf(const MObject& node) {
    // One generous cube for every shape type, so changing the type never
    // needs a new box.
    const double radiusValue = readFiniteDouble(node, radius);
    const double depthValue = readFiniteDouble(node, depth);
    const double heightValue = readFiniteDouble(node, height);
    const double s = heightValue + depthValue + radiusValue;
    return MBoundingBox(MPoint(-s, -s, -s), MPoint(s, s, s));
}
