#pragma once
// LinearSnapScale: the graduations of the linear slider, one tick per snap
// step along the track, every n-th tick longer and optionally labelled with
// what the mode steps in (ratio, distance or value). Built from the node's
// attributes inside an open GL block, drawn once, destroyed.

#include <maya/M3dView.h>
#include <maya/MColor.h>
#include <maya/MVector.h>

class LinearSnapScale {
public:
    struct Params {
        int mode;             // 1 "Ratio", 2 "Distance", 3 "Position"
        int showMainValues;   // 1: a value text at each main tick
        MVector start;        // first tick's foot, local space
        MVector end;          // track end, local space
        float startValue;     // value at the first tick ("Position" labels count from it)
        float endValue;       // value at the track end
        MVector tickDirection;
        float step;
        int mainEvery;        // every how many ticks a main tick falls
        float lineWidth;      // pixels
        float tickLength;     // before scaling by size
        MColor tickColor;     // ticks and texts
        float size;           // scale of the whole slider drawing
    };

    explicit LinearSnapScale(Params params);
    virtual ~LinearSnapScale();

    void draw(M3dView& view, M3dView::DisplayStyle style);

    // Far more ticks than any real drawing needs; a step too small to move the
    // offset along (or an infinite track) stops here instead of hanging the
    // viewport.
    static const int kMaxTicks = 100000;

    int mode;
    int showMainValues;
    MVector start;
    MVector end;
    float startValue;
    float endValue;
    MVector tickDirection;
    float step;
    int mainEvery;
    float lineWidth;
    float tickLength;
    MColor tickColor;
    float size;
};
