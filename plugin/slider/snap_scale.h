// LinearSnapScale: the graduations of the linear slider, one tick per snap
// step along the track, every n-th tick longer and optionally labelled with
// what the mode steps in (ratio, distance or value). Built from the node's
// attributes for one draw and laid out once.
#pragma once

#include "draw_layout.h"

#include <maya/MColor.h>
#include <maya/MVector.h>

// The "snap" enum's fields, which "displayValue" shares: what the slider snaps
// in, and what its value text shows.
enum SliderMode {
    kModeNone = 0,
    kModeRatio = 1,
    kModeDistance = 2,
    kModePosition = 3,
};

class LinearSnapScale {
public:
    struct Params {
        int mode;            // a SliderMode other than kModeNone
        int showMainValues;  // 1: a value text at each main tick
        MVector start;       // first tick's foot, local space
        MVector end;         // track end, local space
        float startValue;    // value at the first tick ("Position" labels count from it)
        float endValue;      // value at the track end
        MVector tickDirection;
        float step;
        int mainEvery;     // every how many ticks a main tick falls
        float lineWidth;   // pixels
        float tickLength;  // before scaling by size
        MColor tickColor;  // ticks and texts
        float size;        // scale of the whole slider drawing
    };

    explicit LinearSnapScale(const Params& params) : p_(params) {}

    // In the tick colour, inside one save of the line attributes: each tick,
    // and after a main tick its value text when shown.
    void addTo(layout::Builder& draw) const;

    // Far more ticks than any real drawing needs; a step too small to move the
    // offset along (or an infinite track) stops here instead of hanging the
    // viewport.
    static constexpr int kMaxTicks = 100000;

private:
    Params p_;
};
