// Plug reads for the nodes and their manipulator containers, by one policy.
//
// Every number goes through MPlug::getValue into an MDistance in the normal
// context, booleans, enums and whole numbers included: the host hands any
// number over that way, in the attribute's internal unit. A read that fails
// leaves 0. Then:
//  - readFloat: the number in single precision, the precision the nodes work
//    in. NaN and infinities pass as they are: the sliders guard against them
//    where they matter (a NaN snap step, an arc that never ends).
//  - readInt: NaN and infinities read 0, as the host's own whole-number
//    attributes hold them; any other number is taken in single precision,
//    held within INT_MIN..INT_MAX and truncated toward zero (so 16777217 reads
//    16777216, 2.9 reads 2 and -2.9 reads -2). A plain cast of NaN or of a
//    number beyond int would be undefined.
//  - readFiniteFloat, readFiniteDouble: for numbers that go straight to GL or
//    a bounding box, where a non-finite value reads 0 (for the float, a value
//    beyond single precision counts as infinite).
//  - readDouble: the number as stored, for values written back unchanged.
#pragma once

#include <maya/MColor.h>
#include <maya/MDGContext.h>
#include <maya/MDistance.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <climits>
#include <cmath>

namespace plugs {

inline double readDouble(const MObject& node, const MObject& attribute) {
    MDistance value(0.0);
    MPlug(node, attribute).getValue(value, MDGContext::fsNormal);
    return value.value();
}

inline float readFloat(const MObject& node, const MObject& attribute) {
    return static_cast<float>(readDouble(node, attribute));
}

inline int readInt(const MObject& node, const MObject& attribute) {
    const double value = readDouble(node, attribute);
    if (!std::isfinite(value)) return 0;
    const float single = static_cast<float>(value);
    if (single >= static_cast<float>(INT_MAX)) return INT_MAX;
    if (single <= static_cast<float>(INT_MIN)) return INT_MIN;
    return static_cast<int>(single);
}

inline double readFiniteDouble(const MObject& node, const MObject& attribute) {
    const double value = readDouble(node, attribute);
    return std::isfinite(value) ? value : 0.0;
}

inline float readFiniteFloat(const MObject& node, const MObject& attribute) {
    const float value = readFloat(node, attribute);
    return std::isfinite(value) ? value : 0.0f;
}

// A colour from its three channels, read with readFloat; alpha 1.
inline MColor readColour(const MObject& node, const MObject& r, const MObject& g, const MObject& b) {
    const float red = readFloat(node, r);
    const float green = readFloat(node, g);
    const float blue = readFloat(node, b);
    return MColor(red, green, blue, 1.0f);
}

// A point or vector from its three children, each read with readFloat.
inline MVector readPoint(const MObject& node, const MObject& x, const MObject& y, const MObject& z) {
    const float px = readFloat(node, x);
    const float py = readFloat(node, y);
    const float pz = readFloat(node, z);
    return MVector(px, py, pz);
}

inline MString readString(const MObject& node, const MObject& attribute) {
    MString value;
    MPlug(node, attribute).getValue(value, MDGContext::fsNormal);
    return value;
}

}  // namespace plugs
