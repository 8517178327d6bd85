// LinearSnapScale: graduations along the linear slider's track.

#include "slider/snap_scale.h"

#include <maya/MPoint.h>
#include <maya/MString.h>

#include <GL/gl.h>

#include <cmath>

LinearSnapScale::LinearSnapScale(Params p)
    : mode(p.mode),
      showMainValues(p.showMainValues),
      start(p.start),
      end(p.end),
      startValue(p.startValue),
      endValue(p.endValue),
      tickDirection(p.tickDirection),
      step(p.step),
      mainEvery(p.mainEvery),
      lineWidth(p.lineWidth),
      tickLength(p.tickLength),
      tickColor(p.tickColor),
      size(p.size)
{
}

LinearSnapScale::~LinearSnapScale() {}

namespace {

void vertex(const MVector& v)
{
    glVertex3f(static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
}

}  // namespace

void LinearSnapScale::draw(M3dView& view, M3dView::DisplayStyle)
{
    // Only the three snapping modes advance along the track; anything else
    // would tick forever on the spot.
    if (mode < 1 || mode > 3) return;

    const MVector m = end - start;             // unscaled track
    const float range = endValue - startValue;  // signed, fraction kept
    const double length = m.length() * size;
    MVector u = m;
    u.normalize();

    // Offset advanced per tick. "Position" counts steps of value, so size
    // enters both through the length and directly.
    const float stepSize = step * size;
    MVector advance;
    if (mode == 1) advance = stepSize * m;
    else if (mode == 2) advance = stepSize * u;
    else advance = (length / range * step * size) * u;

    const float tick = tickLength * size;
    const float textDistance = 2.0f * tickLength * size;

    view.setDrawColor(tickColor);
    glPushAttrib(GL_LINE_BIT);
    glLineWidth(lineWidth);

    // Each main tick is labelled with the quantity the mode steps in: the
    // ratio or the distance from the start, or the value in "Position".
    MVector offset(0.0, 0.0, 0.0);
    float value = mode == 3 ? startValue : 0.0f;
    int sinceMain = 0;
    // The comparison is false for a NaN length, so a NaN draws nothing.
    for (int n = 0; offset.length() < length && n < kMaxTicks; ++n) {
        const MVector foot = start + offset;
        const bool isMain = sinceMain == mainEvery;
        const MVector tip = isMain ? foot + (tick * 1.5) * tickDirection
                                   : foot + tick * tickDirection;
        glBegin(GL_LINES);
        vertex(foot);
        vertex(tip);
        glEnd();

        if (isMain) {
            if (showMainValues == 1) {
                MString text;
                text.set(value, 2);
                view.drawText(text, MPoint(foot + textDistance * tickDirection), M3dView::kLeft);
            }
            sinceMain = 0;
        }
        offset += advance;
        ++sinceMain;
        value += step;
    }

    glPopAttrib();
}
