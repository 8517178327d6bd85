// A homogeneous double point (x, y, z, w).
#pragma once

#include <maya/MVector.h>

class MFloatPoint;
class MMatrix;

class MPoint {
public:
    MPoint() : x(0.0), y(0.0), z(0.0), w(1.0) {}
    MPoint(double xx, double yy, double zz = 0.0, double ww = 1.0) : x(xx), y(yy), z(zz), w(ww) {}
    MPoint(const double d[4]) : x(d[0]), y(d[1]), z(d[2]), w(d[3]) {}
    MPoint(const float f[4]) : x(f[0]), y(f[1]), z(f[2]), w(f[3]) {}
    MPoint(const MPoint& other) = default;
    MPoint(const MVector& v) : x(v.x), y(v.y), z(v.z), w(1.0) {}
    MPoint(const MFloatPoint& p);
    MPoint(const MFloatVector& v);
    MPoint& operator=(const MPoint& other) = default;

    double operator()(unsigned int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    double operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    double& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }

    MVector operator-(const MPoint& p) const {
        const MPoint a = cartesian(), b = p.cartesian();
        return MVector(a.x - b.x, a.y - b.y, a.z - b.z);
    }
    MPoint operator+(const MVector& v) const {
        const MPoint a = cartesian();
        return MPoint(a.x + v.x, a.y + v.y, a.z + v.z);
    }
    MPoint operator-(const MVector& v) const {
        const MPoint a = cartesian();
        return MPoint(a.x - v.x, a.y - v.y, a.z - v.z);
    }
    MPoint& operator+=(const MVector& v) {
        *this = *this + v;
        return *this;
    }
    MPoint& operator-=(const MVector& v) {
        *this = *this - v;
        return *this;
    }
    MPoint operator*(double s) const { return MPoint(x * s, y * s, z * s, w); }
    MPoint operator/(double s) const { return MPoint(x / s, y / s, z / s, w); }
    MPoint& operator*=(double s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    MPoint operator*(const MMatrix& m) const;
    MPoint& operator*=(const MMatrix& m);
    bool operator==(const MPoint& p) const { return x == p.x && y == p.y && z == p.z && w == p.w; }
    bool operator!=(const MPoint& p) const { return !(*this == p); }

    double distanceTo(const MPoint& p) const { return (*this - p).length(); }
    bool isEquivalent(const MPoint& p, double tolerance = 1.0e-10) const {
        return distanceTo(p) <= tolerance;
    }
    // Divides by w (a w of 0 is a direction and is left as it is).
    MPoint& cartesianize() {
        if (w != 0.0 && w != 1.0) {
            x /= w;
            y /= w;
            z /= w;
            w = 1.0;
        }
        return *this;
    }
    MPoint& rationalize() {
        if (w != 0.0 && w != 1.0) {
            x /= w;
            y /= w;
            z /= w;
        }
        return *this;
    }
    MPoint& homogenize() {
        x *= w;
        y *= w;
        z *= w;
        return *this;
    }
    MStatus get(double d[4]) const {
        d[0] = x;
        d[1] = y;
        d[2] = z;
        d[3] = w;
        return MS::kSuccess;
    }

    static const MPoint origin;

    double x, y, z, w;

private:
    MPoint cartesian() const {
        MPoint p(*this);
        p.cartesianize();
        return p;
    }
};

inline MPoint operator*(double s, const MPoint& p) { return p * s; }
MPoint operator*(const MMatrix& m, const MPoint& p);
std::ostream& operator<<(std::ostream& os, const MPoint& p);
