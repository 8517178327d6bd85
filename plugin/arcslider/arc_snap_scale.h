// ArcSnapScale: the arc slider's graduations, one radial tick per snap step
// with a longer, optionally labelled tick every "snapMainValue" steps. Built,
// drawn once and dropped within one refresh of the node.
#pragma once

#include "draw_layout.h"

#include <maya/MColor.h>

class ArcSnapScale {
public:
    struct Params {
        float radius;
        float size;          // scale of the whole slider drawing
        float startAngle;    // radians
        float endAngle;      // radians
        float angleOffset;   // radians, added to the labels only
        float step;          // degrees, as the node stores "snapValue"
        int mainEvery;       // every how many ticks a main tick falls
        int showMainValues;  // 1: a value text at each main tick
        float lineWidth;     // pixels
        float tickLength;    // before scaling by size
        MColor tickColor;
        MColor mainColor;  // main ticks and their texts
    };

    explicit ArcSnapScale(const Params& params) : p_(params) {}

    // Inside one save of the line attributes: each tick in its colour and
    // width, and after a main tick its angle text when shown.
    void addTo(layout::Builder& draw) const;

    // Far above any real drawing (a full turn at 0.01 degree is 36000 ticks),
    // yet it bounds a step too small to advance the angle in single precision.
    static constexpr int kMaxTicks = 100000;

private:
    Params p_;
};
