// MTransformationMatrix: composition S * Sh * R * T and its decomposition.
#include <maya/MTransformationMatrix.h>

#include "graph/handles.h"

#include <cmath>

const MTransformationMatrix MTransformationMatrix::identity;

using rdhost::setStatus;

namespace {

bool validSpace(MSpace::Space space) { return space > MSpace::kInvalid && space < MSpace::kLast; }

// A unit vector perpendicular to both a and b (either may be zero).
MVector completeBasis(const MVector& a, const MVector& b) {
    const MVector axes[3] = {MVector::xAxis, MVector::yAxis, MVector::zAxis};
    for (const MVector& c : axes) {
        MVector v = c - a * (c * a) - b * (c * b);
        if (v.length() > 1e-6) return v.normal();
    }
    return MVector::zAxis;
}

}  // namespace

MTransformationMatrix::MTransformationMatrix()
    : order_(MEulerRotation::kXYZ), scale_{1, 1, 1}, shear_{0, 0, 0} {}

MTransformationMatrix::MTransformationMatrix(const MMatrix& m)
    : order_(MEulerRotation::kXYZ), scale_{1, 1, 1}, shear_{0, 0, 0} {
    const auto& a = m.matrix;
    translate_ = MVector(a[3][0], a[3][1], a[3][2]);
    const MVector m0(a[0][0], a[0][1], a[0][2]), m1(a[1][0], a[1][1], a[1][2]), m2(a[2][0], a[2][1], a[2][2]);

    // Gram-Schmidt: rows are  sx r0,  sy (xy r0 + r1),  sz (xz r0 + yz r1 + r2).
    double sx = m0.length();
    MVector r0 = sx > 1e-12 ? m0 / sx : MVector::xAxis;
    if (sx <= 1e-12) sx = 0.0;
    const double d10 = m1 * r0;
    MVector rest1 = m1 - r0 * d10;
    double sy = rest1.length();
    MVector r1 = sy > 1e-12 ? rest1 / sy : completeBasis(r0, MVector::zero);
    if (sy <= 1e-12) sy = 0.0;
    const double d20 = m2 * r0, d21 = m2 * r1;
    MVector rest2 = m2 - r0 * d20 - r1 * d21;
    double sz = rest2.length();
    MVector r2 = sz > 1e-12 ? rest2 / sz : (r0 ^ r1);
    if (sz <= 1e-12) sz = 0.0;
    double xy = sy != 0.0 ? d10 / sy : 0.0;
    double xz = sz != 0.0 ? d20 / sz : 0.0;
    double yz = sz != 0.0 ? d21 / sz : 0.0;

    if (((r0 ^ r1) * r2) < 0.0) {
        // A mirror: move it into one scale. Flip the axis that leaves the
        // rotation closest to identity, so a plain negative scale reads back.
        int best = 0;
        double bestTrace = -1e300;
        for (int i = 0; i < 3; ++i) {
            const double t = (i == 0 ? -r0.x : r0.x) + (i == 1 ? -r1.y : r1.y) + (i == 2 ? -r2.z : r2.z);
            if (t > bestTrace) {
                bestTrace = t;
                best = i;
            }
        }
        if (best == 0) {
            sx = -sx;
            r0 = -r0;
            xy = -xy;
            xz = -xz;
        }
        if (best == 1) {
            sy = -sy;
            r1 = -r1;
            xy = -xy;
            yz = -yz;
        }
        if (best == 2) {
            sz = -sz;
            r2 = -r2;
        }
    }
    scale_[0] = sx;
    scale_[1] = sy;
    scale_[2] = sz;
    shear_[0] = xy;
    shear_[1] = xz;
    shear_[2] = yz;
    MMatrix rot;
    const MVector rows[3] = {r0, r1, r2};
    for (int i = 0; i < 3; ++i) {
        rot.matrix[i][0] = rows[i].x;
        rot.matrix[i][1] = rows[i].y;
        rot.matrix[i][2] = rows[i].z;
    }
    rotate_ = rot;
}

MMatrix MTransformationMatrix::asScaleMatrix() const {
    MMatrix s;
    s.matrix[0][0] = scale_[0];
    s.matrix[1][0] = scale_[1] * shear_[0];
    s.matrix[1][1] = scale_[1];
    s.matrix[2][0] = scale_[2] * shear_[1];
    s.matrix[2][1] = scale_[2] * shear_[2];
    s.matrix[2][2] = scale_[2];
    return s;
}

MMatrix MTransformationMatrix::asRotateMatrix() const { return rotate_.asMatrix(); }

MMatrix MTransformationMatrix::asMatrix() const {
    MMatrix m = asScaleMatrix() * rotate_.asMatrix();
    m.matrix[3][0] = translate_.x;
    m.matrix[3][1] = translate_.y;
    m.matrix[3][2] = translate_.z;
    return m;
}

MMatrix MTransformationMatrix::asMatrix(double percent) const {
    MTransformationMatrix t(*this);
    t.translate_ = translate_ * percent;
    for (int i = 0; i < 3; ++i) {
        t.scale_[i] = 1.0 + (scale_[i] - 1.0) * percent;
        t.shear_[i] = shear_[i] * percent;
    }
    t.rotate_ = slerp(MQuaternion(), rotate_, percent);
    return t.asMatrix();
}

MVector MTransformationMatrix::getTranslation(MSpace::Space space, MStatus* status) const {
    if (!validSpace(space)) {
        setStatus(status, MS::kInvalidParameter);
        return MVector();
    }
    setStatus(status, MS::kSuccess);
    return translate_;
}

MVector MTransformationMatrix::translation(MSpace::Space space, MStatus* status) const {
    return getTranslation(space, status);
}

MStatus MTransformationMatrix::setTranslation(const MVector& vector, MSpace::Space space) {
    if (!validSpace(space)) return MS::kInvalidParameter;
    translate_ = vector;
    return MS::kSuccess;
}

MStatus MTransformationMatrix::addTranslation(const MVector& vector, MSpace::Space space) {
    if (!validSpace(space)) return MS::kInvalidParameter;
    translate_ += vector;
    return MS::kSuccess;
}

MQuaternion MTransformationMatrix::rotation(MStatus* status) const {
    setStatus(status, MS::kSuccess);
    return rotate_;
}

MEulerRotation MTransformationMatrix::eulerRotation(MStatus* status) const {
    setStatus(status, MS::kSuccess);
    return MEulerRotation::decompose(rotate_.asMatrix(), order_);
}

MTransformationMatrix& MTransformationMatrix::rotateTo(const MQuaternion& q, MSpace::Space space,
                                                       MStatus* status) {
    if (!validSpace(space)) {
        setStatus(status, MS::kInvalidParameter);
        return *this;
    }
    rotate_ = q.normal();
    setStatus(status, MS::kSuccess);
    return *this;
}

MTransformationMatrix& MTransformationMatrix::rotateTo(const MEulerRotation& e, MSpace::Space space,
                                                       MStatus* status) {
    if (!validSpace(space)) {
        setStatus(status, MS::kInvalidParameter);
        return *this;
    }
    rotate_ = e.asQuaternion();
    order_ = e.order;
    setStatus(status, MS::kSuccess);
    return *this;
}

MStatus MTransformationMatrix::getRotationQuaternion(double& x, double& y, double& z, double& w,
                                                     MSpace::Space space) const {
    if (!validSpace(space)) return MS::kInvalidParameter;
    x = rotate_.x;
    y = rotate_.y;
    z = rotate_.z;
    w = rotate_.w;
    return MS::kSuccess;
}

MStatus MTransformationMatrix::setRotationQuaternion(double x, double y, double z, double w,
                                                     MSpace::Space space) {
    if (!validSpace(space)) return MS::kInvalidParameter;
    rotate_ = MQuaternion(x, y, z, w).normal();
    return MS::kSuccess;
}

MStatus MTransformationMatrix::getRotation(double rotation[3], RotationOrder& order) const {
    const MEulerRotation e = MEulerRotation::decompose(rotate_.asMatrix(), order_);
    rotation[0] = e.x;
    rotation[1] = e.y;
    rotation[2] = e.z;
    order = static_cast<RotationOrder>(static_cast<int>(order_) + 1);
    return MS::kSuccess;
}

MStatus MTransformationMatrix::setRotation(const double rotation[3], RotationOrder order) {
    if (order <= kInvalid || order >= kLast) return MS::kInvalidParameter;
    order_ = static_cast<MEulerRotation::RotationOrder>(static_cast<int>(order) - 1);
    rotate_ = MEulerRotation(rotation[0], rotation[1], rotation[2], order_).asQuaternion();
    return MS::kSuccess;
}

MTransformationMatrix::RotationOrder MTransformationMatrix::rotationOrder(MStatus* status) const {
    setStatus(status, MS::kSuccess);
    return static_cast<RotationOrder>(static_cast<int>(order_) + 1);
}

MStatus MTransformationMatrix::getScale(double scale[3], MSpace::Space space) const {
    if (!validSpace(space)) return MS::kInvalidParameter;
    for (int i = 0; i < 3; ++i) scale[i] = scale_[i];
    return MS::kSuccess;
}

MStatus MTransformationMatrix::setScale(const double scale[3], MSpace::Space space) {
    if (!validSpace(space)) return MS::kInvalidParameter;
    for (int i = 0; i < 3; ++i) scale_[i] = scale[i];
    return MS::kSuccess;
}

MStatus MTransformationMatrix::getShear(double shear[3], MSpace::Space space) const {
    if (!validSpace(space)) return MS::kInvalidParameter;
    for (int i = 0; i < 3; ++i) shear[i] = shear_[i];
    return MS::kSuccess;
}

MStatus MTransformationMatrix::setShear(const double shear[3], MSpace::Space space) {
    if (!validSpace(space)) return MS::kInvalidParameter;
    for (int i = 0; i < 3; ++i) shear_[i] = shear[i];
    return MS::kSuccess;
}
