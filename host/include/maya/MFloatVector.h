// A three-component float vector.
#pragma once

#include <maya/MStatus.h>

#include <cmath>
#include <iosfwd>

class MVector;
class MFloatPoint;
class MFloatMatrix;

class MFloatVector {
public:
    enum Axis { kXaxis, kYaxis, kZaxis, kWaxis };

    MFloatVector() : x(0.0f), y(0.0f), z(0.0f) {}
    MFloatVector(float xx, float yy, float zz = 0.0f) : x(xx), y(yy), z(zz) {}
    MFloatVector(const float f[3]) : x(f[0]), y(f[1]), z(f[2]) {}
    MFloatVector(const double d[3]) : x(float(d[0])), y(float(d[1])), z(float(d[2])) {}
    MFloatVector(const MFloatVector& other) = default;
    MFloatVector(const MVector& v);
    MFloatVector(const MFloatPoint& p);
    MFloatVector& operator=(const MFloatVector& other) = default;

    float operator()(unsigned int i) const { return i == 0 ? x : i == 1 ? y : z; }
    float operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : z; }
    float& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : z; }

    MFloatVector operator+(const MFloatVector& v) const { return MFloatVector(x + v.x, y + v.y, z + v.z); }
    MFloatVector operator-(const MFloatVector& v) const { return MFloatVector(x - v.x, y - v.y, z - v.z); }
    MFloatVector operator-() const { return MFloatVector(-x, -y, -z); }
    MFloatVector operator*(float s) const { return MFloatVector(x * s, y * s, z * s); }
    MFloatVector operator/(float s) const { return MFloatVector(x / s, y / s, z / s); }
    float operator*(const MFloatVector& v) const { return x * v.x + y * v.y + z * v.z; }
    MFloatVector operator^(const MFloatVector& v) const {
        return MFloatVector(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
    }
    MFloatVector& operator+=(const MFloatVector& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    MFloatVector& operator-=(const MFloatVector& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    MFloatVector& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    MFloatVector& operator/=(float s) {
        x /= s;
        y /= s;
        z /= s;
        return *this;
    }
    bool operator==(const MFloatVector& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const MFloatVector& v) const { return !(*this == v); }

    float length() const { return std::sqrt(x * x + y * y + z * z); }
    MFloatVector normal() const {
        MFloatVector r(*this);
        r.normalize();
        return r;
    }
    // Leaves a vector of squared length at most 1e-20 unchanged.
    MStatus normalize() {
        const double len2 = double(x) * x + double(y) * y + double(z) * z;
        if (len2 > 1e-20) {
            const double inv = 1.0 / std::sqrt(len2);
            x = float(x * inv);
            y = float(y * inv);
            z = float(z * inv);
        }
        return MS::kSuccess;
    }
    // Angle to `other` in radians; 0 when either vector is zero.
    float angle(const MFloatVector& other) const {
        const float c = (*this ^ other).length();
        const float d = *this * other;
        if (c == 0.0f && d == 0.0f) return 0.0f;
        return std::atan2(c, d);
    }
    bool isEquivalent(const MFloatVector& other, float tolerance = 1.0e-5f) const {
        return std::fabs(x - other.x) <= tolerance && std::fabs(y - other.y) <= tolerance &&
               std::fabs(z - other.z) <= tolerance;
    }
    MStatus get(float f[3]) const {
        f[0] = x;
        f[1] = y;
        f[2] = z;
        return MS::kSuccess;
    }

    static const MFloatVector zero;
    static const MFloatVector one;
    static const MFloatVector xAxis;
    static const MFloatVector yAxis;
    static const MFloatVector zAxis;
    static const MFloatVector xNegAxis;
    static const MFloatVector yNegAxis;
    static const MFloatVector zNegAxis;

    float x, y, z;
};

inline MFloatVector operator*(float s, const MFloatVector& v) { return v * s; }
inline MFloatVector operator*(double s, const MFloatVector& v) { return v * float(s); }
inline MFloatVector operator*(int s, const MFloatVector& v) { return v * float(s); }
std::ostream& operator<<(std::ostream& os, const MFloatVector& v);
