// What the linear slider draws, from the values its draw reads.
#pragma once

#include "draw_layout.h"
#include "slider_parts.h"

#include <maya/MColor.h>
#include <maya/MString.h>
#include <maya/MVector.h>

// The attribute values one draw of KelSliderManipulator uses, as read (see
// KelSliderManipulator::readDrawValues for the order).
struct SliderDrawValues {
    float size = 0.0f;
    float startValue = 0.0f;
    float endValue = 0.0f;
    float currentValue = 0.0f;
    float showLabel = 0.0f;
    MColor labelColour;
    MString label;
    int valueMode = 0;
    MColor valueColour;
    float showLine = 0.0f;
    int lineWidth = 0;
    MColor lineColour;
    int snapMode = 0;
    int showSnap = 0;
    int showSnapValues = 0;
    int snapWidth = 0;
    float snapLength = 0.0f;
    float snapStep = 0.0f;
    int snapMain = 0;
    MColor snapColour;
    MVector start;
    MVector end;
    float distance = 0.0f;
    float ratio = 0.0f;
    int headDrawType = 0;
    int handleDrawType = 0;
    int startHeadType = 0;
    int endHeadType = 0;
    int handleType = 0;
    sliders::ShapeValues head{};
    sliders::ShapeValues handle{};
};

// Handle, start head and end head; the track line; the graduations; the label
// colour and the label; the value texts in the value colour.
void sliderLayout(const SliderDrawValues& v, layout::Layout& out);
