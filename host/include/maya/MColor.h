// An RGBA colour with float components.
#pragma once

#include <maya/MTypes.h>

class MColor {
public:
    enum MColorType { kRGB, kHSV, kCMY, kCMYK };

    MColor() : r(0.0f), g(0.0f), b(0.0f), a(1.0f) {}
    MColor(float rr, float gg, float bb = 0.0f, float aa = 1.0f) : r(rr), g(gg), b(bb), a(aa) {}
    MColor(const float rgb[3]) : r(rgb[0]), g(rgb[1]), b(rgb[2]), a(1.0f) {}
    MColor(const MColor& other) = default;
    MColor& operator=(const MColor& other) = default;

    float operator[](unsigned int i) const { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
    float& operator[](unsigned int i) { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
    bool operator==(const MColor& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const MColor& o) const { return !(*this == o); }
    MColor operator+(const MColor& o) const { return MColor(r + o.r, g + o.g, b + o.b, a + o.a); }
    MColor operator-(const MColor& o) const { return MColor(r - o.r, g - o.g, b - o.b, a - o.a); }
    MColor operator*(float s) const { return MColor(r * s, g * s, b * s, a * s); }
    MColor operator*(const MColor& o) const { return MColor(r * o.r, g * o.g, b * o.b, a * o.a); }
    MColor& operator+=(const MColor& o) {
        r += o.r;
        g += o.g;
        b += o.b;
        a += o.a;
        return *this;
    }
    MColor& operator*=(float s) {
        r *= s;
        g *= s;
        b *= s;
        a *= s;
        return *this;
    }
    void get(float rgba[4]) const {
        rgba[0] = r;
        rgba[1] = g;
        rgba[2] = b;
        rgba[3] = a;
    }

    float r, g, b, a;
};

inline MColor operator*(float s, const MColor& c) { return c * s; }
