// An angle with its unit; radians is the internal unit.
#pragma once

#include <maya/MStatus.h>

class MAngle {
public:
    enum Unit { kInvalid = 0, kRadians = 1, kDegrees = 2, kAngMinutes = 3, kAngSeconds = 4, kLast = 5 };

    MAngle() : value_(0.0), unit_(kRadians) {}
    MAngle(double value, Unit unit = kRadians) : value_(value), unit_(unit) {}
    MAngle(const MAngle& other) = default;
    MAngle& operator=(const MAngle& other) = default;

    Unit unit() const { return unit_; }
    double value() const { return value_; }
    MStatus setUnit(Unit unit) {
        if (unit <= kInvalid || unit >= kLast) return MS::kInvalidParameter;
        unit_ = unit;
        return MS::kSuccess;
    }
    MStatus setValue(double value) {
        value_ = value;
        return MS::kSuccess;
    }

    double as(Unit unit, MStatus* status = NULL) const {
        if (unit <= kInvalid || unit >= kLast) {
            if (status) *status = MS::kInvalidParameter;
            return 0.0;
        }
        if (status) *status = MS::kSuccess;
        return value_ * perRadian(unit) / perRadian(unit_);
    }
    double asRadians() const { return as(kRadians); }
    double asDegrees() const { return as(kDegrees); }
    double asAngMinutes() const { return as(kAngMinutes); }
    double asAngSeconds() const { return as(kAngSeconds); }

    static Unit uiUnit() { return kDegrees; }
    static Unit internalUnit() { return kRadians; }
    static double internalToUI(double internal) { return MAngle(internal).asDegrees(); }
    static double uiToInternal(double ui) { return MAngle(ui, kDegrees).asRadians(); }

private:
    // How many of `unit` make one radian; invalid units behave as radians so a
    // bad stored unit cannot produce a division by zero.
    static double perRadian(Unit unit) {
        const double degPerRad = 57.295779513082320876798154814105;
        switch (unit) {
        case kDegrees:
            return degPerRad;
        case kAngMinutes:
            return degPerRad * 60.0;
        case kAngSeconds:
            return degPerRad * 3600.0;
        default:
            return 1.0;
        }
    }

    double value_;
    Unit unit_;
};
