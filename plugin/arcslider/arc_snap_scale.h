// ArcSnapScale: the arc slider's graduations, one radial tick per snap step
// with a longer, optionally labelled tick every "snapMainValue" steps. Built,
// drawn once and destroyed within one refresh of the node.
#pragma once

#include <maya/M3dView.h>
#include <maya/MColor.h>

class ArcSnapScale {
public:
    // Angles in radians; step in degrees, as the node stores "snapValue".
    ArcSnapScale(float radius, float size, float startAngle, float endAngle, float angleOffset,
                 float step, float mainEvery, int showMainValues, int lineWidth, float tickLength,
                 const MColor& tickColor, const MColor& mainColor);
    virtual ~ArcSnapScale();

    // Issues GL lines and view texts; must run inside the view's beginGL/endGL.
    void draw(M3dView& view, M3dView::DisplayStyle style) const;

    // Far above any real drawing (a full turn at 0.01 degree is 36000 ticks),
    // yet it bounds a step too small to advance the angle in single precision.
    static constexpr int kMaxTicks = 100000;

private:
    float radius;
    float size;
    float startAngle;
    float endAngle;
    float angleOffset;
    float step;
    int mainEvery;
    int showMainValues;
    float lineWidth;
    float tickLength;
    MColor tickColor;
    MColor mainColor;
};
