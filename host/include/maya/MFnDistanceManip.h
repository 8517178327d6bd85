// MFnDistanceManip: a stock manipulator that moves a point along a line; its
// value is the distance from the start point divided by the scaling factor.
#pragma once

#include <maya/MFnManip3D.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

class MFnDistanceManip : public MFnManip3D {
public:
    MFnDistanceManip();
    MFnDistanceManip(MObject& object, MStatus* ReturnStatus = NULL);
    MFnDistanceManip(const MObject& object, MStatus* ReturnStatus = NULL);
    MFnDistanceManip(const MDagPath& path, MStatus* ReturnStatus = NULL);
    ~MFnDistanceManip() override;

    MStatus connectToDistancePlug(MPlug& distancePlug);
    MStatus setStartPoint(const MPoint& startPoint);
    MStatus setDirection(const MVector& direction);
    MStatus setDrawStart(bool drawIt);
    MStatus setDrawLine(bool drawIt);
    MStatus setScalingFactor(double scalingFactor);
    bool isDrawStartOn(MStatus* ReturnStatus = NULL) const;
    bool isDrawLineOn(MStatus* ReturnStatus = NULL) const;
    double scalingFactor(MStatus* ReturnStatus = NULL) const;

    unsigned int distanceIndex(MStatus* ReturnStatus = NULL) const;
    unsigned int directionIndex(MStatus* ReturnStatus = NULL) const;
    unsigned int startPointIndex(MStatus* ReturnStatus = NULL) const;
    unsigned int currentPointIndex(MStatus* ReturnStatus = NULL) const;
};
