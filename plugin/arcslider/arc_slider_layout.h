// What the arc slider draws, from the values its draw reads.
#pragma once

#include "draw_layout.h"
#include "slider_parts.h"

#include <maya/MColor.h>
#include <maya/MString.h>

// The attribute values one draw of KelArcSliderManipulator uses, as read (see
// KelArcSliderManipulator::readDrawValues for the order). Angles in radians,
// except the reading, which is in degrees.
struct ArcSliderDrawValues {
    float radius = 0.0f;
    float size = 0.0f;
    float startAngle = 0.0f;
    float endAngle = 0.0f;
    float currentAngle = 0.0f;
    float angleOffset = 0.0f;
    float reading = 0.0f;
    MColor labelColour;
    MColor valueColour;
    MColor lineColour;
    MColor snapColour;
    float lineWidth = 0.0f;
    float snapLength = 0.0f;
    float snapValue = 0.0f;
    float showLine = 0.0f;
    float showLabel = 0.0f;
    int showValue = 0;
    int showSnap = 0;
    int showSnapValues = 0;
    int snapWidth = 0;
    int snapMain = 0;
    int headDrawType = 0;
    int handleDrawType = 0;
    int startHeadType = 0;
    int endHeadType = 0;
    int handleType = 0;
    sliders::ShapeValues head{};
    sliders::ShapeValues handle{};
    MString label;
};

// Handle, start head and end head; the arc; the label colour and the label at
// the centre; the graduations; the three angle texts in the value colour.
void arcSliderLayout(const ArcSliderDrawValues& v, layout::Layout& out);
