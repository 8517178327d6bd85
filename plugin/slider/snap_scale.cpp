// LinearSnapScale: graduations along the linear slider's track.

#include "slider/snap_scale.h"

#include <maya/MPoint.h>
#include <maya/MString.h>

#include <cmath>

namespace {

layout::Vec3f vertex(const MVector& v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

}  // namespace

void LinearSnapScale::addTo(layout::Builder& draw) const {
    // Only the three snapping modes advance along the track; anything else
    // would tick forever on the spot.
    if (p_.mode != kModeRatio && p_.mode != kModeDistance && p_.mode != kModePosition) return;

    const MVector m = p_.end - p_.start;              // unscaled track
    const float range = p_.endValue - p_.startValue;  // signed, fraction kept
    const double length = m.length() * p_.size;
    MVector u = m;
    u.normalize();

    // Offset advanced per tick. "Position" counts steps of value, so size
    // enters both through the length and directly.
    const float stepSize = p_.step * p_.size;
    MVector advance;
    if (p_.mode == kModeRatio)
        advance = stepSize * m;
    else if (p_.mode == kModeDistance)
        advance = stepSize * u;
    else
        advance = (length / range * p_.step * p_.size) * u;

    const float tick = p_.tickLength * p_.size;
    const float textDistance = 2.0f * p_.tickLength * p_.size;

    draw.colour(p_.tickColor);
    draw.pushLines(p_.lineWidth);

    // Each main tick is labelled with the quantity the mode steps in: the
    // ratio or the distance from the start, or the value in "Position".
    MVector offset(0.0, 0.0, 0.0);
    float value = p_.mode == kModePosition ? p_.startValue : 0.0f;
    int sinceMain = 0;
    // The comparison is false for a NaN length, so a NaN draws nothing.
    for (int n = 0; offset.length() < length && n < kMaxTicks; ++n) {
        const MVector foot = p_.start + offset;
        const bool isMain = sinceMain == p_.mainEvery;
        const MVector tip = isMain ? foot + (tick * 1.5) * p_.tickDirection : foot + tick * p_.tickDirection;
        draw.tick(vertex(foot), vertex(tip), isMain);

        if (isMain) {
            if (p_.showMainValues == 1) {
                MString text;
                text.set(value, 2);
                draw.text(text, MPoint(foot + textDistance * p_.tickDirection), M3dView::kLeft);
            }
            sinceMain = 0;
        }
        offset += advance;
        ++sinceMain;
        value += p_.step;
    }

    draw.popLines();
}
