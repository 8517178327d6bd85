// The stock manipulator function sets: thin views onto a StockManip.
#include "manip/manip_impl.h"

#include "graph/handles.h"

#include <maya/MFnCircleSweepManip.h>
#include <maya/MFnDistanceManip.h>
#include <maya/MFnManip3D.h>
#include <maya/MFnToggleManip.h>

#include <cmath>

using rdhost::ManipKind;
using rdhost::ObjectAccess;
using rdhost::StockManip;
namespace mv = rdhost::manipvalue;

namespace {

void set(MStatus* st, MStatus::MStatusCode code) {
    if (st) *st = code;
}

// The manipulator if it is of `kind`; reports failure through `st` otherwise.
StockManip* as(StockManip* m, ManipKind kind, MStatus* st) {
    if (!m || m->kind != kind) {
        set(st, MS::kFailure);
        return nullptr;
    }
    set(st, MS::kSuccess);
    return m;
}

unsigned index(StockManip* m, ManipKind kind, unsigned offset, MStatus* st) {
    StockManip* s = as(m, kind, st);
    return s ? s->firstIndex + offset : 0u;
}

MStatus bindPlug(StockManip* m, ManipKind kind, const MPlug& plug) {
    StockManip* s = as(m, kind, nullptr);
    if (!s) return MStatus(MS::kFailure, "the function set is not attached to a manipulator of this kind");
    const rdhost::PlugRef ref = ObjectAccess::ref(plug);
    if (!ref || !ref.node->hasSlot(ref.attr))
        return MStatus(MS::kInvalidParameter, "the plug to connect is not valid");
    if (!ref.node->attrAt(ref.attr)->isNumeric())
        return MStatus(MS::kInvalidParameter, ("manipulator '" + s->name + "' needs a numeric plug, not '" +
                                               ref.node->plugName(ref.attr) + "'")
                                                  .c_str());
    s->plug = ref;
    return MS::kSuccess;
}

bool finite(const MPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }
bool finite(const MVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

MStatus notFinite() { return MStatus(MS::kInvalidParameter, "the value is not a finite number"); }

}  // namespace

// ---------------------------------------------------------------- MFnManip3D

MFnManip3D::MFnManip3D() : rdManip_(nullptr) {}
MFnManip3D::MFnManip3D(MObject& object, MStatus* st) : rdManip_(nullptr) {
    MStatus s = MFnManip3D::setObject(object);
    if (st) *st = s;
}
MFnManip3D::MFnManip3D(const MObject& object, MStatus* st) : rdManip_(nullptr) {
    MStatus s = MFnManip3D::setObject(object);
    if (st) *st = s;
}
MFnManip3D::MFnManip3D(const MDagPath& path, MStatus* st) : rdManip_(nullptr) {
    MStatus s = MFnManip3D::setObject(path);
    if (st) *st = s;
}
MFnManip3D::~MFnManip3D() {}

MStatus MFnManip3D::setObject(MObject& object) { return setObject(static_cast<const MObject&>(object)); }

MStatus MFnManip3D::setObject(const MObject& object) {
    rdManip_ = rdhost::stockManipOf(object);
    rdObject_ = rdManip_ ? object : MObject();
    return rdManip_ ? MStatus(MS::kSuccess) : MStatus(MS::kInvalidParameter, "not a manipulator");
}

MStatus MFnManip3D::setObject(const MDagPath& path) {
    rdManip_ = rdhost::stockManipOf(path);
    rdObject_ = rdManip_ ? ObjectAccess::make(&rdManip_->node) : MObject();
    return rdManip_ ? MStatus(MS::kSuccess) : MStatus(MS::kInvalidParameter, "not a manipulator");
}

bool MFnManip3D::isVisible(MStatus* st) const {
    set(st, rdManip_ ? MS::kSuccess : MS::kFailure);
    return rdManip_ && rdManip_->visible;
}

MStatus MFnManip3D::setVisible(bool isVisible) {
    if (!rdManip_) return MS::kFailure;
    rdManip_->visible = isVisible;
    return MS::kSuccess;
}

float MFnManip3D::manipScale(MStatus* st) const {
    set(st, rdManip_ ? MS::kSuccess : MS::kFailure);
    return rdManip_ ? rdManip_->manipScale : 1.0f;
}

MStatus MFnManip3D::setManipScale(float scale) {
    if (!rdManip_) return MS::kFailure;
    if (!std::isfinite(scale) || scale <= 0.0f)
        return MStatus(MS::kInvalidParameter, "the manipulator scale must be a positive number");
    rdManip_->manipScale = scale;
    return MS::kSuccess;
}

// --------------------------------------------------------- MFnDistanceManip

MFnDistanceManip::MFnDistanceManip() {}
MFnDistanceManip::MFnDistanceManip(MObject& o, MStatus* st) : MFnManip3D(o, st) {
    as(rdManip_, ManipKind::Distance, st);
}
MFnDistanceManip::MFnDistanceManip(const MObject& o, MStatus* st) : MFnManip3D(o, st) {
    as(rdManip_, ManipKind::Distance, st);
}
MFnDistanceManip::MFnDistanceManip(const MDagPath& p, MStatus* st) : MFnManip3D(p, st) {
    as(rdManip_, ManipKind::Distance, st);
}
MFnDistanceManip::~MFnDistanceManip() {}

MStatus MFnDistanceManip::connectToDistancePlug(MPlug& plug) {
    return bindPlug(rdManip_, ManipKind::Distance, plug);
}

MStatus MFnDistanceManip::setStartPoint(const MPoint& p) {
    StockManip* m = as(rdManip_, ManipKind::Distance, nullptr);
    if (!m) return MS::kFailure;
    if (!finite(p)) return notFinite();
    m->startPoint = p;
    m->derive();
    return MS::kSuccess;
}

MStatus MFnDistanceManip::setDirection(const MVector& d) {
    StockManip* m = as(rdManip_, ManipKind::Distance, nullptr);
    if (!m) return MS::kFailure;
    if (!finite(d)) return notFinite();
    m->direction = d;
    m->derive();
    return MS::kSuccess;
}

MStatus MFnDistanceManip::setDrawStart(bool drawIt) {
    StockManip* m = as(rdManip_, ManipKind::Distance, nullptr);
    if (!m) return MS::kFailure;
    m->drawStart = drawIt;
    return MS::kSuccess;
}

MStatus MFnDistanceManip::setDrawLine(bool drawIt) {
    StockManip* m = as(rdManip_, ManipKind::Distance, nullptr);
    if (!m) return MS::kFailure;
    m->drawLine = drawIt;
    return MS::kSuccess;
}

MStatus MFnDistanceManip::setScalingFactor(double f) {
    StockManip* m = as(rdManip_, ManipKind::Distance, nullptr);
    if (!m) return MS::kFailure;
    if (!std::isfinite(f)) return notFinite();
    m->scalingFactor = f;
    m->derive();
    return MS::kSuccess;
}

bool MFnDistanceManip::isDrawStartOn(MStatus* st) const {
    StockManip* m = as(rdManip_, ManipKind::Distance, st);
    return m && m->drawStart;
}

bool MFnDistanceManip::isDrawLineOn(MStatus* st) const {
    StockManip* m = as(rdManip_, ManipKind::Distance, st);
    return m && m->drawLine;
}

double MFnDistanceManip::scalingFactor(MStatus* st) const {
    StockManip* m = as(rdManip_, ManipKind::Distance, st);
    return m ? m->scalingFactor : 0.0;
}

unsigned int MFnDistanceManip::distanceIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::Distance, mv::kDistDistance, st);
}
unsigned int MFnDistanceManip::directionIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::Distance, mv::kDistDirection, st);
}
unsigned int MFnDistanceManip::startPointIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::Distance, mv::kDistStart, st);
}
unsigned int MFnDistanceManip::currentPointIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::Distance, mv::kDistCurrentPoint, st);
}

// ----------------------------------------------------------- MFnToggleManip

MFnToggleManip::MFnToggleManip() {}
MFnToggleManip::MFnToggleManip(MObject& o, MStatus* st) : MFnManip3D(o, st) {
    as(rdManip_, ManipKind::Toggle, st);
}
MFnToggleManip::MFnToggleManip(const MObject& o, MStatus* st) : MFnManip3D(o, st) {
    as(rdManip_, ManipKind::Toggle, st);
}
MFnToggleManip::MFnToggleManip(const MDagPath& p, MStatus* st) : MFnManip3D(p, st) {
    as(rdManip_, ManipKind::Toggle, st);
}
MFnToggleManip::~MFnToggleManip() {}

MStatus MFnToggleManip::connectToTogglePlug(MPlug& plug) {
    return bindPlug(rdManip_, ManipKind::Toggle, plug);
}

MPoint MFnToggleManip::startPoint(MStatus* st) const {
    StockManip* m = as(rdManip_, ManipKind::Toggle, st);
    return m ? m->startPoint : MPoint();
}

MVector MFnToggleManip::direction(MStatus* st) const {
    StockManip* m = as(rdManip_, ManipKind::Toggle, st);
    return m ? m->direction : MVector();
}

double MFnToggleManip::length(MStatus* st) const {
    StockManip* m = as(rdManip_, ManipKind::Toggle, st);
    return m ? m->length : 0.0;
}

bool MFnToggleManip::toggle(MStatus* st) const {
    StockManip* m = as(rdManip_, ManipKind::Toggle, st);
    return m && m->toggle;
}

MStatus MFnToggleManip::setStartPoint(MPoint& p) {
    StockManip* m = as(rdManip_, ManipKind::Toggle, nullptr);
    if (!m) return MS::kFailure;
    if (!finite(p)) return notFinite();
    m->startPoint = p;
    return MS::kSuccess;
}

MStatus MFnToggleManip::setDirection(MVector& d) {
    StockManip* m = as(rdManip_, ManipKind::Toggle, nullptr);
    if (!m) return MS::kFailure;
    if (!finite(d)) return notFinite();
    m->direction = d;
    return MS::kSuccess;
}

MStatus MFnToggleManip::setLength(double length) {
    StockManip* m = as(rdManip_, ManipKind::Toggle, nullptr);
    if (!m) return MS::kFailure;
    if (!std::isfinite(length)) return notFinite();
    m->length = length;
    return MS::kSuccess;
}

MStatus MFnToggleManip::setToggle(bool toggle) {
    StockManip* m = as(rdManip_, ManipKind::Toggle, nullptr);
    if (!m) return MS::kFailure;
    m->toggle = toggle;
    return MS::kSuccess;
}

unsigned int MFnToggleManip::startPointIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::Toggle, mv::kTogStart, st);
}
unsigned int MFnToggleManip::directionIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::Toggle, mv::kTogDirection, st);
}
unsigned int MFnToggleManip::lengthIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::Toggle, mv::kTogLength, st);
}
unsigned int MFnToggleManip::toggleIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::Toggle, mv::kTogToggle, st);
}

// ------------------------------------------------------ MFnCircleSweepManip

MFnCircleSweepManip::MFnCircleSweepManip() {}
MFnCircleSweepManip::MFnCircleSweepManip(MObject& o, MStatus* st) : MFnManip3D(o, st) {
    as(rdManip_, ManipKind::CircleSweep, st);
}
MFnCircleSweepManip::MFnCircleSweepManip(const MObject& o, MStatus* st) : MFnManip3D(o, st) {
    as(rdManip_, ManipKind::CircleSweep, st);
}
MFnCircleSweepManip::MFnCircleSweepManip(const MDagPath& p, MStatus* st) : MFnManip3D(p, st) {
    as(rdManip_, ManipKind::CircleSweep, st);
}
MFnCircleSweepManip::~MFnCircleSweepManip() {}

MStatus MFnCircleSweepManip::connectToAnglePlug(MPlug& plug) {
    return bindPlug(rdManip_, ManipKind::CircleSweep, plug);
}

MStatus MFnCircleSweepManip::setCenterPoint(const MPoint& p) {
    StockManip* m = as(rdManip_, ManipKind::CircleSweep, nullptr);
    if (!m) return MS::kFailure;
    if (!finite(p)) return notFinite();
    m->center = p;
    m->derive();
    return MS::kSuccess;
}

MStatus MFnCircleSweepManip::setStartPoint(const MPoint& p) {
    StockManip* m = as(rdManip_, ManipKind::CircleSweep, nullptr);
    if (!m) return MS::kFailure;
    if (!finite(p)) return notFinite();
    m->startCircle = p;
    m->startCircleGiven = m->startCircleFixed = true;
    m->derive();
    return MS::kSuccess;
}

MStatus MFnCircleSweepManip::setEndPoint(const MPoint& p) {
    StockManip* m = as(rdManip_, ManipKind::CircleSweep, nullptr);
    if (!m) return MS::kFailure;
    if (!finite(p)) return notFinite();
    m->endCircle = p;
    m->endCircleGiven = m->endCircleFixed = true;
    return MS::kSuccess;
}

MStatus MFnCircleSweepManip::setNormal(const MVector& n) {
    StockManip* m = as(rdManip_, ManipKind::CircleSweep, nullptr);
    if (!m) return MS::kFailure;
    if (!finite(n)) return notFinite();
    m->normal = n;
    m->derive();
    return MS::kSuccess;
}

MStatus MFnCircleSweepManip::setRadius(double radius) {
    StockManip* m = as(rdManip_, ManipKind::CircleSweep, nullptr);
    if (!m) return MS::kFailure;
    if (!std::isfinite(radius)) return notFinite();
    m->radius = radius;
    m->derive();
    return MS::kSuccess;
}

MStatus MFnCircleSweepManip::setAngle(MAngle angle) {
    StockManip* m = as(rdManip_, ManipKind::CircleSweep, nullptr);
    if (!m) return MS::kFailure;
    const double r = angle.asRadians();
    if (!std::isfinite(r)) return notFinite();
    m->angle = r;
    m->derive();
    return MS::kSuccess;
}

MStatus MFnCircleSweepManip::setDrawAsArc(bool state) {
    StockManip* m = as(rdManip_, ManipKind::CircleSweep, nullptr);
    if (!m) return MS::kFailure;
    m->drawAsArc = state;
    return MS::kSuccess;
}

MPoint MFnCircleSweepManip::startPoint(MStatus* st) const {
    StockManip* m = as(rdManip_, ManipKind::CircleSweep, st);
    return m ? m->startCircle : MPoint();
}

MPoint MFnCircleSweepManip::endPoint(MStatus* st) const {
    StockManip* m = as(rdManip_, ManipKind::CircleSweep, st);
    return m ? m->endCircle : MPoint();
}

unsigned int MFnCircleSweepManip::centerIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::CircleSweep, mv::kSweepCenter, st);
}
unsigned int MFnCircleSweepManip::axisIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::CircleSweep, mv::kSweepAxis, st);
}
unsigned int MFnCircleSweepManip::angleIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::CircleSweep, mv::kSweepAngle, st);
}
unsigned int MFnCircleSweepManip::startCircleIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::CircleSweep, mv::kSweepStartCircle, st);
}
unsigned int MFnCircleSweepManip::endCircleIndex(MStatus* st) const {
    return index(rdManip_, ManipKind::CircleSweep, mv::kSweepEndCircle, st);
}
