// MManipData: a manipulator value as a conversion callback returns it: either
// a single number ("simple") or a data object such as three doubles made with
// MFnNumericData.
#pragma once

#include <maya/MObject.h>
#include <maya/MTypes.h>

class MManipData {
public:
    MManipData();
    MManipData(bool value);
    MManipData(short value);
    MManipData(int value);
    MManipData(unsigned int value);
    MManipData(float value);
    MManipData(double value);
    MManipData(const MObject& data);
    MManipData(const MManipData& other);
    ~MManipData();

    MManipData& operator=(const MManipData& other);
    MManipData& operator=(bool value);
    MManipData& operator=(short value);
    MManipData& operator=(int value);
    MManipData& operator=(unsigned int value);
    MManipData& operator=(float value);
    MManipData& operator=(double value);
    MManipData& operator=(const MObject& data);

    bool isSimple() const;
    bool asBool() const;
    short asShort() const;
    int asLong() const;
    unsigned int asUnsigned() const;
    float asFloat() const;
    double asDouble() const;
    MObject asMObject() const;

private:
    // Stand-in storage: the number, or the data object when not simple.
    bool rdSimple_;
    double rdValue_;
    MObject rdData_;
};
