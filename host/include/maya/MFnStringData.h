// MFnStringData: a string data object, as used for string attribute defaults.
#pragma once

#include <maya/MFnData.h>
#include <maya/MString.h>

class MFnStringData : public MFnData {
public:
    MFnStringData();
    MFnStringData(MObject& object, MStatus* ReturnStatus = NULL);
    MFnStringData(const MObject& object, MStatus* ReturnStatus = NULL);
    ~MFnStringData() override;

    MStatus setObject(MObject& object) override;
    MStatus setObject(const MObject& object) override;

    MObject create(MStatus* ReturnStatus = NULL);
    MObject create(const MString& str, MStatus* ReturnStatus = NULL);
    MString string(MStatus* ReturnStatus = NULL) const;
    MStatus set(const MString& newString);
};
