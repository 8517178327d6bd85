// MFnManip3D: what every stock 3D manipulator has: visibility and size.
#pragma once

#include <maya/MDagPath.h>
#include <maya/MFnTransform.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

namespace rdhost {
struct StockManip;
}

class MFnManip3D : public MFnTransform {
public:
    MFnManip3D();
    MFnManip3D(MObject& object, MStatus* ReturnStatus = NULL);
    MFnManip3D(const MObject& object, MStatus* ReturnStatus = NULL);
    MFnManip3D(const MDagPath& path, MStatus* ReturnStatus = NULL);
    ~MFnManip3D() override;

    MStatus setObject(MObject& object) override;
    MStatus setObject(const MObject& object) override;
    MStatus setObject(const MDagPath& path) override;

    bool isVisible(MStatus* ReturnStatus = NULL) const;
    MStatus setVisible(bool isVisible);
    float manipScale(MStatus* ReturnStatus = NULL) const;
    MStatus setManipScale(float scale);

protected:
    // Stand-in: the stock manipulator this set is attached to (null if none).
    rdhost::StockManip* rdManip_;
};
