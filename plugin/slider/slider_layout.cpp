#include "slider/slider_layout.h"

#include "slider/snap_scale.h"

#include <maya/MAngle.h>
#include <maya/MPoint.h>

#include <cmath>

namespace {

ShapeTransform placement(const MVector& at, double degrees, const MVector& axis, float scale) {
    return ShapeTransform(
        ShapeRotate(degrees, axis),
        ShapeTranslate(static_cast<float>(at.x), static_cast<float>(at.y), static_cast<float>(at.z)),
        ShapeScale(scale, scale, scale));
}

// At most five characters: the host's formatting cut after position 4.
MString valueText(float value) {
    MString text;
    text.set(static_cast<double>(value));
    return text.substring(0, 4);
}

}  // namespace

void sliderLayout(const SliderDrawValues& v, layout::Layout& out) {
    out.clear();
    const float sz = v.size;
    const MVector& S = v.start;
    const MVector& E = v.end;

    const ShapeMaterial headMaterial = sliders::makeMaterial(v.head.colour);
    const ShapeMaterial handleMaterial = sliders::makeMaterial(v.handle.colour);

    const MVector d = E - S;
    MVector u = d;
    u.normalize();
    const float h = v.head.sizes.height;
    const MVector labelPoint = sz * (S - h * u);
    const MVector valuePoint = sz * (E + h * u);
    const MVector handleOffset = S + v.ratio * d;

    // Shapes stand along +Y; turn them onto the track. A track along Y leaves
    // the cross product empty: any axis across Y then gives the same turn, and
    // X is the one a track just off the Y axis (the default) converges to, so
    // the start head keeps pointing away from the track.
    const MVector up(0.0, 1.0, 0.0);
    MVector axis = up ^ d;
    if (axis.length() == 0.0) axis = MVector(1.0, 0.0, 0.0);
    double deg = MAngle(up.angle(d), MAngle::kRadians).asDegrees();
    if (!std::isfinite(deg)) deg = 0.0;

    layout::Builder draw(out);
    draw.shape(sliders::shapeItem(v.handleType, v.handle.sizes, v.handleDrawType,
                                  placement(handleOffset, deg, axis, sz), handleMaterial));
    draw.shape(sliders::shapeItem(v.startHeadType, v.head.sizes, v.headDrawType,
                                  placement(S, deg - 180.0, axis, sz), headMaterial));
    draw.shape(sliders::shapeItem(v.endHeadType, v.head.sizes, v.headDrawType, placement(E, deg, axis, sz),
                                  headMaterial));

    // The line runs up local Y from the origin whatever "posStart" says.
    if (v.showLine == 1.0f) {
        draw.colour(v.lineColour);
        draw.pushLines(static_cast<float>(v.lineWidth));
        draw.polyline({{0.0f, 0.0f, 0.0f}, {0.0f, static_cast<float>(E.y) * sz, 0.0f}}, false);
        draw.popLines();
    }

    // Graduations also need a value display other than "None".
    if (v.showSnap == 1 && v.snapMode != kModeNone && v.snapStep != 0.0f && v.valueMode != kModeNone) {
        LinearSnapScale::Params p;
        p.mode = v.snapMode;
        p.showMainValues = v.showSnapValues;
        p.start = S;
        p.end = E;
        p.startValue = v.startValue;
        p.endValue = v.endValue;
        p.tickDirection = MVector(1.0, 0.0, 0.0);
        p.step = v.snapStep;
        p.mainEvery = v.snapMain;
        p.lineWidth = static_cast<float>(v.snapWidth);
        p.tickLength = v.snapLength;
        p.tickColor = v.snapColour;
        p.size = sz;
        LinearSnapScale(p).addTo(draw);
    }

    draw.colour(v.labelColour);
    if (v.showLabel == 1.0f) draw.text(v.label, MPoint(labelPoint), M3dView::kCenter);

    if (v.valueMode != kModeNone) {
        draw.colour(v.valueColour);
        if (v.valueMode == kModePosition) {
            const float third = sz * 0.33333334f;
            draw.text(valueText(v.currentValue), MPoint(valuePoint), M3dView::kCenter);
            // The start text is not scaled by size, the end text is.
            draw.text(valueText(v.startValue), MPoint(S.x, S.y, S.z - third), M3dView::kCenter);
            draw.text(valueText(v.endValue), MPoint(sz * E.x, sz * E.y, sz * E.z - third), M3dView::kCenter);
        } else if (v.valueMode == kModeRatio) {
            draw.text(valueText(v.ratio), MPoint(valuePoint), M3dView::kCenter);
        } else if (v.valueMode == kModeDistance) {
            draw.text(valueText(v.distance), MPoint(valuePoint), M3dView::kCenter);
        } else {
            draw.text(MString(), MPoint(valuePoint), M3dView::kCenter);
        }
    }
}
