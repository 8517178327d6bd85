// MFnBase: base of the function sets. A function set is attached to one
// object and is not copyable.
#pragma once

#include <maya/MObject.h>
#include <maya/MStatus.h>

class MFnBase {
public:
    MFnBase();
    virtual ~MFnBase();

    MObject object(MStatus* ReturnStatus = NULL) const;
    virtual MStatus setObject(MObject& object);
    virtual MStatus setObject(const MObject& object);

    MFnBase(const MFnBase&) = delete;
    MFnBase& operator=(const MFnBase&) = delete;

protected:
    // Stand-in internals: the attached object (a cheap handle).
    MObject rdObject_;
};
