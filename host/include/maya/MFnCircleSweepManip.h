// MFnCircleSweepManip: a stock manipulator that sweeps an angle on a circle,
// from the start circle point around the normal.
#pragma once

#include <maya/MAngle.h>
#include <maya/MFnManip3D.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

class MFnCircleSweepManip : public MFnManip3D {
public:
    MFnCircleSweepManip();
    MFnCircleSweepManip(MObject& object, MStatus* ReturnStatus = NULL);
    MFnCircleSweepManip(const MObject& object, MStatus* ReturnStatus = NULL);
    MFnCircleSweepManip(const MDagPath& path, MStatus* ReturnStatus = NULL);
    ~MFnCircleSweepManip() override;

    MStatus connectToAnglePlug(MPlug& anglePlug);
    MStatus setCenterPoint(const MPoint& centerPoint);
    MStatus setStartPoint(const MPoint& startPoint);
    MStatus setEndPoint(const MPoint& endPoint);
    MStatus setNormal(const MVector& normal);
    MStatus setRadius(double radius);
    MStatus setAngle(MAngle angle);
    MStatus setDrawAsArc(bool state);
    MPoint startPoint(MStatus* ReturnStatus = NULL) const;
    MPoint endPoint(MStatus* ReturnStatus = NULL) const;

    unsigned int centerIndex(MStatus* ReturnStatus = NULL) const;
    unsigned int axisIndex(MStatus* ReturnStatus = NULL) const;
    unsigned int angleIndex(MStatus* ReturnStatus = NULL) const;
    unsigned int startCircleIndex(MStatus* ReturnStatus = NULL) const;
    unsigned int endCircleIndex(MStatus* ReturnStatus = NULL) const;
};
