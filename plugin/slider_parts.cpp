#include "slider_parts.h"

#include "plug_reads.h"

#include <maya/MFileIO.h>
#include <maya/MFnDagNode.h>
#include <maya/MGlobal.h>
#include <maya/MString.h>

namespace sliders {

using attrs::limits;

const attrs::EnumFields kDrawStyleFields = {{"Wire", kWire}, {"Solid", kSolid}, {"Smooth", kSmooth}};
const attrs::EnumFields kShapeKindFields = {
    {"none", kNoShape}, {"Cube", kCube},           {"Sphere", kSphere},    {"Cone", kCone},
    {"torus", kTorus},  {"rectangle", kRectangle}, {"cylinder", kCylinder}};

const ShapeRows kHeadRows = {
    {"headRadius", "hrd"},
    0.2,
    {"headColor", "hcl", "hr", "hc", "hb"},
    {1.0f, 0.8f, 0.0f},
    {"headHeight", "hh"},
    {"headWidth", "hw"},
    {"headDepth", "hd"},
    {"headInnerRadius", "hir"},
    {"headOuterRadius", "hor"},
    {"headSlices", "hsl"},
    {"headStacks", "hst"},
    2.0,  // below its own minimum on purpose: saved scenes carry the 2
};

const ShapeRows kHandleRows = {
    {"handleRadius", "hard"},
    0.15,
    {"handleColor", "hacl", "har", "hac", "hab"},
    {1.0f, 0.0f, 0.0f},
    {"handleHeight", "hah"},
    {"handleWidth", "haw"},
    {"handleDepth", "had"},
    {"handleInnerRadius", "hair"},
    {"handleOuterRadius", "haor"},
    {"handleSlices", "hasl"},
    {"handleStacks", "hast"},
    12.0,
};

void addShapeAttributes(attrs::AttributeTable& t, const ShapeHandles& h, const ShapeRows& rows,
                        attrs::Limits radiusLimits) {
    using N = MFnNumericData;
    const auto row = [&](MObject& handle, const Names& names, N::Type type, double defaultValue,
                         attrs::Limits limits) {
        t.number(handle, names.longName, names.shortName, type, defaultValue, limits);
    };
    row(h.radius, rows.radius, N::kFloat, rows.radiusDefault, radiusLimits);
    t.colour(h.colour, rows.colour, rows.colourDefault[0], rows.colourDefault[1], rows.colourDefault[2]);
    row(h.height, rows.height, N::kFloat, 1.0, limits(0.0, 5.0));
    row(h.width, rows.width, N::kFloat, 1.0, limits(0.0, 5.0));
    row(h.depth, rows.depth, N::kFloat, 1.0, limits(0.0, 5.0));
    row(h.innerRadius, rows.innerRadius, N::kFloat, 0.5, limits(0.0, 2.0));
    row(h.outerRadius, rows.outerRadius, N::kFloat, 1.0, limits(0.0, 2.0));
    row(h.slices, rows.slices, N::kShort, 12.0, limits(4.0, 50.0));
    row(h.stacks, rows.stacks, N::kShort, rows.stacksDefault, limits(4.0, 50.0));
}

ShapeValues readShape(const MObject& node, const ShapeHandles& h) {
    using plugs::readFloat;
    using plugs::readInt;
    ShapeValues v;
    v.sizes.radius = readFloat(node, h.radius);
    v.colour = plugs::readColour(node, h.colour.r, h.colour.g, h.colour.b);
    v.sizes.slices = readInt(node, h.slices);
    v.sizes.stacks = readInt(node, h.stacks);
    v.sizes.height = readFloat(node, h.height);
    v.sizes.width = readFloat(node, h.width);
    v.sizes.depth = readFloat(node, h.depth);
    v.sizes.innerRadius = readFloat(node, h.innerRadius);
    v.sizes.outerRadius = readFloat(node, h.outerRadius);
    return v;
}

ShapeMaterial makeMaterial(const MColor& c) {
    const float ambient[4] = {0.5f * c.r, 0.5f * c.g, 0.5f * c.b, 1.0f};
    const float diffuse[4] = {c.r, c.g, c.b, 1.0f};
    const float specular[4] = {0.1f, 0.1f, 0.1f, 1.0f};
    return ShapeMaterial(ambient, diffuse, specular, 10.0f);
}

layout::ShapeItem shapeItem(int kind, const ShapeSizes& s, int drawStyle, const ShapeTransform& placement,
                            const ShapeMaterial& material) {
    layout::ShapeItem item;
    item.drawStyle = static_cast<short>(drawStyle);
    item.placement = placement;
    item.material = material;
    const auto set = [&](ShapeKind k, float a, float b, float c, bool tessellated) {
        item.kind = k;
        item.dims[0] = a;
        item.dims[1] = b;
        item.dims[2] = c;
        item.slices = tessellated ? layout::heldCount(s.slices) : 0;
        item.stacks = tessellated ? layout::heldCount(s.stacks) : 0;
    };
    switch (kind) {
    case kCube:
        set(kCube, s.radius, 0.0f, 0.0f, false);
        break;
    case kSphere:
        set(kSphere, s.radius, 0.0f, 0.0f, true);
        break;
    case kCone:
        set(kCone, s.radius, s.height, 0.0f, true);
        break;
    case kTorus:
        set(kTorus, s.innerRadius, s.outerRadius, 0.0f, true);
        break;
    case kRectangle:
        set(kRectangle, s.height, s.width, s.depth, false);
        break;
    case kCylinder:
        set(kCylinder, s.depth, s.innerRadius, s.outerRadius, true);
        break;
    default:
        break;
    }
    return item;
}

bool isKeyRequest(const MPlug& plug, const MObject& toggle) {
    return plug == toggle && !MFileIO::isReadingFile();
}

void evaluateKeyRequest(bool& requested, const MObject& node, const char* keyedAttribute,
                        const MObject& toggle, const MPlug& action, MDataBlock& data) {
    if (requested) {
        requested = false;
        MFnDagNode dagNode(node);
        const MString command =
            MString("evalDeferred \"setKeyframe ") + dagNode.partialPathName() + "." + keyedAttribute + "\"";
        MGlobal::executeCommand(command, false, false);
        data.outputValue(toggle).set(0.0);
    }
    data.setClean(action);
}

}  // namespace sliders
