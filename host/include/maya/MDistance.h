// A length with its unit; centimetres is the internal unit.
#pragma once

#include <maya/MStatus.h>

class MDistance {
public:
    enum Unit {
        kInvalid = 0,
        kInches = 1,
        kFeet = 2,
        kYards = 3,
        kMiles = 4,
        kMillimeters = 5,
        kCentimeters = 6,
        kKilometers = 7,
        kMeters = 8,
        kLast = 9
    };

    MDistance() : value_(0.0), unit_(kCentimeters) {}
    MDistance(double value, Unit unit = kCentimeters) : value_(value), unit_(unit) {}
    MDistance(const MDistance& other) = default;
    MDistance& operator=(const MDistance& other) = default;

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
        if (unit == unit_) return value_;
        return value_ * centimetres(unit_) / centimetres(unit);
    }
    double asInches() const { return as(kInches); }
    double asFeet() const { return as(kFeet); }
    double asYards() const { return as(kYards); }
    double asMiles() const { return as(kMiles); }
    double asMillimeters() const { return as(kMillimeters); }
    double asCentimeters() const { return as(kCentimeters); }
    double asKilometers() const { return as(kKilometers); }
    double asMeters() const { return as(kMeters); }

    static Unit uiUnit() { return kCentimeters; }
    static Unit internalUnit() { return kCentimeters; }
    static double internalToUI(double internal) { return internal; }
    static double uiToInternal(double ui) { return ui; }

private:
    // Length of one `unit` in centimetres; invalid units count as centimetres.
    static double centimetres(Unit unit) {
        switch (unit) {
        case kInches:
            return 2.54;
        case kFeet:
            return 30.48;
        case kYards:
            return 91.44;
        case kMiles:
            return 160934.4;
        case kMillimeters:
            return 0.1;
        case kKilometers:
            return 100000.0;
        case kMeters:
            return 100.0;
        default:
            return 1.0;
        }
    }

    double value_;
    Unit unit_;
};
