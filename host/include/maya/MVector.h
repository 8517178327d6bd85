// A three-component double vector (directions, offsets).
#pragma once

#include <maya/MStatus.h>

#include <cmath>
#include <iosfwd>

class MFloatVector;
class MPoint;
class MFloatPoint;
class MMatrix;
class MQuaternion;
class MEulerRotation;

class MVector {
public:
    enum Axis { kXaxis, kYaxis, kZaxis, kWaxis };

    MVector() : x(0.0), y(0.0), z(0.0) {}
    MVector(double xx, double yy, double zz = 0.0) : x(xx), y(yy), z(zz) {}
    MVector(const double d[3]) : x(d[0]), y(d[1]), z(d[2]) {}
    MVector(const float f[3]) : x(f[0]), y(f[1]), z(f[2]) {}
    MVector(const MVector& other) = default;
    MVector(const MFloatVector& other);
    MVector(const MPoint& point);
    MVector(const MFloatPoint& point);
    MVector& operator=(const MVector& other) = default;

    double operator()(unsigned int i) const { return i == 0 ? x : i == 1 ? y : z; }
    double operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : z; }
    double& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : z; }

    MVector operator+(const MVector& v) const { return MVector(x + v.x, y + v.y, z + v.z); }
    MVector operator-(const MVector& v) const { return MVector(x - v.x, y - v.y, z - v.z); }
    MVector operator-() const { return MVector(-x, -y, -z); }
    MVector operator*(double s) const { return MVector(x * s, y * s, z * s); }
    MVector operator/(double s) const { return MVector(x / s, y / s, z / s); }
    // Dot product.
    double operator*(const MVector& v) const { return x * v.x + y * v.y + z * v.z; }
    // Cross product.
    MVector operator^(const MVector& v) const {
        return MVector(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
    }
    // Row vector times matrix, without translation (a direction).
    MVector operator*(const MMatrix& m) const;
    MVector& operator*=(const MMatrix& m);
    MVector& operator+=(const MVector& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    MVector& operator-=(const MVector& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    MVector& operator*=(double s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    MVector& operator/=(double s) {
        x /= s;
        y /= s;
        z /= s;
        return *this;
    }
    bool operator==(const MVector& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const MVector& v) const { return !(*this == v); }

    double length() const { return std::sqrt(x * x + y * y + z * z); }
    // Unit vector in the same direction; a (near) zero vector is returned as is.
    MVector normal() const {
        MVector r(*this);
        r.normalize();
        return r;
    }
    // Leaves a vector of squared length at most 1e-20 unchanged.
    MStatus normalize() {
        const double len2 = x * x + y * y + z * z;
        if (len2 > 1e-20) {
            const double inv = 1.0 / std::sqrt(len2);
            x *= inv;
            y *= inv;
            z *= inv;
        }
        return MS::kSuccess;
    }
    // Angle to `other` in radians, in [0, pi]; 0 when either vector is zero.
    double angle(const MVector& other) const {
        const double c = (*this ^ other).length();
        const double d = *this * other;
        if (c == 0.0 && d == 0.0) return 0.0;
        return std::atan2(c, d);
    }
    bool isEquivalent(const MVector& other, double tolerance = 1.0e-10) const {
        return std::fabs(x - other.x) <= tolerance && std::fabs(y - other.y) <= tolerance &&
               std::fabs(z - other.z) <= tolerance;
    }
    bool isParallel(const MVector& other, double tolerance = 1.0e-10) const {
        const double la = length(), lb = other.length();
        if (la == 0.0 || lb == 0.0) return true;
        return (*this ^ other).length() / (la * lb) <= tolerance;
    }
    MVector rotateBy(const MQuaternion& q) const;
    MVector rotateBy(const MEulerRotation& e) const;
    MVector rotateBy(Axis axis, double angle) const;
    // The rotation that turns this vector onto `target`.
    MQuaternion rotateTo(const MVector& target) const;
    MVector transformAsNormal(const MMatrix& m) const;
    MStatus get(double d[3]) const {
        d[0] = x;
        d[1] = y;
        d[2] = z;
        return MS::kSuccess;
    }

    static const MVector zero;
    static const MVector one;
    static const MVector xAxis;
    static const MVector yAxis;
    static const MVector zAxis;
    static const MVector xNegAxis;
    static const MVector yNegAxis;
    static const MVector zNegAxis;

    double x, y, z;
};

inline MVector operator*(double s, const MVector& v) { return MVector(v.x * s, v.y * s, v.z * s); }
inline MVector operator*(int s, const MVector& v) { return double(s) * v; }
MVector operator*(const MMatrix& m, const MVector& v);
std::ostream& operator<<(std::ostream& os, const MVector& v);
