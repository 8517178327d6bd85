// MFnNumericAttribute: numeric attributes (boolean, short, int, float, double)
// and compounds of two or three numeric children.
#pragma once

#include <maya/MFnAttribute.h>
#include <maya/MFnNumericData.h>

class MFnNumericAttribute : public MFnAttribute {
public:
    MFnNumericAttribute();
    MFnNumericAttribute(MObject& object, MStatus* ReturnStatus = NULL);
    MFnNumericAttribute(const MObject& object, MStatus* ReturnStatus = NULL);
    ~MFnNumericAttribute() override;

    MStatus setObject(MObject& object) override;
    MStatus setObject(const MObject& object) override;

    MObject create(const MString& fullName, const MString& briefName, MFnNumericData::Type unitType,
                   double defaultValue = 0, MStatus* ReturnStatus = NULL);
    // A compound over numeric children already created.
    MObject create(const MString& fullName, const MString& briefName, const MObject& child1,
                   const MObject& child2, const MObject& child3 = MObject::kNullObj,
                   MStatus* ReturnStatus = NULL);
    MObject createColor(const MString& fullName, const MString& briefName, MStatus* ReturnStatus = NULL);
    MObject createPoint(const MString& fullName, const MString& briefName, MStatus* ReturnStatus = NULL);

    MFnNumericData::Type unitType(MStatus* ReturnStatus = NULL) const;

    // On a compound, the values go to the children in order.
    MStatus setDefault(bool value);
    MStatus setDefault(int value);
    MStatus setDefault(float value);
    MStatus setDefault(double value);
    MStatus setDefault(int value1, int value2);
    MStatus setDefault(float value1, float value2);
    MStatus setDefault(double value1, double value2);
    MStatus setDefault(int value1, int value2, int value3);
    MStatus setDefault(float value1, float value2, float value3);
    MStatus setDefault(double value1, double value2, double value3);

    MStatus getDefault(bool& value);
    MStatus getDefault(int& value);
    MStatus getDefault(float& value);
    MStatus getDefault(double& value);
    MStatus getDefault(double& value1, double& value2, double& value3);

    // Hard limits.
    bool hasMin(MStatus* ReturnStatus = NULL) const;
    bool hasMax(MStatus* ReturnStatus = NULL) const;
    MStatus setMin(int value);
    MStatus setMin(double value);
    MStatus setMin(double value1, double value2);
    MStatus setMin(double value1, double value2, double value3);
    MStatus setMax(int value);
    MStatus setMax(double value);
    MStatus setMax(double value1, double value2);
    MStatus setMax(double value1, double value2, double value3);
    MStatus getMin(double& value) const;
    MStatus getMax(double& value) const;
};
