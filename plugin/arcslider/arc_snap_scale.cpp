#include "arcslider/arc_snap_scale.h"
#include "arcslider/arc_values.h"

#include <maya/MAngle.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <GL/gl.h>

ArcSnapScale::ArcSnapScale(float radius, float size, float startAngle, float endAngle,
                           float angleOffset, float step, float mainEvery, int showMainValues,
                           int lineWidth, float tickLength, const MColor& tickColor,
                           const MColor& mainColor)
    : radius(radius),
      size(size),
      startAngle(startAngle),
      endAngle(endAngle),
      angleOffset(angleOffset),
      step(step),
      mainEvery(arcslider::truncate(mainEvery)),
      showMainValues(showMainValues),
      lineWidth(static_cast<float>(lineWidth)),
      tickLength(tickLength),
      tickColor(tickColor),
      mainColor(mainColor)
{
}

ArcSnapScale::~ArcSnapScale() {}

void ArcSnapScale::draw(M3dView& view, M3dView::DisplayStyle) const
{
    const float stepRad = static_cast<float>(MAngle(step, MAngle::kDegrees).asRadians());
    const MVector base(radius * size, 0.0, 0.0);
    const MVector axis(0.0, 1.0, 0.0);
    const double tick = tickLength * size;

    float a = startAngle;
    int i = 0;
    MQuaternion q(a, axis);

    glPushAttrib(GL_LINE_BIT);
    glLineWidth(lineWidth);
    for (int drawn = 0; a < endAngle && drawn < kMaxTicks; ++drawn) {
        view.setDrawColor(tickColor);
        const MVector p = base.rotateBy(q);
        MVector d = p;
        d.normalize();

        const bool mainTick = (i == mainEvery);
        MVector tip;
        if (mainTick) {
            view.setDrawColor(mainColor);
            tip = p + d * (tick * 2.0);
            glLineWidth(lineWidth + 2.0f);
        } else {
            tip = p + d * tick;
        }

        glBegin(GL_LINES);
        glVertex3f(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
        glVertex3f(static_cast<float>(tip.x), static_cast<float>(tip.y), static_cast<float>(tip.z));
        glEnd();

        if (mainTick) {
            if (showMainValues == 1) {
                MString text;
                text.set(MAngle(a + angleOffset).asDegrees(), 2);
                view.drawText(text, MPoint(p + d * (tick * 3.0)), M3dView::kCenter);
            }
            glLineWidth(lineWidth);
            i = 0;
        }

        // A step that does not move the angle forward (too small for single
        // precision, negative, NaN) would never reach the end.
        const float next = a + stepRad;
        if (!(next > a))
            break;
        a = next;
        q = MQuaternion(a, axis);
        ++i;
    }
    glPopAttrib();
}
