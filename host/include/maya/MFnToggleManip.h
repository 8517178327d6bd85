// MFnToggleManip: a stock on/off switch drawn as a short marker.
#pragma once

#include <maya/MFnManip3D.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

class MFnToggleManip : public MFnManip3D {
public:
    MFnToggleManip();
    MFnToggleManip(MObject& object, MStatus* ReturnStatus = NULL);
    MFnToggleManip(const MObject& object, MStatus* ReturnStatus = NULL);
    MFnToggleManip(const MDagPath& path, MStatus* ReturnStatus = NULL);
    ~MFnToggleManip() override;

    MStatus connectToTogglePlug(MPlug& togglePlug);
    MPoint startPoint(MStatus* ReturnStatus = NULL) const;
    MVector direction(MStatus* ReturnStatus = NULL) const;
    double length(MStatus* ReturnStatus = NULL) const;
    bool toggle(MStatus* ReturnStatus = NULL) const;
    MStatus setStartPoint(MPoint& startPoint);
    MStatus setDirection(MVector& direction);
    MStatus setLength(double length);
    MStatus setToggle(bool toggle);

    unsigned int startPointIndex(MStatus* ReturnStatus = NULL) const;
    unsigned int directionIndex(MStatus* ReturnStatus = NULL) const;
    unsigned int lengthIndex(MStatus* ReturnStatus = NULL) const;
    unsigned int toggleIndex(MStatus* ReturnStatus = NULL) const;
};
