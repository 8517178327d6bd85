// Value helpers shared by the arc slider node and its manipulator container.
// Every attribute, numeric, unit or enum, is read as a plain number through an
// MDistance in the normal context and then held in single precision; a read
// that fails leaves 0.
#pragma once

#include <maya/MDGContext.h>
#include <maya/MDistance.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MString.h>

#include <cmath>
#include <climits>

namespace arcslider {

inline float readFloat(const MObject& node, const MObject& attribute)
{
    MDistance value(0.0);
    MPlug(node, attribute).getValue(value, MDGContext::fsNormal);
    return static_cast<float>(value.value());
}

inline MString readString(const MObject& node, const MObject& attribute)
{
    MString value;
    MPlug(node, attribute).getValue(value, MDGContext::fsNormal);
    return value;
}

// Truncation toward zero; a value no int can hold (NaN, inf, huge) counts as 0
// rather than reaching an undefined conversion.
inline int truncate(float value)
{
    if (!std::isfinite(value) || value >= float(INT_MAX) || value <= float(INT_MIN))
        return 0;
    return static_cast<int>(value);
}

inline int readInt(const MObject& node, const MObject& attribute)
{
    return truncate(readFloat(node, attribute));
}

}  // namespace arcslider
