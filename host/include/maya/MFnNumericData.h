// MFnNumericData: a numeric data object (one to three numbers), as used for
// compound values and manipulator callback results.
#pragma once

#include <maya/MFnData.h>

class MFnNumericData : public MFnData {
public:
    enum Type {
        kInvalid,  // 0
        kBoolean,  // 1
        kByte,     // 2
        kChar,     // 3
        kShort,    // 4
        k2Short,   // 5
        k3Short,   // 6
        kLong,     // 7
        kInt = kLong,
        k2Long,  // 8
        k2Int = k2Long,
        k3Long,  // 9
        k3Int = k3Long,
        kInt64,    // 10
        kFloat,    // 11
        k2Float,   // 12
        k3Float,   // 13
        kDouble,   // 14
        k2Double,  // 15
        k3Double,  // 16
        k4Double,  // 17
        kAddr,     // 18
        kLast      // 19
    };

    MFnNumericData();
    MFnNumericData(MObject& object, MStatus* ReturnStatus = NULL);
    MFnNumericData(const MObject& object, MStatus* ReturnStatus = NULL);
    ~MFnNumericData() override;

    MStatus setObject(MObject& object) override;
    MStatus setObject(const MObject& object) override;

    MObject create(Type dataType, MStatus* ReturnStatus = NULL);
    Type numericType(MStatus* ReturnStatus = NULL);

    MStatus getData(double& value1, double& value2, double& value3);
    MStatus getData(float& value1, float& value2, float& value3);
    MStatus getData(double& value1, double& value2);
    MStatus setData(double value1, double value2, double value3);
    MStatus setData(float value1, float value2, float value3);
    MStatus setData(int value1, int value2, int value3);
    MStatus setData(double value1, double value2);
    MStatus setData(double value);
};
