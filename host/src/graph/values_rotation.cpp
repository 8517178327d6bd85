// Quaternions and Euler rotations, in the row-vector convention of MMatrix:
// a rotation matrix M turns v into v * M.
#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>
#include <maya/MQuaternion.h>

#include <algorithm>
#include <cmath>
#include <ostream>

const MQuaternion MQuaternion::identity;
const MEulerRotation MEulerRotation::identity;

namespace {

// Rotation matrices about one axis, row-vector form.
MMatrix axisMatrix(int axis, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    MMatrix m;
    const int i = (axis + 1) % 3, j = (axis + 2) % 3;
    m.matrix[i][i] = c;
    m.matrix[i][j] = s;
    m.matrix[j][i] = -s;
    m.matrix[j][j] = c;
    return m;
}

// Axis order of each MEulerRotation::RotationOrder, first applied first.
const int kOrderAxes[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {1, 0, 2}, {2, 1, 0}};

bool orderIsOdd(MEulerRotation::RotationOrder order) { return order >= MEulerRotation::kXZY; }

int orderIndex(MEulerRotation::RotationOrder order) {
    const int i = static_cast<int>(order);
    return (i < 0 || i > 5) ? 0 : i;
}

// Upper 3x3 with each row made unit length (scale removed).
void rotationPart(const MMatrix& m, double r[3][3]) {
    for (int i = 0; i < 3; ++i) {
        const double len = std::sqrt(m.matrix[i][0] * m.matrix[i][0] + m.matrix[i][1] * m.matrix[i][1] +
                                     m.matrix[i][2] * m.matrix[i][2]);
        for (int j = 0; j < 3; ++j) r[i][j] = len > 0.0 ? m.matrix[i][j] / len : (i == j ? 1.0 : 0.0);
    }
}

}  // namespace

MQuaternion& MQuaternion::setAxisAngle(const MVector& axis, double theta) {
    const double len = axis.length();
    if (!(len > 1e-20) || !std::isfinite(theta)) {
        x = y = z = 0.0;
        w = 1.0;
        return *this;
    }
    const double s = std::sin(theta * 0.5) / len;
    x = axis.x * s;
    y = axis.y * s;
    z = axis.z * s;
    w = std::cos(theta * 0.5);
    return *this;
}

bool MQuaternion::getAxisAngle(MVector& axis, double& theta) const {
    const MQuaternion q = normal();
    const double s = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    if (s < 1e-12) {
        axis = MVector(0.0, 0.0, 1.0);
        theta = 0.0;
        return false;
    }
    axis = MVector(q.x / s, q.y / s, q.z / s);
    theta = 2.0 * std::atan2(s, q.w);
    return true;
}

MQuaternion::MQuaternion(const MVector& a, const MVector& b) : MQuaternion(a, b, 1.0) {}

MQuaternion::MQuaternion(const MVector& a, const MVector& b, double angleFactor) : x(0), y(0), z(0), w(1) {
    const MVector an = a.normal(), bn = b.normal();
    if (an.length() == 0.0 || bn.length() == 0.0) return;
    MVector axis = an ^ bn;
    const double angle = an.angle(bn);
    if (axis.length() < 1e-12) {
        if (an * bn > 0.0) return;
        // Opposite directions: any axis perpendicular to a will do.
        axis = an ^ MVector(1.0, 0.0, 0.0);
        if (axis.length() < 1e-6) axis = an ^ MVector(0.0, 1.0, 0.0);
    }
    setAxisAngle(axis, angle * angleFactor);
}

MQuaternion& MQuaternion::normalizeIt() {
    const double n = std::sqrt(x * x + y * y + z * z + w * w);
    if (n > 0.0 && n != 1.0) {
        x /= n;
        y /= n;
        z /= n;
        w /= n;
    } else if (n == 0.0) {
        w = 1.0;
    }
    return *this;
}

MQuaternion MQuaternion::inverse() const {
    const double n2 = x * x + y * y + z * z + w * w;
    if (n2 == 0.0) return MQuaternion();
    return MQuaternion(-x / n2, -y / n2, -z / n2, w / n2);
}

bool MQuaternion::isEquivalent(const MQuaternion& q, double tolerance) const {
    // q and -q are the same rotation.
    const bool same = std::fabs(x - q.x) <= tolerance && std::fabs(y - q.y) <= tolerance &&
                      std::fabs(z - q.z) <= tolerance && std::fabs(w - q.w) <= tolerance;
    const bool neg = std::fabs(x + q.x) <= tolerance && std::fabs(y + q.y) <= tolerance &&
                     std::fabs(z + q.z) <= tolerance && std::fabs(w + q.w) <= tolerance;
    return same || neg;
}

MMatrix MQuaternion::asMatrix() const {
    const MQuaternion q = normal();
    const double xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    const double xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    const double wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    MMatrix m;
    m.matrix[0][0] = 1.0 - 2.0 * (yy + zz);
    m.matrix[0][1] = 2.0 * (xy + wz);
    m.matrix[0][2] = 2.0 * (xz - wy);
    m.matrix[1][0] = 2.0 * (xy - wz);
    m.matrix[1][1] = 1.0 - 2.0 * (xx + zz);
    m.matrix[1][2] = 2.0 * (yz + wx);
    m.matrix[2][0] = 2.0 * (xz + wy);
    m.matrix[2][1] = 2.0 * (yz - wx);
    m.matrix[2][2] = 1.0 - 2.0 * (xx + yy);
    return m;
}

MQuaternion& MQuaternion::operator=(const MMatrix& m) {
    double r[3][3];
    rotationPart(m, r);
    // r is the transpose of the column-vector rotation R: R[i][j] = r[j][i].
    const double trace = r[0][0] + r[1][1] + r[2][2];
    if (trace > 0.0) {
        const double s = 0.5 / std::sqrt(trace + 1.0);
        w = 0.25 / s;
        x = (r[1][2] - r[2][1]) * s;
        y = (r[2][0] - r[0][2]) * s;
        z = (r[0][1] - r[1][0]) * s;
    } else if (r[0][0] > r[1][1] && r[0][0] > r[2][2]) {
        const double s = 2.0 * std::sqrt(std::max(0.0, 1.0 + r[0][0] - r[1][1] - r[2][2]));
        w = (r[1][2] - r[2][1]) / s;
        x = 0.25 * s;
        y = (r[1][0] + r[0][1]) / s;
        z = (r[2][0] + r[0][2]) / s;
    } else if (r[1][1] > r[2][2]) {
        const double s = 2.0 * std::sqrt(std::max(0.0, 1.0 + r[1][1] - r[0][0] - r[2][2]));
        w = (r[2][0] - r[0][2]) / s;
        x = (r[1][0] + r[0][1]) / s;
        y = 0.25 * s;
        z = (r[2][1] + r[1][2]) / s;
    } else {
        const double s = 2.0 * std::sqrt(std::max(0.0, 1.0 + r[2][2] - r[0][0] - r[1][1]));
        w = (r[0][1] - r[1][0]) / s;
        x = (r[2][0] + r[0][2]) / s;
        y = (r[2][1] + r[1][2]) / s;
        z = 0.25 * s;
    }
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) || !std::isfinite(w)) setToIdentity();
    normalizeIt();
    return *this;
}

MQuaternion& MQuaternion::operator=(const MEulerRotation& rotation) {
    return *this = rotation.asQuaternion();
}

MEulerRotation MQuaternion::asEulerRotation() const {
    return MEulerRotation::decompose(asMatrix(), MEulerRotation::kXYZ);
}

MQuaternion slerp(const MQuaternion& p, const MQuaternion& q, double t) {
    MQuaternion b = q;
    double c = p.x * q.x + p.y * q.y + p.z * q.z + p.w * q.w;
    if (c < 0.0) {
        b.negateIt();
        c = -c;
    }
    double wp = 1.0 - t, wq = t;
    if (c < 0.9999) {
        const double a = std::acos(std::min(1.0, c)), s = std::sin(a);
        wp = std::sin((1.0 - t) * a) / s;
        wq = std::sin(t * a) / s;
    }
    return MQuaternion(p.x * wp + b.x * wq, p.y * wp + b.y * wq, p.z * wp + b.z * wq, p.w * wp + b.w * wq)
        .normal();
}

std::ostream& operator<<(std::ostream& os, const MQuaternion& q) {
    return os << "[" << q.x << ", " << q.y << ", " << q.z << ", " << q.w << "]";
}

MMatrix MEulerRotation::asMatrix() const {
    const int* axes = kOrderAxes[orderIndex(order)];
    const double angles[3] = {x, y, z};
    return axisMatrix(axes[0], angles[axes[0]]) * axisMatrix(axes[1], angles[axes[1]]) *
           axisMatrix(axes[2], angles[axes[2]]);
}

MQuaternion MEulerRotation::asQuaternion() const {
    const int* axes = kOrderAxes[orderIndex(order)];
    const double angles[3] = {x, y, z};
    const MVector unit[3] = {MVector::xAxis, MVector::yAxis, MVector::zAxis};
    return MQuaternion(angles[axes[0]], unit[axes[0]]) * MQuaternion(angles[axes[1]], unit[axes[1]]) *
           MQuaternion(angles[axes[2]], unit[axes[2]]);
}

MEulerRotation MEulerRotation::decompose(const MMatrix& matrix, RotationOrder ord) {
    double r[3][3];
    rotationPart(matrix, r);
    // Relabel the axes so the order reads X, Y, Z; an odd relabelling mirrors
    // the space, which negates every angle.
    const int* a = kOrderAxes[orderIndex(ord)];
    const double sign = orderIsOdd(ord) ? -1.0 : 1.0;
    double p[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) p[i][j] = r[a[i]][a[j]];
    // p = Rx(t0) Ry(t1) Rz(t2):
    //   row0 = (cy cz, cy sz, -sy); row1[2] = sx cy; row2[2] = cx cy.
    const double sy = std::max(-1.0, std::min(1.0, -p[0][2]));
    double t0, t1 = std::asin(sy), t2;
    const double cy = std::sqrt(p[0][0] * p[0][0] + p[0][1] * p[0][1]);
    if (cy > 1e-9) {
        t0 = std::atan2(p[1][2], p[2][2]);
        t2 = std::atan2(p[0][1], p[0][0]);
    } else {
        // Gimbal lock: only t0 - t2 (or t0 + t2) is defined; put it all in t0.
        t2 = 0.0;
        t0 = std::atan2(-p[2][1], p[1][1]);
    }
    double angles[3];
    angles[a[0]] = t0 * sign;
    angles[a[1]] = t1 * sign;
    angles[a[2]] = t2 * sign;
    return MEulerRotation(angles[0], angles[1], angles[2], ord);
}

MEulerRotation& MEulerRotation::operator=(const MQuaternion& q) {
    *this = decompose(q.asMatrix(), order);
    return *this;
}

MEulerRotation& MEulerRotation::operator=(const MMatrix& m) {
    *this = decompose(m, order);
    return *this;
}

bool MEulerRotation::isEquivalent(const MEulerRotation& o, double tolerance) const {
    return asMatrix().isEquivalent(o.asMatrix(), tolerance);
}

MEulerRotation MEulerRotation::inverse() const { return decompose(asMatrix().transpose(), order); }

MEulerRotation& MEulerRotation::incrementalRotateBy(const MVector& axis, double angle) {
    const MMatrix m = asMatrix() * MQuaternion(angle, axis).asMatrix();
    *this = decompose(m, order);
    return *this;
}

MEulerRotation MEulerRotation::reorder(RotationOrder ord) const { return decompose(asMatrix(), ord); }

std::ostream& operator<<(std::ostream& os, const MEulerRotation& e) {
    return os << "[" << e.x << ", " << e.y << ", " << e.z << "]";
}
