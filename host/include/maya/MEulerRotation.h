// A rotation as three angles (radians) applied in a given order.
#pragma once

#include <maya/MVector.h>

class MMatrix;
class MQuaternion;

class MEulerRotation {
public:
    // kXYZ rotates about X first, then Y, then Z.
    enum RotationOrder { kXYZ = 0, kYZX = 1, kZXY = 2, kXZY = 3, kYXZ = 4, kZYX = 5 };

    MEulerRotation() : x(0.0), y(0.0), z(0.0), order(kXYZ) {}
    MEulerRotation(double xx, double yy, double zz, RotationOrder ord = kXYZ)
        : x(xx), y(yy), z(zz), order(ord) {}
    MEulerRotation(const MVector& v, RotationOrder ord = kXYZ) : x(v.x), y(v.y), z(v.z), order(ord) {}
    MEulerRotation(const MEulerRotation& other) = default;
    MEulerRotation& operator=(const MEulerRotation& other) = default;
    MEulerRotation& operator=(const MQuaternion& q);
    MEulerRotation& operator=(const MMatrix& m);

    double operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : z; }
    double& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : z; }
    MEulerRotation operator+(const MEulerRotation& o) const {
        return MEulerRotation(x + o.x, y + o.y, z + o.z, order);
    }
    MEulerRotation operator-(const MEulerRotation& o) const {
        return MEulerRotation(x - o.x, y - o.y, z - o.z, order);
    }
    MEulerRotation operator-() const { return MEulerRotation(-x, -y, -z, order); }
    MEulerRotation operator*(double s) const { return MEulerRotation(x * s, y * s, z * s, order); }
    bool operator==(const MEulerRotation& o) const {
        return x == o.x && y == o.y && z == o.z && order == o.order;
    }
    bool operator!=(const MEulerRotation& o) const { return !(*this == o); }
    bool isEquivalent(const MEulerRotation& o, double tolerance = 1.0e-10) const;
    bool isZero(double tolerance = 1.0e-10) const {
        return (x < 0 ? -x : x) <= tolerance && (y < 0 ? -y : y) <= tolerance &&
               (z < 0 ? -z : z) <= tolerance;
    }

    MMatrix asMatrix() const;
    MQuaternion asQuaternion() const;
    MVector asVector() const { return MVector(x, y, z); }
    MEulerRotation& setValue(double xx, double yy, double zz, RotationOrder ord = kXYZ) {
        x = xx;
        y = yy;
        z = zz;
        order = ord;
        return *this;
    }
    MEulerRotation& setToIdentity() {
        x = y = z = 0.0;
        return *this;
    }
    MEulerRotation inverse() const;
    MEulerRotation& incrementalRotateBy(const MVector& axis, double angle);
    // Same rotation, expressed in order `ord`.
    MEulerRotation reorder(RotationOrder ord) const;
    MEulerRotation& reorderIt(RotationOrder ord) {
        *this = reorder(ord);
        return *this;
    }
    // Euler angles in `ord` of the rotation part of `matrix` (scale removed).
    static MEulerRotation decompose(const MMatrix& matrix, RotationOrder ord);

    static const MEulerRotation identity;

    double x, y, z;
    RotationOrder order;
};

std::ostream& operator<<(std::ostream& os, const MEulerRotation& e);
