// MFnTypedAttribute: attributes holding a data object; the stand-in host
// supports string data.
#pragma once

#include <maya/MFnAttribute.h>
#include <maya/MFnData.h>

class MFnTypedAttribute : public MFnAttribute {
public:
    MFnTypedAttribute();
    MFnTypedAttribute(MObject& object, MStatus* ReturnStatus = NULL);
    MFnTypedAttribute(const MObject& object, MStatus* ReturnStatus = NULL);
    ~MFnTypedAttribute() override;

    MStatus setObject(MObject& object) override;
    MStatus setObject(const MObject& object) override;

    MObject create(const MString& fullName, const MString& briefName, MFnData::Type type,
                   MObject defaultData = MObject::kNullObj, MStatus* ReturnStatus = NULL);

    MFnData::Type attrType(MStatus* ReturnStatus = NULL) const;
    MStatus setDefault(const MObject& object);
    MStatus getDefault(MObject& object);
};
