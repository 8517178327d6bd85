// What the linear and the arc slider share: the attribute groups they both
// have (value colour, line, graduation, heads and handle) with the same names,
// types and defaults, the head and handle shapes those attributes describe,
// and the key request.
//
// The group helpers are templates over the node class: each fills the node's
// own static handles of the same names.
#pragma once

#include "attribute_table.h"
#include "draw_layout.h"
#include "shapes.h"

#include <maya/MColor.h>
#include <maya/MDataBlock.h>
#include <maya/MFnNumericData.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>

namespace sliders {

// The draw-type and shape-type enum fields, stored exactly as spelled: saved
// scenes carry these names.
extern const attrs::EnumFields kDrawStyleFields;
extern const attrs::EnumFields kShapeKindFields;

// ---------------------------------------------------------------------------
// Head and handle shapes

// The handles of the heads' or the handle's size, colour and tessellation
// attributes.
struct ShapeHandles {
    MObject& radius;
    attrs::ColourHandles colour;
    MObject& height;
    MObject& width;
    MObject& depth;
    MObject& innerRadius;
    MObject& outerRadius;
    MObject& slices;
    MObject& stacks;
};

template <class Node>
ShapeHandles headHandles() {
    return {Node::headRadius,      {Node::headColorR, Node::headColorG, Node::headColorB, Node::headColor},
            Node::headHeight,      Node::headWidth,
            Node::headDepth,       Node::headInnerRadius,
            Node::headOuterRadius, Node::headSlices,
            Node::headStacks};
}

template <class Node>
ShapeHandles handleHandles() {
    return {Node::handleRadius,
            {Node::handleColorR, Node::handleColorG, Node::handleColorB, Node::handleColor},
            Node::handleHeight,
            Node::handleWidth,
            Node::handleDepth,
            Node::handleInnerRadius,
            Node::handleOuterRadius,
            Node::handleSlices,
            Node::handleStacks};
}

struct Names {
    const char* longName;
    const char* shortName;
};

// The heads' and the handle's rows differ only in their names and in these
// defaults.
struct ShapeRows {
    Names radius;
    double radiusDefault;
    attrs::ColourNames colour;
    float colourDefault[3];
    Names height, width, depth, innerRadius, outerRadius, slices, stacks;
    double stacksDefault;
};
extern const ShapeRows kHeadRows;
extern const ShapeRows kHandleRows;

// Radius, colour, height, width, depth, inner and outer radius, slices and
// stacks, in this order.
void addShapeAttributes(attrs::AttributeTable& t, const ShapeHandles& handles, const ShapeRows& rows,
                        attrs::Limits radiusLimits);

template <class Node>
void addHeadAttributes(attrs::AttributeTable& t, attrs::Limits radiusLimits) {
    t.enumeration(Node::headDrawType, "headDrawType", "hdt", kSmooth, kDrawStyleFields, attrs::kAddAttrError);
    t.enumeration(Node::startHeadType, "startHeadType", "sht", kCone, kShapeKindFields, nullptr);
    t.enumeration(Node::endHeadType, "endHeadType", "eht", kCone, kShapeKindFields, nullptr);
    addShapeAttributes(t, headHandles<Node>(), kHeadRows, radiusLimits);
}

template <class Node>
void addHandleAttributes(attrs::AttributeTable& t) {
    t.enumeration(Node::handleDrawType, "handleDrawType", "tdt", kSmooth, kDrawStyleFields,
                  attrs::kAddAttrError);
    t.enumeration(Node::handleType, "handleType", "ht", kSphere, kShapeKindFields, nullptr);
    addShapeAttributes(t, handleHandles<Node>(), kHandleRows, attrs::limits(0.0, 5.0));
}

// Size parameters of a head or handle shape.
struct ShapeSizes {
    float radius;
    float height;
    float width;
    float depth;
    float innerRadius;
    float outerRadius;
    int slices;
    int stacks;
};

struct ShapeValues {
    MColor colour;
    ShapeSizes sizes;
};

// Read in this order: radius, the colour, slices, stacks, then height, width,
// depth, inner and outer radius.
ShapeValues readShape(const MObject& node, const ShapeHandles& handles);

// Lit with the colour: half of it ambient, a faint specular.
ShapeMaterial makeMaterial(const MColor& colour);

// The shape of a shape-type value. The rectangle and the cylinder take their
// sizes crossed (height as width, depth as length); saved rigs look the way
// they do because of it. A value outside the enum gives no shape (kNoShape).
layout::ShapeItem shapeItem(int kind, const ShapeSizes& sizes, int drawStyle, const ShapeTransform& placement,
                            const ShapeMaterial& material);

// ---------------------------------------------------------------------------
// Attribute groups

template <class Node>
void addValueColourAttributes(attrs::AttributeTable& t) {
    t.colour({Node::valueColorR, Node::valueColorG, Node::valueColorB, Node::valueColor},
             {"valueColor", "vc", "vcr", "vcg", "vcb"}, 0.0f, 0.0f, 0.7f);
}

template <class Node>
void addLineAttributes(attrs::AttributeTable& t) {
    t.number(Node::displayLine, "displayLine", "dln", MFnNumericData::kBoolean, 1.0);
    t.number(Node::lineWidth, "lineWidth", "lwd", MFnNumericData::kShort, 1.0, attrs::limits(1.0, 10.0));
    t.colour({Node::lineColorR, Node::lineColorG, Node::lineColorB, Node::lineColor},
             {"lineColor", "lnc", "lncr", "lncg", "lncb"}, 0.2f, 1.0f, 0.0f);
}

// What follows "snap": the graduations' switches, step and looks.
template <class Node>
void addGraduationAttributes(attrs::AttributeTable& t, double defaultStep) {
    using N = MFnNumericData;
    t.number(Node::displaySnap, "displaySnap", "dsp", N::kBoolean, 1.0);
    t.number(Node::displaySnapValue, "displaySnapValue", "dspv", N::kBoolean, 1.0);
    t.number(Node::snapValue, "snapValue", "spv", N::kDouble, defaultStep, attrs::limits(0.0, 100.0));
    t.number(Node::snapMainValue, "snapMainValue", "spmv", N::kShort, 10.0, attrs::limits(0.0, 100.0));
    t.number(Node::snapWidth, "snapWidth", "spw", N::kShort, 2.0, attrs::limits(1.0, 10.0));
    t.number(Node::snapLength, "snapLength", "spl", N::kFloat, 0.2, attrs::limits(0.0, 10.0));
    t.colour({Node::snapColorR, Node::snapColorG, Node::snapColorB, Node::snapColor},
             {"snapColor", "spc", "spcr", "spcg", "spcb"}, 0.0f, 0.0f, 0.8f);
}

// ---------------------------------------------------------------------------
// Key request
//
// A slider keys one of its attributes when a user switches its key toggle.
// The toggle is internal, so the node hears of every setAttr, MPlug::setValue
// and drag of it, also of the setAttr statements of a file being read; values
// from connections (its animation among them) never come to the node.

// Whether this change of `plug` is a user's own change of `toggle`.
bool isKeyRequest(const MPlug& plug, const MObject& toggle);

// Evaluates the node's "action" plug. The toggle also changes when a scene is
// read, when it is animated and when time moves, and each change dirties
// "action"; only a user's own change (`requested`) asks for a key. Then the
// host is asked to key `keyedAttribute` once it is idle (keying from inside an
// evaluation would re-enter the graph), and the toggle is switched off through
// the data block, so that nothing is dirtied again: one request, one key.
void evaluateKeyRequest(bool& requested, const MObject& node, const char* keyedAttribute,
                        const MObject& toggle, const MPlug& action, MDataBlock& data);

}  // namespace sliders
