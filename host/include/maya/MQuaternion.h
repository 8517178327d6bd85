// A rotation as a unit quaternion (x, y, z imaginary, w real).
#pragma once

#include <maya/MVector.h>

class MMatrix;
class MEulerRotation;

class MQuaternion {
public:
    MQuaternion() : x(0.0), y(0.0), z(0.0), w(1.0) {}
    MQuaternion(double xx, double yy, double zz, double ww) : x(xx), y(yy), z(zz), w(ww) {}
    MQuaternion(const double q[4]) : x(q[0]), y(q[1]), z(q[2]), w(q[3]) {}
    MQuaternion(const MQuaternion& other) = default;
    // The rotation taking direction a onto direction b.
    MQuaternion(const MVector& a, const MVector& b);
    MQuaternion(const MVector& a, const MVector& b, double angleFactor);
    // `angle` radians about `axis` (right-handed). A zero axis gives identity.
    MQuaternion(double angle, const MVector& axis) { setAxisAngle(axis, angle); }
    MQuaternion& operator=(const MQuaternion& other) = default;
    MQuaternion& operator=(const MMatrix& rotationMatrix);
    MQuaternion& operator=(const MEulerRotation& rotation);

    double operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    double& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }

    // Composition: q1 * q2 applies q1 first, then q2 (as matrices do).
    MQuaternion operator*(const MQuaternion& q) const {
        // Hamilton product q * this, so that the row-vector order matches MMatrix.
        return MQuaternion(q.w * x + q.x * w + q.y * z - q.z * y, q.w * y - q.x * z + q.y * w + q.z * x,
                           q.w * z + q.x * y - q.y * x + q.z * w, q.w * w - q.x * x - q.y * y - q.z * z);
    }
    MQuaternion& operator*=(const MQuaternion& q) {
        *this = *this * q;
        return *this;
    }
    MQuaternion operator+(const MQuaternion& q) const {
        return MQuaternion(x + q.x, y + q.y, z + q.z, w + q.w);
    }
    MQuaternion operator-(const MQuaternion& q) const {
        return MQuaternion(x - q.x, y - q.y, z - q.z, w - q.w);
    }
    MQuaternion operator-() const { return MQuaternion(-x, -y, -z, -w); }
    bool operator==(const MQuaternion& q) const { return x == q.x && y == q.y && z == q.z && w == q.w; }
    bool operator!=(const MQuaternion& q) const { return !(*this == q); }
    bool isEquivalent(const MQuaternion& q, double tolerance = 1.0e-10) const;

    MQuaternion& setAxisAngle(const MVector& axis, double theta);
    // Angle in [0, 2pi] and unit axis; the identity reports angle 0 about Z.
    bool getAxisAngle(MVector& axis, double& theta) const;
    MMatrix asMatrix() const;
    MEulerRotation asEulerRotation() const;
    MQuaternion conjugate() const { return MQuaternion(-x, -y, -z, w); }
    MQuaternion& conjugateIt() {
        x = -x;
        y = -y;
        z = -z;
        return *this;
    }
    MQuaternion inverse() const;
    MQuaternion& invertIt() {
        *this = inverse();
        return *this;
    }
    MQuaternion normal() const {
        MQuaternion q(*this);
        q.normalizeIt();
        return q;
    }
    MQuaternion& normalizeIt();
    MQuaternion& negateIt() {
        x = -x;
        y = -y;
        z = -z;
        w = -w;
        return *this;
    }
    MQuaternion& setToIdentity() {
        x = y = z = 0.0;
        w = 1.0;
        return *this;
    }
    MStatus get(double q[4]) const {
        q[0] = x;
        q[1] = y;
        q[2] = z;
        q[3] = w;
        return MS::kSuccess;
    }

    static const MQuaternion identity;

    double x, y, z, w;
};

MQuaternion slerp(const MQuaternion& p, const MQuaternion& q, double t);
std::ostream& operator<<(std::ostream& os, const MQuaternion& q);
