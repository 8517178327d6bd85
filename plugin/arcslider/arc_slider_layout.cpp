#include "arcslider/arc_slider_layout.h"

#include "arcslider/arc_snap_scale.h"

#include <maya/MAngle.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

#include <cmath>

namespace {

// With "radius" 0 the axis through a head has no direction; such a rotation
// is undefined in GL, so it becomes no rotation at all.
ShapeRotate makeRotate(double angle, const MVector& axis) {
    const double length = axis.length();
    if (!(length > 0.0) || !std::isfinite(length)) return ShapeRotate(0.0, MVector(0.0, 1.0, 0.0));
    return ShapeRotate(angle, axis);
}

MVector arcPoint(float radius, float angle) {
    return MVector(radius * std::cos(angle), 0.0, -radius * std::sin(angle));
}

MString degreesText(double radians) {
    MString text;
    text.set(MAngle(radians).asDegrees(), 2);
    return text;
}

}  // namespace

void arcSliderLayout(const ArcSliderDrawValues& v, layout::Layout& out) {
    out.clear();
    const MVector H = arcPoint(v.radius, v.currentAngle);
    const MVector S = arcPoint(v.radius, v.startAngle);
    const MVector E = arcPoint(v.radius, v.endAngle);

    const ShapeMaterial headMaterial = sliders::makeMaterial(v.head.colour);
    const ShapeMaterial handleMaterial = sliders::makeMaterial(v.handle.colour);

    const ShapeScale scale(v.size, v.size, v.size);
    const ShapeRotate startRotate = makeRotate(90.0, S);
    const ShapeRotate endRotate = makeRotate(-90.0, E);
    const ShapeTransform startTransform(startRotate, ShapeTranslate(S.x, S.y, S.z), scale);
    const ShapeTransform endTransform(endRotate, ShapeTranslate(E.x, E.y, E.z), scale);
    // The handle turns with the end head, not about its own position.
    const ShapeTransform handleTransform(endRotate, ShapeTranslate(H.x, H.y, H.z), scale);

    layout::Builder draw(out);
    draw.shape(
        sliders::shapeItem(v.handleType, v.handle.sizes, v.handleDrawType, handleTransform, handleMaterial));
    draw.shape(
        sliders::shapeItem(v.startHeadType, v.head.sizes, v.headDrawType, startTransform, headMaterial));
    draw.shape(sliders::shapeItem(v.endHeadType, v.head.sizes, v.headDrawType, endTransform, headMaterial));

    if (v.showLine == 1.0f) {
        draw.colour(v.lineColour);
        draw.pushLines(v.lineWidth);
        const float drawnRadius = v.size * v.radius;
        const float step = (v.endAngle - v.startAngle) * 0.05f;
        float a = v.startAngle;
        std::vector<layout::Vec3f> points;
        for (int k = 0; k <= 20; ++k) {
            const MVector p = arcPoint(drawnRadius, a);
            points.push_back({static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
            a += step;
        }
        draw.polyline(std::move(points), true);
        draw.popLines();
    }

    draw.colour(v.labelColour);
    if (v.showLabel == 1.0f) draw.text(v.label, MPoint(0.0, 0.0, 0.0), M3dView::kCenter);

    if (v.showSnap == 1 && v.snapValue != 0.0f && v.showValue != 0) {
        ArcSnapScale::Params p;
        p.radius = v.radius;
        p.size = v.size;
        p.startAngle = v.startAngle;
        p.endAngle = v.endAngle;
        p.angleOffset = v.angleOffset;
        p.step = v.snapValue;
        p.mainEvery = v.snapMain;
        p.showMainValues = v.showSnapValues;
        p.lineWidth = static_cast<float>(v.snapWidth);
        p.tickLength = v.snapLength;
        p.tickColor = v.snapColour;
        p.mainColor = v.valueColour;
        ArcSnapScale(p).addTo(draw);
    }

    if (v.showValue != 0) {
        draw.colour(v.valueColour);
        MString readingText;
        readingText.set(v.reading, 2);
        draw.text(readingText, MPoint(H * (0.8 * v.size)), M3dView::kCenter);
        draw.text(degreesText(v.startAngle + v.angleOffset), MPoint(S * (0.85 * v.size)), M3dView::kCenter);
        draw.text(degreesText(v.endAngle + v.angleOffset), MPoint(E * (0.85 * v.size)), M3dView::kCenter);
    }
}
