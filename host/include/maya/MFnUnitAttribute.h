// MFnUnitAttribute: distance, angle and time attributes. Values, defaults
// and limits given as double are in internal units (centimetres, radians).
#pragma once

#include <maya/MFnAttribute.h>

class MAngle;
class MDistance;

class MFnUnitAttribute : public MFnAttribute {
public:
    enum Type {
        kInvalid,   // 0
        kAngle,     // 1
        kDistance,  // 2
        kTime,      // 3
        kLast       // 4
    };

    MFnUnitAttribute();
    MFnUnitAttribute(MObject& object, MStatus* ReturnStatus = NULL);
    MFnUnitAttribute(const MObject& object, MStatus* ReturnStatus = NULL);
    ~MFnUnitAttribute() override;

    MStatus setObject(MObject& object) override;
    MStatus setObject(const MObject& object) override;

    MObject create(const MString& fullName, const MString& briefName, MFnUnitAttribute::Type unitType,
                   double defaultValue = 0.0, MStatus* ReturnStatus = NULL);
    MObject create(const MString& fullName, const MString& briefName, const MDistance& defaultValue,
                   MStatus* ReturnStatus = NULL);
    MObject create(const MString& fullName, const MString& briefName, const MAngle& defaultValue,
                   MStatus* ReturnStatus = NULL);

    MFnUnitAttribute::Type unitType(MStatus* ReturnStatus = NULL) const;

    MStatus setDefault(double value);
    MStatus setDefault(const MDistance& value);
    MStatus setDefault(const MAngle& value);
    MStatus getDefault(double& value) const;

    bool hasMin(MStatus* ReturnStatus = NULL) const;
    bool hasMax(MStatus* ReturnStatus = NULL) const;
    MStatus setMin(double value);
    MStatus setMin(const MDistance& value);
    MStatus setMin(const MAngle& value);
    MStatus setMax(double value);
    MStatus setMax(const MDistance& value);
    MStatus setMax(const MAngle& value);
    MStatus getMin(double& value) const;
    MStatus getMax(double& value) const;
};
