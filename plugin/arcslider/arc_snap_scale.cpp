#include "arcslider/arc_snap_scale.h"

#include <maya/MAngle.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MString.h>
#include <maya/MVector.h>

namespace {

layout::Vec3f vertex(const MVector& v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

}  // namespace

void ArcSnapScale::addTo(layout::Builder& draw) const {
    const float stepRad = static_cast<float>(MAngle(p_.step, MAngle::kDegrees).asRadians());
    const MVector base(p_.radius * p_.size, 0.0, 0.0);
    const MVector axis(0.0, 1.0, 0.0);
    const double tick = p_.tickLength * p_.size;

    float a = p_.startAngle;
    int i = 0;
    MQuaternion q(a, axis);

    draw.pushLines(p_.lineWidth);
    for (int drawn = 0; a < p_.endAngle && drawn < kMaxTicks; ++drawn) {
        draw.colour(p_.tickColor);
        const MVector p = base.rotateBy(q);
        MVector d = p;
        d.normalize();

        const bool mainTick = (i == p_.mainEvery);
        MVector tip;
        if (mainTick) {
            draw.colour(p_.mainColor);
            tip = p + d * (tick * 2.0);
            draw.lineWidth(p_.lineWidth + 2.0f);
        } else {
            tip = p + d * tick;
        }

        draw.tick(vertex(p), vertex(tip), mainTick);

        if (mainTick) {
            if (p_.showMainValues == 1) {
                MString text;
                text.set(MAngle(a + p_.angleOffset).asDegrees(), 2);
                draw.text(text, MPoint(p + d * (tick * 3.0)), M3dView::kCenter);
            }
            draw.lineWidth(p_.lineWidth);
            i = 0;
        }

        // A step that does not move the angle forward (too small for single
        // precision, negative, NaN) would never reach the end.
        const float next = a + stepRad;
        if (!(next > a)) break;
        a = next;
        q = MQuaternion(a, axis);
        ++i;
    }
    draw.popLines();
}
