// What the primitive locator draws, from the values its draw reads.
#pragma once

#include "draw_layout.h"

#include <maya/MColor.h>
#include <maya/MString.h>

// The attribute values one draw of KelPrimitiveLocator uses, as read (see
// KelPrimitiveLocator::readDrawValues for the order and the guards).
struct PrimitiveDrawValues {
    float showLabel = 0.0f;
    MColor labelColour;
    MString label;
    int type = 0;
    int drawType = 0;
    double radius = 0.0;
    int slices = 0;
    int stacks = 0;
    float height = 0.0f;
    float width = 0.0f;
    float depth = 0.0f;
    float innerRadius = 0.0f;
    float outerRadius = 0.0f;
    MColor colour;
};

// The shape (lit with the colour, or flat in it), then the label colour, then
// the label on top of the shape when shown. A type the enum does not offer
// draws no shape and labels the origin.
void primitiveLayout(const PrimitiveDrawValues& v, layout::Layout& out);
