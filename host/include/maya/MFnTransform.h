// MFnTransform: a transform node's translate, rotate and scale. kTransform
// (and kObject) queries give the node's own values; kWorld gives the values
// composed with every parent transform.
#pragma once

#include <maya/MEulerRotation.h>
#include <maya/MFnDagNode.h>
#include <maya/MQuaternion.h>
#include <maya/MTransformationMatrix.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>

class MFnTransform : public MFnDagNode {
public:
    MFnTransform();
    MFnTransform(MObject& object, MStatus* ReturnStatus = NULL);
    MFnTransform(const MObject& object, MStatus* ReturnStatus = NULL);
    MFnTransform(const MDagPath& path, MStatus* ReturnStatus = NULL);
    ~MFnTransform() override;

    MStatus setObject(MObject& object) override;
    MStatus setObject(const MObject& object) override;
    MStatus setObject(const MDagPath& path) override;

    // The matrix composed with every parent transform, so its getScale(...,
    // kWorld) and friends give world values.
    MTransformationMatrix transformation(MStatus* ReturnStatus = NULL) const;

    MVector translation(MSpace::Space space, MStatus* ReturnStatus = NULL) const;
    MStatus setTranslation(const MVector& vec, MSpace::Space space);
    MStatus getRotation(MQuaternion& quaternion, MSpace::Space space = MSpace::kTransform) const;
    MStatus getRotation(MEulerRotation& rotation) const;
    MStatus setRotation(const MEulerRotation& rotation);
    MStatus getScale(double scale[3]) const;
    MStatus setScale(const double scale[3]);
    MTransformationMatrix::RotationOrder rotationOrder(MStatus* ReturnStatus = NULL) const;
};
