// A transformation kept as components: scale, shear, rotation, translation.
// Composed as S * Sh * R * T for row vectors (scale first, translation last),
// the host's order without pivots.
#pragma once

#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>
#include <maya/MQuaternion.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>

class MTransformationMatrix {
public:
    enum RotationOrder {
        kInvalid = 0,
        kXYZ = 1,
        kYZX = 2,
        kZXY = 3,
        kXZY = 4,
        kYXZ = 5,
        kZYX = 6,
        kLast = 7
    };

    MTransformationMatrix();
    MTransformationMatrix(const MTransformationMatrix& other) = default;
    // Decomposes `m` into translation, rotation, scale and shear.
    MTransformationMatrix(const MMatrix& m);
    MTransformationMatrix& operator=(const MTransformationMatrix& other) = default;
    MTransformationMatrix& operator=(const MMatrix& m) {
        *this = MTransformationMatrix(m);
        return *this;
    }
    bool operator==(const MTransformationMatrix& o) const { return asMatrix() == o.asMatrix(); }
    bool operator!=(const MTransformationMatrix& o) const { return !(*this == o); }

    MMatrix asMatrix() const;
    MMatrix asMatrix(double percent) const;
    MMatrix asRotateMatrix() const;
    MMatrix asScaleMatrix() const;

    MVector getTranslation(MSpace::Space space, MStatus* ReturnStatus = NULL) const;
    MVector translation(MSpace::Space space, MStatus* ReturnStatus = NULL) const;
    MStatus setTranslation(const MVector& vector, MSpace::Space space);
    MStatus addTranslation(const MVector& vector, MSpace::Space space);

    MQuaternion rotation(MStatus* ReturnStatus = NULL) const;
    MEulerRotation eulerRotation(MStatus* ReturnStatus = NULL) const;
    MTransformationMatrix& rotateTo(const MQuaternion& q, MSpace::Space space = MSpace::kTransform,
                                    MStatus* ReturnStatus = NULL);
    MTransformationMatrix& rotateTo(const MEulerRotation& e, MSpace::Space space = MSpace::kTransform,
                                    MStatus* ReturnStatus = NULL);
    MStatus getRotationQuaternion(double& x, double& y, double& z, double& w,
                                  MSpace::Space space = MSpace::kTransform) const;
    MStatus setRotationQuaternion(double x, double y, double z, double w,
                                  MSpace::Space space = MSpace::kTransform);
    MStatus getRotation(double rotation[3], RotationOrder& order) const;
    MStatus setRotation(const double rotation[3], RotationOrder order);
    RotationOrder rotationOrder(MStatus* ReturnStatus = NULL) const;

    MStatus getScale(double scale[3], MSpace::Space space) const;
    MStatus setScale(const double scale[3], MSpace::Space space);
    MStatus getShear(double shear[3], MSpace::Space space) const;
    MStatus setShear(const double shear[3], MSpace::Space space);

    bool isEquivalent(const MTransformationMatrix& o, double tolerance = 1.0e-10) const {
        return asMatrix().isEquivalent(o.asMatrix(), tolerance);
    }

    static const MTransformationMatrix identity;

private:
    // Stand-in components.
    MVector translate_;
    MQuaternion rotate_;
    MEulerRotation::RotationOrder order_;
    double scale_[3];
    double shear_[3];  // xy, xz, yz
};
