// A homogeneous float point.
#pragma once

#include <maya/MFloatVector.h>
#include <maya/MPoint.h>

class MFloatPoint {
public:
    MFloatPoint() : x(0.0f), y(0.0f), z(0.0f), w(1.0f) {}
    MFloatPoint(float xx, float yy, float zz = 0.0f, float ww = 1.0f) : x(xx), y(yy), z(zz), w(ww) {}
    MFloatPoint(const float f[4]) : x(f[0]), y(f[1]), z(f[2]), w(f[3]) {}
    MFloatPoint(const MFloatPoint& other) = default;
    MFloatPoint(const MFloatVector& v) : x(v.x), y(v.y), z(v.z), w(1.0f) {}
    MFloatPoint(const MPoint& p) : x(float(p.x)), y(float(p.y)), z(float(p.z)), w(float(p.w)) {}
    MFloatPoint& operator=(const MFloatPoint& other) = default;

    float operator()(unsigned int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    float operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    float& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }

    MFloatVector operator-(const MFloatPoint& p) const { return MFloatVector(x - p.x, y - p.y, z - p.z); }
    MFloatPoint operator+(const MFloatVector& v) const { return MFloatPoint(x + v.x, y + v.y, z + v.z, w); }
    MFloatPoint operator-(const MFloatVector& v) const { return MFloatPoint(x - v.x, y - v.y, z - v.z, w); }
    MFloatPoint& operator+=(const MFloatVector& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    MFloatPoint& operator-=(const MFloatVector& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    MFloatPoint operator*(float s) const { return MFloatPoint(x * s, y * s, z * s, w); }
    bool operator==(const MFloatPoint& p) const { return x == p.x && y == p.y && z == p.z && w == p.w; }
    bool operator!=(const MFloatPoint& p) const { return !(*this == p); }

    float distanceTo(const MFloatPoint& p) const { return (*this - p).length(); }
    bool isEquivalent(const MFloatPoint& p, float tolerance = 1.0e-5f) const {
        return distanceTo(p) <= tolerance;
    }
    MFloatPoint& cartesianize() {
        if (w != 0.0f && w != 1.0f) {
            x /= w;
            y /= w;
            z /= w;
            w = 1.0f;
        }
        return *this;
    }
    MStatus get(float f[4]) const {
        f[0] = x;
        f[1] = y;
        f[2] = z;
        f[3] = w;
        return MS::kSuccess;
    }

    static const MFloatPoint origin;

    float x, y, z, w;
};

std::ostream& operator<<(std::ostream& os, const MFloatPoint& p);
