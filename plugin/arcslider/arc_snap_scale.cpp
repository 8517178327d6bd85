#include "arcslider/arc_snap_scale.h"

#include <maya/MAngle.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <GL/gl.h>

void ArcSnapScale::draw(M3dView& view, M3dView::DisplayStyle) const {
    const float stepRad = static_cast<float>(MAngle(p_.step, MAngle::kDegrees).asRadians());
    const MVector base(p_.radius * p_.size, 0.0, 0.0);
    const MVector axis(0.0, 1.0, 0.0);
    const double tick = p_.tickLength * p_.size;

    float a = p_.startAngle;
    int i = 0;
    MQuaternion q(a, axis);

    glPushAttrib(GL_LINE_BIT);
    glLineWidth(p_.lineWidth);
    for (int drawn = 0; a < p_.endAngle && drawn < kMaxTicks; ++drawn) {
        view.setDrawColor(p_.tickColor);
        const MVector p = base.rotateBy(q);
        MVector d = p;
        d.normalize();

        const bool mainTick = (i == p_.mainEvery);
        MVector tip;
        if (mainTick) {
            view.setDrawColor(p_.mainColor);
            tip = p + d * (tick * 2.0);
            glLineWidth(p_.lineWidth + 2.0f);
        } else {
            tip = p + d * tick;
        }

        glBegin(GL_LINES);
        glVertex3f(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
        glVertex3f(static_cast<float>(tip.x), static_cast<float>(tip.y), static_cast<float>(tip.z));
        glEnd();

        if (mainTick) {
            if (p_.showMainValues == 1) {
                MString text;
                text.set(MAngle(a + p_.angleOffset).asDegrees(), 2);
                view.drawText(text, MPoint(p + d * (tick * 3.0)), M3dView::kCenter);
            }
            glLineWidth(p_.lineWidth);
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
    glPopAttrib();
}
